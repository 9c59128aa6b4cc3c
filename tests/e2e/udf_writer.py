"""A small UDF image writer for the disc reader's test: the layouts Debian's
tools cannot master with files in them (mkudffs makes empty images only,
and no metadata partition at all). Trusted only through the readers we did
not write: the test holds libudfread and 7-Zip to the images they open
(physical and metadata partitions) and the sparable and virtual layouts to
the physical image of the same files.

    write_udf(path, files, revision='2.50', layout='metadata', ad='short', efe=True)

files: a list of dicts with 'path' ('/A/b.txt') and either 'data' (bytes)
or 'folder': True; optional 'hidden', 'pieces' (the data split into that
many extents, not side by side), 'continued' (the descriptors in an
allocation extent descriptor), 'hole' (a not-recorded extent of zeros of
that many blocks after the first block), 'inline' (the data inside the
entry), 'link' (the path of a file this name is a hard link to),
'deleted' (a deleted identifier of this name before the real one),
'rewritten' (ICB strategy 4096: an entry of 3 stale bytes, then an
indirect entry to the file's own).
layout: 'physical', 'sparable' (a packet of the partition moved by the
sparing table, garbage left at its place), 'metadata' (2.50 on: the
entries and folders in a metadata file of two extents, and its mirror),
'vat' (entries and folders in a virtual partition listed by a VAT in the
image's last block). split: the metadata file in two extents. ad: 'short', 'long' or 'inicb' (folders inside their
entry when they fit).
"""
import struct

B = 2048
PART = 288  # the partition's first block


def crc(data):
    value = 0
    for byte in data:
        value ^= byte << 8
        for _ in range(8):
            value = ((value << 1) ^ 0x1021) if value & 0x8000 else value << 1
            value &= 0xFFFF
    return value


def tag(body, ident, location, version):
    """body: the descriptor after its 16-byte tag."""
    head = struct.pack('<HHBBHHHI', ident, version, 0, 0, 1, crc(body), len(body), location)
    checksum = sum(head[:4] + head[5:]) & 0xFF
    return head[:4] + bytes([checksum]) + head[5:] + body


def retag(descriptor):
    """The tag's checksum and CRC made right again after descriptor was patched."""
    cb = struct.unpack_from('<H', descriptor, 10)[0]
    descriptor = bytearray(descriptor)
    struct.pack_into('<H', descriptor, 8, crc(bytes(descriptor[16:16 + cb])))
    descriptor[4] = 0
    descriptor[4] = (sum(descriptor[:16]) - descriptor[4]) & 0xFF
    return bytes(descriptor)


def regid(name, suffix=b''):
    return b'\0' + name.encode().ljust(23, b'\0') + suffix.ljust(8, b'\0')


def udf_suffix(revision):
    return struct.pack('<HBB', revision, 0, 0)


def dstring(text, size):
    body = b'\x08' + text.encode('latin-1')
    return body.ljust(size - 1, b'\0') + bytes([len(body)])


def name_bytes(name):
    if all(ord(ch) < 256 for ch in name):
        return b'\x08' + name.encode('latin-1')
    return b'\x10' + name.encode('utf-16-be')


CHARSPEC = b'\0' + b'OSTA Compressed Unicode'.ljust(63, b'\0')
STAMP = struct.pack('<HhBBBBBBBB', 0x1000, 2024, 5, 17, 12, 0, 0, 0, 0, 0)[:12]


def long_ad(length, block, ref, use=b''):
    return struct.pack('<IIH', length, block, ref) + use.ljust(6, b'\0')


class _Node:
    def __init__(self, name, parent, given):
        self.name, self.parent, self.given = name, parent, given
        self.children = []
        self.folder = given.get('folder', False)
        self.data = given.get('data', b'')


