"""discfs's ISO 9660 and Joliet reader, through fsdump: held to xorriso's
reading of the images Debian's tools master (names, sizes and bytes of
every file), to the rules NT's CD file system follows, and to damaged
images, each refused with one line or read as Windows reads it, in bounded
time and memory. FSDUMP is the built fsdump; run with /usr/bin/python3
(pycdlib)."""
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import images

FSDUMP = os.environ.get('FSDUMP', '')
HOSTILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data', 'images')
sys.path.insert(0, HOSTILE)
import craft  # noqa: E402

BLOCK = craft.BLOCK
LAYOUT = {
    'Setup.ini': b'[Settings]\r\nSetupPath=Corvan Lite\\setup.exe\r\n',
    'README': b'no extension',
    'empty.txt': b'',
    'Corvan Lite/setup.exe': bytes(range(256)) * 13,
    'Corvan Lite/enu/setup.exe': b'MZ enu',
    'Ferrolin Product Folder With A Name Longer Than Sixty-Four Characters/setup.exe': b'MZ long',
    '\u00dcn\u00efcode \u65e5\u672c\u8a9e/\u30d5\u30a1\u30a4\u30eb.txt': b'cjk',
}
# kind: whether Windows finds its Joliet tree.
KINDS = {'joliet': True, 'joliet-long': True, 'norock': False, 'rock-joliet': True, 'iso-level-1': True,
         'iso-level-2': True, 'iso-level-3': True, 'iso-level-4': True, 'genisoimage-level-1': False,
         'genisoimage-joliet': True, 'genisoimage-level-4': False}
RAW_NAMES = {'genisoimage-level-4'}  # ISO 9660 names as the files are named


def run(image, *arguments, timeout=20):
    """fsdump's exit code, output, error output and peak memory in MiB."""
    return images.run_bounded([FSDUMP, image] + list(arguments), timeout)


def trees(image):
    code, out, err, _ = run(image)
    if code != 0:
        raise AssertionError('fsdump %s: %d %s' % (image, code, err))
    return json.loads(out)


def listing(tree):
    """{path: size, or None for a folder}, as fsdump lists the tree."""
    return {e['path']: None if e['folder'] else e['size'] for e in tree['entries']}


def extracted(folder):
    found = {}
    for top, folders, files in os.walk(folder):
        for name in folders + files:
            full = os.path.join(top, name)
            found[os.path.relpath(full, folder)] = None if os.path.isdir(full) else os.path.getsize(full)
    return found


def xorriso_extract(image, tree, folder):
    # images.extract's command, its names in UTF-8 whatever the test's locale.
    read_fs = {'iso9660': 'ecma119', 'joliet': 'norock'}[tree]
    subprocess.run(['xorriso', '-osirrox', 'on', '-read_fs', read_fs, '-indev', image, '-extract', '/', folder],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=dict(os.environ, LC_ALL='C.UTF-8'))
    return folder


class Work(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix='discfs-')

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.work, name)

    def assertSameAsExtracted(self, image, tree, listed):
        """Names, sizes and the bytes of every file as xorriso extracts the tree."""
        folder = xorriso_extract(image, tree, self.path(os.path.basename(image) + '-' + tree))
        self.assertEqual(extracted(folder), listed, tree)
        for path, size in listed.items():
            if size is not None:
                code, data, err, _ = run(image, '--read', tree, path)
                with open(os.path.join(folder, path), 'rb') as f:
                    self.assertEqual((0, f.read()), (code, data), path + err)


