"""discfs's UDF tree (through fsdump) held to readers we did not write,
libudfread (udfread_list) and 7-Zip, name by name, size by size and byte by
byte, over images mastered at run time: genisoimage's UDF bridge, pycdlib's
1.02 and the same patched to 2.01, 2.50 and 2.60, mkudffs's empty images of
every media type and revision it takes, and the test's own writer for the
layouts those tools master with no files (metadata, sparable and virtual
partitions), the writer trusted through the readers that open its images.
Then the damaged images of tests/data/images/udf-*.short: each refused with
one line, or read as it must be, in bounded time and memory.

FSDUMP and UDFREAD_LIST name the programs (CTest's disc_reader sets them);
run with Debian's /usr/bin/python3, which has pycdlib.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

import images

FSDUMP = os.environ.get('FSDUMP', '')
UDFREAD_LIST = os.environ.get('UDFREAD_LIST', '')
HOSTILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data', 'images')
B = 2048

# One tree for every mastering tool: nested folders, an empty one, an empty
# file, a file of many blocks, names past ASCII.
TREE = {
    'Setup.ini': b'[Settings]\r\nSetupPath=Corvan Lite\\setup.exe\r\n',
    'Corvan Lite/setup.exe': bytes(range(251)) * 1300,
    'Corvan Lite/enu/setup.exe': b'MZ enu',
    'Corvan Lite/enu/empty.txt': b'',
    'Caf\u00e9/\u65e5\u672c.txt': b'nihon',
    'empty/': None,
}

# The writer's tree: besides TREE's kinds, extents in pieces and continued
# in an allocation extent, a hole of zeros, bytes inside the entry, a hidden
# file, a hard link, a deleted identifier, a folder of many names whose
# identifiers cross from one block to the next.
HOLE = b'H' * B + b'\0' * (3 * B) + b'T' * 1000
WRITTEN = [
    {'path': '/Setup.ini', 'data': TREE['Setup.ini']},
    {'path': '/Corvan', 'folder': True},
    {'path': '/Corvan/setup.exe', 'data': bytes(range(256)) * 40, 'pieces': 3},
    {'path': '/Corvan/continued.bin', 'data': bytes(range(200)) * 60, 'pieces': 4, 'continued': True},
    {'path': '/Corvan/hole.bin', 'data': HOLE, 'hole': 3},
    {'path': '/Corvan/inside.txt', 'data': b'inside the entry', 'inline': True},
    {'path': '/Corvan/hidden.txt', 'data': b'hidden', 'hidden': True},
    {'path': '/Corvan/link.exe', 'link': '/Corvan/setup.exe'},
    {'path': '/Corvan/kept.txt', 'data': b'kept', 'deleted': True},
    {'path': '/\u65e5\u672c', 'folder': True},
    {'path': '/\u65e5\u672c/caf\u00e9.txt', 'data': b'cafe'},
    {'path': '/empty', 'folder': True},
    {'path': '/many', 'folder': True},
] + [{'path': '/many/name-%03d.txt' % n, 'data': b'%d' % n} for n in range(48)]


def written_tree(files):
    """What the writer's files list: path -> (folder, size, hidden), bytes."""
    listing, data = {}, {}
    for wanted in files:
        path = wanted['path'].strip('/')
        source = next(s for s in files if s['path'] == wanted['link']) if wanted.get('link') else wanted
        listing[path] = (bool(wanted.get('folder')), len(source.get('data', b'')), bool(wanted.get('hidden')))
        if not wanted.get('folder'):
            data[path] = source['data']
    return listing, data


def run(args, timeout=120):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)


def fsdump(path):
    """fsdump's UDF tree: (exit code, udf JSON or the error line)."""
    result = run([FSDUMP, path])
    if result.returncode:
        return result.returncode, result.stderr.decode(errors='replace')
    return 0, json.loads(result.stdout)['udf']


def ours(path):
    code, udf = fsdump(path)
    assert code == 0 and udf['read'], (path, udf)
    return {e['path']: (e['folder'], e.get('size', 0), e.get('hidden', False)) for e in udf['entries']}


