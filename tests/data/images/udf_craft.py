"""Damaged UDF images for discfs's test (tests/e2e/test_discfs_udf.py), one
fault each, made from valid images of the test's writer by patching their
bytes; each descriptor patched is re-checksummed with its CRC recomputed,
so that the fault is the one named.

    /usr/bin/python3 tests/data/images/udf_craft.py [NAME...]   writes the udf-*.short images here

The images are kept in the short form of tests/fuzz/image_seed.py.
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'fuzz'))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'e2e'))
import image_seed  # noqa: E402
import udf_writer  # noqa: E402
from udf_writer import B, PART, retag  # noqa: E402

# The tree every damaged image starts from; the test reads the images that
# must still be read against it.
FILES = [
    {'path': '/Setup.ini', 'data': b'[Settings]\r\nSetupPath=A\\b.exe\r\n'},
    {'path': '/A', 'folder': True},
    {'path': '/A/b.exe', 'data': bytes(range(256)) * 24, 'pieces': 2, 'continued': True},
    {'path': '/A/C', 'folder': True},
    {'path': '/A/C/readme.txt', 'data': b'readme\r\n' * 256},
]


def base(layout='physical', revision='2.01', files=FILES):
    data, writer = udf_writer.build_udf(files, revision, layout, 'short', efe=False)
    return bytearray(data), writer


def block_of(writer, path):
    """The image block of the entry of path (physical layout)."""
    return PART + writer.nodes[path.strip('/')].fe


def patch_descriptor(data, block, offset, values, crc_length=None):
    """Packs values ((format, field offset, value), ...) into the descriptor
    at byte offset of image block, then re-tags it."""
    at = block * B + offset
    descriptor = bytearray(data[at:at + B - offset])
    for fmt, field, value in values:
        struct.pack_into(fmt, descriptor, field, value)
    if crc_length is not None:
        struct.pack_into('<H', descriptor, 10, crc_length)
    data[at:at + B - offset] = retag(bytes(descriptor))


def folder_fids(data, writer, path):
    """(offset in the image, name) of each identifier of the folder at path,
    recorded in one block after its entry's (short descriptors)."""
    fe = block_of(writer, path)
    length, position = struct.unpack_from('<II', data, fe * B + 176)
    at, end, out = (PART + position) * B, (PART + position) * B + length, []
    while at < end:
        name_length, use_length = data[at + 19], struct.unpack_from('<H', data, at + 36)[0]
        out.append((at, bytes(data[at + 38 + use_length:at + 38 + use_length + name_length])))
        at += (38 + use_length + name_length + 3) // 4 * 4
    return out


def fid_of(data, writer, folder, name):
    for at, recorded in folder_fids(data, writer, folder):
        if recorded[1:] == name.encode():
            return at
    raise KeyError(name)


def retag_at(data, at, crc_length):
    descriptor = bytearray(data[at:at + 16 + crc_length])
    data[at:at + 16 + crc_length] = retag(bytes(descriptor))


def folder_loop():
    # /A/C's identifier names /A's entry: the folders loop.
    data, writer = base()
    at = fid_of(data, writer, '/A', 'C')
    struct.pack_into('<I', data, at + 24, writer.nodes['A'].fe)
    retag_at(data, at, struct.unpack_from('<H', data, at + 10)[0])
    return data


def extent_loop():
    # b.exe's allocation extent ends in a continuation to itself, the file
    # claiming more than its extents hold.
    data, writer = base()
    fe = block_of(writer, '/A/b.exe')
    length, position = struct.unpack_from('<II', data, fe * B + 176)
    aed = PART + position
    count = struct.unpack_from('<I', data, aed * B + 20)[0]
    struct.pack_into('<II', data, aed * B + 24 + count, (3 << 30) | 40, position)
    patch_descriptor(data, aed, 0, [('<I', 20, count + 8)], crc_length=8 + count + 8)
    patch_descriptor(data, fe, 0, [('<Q', 56, 1 << 40)])
    return data


