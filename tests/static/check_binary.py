#!/usr/bin/env python3
"""Checks of a built Setup.exe that read the file without running it.

  check_binary.py imports <objdump> <Setup.exe>
      Setup.exe imports nothing but the system's own kernel32, user32,
      advapi32, shell32 and shlwapi: known DLLs, which Windows never takes
      from the program's folder. version.dll, PSAPI.DLL, the C++ or GCC
      runtimes and the C runtime (msvcrt.dll: Setup.exe links without it)
      never are.
  check_binary.py size <Setup.exe> <budget in bytes>
      The stripped file fits the size budget; an Authenticode signature
      does not count.
  check_binary.py subsystem <objdump> <Setup.exe>
      A GUI program: no console window opens when it starts.
  check_binary.py tsaware <objdump> <Setup.exe>
      Marked Terminal Server aware (DllCharacteristics 0x8000).
  check_binary.py symbols <target prefix> <Setup.exe.debug> <function>...
      The README's recipe for a crash address (llvm-addr2line, its names
      demangled by the target's c++filt) names each function and a source
      line for an address inside it, taken from the symbol file's own table.
  check_binary.py processor <objdump> <Setup.exe>
      The x86 file holds no instruction that a 386 (with its 387) lacks:
      none of the 486 (bswap, cmpxchg, xadd), the Pentium (cpuid, rdtsc,
      cmpxchg8b), the Pentium Pro (cmov, fcomi, multi-byte nop) or later
      (pause, fences, popcnt), and no MMX or SSE register. The whole linked
      file counts, libgcc's helpers included.
  check_binary.py manifest <Setup.exe>
      The application manifest asks for administrator rights and nothing
      else: no supportedOS, no DPI or heap settings, no dependencies; no
      element declares one namespace twice (Windows XP SP2 restarts on it).
"""
import os
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

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


def check_tsaware(tool, path):
    match = re.search(r'^DllCharacteristics\s+([0-9a-fA-F]+)', objdump(tool, path), re.M)
    flags = int(match.group(1), 16) if match else 0
    print(f'{path} DllCharacteristics: {flags:#06x}')
    return 0 if flags & 0x8000 else 1


def symbolise(prefix, path, address):
    """[(function, file:line)] for an address, innermost inlined frame first."""
    lines = subprocess.run(f'llvm-addr2line -f -i -e "{path}" {address:#x} | {prefix}c++filt', shell=True,
                           check=True, stdout=subprocess.PIPE, text=True).stdout.splitlines()
    return list(zip(lines[0::2], lines[1::2]))


def check_symbols(prefix, path, functions):
    table = subprocess.run([prefix + 'nm', '-C', path], check=True, stdout=subprocess.PIPE, text=True).stdout
    code = []
    for address, name in re.findall(r'^([0-9a-fA-F]+) [tT] ([^.].*)$', table, re.M):
        code.append((int(address, 16), name))
    starts = sorted({address for address, _ in code})
    faults = 0
    for function in functions:
        found = [(address, name) for address, name in code if f'{function}(' in name]
        if not found:
            print(f'FAIL: {function} is not in the symbol table of {path}')
            faults += 1
            continue
        start, name = found[0]
        end = next((a for a in starts if a > start), start + 2)
        address = start + (end - start) // 2
        frames = symbolise(prefix, path, address)
        print(f'{address:#x} in {name}: {frames}')
        outer_function, outer_line = frames[-1] if frames else ('??', '??:0')
        source, _, number = outer_line.rpartition(':')
        if f'{function}(' not in outer_function or source in ('', '??') or not number.isdigit() or number == '0':
            print(f'FAIL: {address:#x}, inside {name}, is not named with its source line')
            faults += 1
    return 1 if faults else 0


# Instructions by the mnemonic objdump prints (AT&T syntax; an operand size
# suffix b, w, l or q may follow) that came after the 386 and its 387, the
# least processor of Windows 95. ud2 is not among them: it is there to trap,
# and any processor traps on it.
LATER_INSTRUCTIONS = {
    # 486
    'bswap', 'cmpxchg', 'xadd', 'invd', 'wbinvd', 'invlpg',
    # Pentium and Pentium MMX
    'cpuid', 'rdtsc', 'rdmsr', 'wrmsr', 'rdpmc', 'rsm', 'cmpxchg8b', 'emms',
    # Pentium Pro and later
    'fcomi', 'fcomip', 'fucomi', 'fucomip', 'nopw', 'nopl', 'sysenter', 'sysexit', 'syscall', 'sysret',
    'pause', 'lfence', 'mfence', 'sfence', 'clflush', 'movnti', 'fxsave', 'fxrstor', 'ldmxcsr', 'stmxcsr',
    'fisttp', 'popcnt', 'lzcnt', 'tzcnt', 'movbe', 'crc32', 'rdrand', 'rdseed', 'rdtscp', 'femms', 'endbr32',
}
LATER_PREFIXES = ('cmov', 'fcmov', 'prefetch')
INSTRUCTION_PREFIXES = {'lock', 'rep', 'repz', 'repnz', 'repe', 'repne', 'data16', 'addr16', 'addr32', 'notrack',
                        'bnd', 'cs', 'ds', 'es', 'fs', 'gs', 'ss'}
MEDIA_REGISTER = re.compile(r'%(?:mm[0-7]|[xyz]mm\d+)\b')


