#!/usr/bin/env python3
"""Checks of a built Setup.exe that read the file without running it.

  check_binary.py imports <objdump> <Setup.exe>
      Every statically imported DLL is a known DLL of the system, which
      Windows never takes from the program's folder; version.dll, PSAPI.DLL
      and the C++ or GCC runtimes never are.
  check_binary.py size <Setup.exe> <budget in bytes>
      The stripped file fits the size budget; an Authenticode signature
      does not count.
  check_binary.py subsystem <objdump> <Setup.exe>
      A GUI program: no console window opens when it starts.
"""
import os
import re
import struct
import subprocess
import sys

# Known DLLs: loaded from the system folder whatever lies beside the program.
KNOWN_DLLS = {'kernel32.dll', 'user32.dll', 'gdi32.dll', 'advapi32.dll', 'shell32.dll', 'shlwapi.dll',
              'msvcrt.dll', 'ole32.dll', 'oleaut32.dll', 'comdlg32.dll', 'rpcrt4.dll'}


def objdump(tool, path):
    return subprocess.run([tool, '-p', path], check=True, stdout=subprocess.PIPE, text=True).stdout


def check_imports(tool, path):
    names = [n.lower() for n in re.findall(r'DLL Name: (\S+)', objdump(tool, path))]
    print(f'{path} imports: {", ".join(names)}')
    unknown = sorted(set(names) - KNOWN_DLLS)
    if unknown:
        print(f'FAIL: imports DLLs that Windows may take from the program folder: {unknown}')
        return 1
    return 0


def unsigned_size(data):
    """The bytes of a PE file before its Authenticode signature (the
    certificate table, which the signing tool appends after padding the file
    to 8 bytes); the whole file when it has none."""
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    magic = struct.unpack_from('<H', data, pe + 24)[0]
    directories = pe + 24 + (96 if magic == 0x10B else 112)
    offset, size = struct.unpack_from('<II', data, directories + 4 * 8)
    if size and offset + size == len(data):
        return offset
    return len(data)


def check_size(path, budget):
    with open(path, 'rb') as f:
        data = f.read()
    size = unsigned_size(data)
    signed = f' ({len(data)} bytes signed)' if size != len(data) else ''
    print(f'{path}: {size} bytes{signed}, budget {budget} bytes')
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
