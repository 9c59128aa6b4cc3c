"""Damaged and unusual ISO 9660 images for discfs's test, each made from a
valid image (xorriso, Joliet, no Rock Ridge) by patching its bytes.

    /usr/bin/python3 tests/data/images/craft.py [NAME...]   writes the *.short images here (all, or those named)

The images are kept in the short form of tests/fuzz/image_seed.py; the
test (tests/e2e/test_discfs.py) reads them back with images.expand() and
patches more of its own with the helpers below.
"""
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'fuzz'))
import image_seed  # noqa: E402

BLOCK = 2048
FOLDER, ASSOCIATED, MORE = 0x02, 0x04, 0x80
JOLIET_FILES = ['a-longer-file-name-%02d.txt' % n for n in range(26)]  # two blocks of Joliet records


def both32(value):
    return struct.pack('<I', value) + struct.pack('>I', value)


def record(name, extent, size, flags=0, xar=0, pad=0):
    """A directory record (ECMA-119 9.1) of even length, pad bytes of system use area."""
    length = 33 + len(name)
    length += length % 2 + pad
    out = bytearray(length)
    out[0], out[1] = length, xar
    out[2:10], out[10:18] = both32(extent), both32(size)
    out[25], out[28:32], out[32] = flags, b'\x01\x00\x00\x01', len(name)
    out[33:33 + len(name)] = name
    return bytes(out)