def later_instruction(text):
    """Why the disassembled instruction `text` needs more than a 386, or None."""
    words = text.split()
    while words and words[0] in INSTRUCTION_PREFIXES:
        words = words[1:]
    if not words:
        return None
    mnemonic = words[0]
    stems = {mnemonic} | ({mnemonic[:-1]} if mnemonic[-1:] in 'bwlq' else set())
    if stems & LATER_INSTRUCTIONS or mnemonic.startswith(LATER_PREFIXES):
        return mnemonic
    if MEDIA_REGISTER.search(text):
        return 'MMX or SSE register'
    return None


def check_processor(tool, path):
    listing = subprocess.run([tool, '-d', '--no-show-raw-insn', path], check=True, stdout=subprocess.PIPE,
                             text=True).stdout
    found, function, count = [], '?', 0
    for line in listing.splitlines():
        label = re.match(r'^[0-9a-f]+ <(.*)>:$', line)
        if label:
            function = label.group(1)
            continue
        fields = line.split('\t')
        if len(fields) < 2 or not re.match(r'^\s*[0-9a-f]+:$', fields[0]):
            continue
        count += 1
        why = later_instruction(fields[1])
        if why:
            found.append(f'{fields[0].strip().rstrip(":")} in {function}: {fields[1].strip()} ({why})')
    print(f'{path}: {count} instructions, {len(found)} that a 386 lacks')
    for line in found[:40]:
        print(f'FAIL: {line}')
    return 1 if found or count == 0 else 0


def resource(path, type_id, name_id):
    """The data of the first language of resource type_id/name_id, or None."""
    with open(path, 'rb') as f:
        data = f.read()
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    sections, optional_size = struct.unpack_from('<H12xH', data, pe + 6)
    optional = pe + 24
    directories = optional + (112 if struct.unpack_from('<H', data, optional)[0] == 0x20B else 96)
    rsrc_rva = struct.unpack_from('<I', data, directories + 2 * 8)[0]

    def offset(rva):
        for i in range(sections):
            size, address, _, raw = struct.unpack_from('<IIII', data, optional + optional_size + i * 40 + 8)
            if address <= rva < address + size:
                return rva - address + raw
        raise ValueError(f'RVA {rva:#x} in no section')

    base = offset(rsrc_rva)

    def entries(table):
        named, ids = struct.unpack_from('<12xHH', data, base + table)
        for i in range(named + ids):
            name, target = struct.unpack_from('<II', data, base + table + 16 + i * 8)
            yield name, target

    level = 0
    for wanted in (type_id, name_id, None):
        found = [t for n, t in entries(level) if wanted is None or n == wanted]
        if not found:
            return None
        level = found[0] & 0x7FFFFFFF
        if not found[0] & 0x80000000:
            rva, size = struct.unpack_from('<II', data, base + level)
            return data[offset(rva):offset(rva) + size]
    return None


ASM_V1 = '{urn:schemas-microsoft-com:asm.v1}'
ASM_V3 = '{urn:schemas-microsoft-com:asm.v3}'


def check_manifest(path):
    text = resource(path, 24, 1)
    if text is None:
        print(f'FAIL: {path} carries no application manifest (RT_MANIFEST 1)')
        return 1
    print(text.decode('utf-8'))
    faults = []
    for tag in re.findall(rb'<[^!?/][^>]*>', text):
        uris = re.findall(rb'xmlns(?::\w+)?\s*=\s*["\']([^"\']*)', tag)
        if len(uris) != len(set(uris)):
            faults.append(f'namespace declared twice in {tag!r}')
    root = ElementTree.fromstring(text)
    if root.tag != ASM_V1 + 'assembly' or root.get('manifestVersion') != '1.0':
        faults.append(f'root element {root.tag} {root.attrib}')
    if [child.tag for child in root] != [ASM_V3 + 'trustInfo']:
        faults.append(f'top-level elements {[child.tag for child in root]}, expected trustInfo alone')
    path_tags = [ASM_V3 + 'security', ASM_V3 + 'requestedPrivileges', ASM_V3 + 'requestedExecutionLevel']
    element = root.find(ASM_V3 + 'trustInfo')
    for tag in path_tags:
        children = list(element) if element is not None else []
        if [child.tag for child in children] != [tag]:
            faults.append(f'{element.tag if element is not None else None} holds {[c.tag for c in children]}')
            element = None
            break
        element = children[0]
    if element is not None and element.attrib != {'level': 'requireAdministrator', 'uiAccess': 'false'}:
        faults.append(f'requestedExecutionLevel {element.attrib}')
    if any(e.tag.endswith('}supportedOS') or e.tag == 'supportedOS' for e in root.iter()):
        faults.append('supportedOS present')
    for fault in faults:
        print(f'FAIL: {fault}')
    return 1 if faults else 0


def main(argv):
    if argv[1] == 'imports':
        return check_imports(argv[2], argv[3])
    if argv[1] == 'size':
        return check_size(argv[2], int(argv[3]))
    if argv[1] == 'subsystem':
        return check_subsystem(argv[2], argv[3])
    if argv[1] == 'tsaware':
        return check_tsaware(argv[2], argv[3])
    if argv[1] == 'symbols':
        return check_symbols(argv[2], argv[3], argv[4:])


    if argv[1] == 'processor':
        return check_processor(argv[2], argv[3])
    if argv[1] == 'manifest':
        return check_manifest(argv[2])
    print(__doc__)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv))
