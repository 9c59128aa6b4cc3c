#!/usr/bin/env python3
"""The "not an administrator" message in a built Setup.exe, read from the
file's resource section without running it (so also for the x86 build).

  check_strings.py <Setup.exe> <not_administrator.tsv>

String-table block 1 must exist in exactly the languages of the table, with
entry 1 equal to that language's text (UTF-16, line feeds as listed) and the
other entries of the block empty.
"""
import struct
import sys

RT_STRING = 6


def resources(path):
    """[(type, name, language, data)] of the PE file's resource directory."""
    with open(path, 'rb') as f:
        image = f.read()
    pe = struct.unpack_from('<I', image, 0x3C)[0]
    sections, optional_size = struct.unpack_from('<H', image, pe + 6)[0], struct.unpack_from('<H', image, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from('<H', image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from('<I', image, directories + 2 * 8)[0]
    table = []
    for i in range(sections):
        header = optional + optional_size + 40 * i
        virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from('<IIII', image, header + 8)
        table.append((virtual_address, max(virtual_size, raw_size), raw_pointer))

    def offset(rva):
        for address, size, pointer in table:
            if address <= rva < address + size:
                return rva - address + pointer
        raise ValueError(f'RVA {rva:#x} outside every section')

    base = offset(resource_rva)
    found = []

    def walk(directory, path):
        named, numbered = struct.unpack_from('<HH', image, directory + 12)
        for i in range(named + numbered):
            name, entry = struct.unpack_from('<II', image, directory + 16 + 8 * i)
            if entry & 0x80000000:
                walk(base + (entry & 0x7FFFFFFF), path + [name])
            else:
                data_rva, size = struct.unpack_from('<II', image, base + entry)
                found.append(tuple(path + [name]) + (image[offset(data_rva):offset(data_rva) + size],))

    walk(base, [])
    return found


def string_block(data):
    """The 16 counted UTF-16 strings of a string-table block."""
    strings, position = [], 0
    while position < len(data) and len(strings) < 16:
        length = struct.unpack_from('<H', data, position)[0]
        strings.append(data[position + 2:position + 2 + 2 * length].decode('utf-16-le'))
        position += 2 + 2 * length
    return strings


def expected_texts(path):
    texts = {}
    with open(path, encoding='utf-8') as f:
        for line in f.read().splitlines():
            if line and not line.startswith('#'):
                language_id, language, text = line.split('\t')
                texts[int(language_id)] = (language, text.replace('\\n', '\n'))
    return texts


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    texts = expected_texts(argv[2])
    blocks = {language: data for kind, name, language, data in resources(argv[1]) if kind == RT_STRING and name == 1}
    failures = []
    if sorted(blocks) != sorted(texts):
        failures.append(f'languages {sorted(blocks)}, expected {sorted(texts)}')
    for language_id, (language, text) in sorted(texts.items()):
        if language_id not in blocks:
            continue
        strings = string_block(blocks[language_id])
        if len(strings) != 16 or strings[1] != text:
            failures.append(f'{language} ({language_id}): {strings[1:2]!r}, expected {text!r}')
        elif any(s for i, s in enumerate(strings) if i != 1):
            failures.append(f'{language} ({language_id}): entries besides 1 in block 1')
    print(f'{argv[1]}: string table in {len(blocks)} languages')
    for failure in failures:
        print('FAIL: ' + failure)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