def make_base(work, big=False):
    """A valid image: Setup.ini, Dusmara (setup.exe, a folder Data, and names
    filling two blocks of Joliet records). big: setup.exe is three blocks
    of 'A', 'B' and 'C' for the tests of pieces."""
    disc = os.path.join(work, 'base')
    os.makedirs(os.path.join(disc, 'Dusmara', 'Data'))
    files = {'Setup.ini': b'[Settings]\r\n', 'Dusmara/Data/readme.txt': b'data',
             'Dusmara/setup.exe': b'A' * BLOCK + b'B' * BLOCK + b'C' * 100 if big else b'MZ'}
    files.update(('Dusmara/' + name, b'') for name in JOLIET_FILES)
    for name, data in files.items():
        with open(os.path.join(disc, name), 'wb') as f:
            f.write(data)
    path = os.path.join(work, 'base.iso')
    subprocess.run(['xorriso', '-as', 'mkisofs', '--norock', '-J', '-o', path, disc], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(path, 'rb') as f:
        return Iso(f.read())


class Iso:
    """An image's bytes and the records of its two trees, found by path."""

    def __init__(self, data):
        self.data = bytearray(data)

    def descriptor(self, tree):
        n = 16
        while self.data[n * BLOCK + 1:n * BLOCK + 6] == b'CD001' and self.data[n * BLOCK] != 255:
            kind = self.data[n * BLOCK]
            if (tree == 'iso9660' and kind == 1) or (tree == 'joliet' and kind == 2 and
                                                      self.data[n * BLOCK + 88:n * BLOCK + 90] == b'%/'):
                return n
            n += 1
        raise KeyError(tree)

    def u32(self, at):
        return struct.unpack_from('<I', self.data, at)[0]

    def start(self, at):
        """The first data block of the record at byte at."""
        return self.u32(at + 2) + self.data[at + 1]

    def root(self, tree):
        return self.start(self.descriptor(tree) * BLOCK + 156)

    def records(self, block):
        """(byte offset, name) of each record of the folder at block, sized by its '.'."""
        at, found = block * BLOCK, []
        end = at + -(-self.u32(at + 10) // BLOCK) * BLOCK
        while at < end:
            if self.data[at] == 0:
                at = (at // BLOCK + 1) * BLOCK
                continue
            found.append((at, bytes(self.data[at + 33:at + 33 + self.data[at + 32]])))
            at += self.data[at]
        return found

    def find(self, tree, path):
        """The byte offset of the record at path, names as listed; of the
        folder's own record ('.') when path ends in '/'."""
        block, at = self.root(tree), None
        for part in [p for p in path.split('/') if p]:
            for at, name in self.records(block):
                shown = name.decode('utf-16-be' if tree == 'joliet' else 'latin-1', 'replace').split(';')[0]
                if (shown[:-1] if shown.endswith('.') else shown) == part:
                    block = self.start(at)
                    break
            else:
                raise KeyError(path)
        return block * BLOCK if path.endswith('/') or at is None else at

    def put(self, at, data):
        self.data[at:at + len(data)] = data

    def grow(self, blocks):
        """At least blocks long; the descriptors' volume size to match."""
        if len(self.data) < blocks * BLOCK:
            self.data.extend(bytes(blocks * BLOCK - len(self.data)))
        for tree in ('iso9660', 'joliet'):
            try:
                self.put(self.descriptor(tree) * BLOCK + 80, both32(len(self.data) // BLOCK))
            except KeyError:
                pass

    def write_folder(self, block, records):
        """Lays records out from block on, none across a block's end."""
        at = block * BLOCK
        for one in records:
            if at % BLOCK + len(one) > BLOCK:
                at = (at // BLOCK + 1) * BLOCK
            self.put(at, one)
            at += len(one)
        return at

    def short(self):
        return image_seed.short_form(bytes(self.data))


def loop(iso):
    # Dusmara\Data's Joliet record points back at Dusmara.
    iso.put(iso.find('joliet', 'Dusmara/Data') + 2, both32(iso.start(iso.find('joliet', 'Dusmara'))))


def folder_past_end(iso):
    iso.put(iso.find('iso9660', 'DUSMARA') + 2, both32(0xFFFFFF))


def folder_huge(iso):
    for at in (iso.find('iso9660', 'DUSMARA'), iso.records(iso.start(iso.find('iso9660', 'DUSMARA')))[0][0]):
        iso.put(at + 10, both32(0xFFFFF800))


def crosses_block(iso):
    # The root's records go on to the end of its block, the last across it.
    root = iso.root('iso9660')
    kept = [bytes(iso.data[at:at + iso.data[at]]) for at, _ in iso.records(root)]
    used = len(kept[0]) + len(kept[1])
    pads = []
    while used + 254 < BLOCK - 20:
        pads.append(record(b'PAD', 0, 0, ASSOCIATED, pad=254 - 36))
        used += 254
    pads.append(record(b'PAD', 0, 0, ASSOCIATED, pad=BLOCK - 20 - used - 36))
    iso.put(root * BLOCK, b''.join(kept[:2] + pads + kept[2:]))


def name_zero(iso):
    iso.data[iso.find('iso9660', 'SETUP.INI') + 32] = 0


def joliet_odd(iso):
    iso.data[iso.find('joliet', 'Setup.ini') + 32] -= 1


def too_deep(iso):
    # A chain of 256 folders below the root, each one block past the image.
    first = len(iso.data) // BLOCK
    iso.grow(first + 256)
    for n in range(256):
        block = first + n
        chain = [record(b'\0', block, BLOCK, FOLDER)]  # no '..': Windows does without
        if n < 255:
            chain.append(record(b'D', block + 1, BLOCK, FOLDER))
        iso.write_folder(block, chain)
    root = iso.root('iso9660')
    end = iso.records(root)[-1][0]
    iso.put(end + iso.data[end], record(b'D', first, BLOCK, FOLDER))


def two_joliet(iso):
    # A second Joliet descriptor over the terminator, its root Dusmara: Windows takes the first.
    first = iso.descriptor('joliet')
    second = bytearray(iso.data[first * BLOCK:(first + 1) * BLOCK])
    dusmara = iso.find('joliet', 'Dusmara')
    second[156 + 2:156 + 10] = both32(iso.start(dusmara))
    second[156 + 10:156 + 18] = iso.data[dusmara + 10:dusmara + 18]
    assert iso.data[(first + 1) * BLOCK] == 255
    iso.put((first + 1) * BLOCK, second)


def with_xar(iso):
    # The root and Setup.ini each behind an extended attribute record of one block.
    for at in (iso.descriptor('iso9660') * BLOCK + 156, iso.find('iso9660', 'SETUP.INI')):
        start = iso.start(at)
        iso.put(at + 1, bytes([1]) + both32(start - 1))


def dot_lies(iso):
    # Joliet Dusmara: its '.' says one block where there are two, its parent two.
    # ISO 9660 DUSMARA: its parent says nothing, its '.' one block.
    dot = iso.find('joliet', 'Dusmara/')
    iso.put(dot + 10, both32(BLOCK))
    iso.put(iso.find('iso9660', 'DUSMARA') + 10, both32(0))


def no_dot(iso):
    iso.data[iso.find('iso9660', 'DUSMARA/') + 33] = ord('A')


def block_size(tree, size):
    def patch(iso):
        iso.put(iso.descriptor(tree) * BLOCK + 128, struct.pack('<H', size) + struct.pack('>H', size))
    return patch


def no_joliet(patch):
    def both(iso):
        iso.data[iso.descriptor('joliet') * BLOCK + 88] = 0  # no longer a Joliet escape
        patch(iso)
    return both


def file_past_end(iso):
    iso.put(iso.find('iso9660', 'SETUP.INI') + 2, both32(0x7FFFFFFF))


def missing_piece(iso):
    root = iso.root('iso9660')
    iso.data[iso.records(root)[-1][0] + 25] |= MORE


def overlapping(iso):
    # 64 folders one block apart, each claiming 8 MiB: read whole, each
    # would read the same blocks again.
    first = len(iso.data) // BLOCK
    iso.grow(first + 64 + 4096)
    root = iso.root('iso9660')
    names = [record(b'F%02d' % n, first + n, BLOCK, FOLDER) for n in range(64)]
    for n in range(64):
        iso.write_folder(first + n, [record(b'\0', first + n, 8 << 20, FOLDER)])
    kept = [bytes(iso.data[at:at + iso.data[at]]) for at, _ in iso.records(root)]
    new_root = first + 64 + 4090
    end = iso.write_folder(new_root, kept + names)
    size = -(-(end - new_root * BLOCK) // BLOCK) * BLOCK
    iso.put(new_root * BLOCK + 2, both32(new_root) + both32(size))
    iso.put(iso.descriptor('iso9660') * BLOCK + 156 + 2, both32(new_root) + both32(size))


def control_name(iso):
    # Joliet Dusmara\\Data named "D\\nta" (kept: Windows refuses such a name,
    # the consumer says so), its folder damaged: the message stays one line.
    at = iso.find('joliet', 'Dusmara/Data')
    iso.put(iso.start(at) * BLOCK + 33, b'A')
    iso.put(at + 33 + 2, '\n'.encode('utf-16-be'))


def empty_name(name):
    def patch(iso):
        at = iso.find('iso9660', 'SETUP.INI')
        iso.data[at + 32] = len(name)
        iso.put(at + 33, name)
    return patch


# name: the patch.
HOSTILE = {
    'loop': loop,
    'folder-past-end': folder_past_end,
    'folder-huge': folder_huge,
    'record-crosses-block': crosses_block,
    'name-length-zero': name_zero,
    'joliet-name-odd': joliet_odd,
    'depth-256': too_deep,
    'two-joliet': two_joliet,
    'root-with-xar': with_xar,
    'dot-size-lies': dot_lies,
    'no-dot-record': no_dot,
    'block-size-4096': no_joliet(block_size('iso9660', 4096)),
    'joliet-block-size-4096': block_size('joliet', 4096),
    'primary-block-size-4096': block_size('iso9660', 4096),
    'file-past-end': file_past_end,
    'missing-piece': missing_piece,
    'overlapping-folders': overlapping,
    'name-only-version': empty_name(b';1'),
    'name-only-dot': empty_name(b'.;1'),
    'control-character-name': control_name,
}


def main(names):
    with tempfile.TemporaryDirectory() as work:
        base = make_base(work)
        for name, patch in HOSTILE.items():
            if names and name not in names:
                continue
            iso = Iso(base.data)
            patch(iso)
            with open(os.path.join(HERE, name + '.short'), 'wb') as f:
                f.write(iso.short())


if __name__ == '__main__':
    main(sys.argv[1:])