class _Writer:
    def __init__(self, files, revision, layout, ad, efe, data_start, split=False):
        self.split = split
        self.revision, self.layout, self.ad = revision, layout, ad
        self.efe = efe and revision >= 0x200
        self.version = 3 if revision >= 0x200 else 2
        self.blocks = {}  # image block -> bytes
        self.root = _Node('', None, {'folder': True})
        self.root.parent = self.root
        self.nodes = {'': self.root}
        for given in files:
            parent_path, _, name = given['path'].rstrip('/').rpartition('/')
            node = _Node(name, self.nodes[parent_path.lstrip('/')], given)
            node.parent.children.append(node)
            self.nodes[given['path'].strip('/')] = node
        self.meta_ref = 1 if layout in ('metadata', 'vat') else 0
        # Meta blocks (entries, folders, the file set): in the metadata or
        # virtual partition, or blocks 0 on of the physical one.
        self.meta = []
        self.data_next = data_start  # physical partition blocks for file data, from here on

    # -- allocation ------------------------------------------------------
    def meta_block(self):
        self.meta.append(b'')
        return len(self.meta) - 1

    def data_blocks(self, count, gap=0):
        start = self.data_next + gap
        self.data_next = start + count
        return start

    # -- entries ---------------------------------------------------------
    def entry(self, block, file_type, size, ads, ad_kind, links, unique, inline=None, strategy=4):
        """A file entry (or extended one) at meta block, its descriptors ads
        (bytes) or its data inline."""
        flags = 3 if inline is not None else ad_kind
        body_ads = inline if inline is not None else ads
        icb = struct.pack('<IHHHBB', 0, strategy, 0, 1 if strategy == 4 else 2, 0, file_type) + b'\0' * 6 + struct.pack('<H', flags)
        recorded = 0 if inline is not None else (size + B - 1) // B
        impl = regid('*discfs test writer')
        if self.efe:
            body = icb + struct.pack('<IIIHBBIQQQ', 0xFFFFFFFF, 0xFFFFFFFF, 0x14A5, links, 0, 0, 0, size, size,
                                     recorded)
            body += STAMP * 4 + struct.pack('<II', 1, 0) + b'\0' * 32 + impl + struct.pack('<QII', unique, 0,
                                                                                              len(body_ads))
            ident = 266
        else:
            body = icb + struct.pack('<IIIHBBIQQ', 0xFFFFFFFF, 0xFFFFFFFF, 0x14A5, links, 0, 0, 0, size, recorded)
            body += STAMP * 3 + struct.pack('<I', 1) + b'\0' * 16 + impl + struct.pack('<QII', unique, 0, len(body_ads))
            ident = 261
        return ident, body + body_ads

    def fixed(self):
        return 216 if self.efe else 176

    def alloc(self, kind, length, block, ref, ext_type=0):
        word = (ext_type << 30) | length
        if kind == 0:
            return struct.pack('<II', word, block)
        return long_ad(word, block, ref)

    # -- the tree --------------------------------------------------------
    def plan(self):
        """Meta blocks for every entry and folder; data blocks for files."""
        self.fsd = self.meta_block()
        self.meta_block()  # the terminating descriptor after it
        unique = [16]
        order = [self.root]
        for node in order:
            if node.given.get('link'):
                continue
            node.fe = self.meta_block()
            if node.given.get('rewritten'):
                # Strategy 4096: the first entry, the indirect entry after it,
                # the entry it names (the file's own).
                self.meta_block()
                node.fe_first, node.fe = node.fe, self.meta_block()
            node.unique = 0 if node is self.root else unique[0]
            unique[0] += 1
            order.extend(node.children)
        for node in order:
            if node.given.get('link'):
                target = self.nodes[node.given['link'].strip('/')]
                node.fe, node.unique = target.fe, target.unique
                node.fe_first = getattr(target, 'fe_first', target.fe)

    def fids(self, node, first_block):
        """The folder's identifiers as recorded from meta block first_block
        (the tag locations depend on where each one starts)."""
        out = b''
        entries = [(0x0A, b'', node.parent)]
        for child in node.children:
            chars = (0x02 if child.folder else 0) | (0x01 if child.given.get('hidden') else 0)
            if child.given.get('deleted'):
                entries.append((0x04 | chars, b'\xfe' + name_bytes(child.name)[1:], child))
            entries.append((chars, name_bytes(child.name), child))
        for chars, name, target in entries:
            use = struct.pack('<HI', 0, target.unique & 0xFFFFFFFF)
            body = struct.pack('<HBB', 1, chars, len(name)) + long_ad(B, getattr(target, 'fe_first', target.fe), self.meta_ref, use)
            body += struct.pack('<H', 0) + name
            body += b'\0' * ((4 - (16 + len(body)) % 4) % 4)
            # A folder inside its entry: the entry's block; else the block
            # the identifier starts in.
            location = node.fe if first_block is None else first_block + len(out) // B
            out += tag(body, 257, location, self.version)
        return out

    def write_folder(self, node):
        links = 1 + sum(1 for child in node.children if child.folder)
        size = len(self.fids(node, 0))
        if self.ad == 'inicb' and self.fixed() + size <= B:
            self.meta[node.fe] = self.entry(node.fe, 4, size, None, 0, links, node.unique,
                                            inline=self.fids(node, None))
            return
        count = (size + B - 1) // B
        first = len(self.meta)
        for _ in range(count):
            self.meta_block()
        data = self.fids(node, first).ljust(count * B, b'\0')
        for i in range(count):
            self.meta[first + i] = ('raw', data[i * B:(i + 1) * B])
        kind = 1 if self.ad == 'long' else 0
        ads = self.alloc(kind, size, first, self.meta_ref)
        self.meta[node.fe] = self.entry(node.fe, 4, size, ads, kind, links, node.unique)

    def write_file(self, node, links):
        data, given = node.data, node.given
        if given.get('inline'):
            self.meta[node.fe] = self.entry(node.fe, 5, len(data), None, 0, links, node.unique, inline=data)
            return
        # File data is in the physical partition: long descriptors to it
        # unless the entries are there too.
        kind = 0 if (self.meta_ref == 0 and self.ad == 'short') else 1
        count = (len(data) + B - 1) // B
        pieces = max(1, min(given.get('pieces', 1), count))
        ads, at = b'', 0
        for i in range(pieces):
            blocks = count // pieces + (1 if i < count % pieces else 0)
            if given.get('hole') and i == 0 and blocks > 1:
                # One recorded block, then a hole of zeros, then the rest.
                hole = given['hole']
                block = self.data_blocks(1)
                self.put_data(block, data[at:at + B])
                ads += self.alloc(kind, B, block, 0)
                ads += self.alloc(kind, hole * B, 0, 0, ext_type=2)
                at += B + hole * B
                blocks -= 1 + hole
            length = min(blocks * B, len(data) - at)
            if length <= 0:
                continue
            block = self.data_blocks(blocks, gap=3 if i else 0)
            self.put_data(block, data[at:at + length])
            ads += self.alloc(kind, length, block, 0)
            at += length
        if given.get('continued'):
            aed = self.meta_block()
            body = struct.pack('<II', 0, len(ads)) + ads
            self.meta[aed] = ('tagged', 258, body)
            ads = self.alloc(1 if kind else 0, len(body) + 16, aed, self.meta_ref, ext_type=3)
            kind = 1 if kind else 0
        if given.get('rewritten'):
            self.meta[node.fe_first] = self.entry(node.fe_first, 5, 3, None, 0, links, node.unique, inline=b'old',
                                                  strategy=4096)
            self.meta[node.fe_first + 1] = ('tagged', 259, struct.pack('<IHHHBB', 0, 4096, 0, 2, 0, 3) + b'\0' * 8
                                            + long_ad(B, node.fe, self.meta_ref))
            self.meta[node.fe] = self.entry(node.fe, 5, len(data), ads, kind, links, node.unique, strategy=4096)
            return
        self.meta[node.fe] = self.entry(node.fe, 5, len(data), ads, kind, links, node.unique)

    def put_data(self, block, data):
        for i in range(0, len(data), B):
            self.data[block + i // B] = data[i:i + B]

    def build(self):
        self.data = {}  # physical partition block -> bytes
        self.plan()
        count = {}
        for node in self.nodes.values():
            if node is not self.root:
                key = id(self.nodes[node.given['link'].strip('/')]) if node.given.get('link') else id(node)
                count[key] = count.get(key, 0) + 1
        for node in list(self.nodes.values()):
            if node.given.get('link'):
                continue
            if node.folder:
                self.write_folder(node)
            else:
                self.write_file(node, count.get(id(node), 1))
        root = long_ad(B, self.root.fe, self.meta_ref)
        fsd = STAMP + struct.pack('<HHIIII', 3, 3, 1, 1, 0, 0) + CHARSPEC + dstring('DISCFS', 128) + CHARSPEC
        fsd += dstring('DISCFS', 32) + b'\0' * 64 + root + regid('*OSTA UDF Compliant', udf_suffix(self.revision))
        fsd += b'\0' * 64
        self.meta[self.fsd] = ('tagged', 256, fsd)
        self.meta[self.fsd + 1] = ('tagged', 8, b'\0' * 496)
        return self.layout_meta()

    def meta_bytes(self, number, location):
        item = self.meta[number]
        if item[0] == 'raw':
            return item[1]
        if item[0] == 'tagged':
            return tag(item[2], item[1], location, self.version)
        return tag(item[1], item[0], location, self.version)

    def layout_meta(self):
        """Places the meta blocks in the physical partition; returns the
        partition maps and the blocks."""
        count = len(self.meta)
        start = self.data_next + 8
        if self.layout == 'metadata':
            # The metadata file in one extent (libudfread reads no other),
            # or in two, the second before the first.
            half = count // 2 if self.split else count
            second, first = start, start + (count - half) + 4
            places = [first + i if i < half else second + i - half for i in range(count)]
            mirror_first = first + half + 4
            mirror = [mirror_first + i for i in range(count)]
            for i in range(count):
                self.data[places[i]] = self.meta_bytes(i, i)
                self.data[mirror[i]] = self.data[places[i]]
            ads = self.alloc(0, half * B, first, 0)
            if count > half:
                ads += self.alloc(0, (count - half) * B, second, 0)
            files = mirror_first + count + 2
            # The metadata files are extended file entries whatever the others are.
            self.efe, efe = True, self.efe
            for number, file_type, ad_bytes in ((files, 250, ads), (files + 1, 251, self.alloc(0, count * B, mirror_first, 0))):
                ident, body = self.entry(number, file_type, count * B, ad_bytes, 0, 1, 0)
                self.data[number] = tag(body, ident, number, self.version)
            self.efe = efe
            maps = struct.pack('<BBHH', 1, 6, 1, 0)
            maps += struct.pack('<BBH', 2, 64, 0) + regid('*UDF Metadata Partition', udf_suffix(self.revision))
            maps += struct.pack('<HHIIIIHB', 1, 0, files, files + 1, 0xFFFFFFFF, 32, 1, 0) + b'\0' * 5
            self.end = files + 2
        elif self.layout == 'vat':
            # Virtual blocks placed backwards after the data, the VAT last.
            places = [start + count - 1 - i for i in range(count)]
            for i in range(count):
                self.data[places[i]] = self.meta_bytes(i, i)
            entries = b''.join(struct.pack('<I', place) for place in places)
            if self.revision >= 0x200:
                vat = struct.pack('<HH', 152, 0) + dstring('DISCFS', 128) + struct.pack('<IIIHHHH', 0xFFFFFFFF, 0, 0,
                                                                                        self.revision, self.revision,
                                                                                        self.revision, 0) + entries
                file_type = 248
            else:
                vat = entries + regid('*UDF Virtual Alloc Tbl', udf_suffix(self.revision)) + struct.pack('<I', 0xFFFFFFFF)
                file_type = 0
            vat_block = start + count + 2
            ident, body = self.entry(vat_block, file_type, len(vat), None, 0, 1, 0, inline=vat)
            self.data[vat_block] = tag(body, ident, vat_block, self.version)
            maps = struct.pack('<BBHH', 1, 6, 1, 0)
            maps += struct.pack('<BBH', 2, 64, 0) + regid('*UDF Virtual Partition', udf_suffix(self.revision))
            maps += struct.pack('<HH', 1, 0) + b'\0' * 24
            self.end = vat_block + 1
        else:
            for i in range(count):
                self.data[i] = self.meta_bytes(i, i)
            maps = struct.pack('<BBHH', 1, 6, 1, 0)
            self.end = max(self.data) + 1
            if self.layout == 'sparable':
                maps = struct.pack('<BBH', 2, 64, 0) + regid('*UDF Sparable Partition', udf_suffix(self.revision))
                maps += struct.pack('<HHHBBII', 1, 0, 32, 1, 0, 56 + 8, 260) + b'\0' * 12
        return maps

    def image(self, maps):
        """Everything around the partition, as bytes."""
        # An incremental disc ends with its VAT; a closed one with an anchor.
        part_len = self.end if self.layout == 'vat' else (self.end + 64) // 32 * 32
        total = PART + part_len + (0 if self.layout == 'vat' else 257)
        out = bytearray(total * B)

        def put(block, data):
            out[block * B:block * B + len(data)] = data

        nsr = b'NSR03' if self.revision >= 0x200 else b'NSR02'
        for i, ident in enumerate((b'BEA01', nsr, b'TEA01')):
            put(16 + i, b'\0' + ident + b'\x01')
        for number, block in self.data.items():
            put(PART + number, block)
        if self.layout == 'sparable':
            # The packet holding the file set (block 0) moves past the partition.
            packet = 0
            spare = PART + part_len
            for i in range(32):
                out[(spare + i) * B:(spare + i + 1) * B] = out[(PART + packet + i) * B:(PART + packet + i + 1) * B]
                out[(PART + packet + i) * B:(PART + packet + i + 1) * B] = b'\xA5' * B
            table = regid('*UDF Sparing Table', udf_suffix(self.revision)) + struct.pack('<HHI', 1, 0, 1)
            table += struct.pack('<II', packet, spare)
            put(260, tag(table, 0, 260, self.version))
        lvd_fsd = long_ad(B, 0, self.meta_ref)
        for start in (32, 48):
            seq = [
                (1, struct.pack('<II', 1, 0) + dstring('DISCFS', 32) + struct.pack('<HHHHII', 1, 1, 2, 3, 1, 1)
                 + dstring('DISCFS', 128) + CHARSPEC + CHARSPEC + b'\0' * 16 + regid('') + STAMP
                 + regid('*discfs test writer') + b'\0' * 64 + struct.pack('<IH', 0, 1) + b'\0' * 22),
                (5, struct.pack('<IHH', 2, 1, 0) + regid('+' + nsr.decode()) + b'\0' * 128
                 + struct.pack('<III', 1, PART, part_len) + regid('*discfs test writer') + b'\0' * 128 + b'\0' * 156),
                (6, struct.pack('<I', 3) + CHARSPEC + dstring('DISCFS', 128) + struct.pack('<I', B)
                 + regid('*OSTA UDF Compliant', udf_suffix(self.revision)) + lvd_fsd
                 + struct.pack('<II', len(maps), 1 if len(maps) in (6, 64) else 2)
                 + regid('*discfs test writer') + b'\0' * 128 + struct.pack('<II', 0, 0) + maps),
                (7, struct.pack('<II', 4, 0)),
                (8, b'\0' * 496),
            ]
            for i, (ident, body) in enumerate(seq):
                put(start + i, tag(body, ident, start + i, self.version))
        anchor = struct.pack('<IIII', 16 * B, 32, 16 * B, 48) + b'\0' * 480
        put(256, tag(anchor, 2, 256, self.version))
        if self.layout != 'vat':
            put(total - 1, tag(anchor, 2, total - 1, self.version))
        return bytes(out[:total * B])


def build_udf(files, revision='2.50', layout='metadata', ad='short', efe=True, split=False):
    """The image's bytes and the writer, whose nodes tell where each entry
    went (node.fe: its meta block), for crafting damaged images."""
    number = int(revision.replace('.', ''), 16)
    writer = _Writer(files, number, layout, ad, efe, 64, split)
    maps = writer.build()
    if layout in ('physical', 'sparable'):
        # The data after the meta blocks, now that their number is known.
        writer = _Writer(files, number, layout, ad, efe, len(writer.meta) + 8, split)
        maps = writer.build()
    return writer.image(maps), writer


def write_udf(path, files, revision='2.50', layout='metadata', ad='short', efe=True, split=False):
    data, _ = build_udf(files, revision, layout, ad, efe, split)
    with open(path, 'wb') as f:
        f.write(data)
    return path