def entry_lengths():
    # b.exe's entry claims allocation descriptors past its block.
    data, writer = base()
    patch_descriptor(data, block_of(writer, '/A/b.exe'), 0, [('<I', 172, 4000)])
    return data


def huge_length():
    # readme.txt's entry claims 2^64 - 1 bytes, its one extent 2048.
    data, writer = base()
    patch_descriptor(data, block_of(writer, '/A/C/readme.txt'), 0, [('<Q', 56, (1 << 64) - 1)])
    return data


def folder_huge():
    # /A claims 9 MiB of identifiers in one extent.
    data, writer = base()
    size = 9 * 1024 * 1024
    patch_descriptor(data, block_of(writer, '/A'), 0, [('<Q', 56, size), ('<I', 176, size)])
    return data


def name_past_folder():
    # The last identifier of /A claims a 255-byte name, past the folder's end.
    data, writer = base()
    at = folder_fids(data, writer, '/A')[-1][0]
    data[at + 19] = 255
    retag_at(data, at, struct.unpack_from('<H', data, at + 10)[0])
    return data


def lvd_checksum(both):
    # The main sequence's logical volume descriptor has a bad tag checksum
    # (and, with both, the reserve one's too).
    data, _ = base()
    for block in (34, 50) if both else (34,):
        data[block * B + 4] ^= 0x55
    return data


def sparing_garbage():
    # The sparing table's entry moves a packet that does not start on a
    # packet's boundary.
    data, _ = base('sparable')
    patch_descriptor(data, 260, 0, [('<I', 56, 5)])
    return data


def metadata_past_end(both):
    # The metadata file's extent (and, with both, the mirror's) lies past
    # the image's end, inside a partition that claims to go on.
    data, _ = base('metadata', '2.50')
    for block in (32 + 1, 48 + 1):  # the partition descriptors: a longer partition
        patch_descriptor(data, block, 0, [('<I', 192, 0x00F00000)])
    last = len(data) // B
    files = [block for block in range(PART, last) if struct.unpack_from('<H', data, block * B)[0] == 266
             and data[block * B + 27] in (250, 251)]
    for block in files if both else files[:1]:
        patch_descriptor(data, block, 0, [('<I', 216 + 4, 0x00E00000)])
    return data


def vat(missing):
    # A disc written in increments, its virtual partition listed by the
    # VAT in its last block (missing: that block left unrecorded).
    data, _ = base('vat', '2.01')
    if missing:
        data[-B:] = b'\0' * B
    return data


def depth():
    # 256 folders one in another.
    files = [{'path': '/' + '/'.join(['d'] * n), 'folder': True} for n in range(1, 258)]
    data, _ = udf_writer.build_udf(files, '2.01', 'physical', 'inicb', efe=False)
    return data


IMAGES = {
    'udf-folder-loop': folder_loop,
    'udf-extent-loop': extent_loop,
    'udf-entry-lengths': entry_lengths,
    'udf-huge-length': huge_length,
    'udf-folder-huge': folder_huge,
    'udf-name-past-folder': name_past_folder,
    'udf-lvd-checksum': lambda: lvd_checksum(False),
    'udf-lvd-checksum-both': lambda: lvd_checksum(True),
    'udf-sparing-garbage': sparing_garbage,
    'udf-metadata-past-end': lambda: metadata_past_end(False),
    'udf-metadata-both-past-end': lambda: metadata_past_end(True),
    'udf-vat': lambda: vat(False),
    'udf-vat-missing': lambda: vat(True),
    'udf-depth-257': depth,
}


def main(names):
    for name in names or sorted(IMAGES):
        with open(os.path.join(HERE, name + '.short'), 'wb') as f:
            f.write(image_seed.short_form(bytes(IMAGES[name]())))


if __name__ == '__main__':
    main(sys.argv[1:])