class MasteredTest(Work):
    """The trees of images Debian's tools master, as xorriso reads them."""

    def assertSameAsLayout(self, image, tree):
        # ISO 9660 names in the file system's bytes (UTF-8), which xorriso
        # turns into names of its own: held to the layout itself.
        expected = {}
        for name, data in LAYOUT.items():
            parts = name.encode().decode('latin-1').split('/')
            expected.update(('/'.join(parts[:n]), None) for n in range(1, len(parts)))
            expected['/'.join(parts)] = len(data)
        self.assertEqual(expected, listing(tree))
        self.assertTrue(all(bool(e.get('eight_bit')) == any(ord(c) > 127 for c in e['path'].split('/')[-1])
                            for e in tree['entries']))
        for name, data in LAYOUT.items():
            self.assertEqual(data, run(image, '--read', 'iso9660', name.encode().decode('latin-1'))[1], name)

    def test_each_tool_and_level(self):
        disc = self.path('disc')
        for name, data in LAYOUT.items():
            os.makedirs(os.path.dirname(os.path.join(disc, name)), exist_ok=True)
            with open(os.path.join(disc, name), 'wb') as f:
                f.write(data)
        for kind, joliet in KINDS.items():
            with self.subTest(kind=kind):
                image = images.make_image(disc, kind, self.path(kind + '.iso'))
                result = trees(image)
                self.assertEqual((True, True), (result['iso9660']['present'], result['iso9660']['read']))
                self.assertEqual(joliet, result['joliet']['present'])
                for tree in ('iso9660', 'joliet') if joliet else ('iso9660',):
                    if kind in RAW_NAMES and tree == 'iso9660':
                        self.assertSameAsLayout(image, result[tree])
                    else:
                        self.assertSameAsExtracted(image, tree, listing(result[tree]))
                if joliet:
                    self.assertEqual(len(LAYOUT['Corvan Lite/setup.exe']),
                                     listing(result['joliet'])['Corvan Lite/setup.exe'])

    def test_trees_that_differ(self):
        image = images.make_pycdlib_image(
            self.path('differ.iso'),
            [{'iso': '/PROD/SETUP.EXE;1', 'joliet': '/Prod/setup.exe', 'data': b'MZ'},
             {'iso': '/ISO.TXT;1', 'data': b'iso'}, {'joliet': '/joliet only.exe', 'data': b'J'}],
            folders=[{'iso': '/PROD', 'joliet': '/Prod'}])
        result = trees(image)
        self.assertEqual({'PROD': None, 'PROD/SETUP.EXE': 2, 'ISO.TXT': 3}, listing(result['iso9660']))
        self.assertEqual({'Prod': None, 'Prod/setup.exe': 2, 'joliet only.exe': 1}, listing(result['joliet']))
        for tree in ('iso9660', 'joliet'):
            self.assertSameAsExtracted(image, tree, listing(result[tree]))