def udfread(path):
    """libudfread's tree, path -> (folder, size), or None when it cannot open it."""
    result = run([UDFREAD_LIST, path])
    if result.returncode:
        return None
    listing = {}
    for line in result.stdout.decode().splitlines():
        kind, size, name = line.split(' ', 2)
        listing[name] = (kind == 'd', 0 if kind == 'd' else int(size))
    return listing


def sevenzip(path, folder):
    """7-Zip's tree, path -> (folder, size), extracted to folder, and the
    names it lists but cannot extract ("Unsupported Method": continued
    extents, extents not recorded); None when it cannot open the image."""
    listed = run(['7zz', 'l', '-slt', '-tudf', path])
    if listed.returncode:
        return None
    listing, entry = {}, {}
    for line in listed.stdout.decode().splitlines() + ['']:
        if ' = ' in line:
            key, _, value = line.partition(' = ')
            entry[key] = value
        elif 'Folder' in entry:
            listing[entry['Path']] = (entry['Folder'] == '+', 0 if entry['Folder'] == '+' else int(entry['Size']))
            entry = {}
        else:
            entry = {}
    extracted = run(['7zz', 'x', '-tudf', '-y', '-o' + folder, path])
    failed = set(re.findall(r'ERROR: Unsupported Method : (.*)', (extracted.stdout + extracted.stderr).decode()))
    return listing, failed


def our_bytes(path, name):
    result = run([FSDUMP, path, '--read', 'udf', name])
    assert result.returncode == 0, result.stderr
    return result.stdout


