#!/usr/bin/env python3
"""Checks of a built Setup.exe that read the file without running it.

  check_binary.py imports <objdump> <Setup.exe>
      Setup.exe imports nothing but the system's own kernel32, user32,
      advapi32, shell32 and shlwapi: known DLLs, which Windows never takes
      from the program's folder. version.dll, PSAPI.DLL, the C++ or GCC
      runtimes and the C runtime (msvcrt.dll: Setup.exe links without it)
      never are.
  check_binary.py size <Setup.exe> <budget in bytes>
      The stripped file fits the size budget.
  check_binary.py subsystem <objdump> <Setup.exe>
      A GUI program: no console window opens when it starts.
"""
import os
import re
import subprocess
import sys

# Known DLLs, loaded from the system folder whatever lies beside the program,
# that Setup.exe may import.
ALLOWED_DLLS = {'kernel32.dll', 'user32.dll', 'advapi32.dll', 'shell32.dll', 'shlwapi.dll'}


def objdump(tool, path):
    return subprocess.run([tool, '-p', path], check=True, stdout=subprocess.PIPE, text=True).stdout


def check_imports(tool, path):
    names = [n.lower() for n in re.findall(r'DLL Name: (\S+)', objdump(tool, path))]
    print(f'{path} imports: {", ".join(names)}')
    unknown = sorted(set(names) - ALLOWED_DLLS)
    if unknown:
        print(f'FAIL: imports DLLs beyond the system\'s own kernel32, user32, advapi32, shell32 and shlwapi: {unknown}')
        return 1
    return 0


def check_size(path, budget):
    size = os.path.getsize(path)
    print(f'{path}: {size} bytes, budget {budget} bytes')
    if size > budget:
        print(f'FAIL: {size - budget} bytes over the budget')
        return 1
    return 0


def check_subsystem(tool, path):
    match = re.search(r'^Subsystem\s+\S+\s+\((.*)\)', objdump(tool, path), re.M)
    subsystem = match.group(1) if match else 'unknown'
    print(f'{path} subsystem: {subsystem}')
    return 0 if 'Windows GUI' in subsystem else 1


def main(argv):
    if argv[1] == 'imports':
        return check_imports(argv[2], argv[3])
    if argv[1] == 'size':
        return check_size(argv[2], int(argv[3]))
    if argv[1] == 'subsystem':
        return check_subsystem(argv[2], argv[3])
    print(__doc__)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv))