class RulesTest(Work):
    """What NT's CD file system makes of records no tool here writes."""

    def patched(self, name, patch, big=True):
        iso = craft.make_base(tempfile.mkdtemp(dir=self.work), big)
        patch(iso)
        path = self.path(name + '.iso')
        with open(path, 'wb') as f:
            f.write(iso.data)
        return path, iso

    def test_versions_kept_in_recorded_order(self):
        import pycdlib
        iso = pycdlib.PyCdlib()
        iso.new(interchange_level=3)
        iso.add_fp(io.BytesIO(b'one'), 3, '/SETUP.INI;1')
        iso.add_fp(io.BytesIO(b'second'), 6, '/SETUP.INI;2')
        iso.add_fp(io.BytesIO(b'readme'), 6, '/README.;1')
        image = self.path('versions.iso')
        iso.write(image)
        iso.close()
        entries = trees(image)['iso9660']['entries']
        self.assertEqual([('README', 1, 6), ('SETUP.INI', 1, 3), ('SETUP.INI', 2, 6)],
                         [(e['path'], e['version'], e['size']) for e in entries])
        # The first in recorded order is the one opened by its name.
        self.assertEqual(b'one', run(image, '--read', 'iso9660', 'SETUP.INI')[1])

    def test_eight_bit_names_kept_as_bytes(self):
        import pycdlib
        iso = pycdlib.PyCdlib()
        iso.new(interchange_level=4)
        iso.add_fp(io.BytesIO(b'cafe'), 4, '/CAF\u00c9.TXT;1')  # pycdlib records it in UTF-8
        image = self.path('eight-bit.iso')
        iso.write(image)
        iso.close()
        entries = trees(image)['iso9660']['entries']
        shown = 'CAF\u00c9.TXT'.encode('utf-8').decode('latin-1')
        self.assertEqual([(shown, True)], [(e['path'], e.get('eight_bit')) for e in entries])
        self.assertEqual(b'cafe', run(image, '--read', 'iso9660', shown)[1])

    def test_pieces_of_a_file(self):
        def split(iso):
            # Three records for setup.exe: a block, a block, the rest.
            dusmara = iso.start(iso.find('iso9660', 'DUSMARA'))
            kept = [bytes(iso.data[at:at + iso.data[at]]) for at, _ in iso.records(dusmara)]
            at = iso.find('iso9660', 'DUSMARA/SETUP.EXE')
            one = kept.index(bytes(iso.data[at:at + iso.data[at]]))
            start, name = iso.start(at), kept[one][33:33 + kept[one][32]]
            pieces = [craft.record(name, start, BLOCK, craft.MORE), craft.record(name, start + 1, BLOCK, craft.MORE),
                      craft.record(name, start + 2, 100)]
            iso.write_folder(dusmara, kept[:one] + pieces + kept[one + 1:])

        image, iso = self.patched('pieces', split)
        result = trees(image)
        self.assertEqual(2 * BLOCK + 100, listing(result['iso9660'])['DUSMARA/SETUP.EXE'])
        self.assertSameAsExtracted(image, 'iso9660', listing(result['iso9660']))

    def test_interleaved_file(self):
        def interleave(iso):
            at = iso.find('iso9660', 'DUSMARA/SETUP.EXE')
            iso.put(at + 10, craft.both32(BLOCK + 100))
            iso.put(at + 26, b'\x01\x01')  # a block of data, a block skipped

        image, _ = self.patched('interleaved', interleave)
        self.assertEqual(b'A' * BLOCK + b'C' * 100, run(image, '--read', 'iso9660', 'DUSMARA/SETUP.EXE')[1])

    def test_flags(self):
        def flags(iso):
            iso.data[iso.find('iso9660', 'SETUP.INI') + 25] |= 0x01
            iso.data[iso.find('iso9660', 'DUSMARA/DATA/README.TXT') + 25] |= craft.ASSOCIATED

        image, _ = self.patched('flags', flags)
        entries = {e['path']: e for e in trees(image)['iso9660']['entries']}
        self.assertTrue(entries['SETUP.INI'].get('hidden'))
        self.assertIn('DUSMARA/DATA', entries)
        self.assertNotIn('DUSMARA/DATA/README.TXT', entries)

    def test_joliet_escape_sequences(self):
        # Windows takes UCS-2 levels 1 to 3 alike, and nothing else.
        for escape, found in ((b'%/@', True), (b'%/C', True), (b'%/E', True), (b'%/F', False), (b'%@/', False)):
            with self.subTest(escape=escape):
                image, _ = self.patched('escape', lambda iso: iso.put(iso.descriptor('joliet') * BLOCK + 88, escape),
                                        big=False)
                self.assertEqual(found, trees(image)['joliet']['present'])

    def test_a_million_names(self):
        # Five folders of 8 MiB, each full of records: more names than the
        # reader holds, refused before its memory grows past bounds.
        def million(iso):
            first = len(iso.data) // BLOCK
            blocks = 4096
            files = craft.record(b'F', 0, 0) * (BLOCK // 34)
            folders = []
            for n in range(5):
                start = first + n * blocks
                iso.grow(start + blocks)
                iso.data[start * BLOCK:(start + blocks) * BLOCK] = files.ljust(BLOCK, b'\0') * blocks
                iso.put(start * BLOCK, craft.record(b'\0', start, blocks * BLOCK, craft.FOLDER))
                folders.append(craft.record(b'M%d' % n, start, blocks * BLOCK, craft.FOLDER))
            root = iso.root('iso9660')
            end = iso.records(root)[-1][0]
            iso.put(end + iso.data[end], b''.join(folders))

        image, _ = self.patched('million', million, big=False)
        code, _, err, memory = run(image, timeout=60)
        self.assertEqual(2, code, err)
        self.assertIn('more than 1000000 names in the image', err)
        self.assertLess(memory, 512)


class HostileTest(Work):
    """Damaged images (tests/data/images, made by craft.py): one line and exit 2, or read as Windows reads them."""

    REFUSED = {
        'loop': 'the Joliet folder \\Dusmara\\Data at block 25 is met twice (a loop)',
        'folder-past-end': 'the ISO 9660 folder \\DUSMARA at block 16777215 lies past the end of the image',
        'folder-huge': 'the ISO 9660 folder \\DUSMARA at block 20 records a size of 4294965248 bytes, more than',
        'record-crosses-block': 'the ISO 9660 folder \\ at block 19 has a record that crosses the end of its block',
        'name-length-zero': 'has a record without a name (block 19, offset 108)',
        'joliet-name-odd': 'the Joliet folder \\ at block 24 has a Joliet name of an odd number of bytes',
        'depth-256': 'lies deeper than 255 levels',
        'no-dot-record': 'the ISO 9660 folder \\DUSMARA at block 20 does not begin with its own record',
        'block-size-4096': 'the primary volume descriptor at block 16 records logical blocks of 4096 bytes',
        'joliet-block-size-4096': 'the Joliet volume descriptor at block 17 records logical blocks of 4096 bytes',
        'file-past-end': 'the ISO 9660 file \\SETUP.INI at block 2147483647 lies past the end of the image',
        'missing-piece': 'the ISO 9660 folder \\ at block 19 ends in a file whose next piece is missing',
        'overlapping-folders': 'overlaps other folders until the tree\'s folders hold more bytes than the image',
        'name-only-version': 'has a record with nothing before its version',
        'name-only-dot': 'has a record named \'.\' alone',
        'control-character-name': 'the Joliet folder \\Dusmara\\D?ta at block 27 does not begin with its own record',
    }

    def expand(self, name):
        path = images.expand(os.path.join(HOSTILE, name + '.short'))
        self.addCleanup(os.remove, path)
        return path

    def test_refused_with_one_line(self):
        for name, message in self.REFUSED.items():
            with self.subTest(image=name):
                image = self.expand(name)
                code, out, err, memory = run(image)
                self.assertEqual((2, b''), (code, out), err)
                self.assertEqual(1, err.count('\n'), err)
                self.assertTrue(err.startswith('fsdump: %s: ' % image), err)
                self.assertIn(message, err)
                self.assertLess(memory, 512)

    def test_read_as_windows_reads_them(self):
        base = listing(trees(self.expand('root-with-xar'))['joliet'])
        self.assertEqual(31, len(base))
        # The first Joliet descriptor, not the last.
        self.assertEqual(base, listing(trees(self.expand('two-joliet'))['joliet']))
        # The root and Setup.ini after their extended attribute records.
        image = self.expand('root-with-xar')
        self.assertEqual(31, len(trees(image)['iso9660']['entries']))
        self.assertEqual(b'[Settings]\r\n', run(image, '--read', 'iso9660', 'SETUP.INI')[1])
        # A folder is as long as its own record says, whatever its parent's says.
        result = trees(self.expand('dot-size-lies'))
        self.assertEqual(31, len(result['iso9660']['entries']))
        self.assertNotIn('Dusmara/a-longer-file-name-25.txt', listing(result['joliet']))
        self.assertIn('Dusmara/a-longer-file-name-00.txt', listing(result['joliet']))
        # A primary descriptor Windows would refuse beside a Joliet one it mounts.
        result = trees(self.expand('primary-block-size-4096'))
        self.assertEqual((True, False), (result['iso9660']['present'], result['iso9660']['read']))
        self.assertIn('4096 bytes', result['iso9660']['problem'])
        self.assertEqual(base, listing(result['joliet']))

    def test_fifo_refused_at_once(self):
        fifo = self.path('fifo')
        os.mkfifo(fifo)
        started = time.monotonic()
        code, _, err, _ = run(fifo, timeout=5)
        self.assertEqual(2, code)
        self.assertIn('not a regular file (a FIFO)', err)
        self.assertLess(time.monotonic() - started, 5)


if __name__ == '__main__':
    unittest.main()