@unittest.skipUnless(FSDUMP and UDFREAD_LIST, 'FSDUMP and UDFREAD_LIST name the programs')
class UdfAgreementTest(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp()

    def tearDown(self):
        shutil.rmtree(self.work)

    def agree(self, image, readers, expected=None):
        """Our tree of image against each of readers ('udfread', '7zz': those
        that open it) and against expected (the writer's files)."""
        mine = ours(image)
        plain = {name: entry[:2] for name, entry in mine.items()}
        for reader in readers:
            folder = os.path.join(self.work, 'x-' + os.path.basename(image))
            theirs = udfread(image) if reader == 'udfread' else sevenzip(image, folder)
            self.assertIsNotNone(theirs, '%s opens %s' % (reader, image))
            theirs, failed = (theirs, set()) if reader == 'udfread' else theirs
            self.assertEqual(theirs, plain, reader)
            self.assertLessEqual(failed, {'Corvan/continued.bin', 'Corvan/hole.bin'})
            for name, (is_folder, _) in plain.items():
                if is_folder or name in failed or (name.startswith('many/') and not name.endswith('7.txt')):
                    continue
                if reader == 'udfread':
                    data = run([UDFREAD_LIST, image, '--read', name]).stdout
                else:
                    with open(os.path.join(folder, name), 'rb') as f:
                        data = f.read()
                self.assertEqual(our_bytes(image, name), data, '%s %s' % (reader, name))
        if expected is not None:
            listing, data = expected
            self.assertEqual(mine, listing)
            for name, content in data.items():
                if not name.startswith('many/') or name.endswith('7.txt'):
                    self.assertEqual(our_bytes(image, name), content, name)
        return mine

    def test_mastered(self):
        # genisoimage's bridge and pycdlib's 1.02, as the tools make them,
        # and pycdlib's patched to the later revisions.
        disc = os.path.join(self.work, 'disc')
        for name, data in TREE.items():
            os.makedirs(os.path.dirname(os.path.join(disc, name)) or disc, exist_ok=True)
            if data is not None:
                with open(os.path.join(disc, name), 'wb') as f:
                    f.write(data)
            else:
                os.makedirs(os.path.join(disc, name), exist_ok=True)
        bridge = images.make_image(disc, 'udf-bridge', os.path.join(self.work, 'bridge.iso'))
        pycdlib = images.make_pycdlib_image(
            os.path.join(self.work, 'pycdlib.iso'),
            [{'udf': '/' + name, 'data': data} for name, data in TREE.items() if data is not None],
            [{'udf': '/' + name.rstrip('/')} for name in ('Corvan Lite', 'Corvan Lite/enu', 'Caf\u00e9', 'empty/')])
        cases = [('bridge', bridge, '1.02'), ('pycdlib', pycdlib, '1.02')]
        for revision in ('2.01', '2.50', '2.60'):
            cases.append(('pycdlib ' + revision, images.make_udf_revision(
                pycdlib, os.path.join(self.work, 'pycdlib-%s.iso' % revision), revision), revision))
        for name, image, revision in cases:
            with self.subTest(name):
                self.assertEqual(fsdump(image)[1]['revision'], revision)
                tree = self.agree(image, ('udfread', '7zz'))
                self.assertEqual(set(tree), {n.rstrip('/') for n in TREE} | {'Corvan Lite', 'Corvan Lite/enu', 'Caf\u00e9'})

    def test_mkudffs(self):
        # Empty images of each media type and revision mkudffs takes (it
        # refuses revisions past 2.01 but for write-once media): the root
        # alone, through a VAT on CD-R, DVD-R and BD-R, a sparing table on
        # DVD-RW, entries of ICB strategy 4096; 512-byte blocks (hd) refused. libudfread and 7-Zip open
        # only some of them (neither a VAT, nor libudfread a sparing table).
        made = 0
        for media in ('dvd', 'dvdram', 'dvdrw', 'dvdr', 'cdr', 'cdrw', 'bdr', 'hd'):
            for revision in ('1.02', '1.50', '2.00', '2.01', '2.50', '2.60'):
                for options in ([], ['--ad=short'], ['--ad=long'], ['--spartable'], ['--strategy=4096']):
                    if options and media not in ('dvd', 'dvdrw', 'bdr', 'cdr'):
                        continue
                    path = os.path.join(self.work, 'mk.img')
                    if not images.make_mkudffs(path, media, revision, options):
                        continue
                    made += 1
                    with self.subTest(media=media, revision=revision, options=options):
                        code, udf = fsdump(path)
                        if media == 'hd':
                            self.assertEqual(code, 2)
                            self.assertIn('blocks of 512 bytes', udf)
                            continue
                        # 1.50 on rewritable media: the hidden file of the
                        # space not to allocate, listed as Windows would.
                        hidden = [{'path': 'Non-Allocatable Space', 'folder': False, 'size': 0, 'hidden': True}]
                        self.assertEqual((code, udf['read'], udf['revision']), (0, True, revision))
                        self.assertIn(udf['entries'], ([], hidden))
                        plain = {e['path']: (False, 0) for e in udf['entries']}
                        seven = sevenzip(path, os.path.join(self.work, 'x%d' % made))
                        for listing in (udfread(path), seven and seven[0]):
                            self.assertIn(listing, (None, plain))
                    os.remove(path)
        self.assertGreater(made, 30)

    def test_written(self):
        # The writer's layouts. Physical ones: both readers agree. Metadata
        # partitions: libudfread agrees (one extent: it reads no other); in
        # two extents, and sparable and virtual partitions, no reader we did
        # not write opens them: held to the writer's files, which the
        # readers vouch for in the layouts they open.
        expected = written_tree(WRITTEN)
        cases = []
        for ad in ('short', 'long', 'inicb'):
            for revision, efe in (('1.02', False), ('2.01', True), ('2.01', False)):
                cases.append((revision, 'physical', ad, efe, False, ('udfread', '7zz')))
            for revision in ('2.50', '2.60'):
                cases.append((revision, 'metadata', ad, True, False, ('udfread',)))
                cases.append((revision, 'metadata', ad, ad != 'long', True, ()))
            for revision in ('1.50', '2.01'):
                cases.append((revision, 'vat', ad, False, False, ()))
            cases.append(('2.01', 'sparable', ad, True, False, ()))
        # ICB strategy 4096: the entry an indirect entry names. libudfread
        # refuses the strategy; 7-Zip reads the first entry's stale bytes.
        rewritten = [{'path': '/a.txt', 'data': b'aaa'}, {'path': '/r.txt', 'data': b'the newer entry', 'rewritten': True},
                     {'path': '/l.txt', 'link': '/r.txt'}]
        for layout in ('physical', 'metadata'):
            with self.subTest(layout=layout, strategy=4096):
                image = images.make_udf_written(os.path.join(self.work, 'r.img'), rewritten, '2.50', layout)
                self.agree(image, (), written_tree(rewritten))
        for revision, layout, ad, efe, split, readers in cases:
            with self.subTest(revision=revision, layout=layout, ad=ad, efe=efe, split=split):
                image = images.make_udf_written(os.path.join(self.work, 'w.img'), WRITTEN, revision, layout, ad,
                                                efe, split)
                self.assertEqual(fsdump(image)[1]['revision'], revision)
                self.agree(image, readers, expected)


def bounded(args, seconds=60):
    """Runs args in bounded time and memory (its peak resident set; the
    address space too outside the sanitizers, which reserve terabytes):
    exit code, stdout, stderr."""
    with open(FSDUMP, 'rb') as f:
        sanitized = b'__asan_init' in f.read()
    code, out, err, peak = images.run_bounded(args, seconds, None if sanitized else 1 << 30)
    if peak > 512:
        raise AssertionError('%s took %d MiB' % (args, peak))
    return code, out, err


@unittest.skipUnless(FSDUMP, 'FSDUMP names fsdump')
class UdfHostileTest(unittest.TestCase):
    # name -> what fsdump must say: a refusal's line, or the tree read
    # ('read': the craft script's tree), or not read with its problem.
    EXPECTED = {
        'udf-folder-loop': r'the UDF folder \\A\\C names the file entry of \\A again \(a loop\)',
        'udf-extent-loop': r'file entry of \\A\\b.exe at block \d+ continues in an allocation extent met before \(a loop\)',
        'udf-entry-lengths': r'file entry of \\A\\b.exe at block \d+ has attributes or allocation descriptors past its end',
        'udf-huge-length': r'readme.txt at block \d+ has extents for 2048 of its 18446744073709551615 bytes',
        'udf-folder-huge': r'the UDF file entry of \\A at block \d+ is a folder of 9437184 bytes, more than 8388608',
        'udf-name-past-folder': r'the UDF folder \\A at block \d+ has a file identifier at byte \d+ that runs past',
        'udf-lvd-checksum': 'read',
        'udf-lvd-checksum-both': r'logical volume descriptor at block 34 .* bad tag checksum \(the reserve sequence: .*block 50',
        'udf-sparing-garbage': r'the UDF sparing table at block 260 has a damaged entry',
        'udf-metadata-past-end': 'read',
        'udf-metadata-both-past-end': r'metadata file at block \d+ has an extent past the image.s end',
        'udf-vat': 'read',
        'udf-vat-missing': ('not read', r'^a virtual partition \(VAT\) is not read: '),
        'udf-depth-257': r'the UDF folders nest deeper than 255 levels',
    }

    def test_hostile(self):
        sys.path.insert(0, HOSTILE)
        import udf_craft
        listing, data = written_tree(udf_craft.FILES)
        on_disk = sorted(name[:-6] for name in os.listdir(HOSTILE) if re.match(r'udf-.*\.short$', name))
        self.assertEqual(on_disk, sorted(self.EXPECTED))
        for name, expected in sorted(self.EXPECTED.items()):
            with self.subTest(name):
                image = images.expand(os.path.join(HOSTILE, name + '.short'))
                try:
                    code, out, err = bounded([FSDUMP, image])
                    if isinstance(expected, tuple):
                        udf = json.loads(out)['udf']
                        self.assertEqual((code, udf['present'], udf['read']), (0, True, False))
                        self.assertRegex(udf['problem'], expected[1])
                    elif expected == 'read':
                        self.assertEqual(code, 0, err)
                        self.assertEqual(ours(image), listing)
                        for path, content in data.items():
                            self.assertEqual(our_bytes(image, path), content, path)
                    else:
                        self.assertEqual(code, 2)
                        self.assertEqual(err.count('\n'), 1, err)
                        self.assertRegex(err, '^fsdump: [^:]+: .*' + expected)
                finally:
                    os.remove(image)


if __name__ == '__main__':
    unittest.main()
