"""discplan over the images Debian's mastering tools make: each tree as a
system lists it against an independent extraction, the tree each system
reads, the image's findings, files read back, and bad images refused with
one message; and discplan's plan of an image, each system from the tree it
reads. (The reader itself is held to other readers by test_discfs and
test_discfs_udf.) IMAGEDUMP is discplan's dump of an image, DISCPLAN the
native discplan; run with /usr/bin/python3 (pycdlib)."""
import json
import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import images

IMAGEDUMP = os.environ.get('IMAGEDUMP', '')
DISCPLAN = os.environ.get('DISCPLAN', '')
ALL = ['win95', 'win98', 'win98se', 'winme', 'nt4', 'win2000', 'winxp', 'winxp64', 'vista', 'win7', 'win8', 'win81',
       'win10', 'win11']
WIN98 = ['win98', 'win98se', 'winme']
UDF_102 = WIN98 + ALL[ALL.index('win2000'):]
XP_ON = ALL[ALL.index('winxp'):]
VISTA_ON = ALL[ALL.index('vista'):]
SETUP_INI = b'[Settings]\r\nSetupPath=Corvan Lite\\setup.exe\r\n'
# A disc in a virtual partition (udf_writer's layout).
VAT_FILES = [{'path': '/Setup.exe', 'data': b'MZ launcher'}, {'path': '/Dusmara', 'folder': True},
             {'path': '/Dusmara/setup.exe', 'data': b'MZ dusmara'}]


def dump(image, *arguments, env=None):
    result = subprocess.run([IMAGEDUMP, image] + list(arguments), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            env=env, timeout=60)
    return result.returncode, result.stdout, result.stderr.decode()


def discplan(image, *arguments):
    result = subprocess.run([DISCPLAN, image] + list(arguments), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=120)
    return result.returncode, result.stdout.decode(), result.stderr.decode()


def trees(image, env=None):
    code, out, err = dump(image, env=env)
    if code != 0:
        raise AssertionError('imagedump %s: %d %s' % (image, code, err))
    return json.loads(out)


def paths(tree):
    return sorted((e['path'], e['folder']) for e in tree['entries'])


def folder_paths(folder):
    found = []
    for top, dirs, files in os.walk(folder):
        for name in dirs + files:
            full = os.path.join(top, name)
            found.append((os.path.relpath(full, folder), os.path.isdir(full)))
    return sorted(found)


def lay_out(root):
    """A product disc with what mastering changes: long and mixed-case names,
    a name past 64 characters, non-ASCII names, a file without extension."""
    files = {
        'Setup.ini': SETUP_INI,
        'Corvan Lite/setup.exe': b'MZ corvan',
        'Corvan Lite/enu/setup.exe': b'MZ enu',
        'TechSupt/IKernelUpdate/Setup.exe': b'MZ engine',
        'Ferrolin Product Folder With A Name Longer Than Sixty-Four Characters/setup.exe': b'MZ long',
        'Ünïcode 日本語/ファイル名.txt': b'cjk',
        'README': b'no extension',
    }
    for name, data in files.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
    return files


class ImageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix='images-')
        cls.disc = os.path.join(cls.work, 'disc')
        cls.files = lay_out(cls.disc)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def image(self, kind):
        path = os.path.join(self.work, kind + '.iso')
        if not os.path.exists(path):
            images.make_image(self.disc, kind, path)
        return path


class TreesTest(ImageTest):
    """Every tree as the independent extraction gives it, and what each system reads."""

    # kind: the trees it carries, and the tree each system reads.
    CASES = {
        'rock-joliet': ({'iso9660', 'joliet'}, {s: 'Joliet' for s in ALL}),
        'joliet': ({'iso9660', 'joliet'}, {s: 'Joliet' for s in ALL}),
        'joliet-long': ({'iso9660', 'joliet'}, {s: 'Joliet' for s in ALL}),
        'norock': ({'iso9660'}, {s: 'ISO 9660' for s in ALL}),
        'iso-level-1': ({'iso9660', 'joliet'}, {s: 'Joliet' for s in ALL}),
        'iso-level-2': ({'iso9660', 'joliet'}, {s: 'Joliet' for s in ALL}),
        'iso-level-3': ({'iso9660', 'joliet'}, {s: 'Joliet' for s in ALL}),
        'iso-level-4': ({'iso9660', 'joliet'}, {s: 'Joliet' for s in ALL}),
        'genisoimage-level-1': ({'iso9660'}, {s: 'ISO 9660' for s in ALL}),
        # Whether the Windows 98 family prefers UDF 1.02 to Joliet is not known.
        'udf-bridge': ({'iso9660', 'joliet', 'udf'},
                       dict({s: 'UDF or Joliet' if s in WIN98 else 'UDF' for s in UDF_102}, win95='Joliet', nt4='Joliet')),
    }

    def test_trees_match_the_independent_readers(self):
        for kind, (carried, systems) in self.CASES.items():
            with self.subTest(kind=kind):
                image = self.image(kind)
                result = trees(image)
                self.assertEqual(systems, result['systems'])
                for tree in ('iso9660', 'joliet', 'udf'):
                    self.assertEqual(tree in carried, result['trees'][tree]['present'], tree)
                    if tree not in carried:
                        continue
                    self.assertTrue(result['trees'][tree]['read'], result['trees'][tree]['problem'])
                    extracted = images.extract(image, tree, os.path.join(self.work, kind + '-' + tree))
                    self.assertEqual(folder_paths(extracted), paths(result['trees'][tree]), tree)
                    # Files read back through the tree.
                    for path, folder in paths(result['trees'][tree]):
                        if not folder:
                            code, data, err = dump(image, '--read', tree, path)
                            self.assertEqual(0, code, err)
                            with open(os.path.join(extracted, path), 'rb') as f:
                                self.assertEqual(f.read(), data, path)

    def test_names_as_windows_shows_them(self):
        joliet = dict(paths(trees(self.image('joliet'))['trees']['joliet']))
        long_name = 'Ferrolin Product Folder With A Name Longer Than Sixty-Four Characters'
        # Joliet names are cut at 64 characters unless the tool is told otherwise.
        self.assertIn(long_name[:64], joliet)
        self.assertIn(long_name, dict(paths(trees(self.image('joliet-long'))['trees']['joliet'])))
        # UCS-2 to UTF-8 whatever the locale; ISO 9660 without version or final dot.
        for locale in ('C', 'ja_JP.UTF-8', 'de_DE.UTF-8'):
            result = trees(self.image('joliet'), env=dict(os.environ, LC_ALL=locale))
            self.assertIn('Ünïcode 日本語/ファイル名.txt', dict(paths(result['trees']['joliet'])), locale)
            iso = dict(paths(result['trees']['iso9660']))
            self.assertIn('README', iso)
            self.assertIn('SETUP.INI', iso)
        level1 = dict(paths(trees(self.image('genisoimage-level-1'))['trees']['iso9660']))
        self.assertIn('CORVAN_L/SETUP.EXE', level1)
        self.assertIn('TECHSUPT/IKERNELU/SETUP.EXE', level1)

    def test_setup_ini_read_from_each_tree(self):
        image = self.image('udf-bridge')
        for tree, path in (('iso9660', 'SETUP.INI'), ('joliet', 'Setup.ini'), ('udf', 'Setup.ini')):
            code, data, err = dump(image, '--read', tree, path)
            self.assertEqual((0, SETUP_INI), (code, data), tree + err)
        # Names match exactly: the caller lists before it reads.
        self.assertEqual(1, dump(image, '--read', 'joliet', 'SETUP.INI')[0])
        self.assertEqual(1, dump(image, '--read', 'joliet', 'Corvan Lite')[0])

    def test_trees_that_differ(self):
        image = images.make_pycdlib_image(
            os.path.join(self.work, 'differ.iso'),
            [{'iso': '/PROD/SETUP.EXE;1', 'joliet': '/Prod/setup.exe', 'udf': '/Prod/setup.exe', 'data': b'MZ'},
             {'joliet': '/joliet only.exe', 'data': b'J'},
             {'udf': '/udf only.exe', 'data': b'U'},
             {'joliet': '/bad:name.txt', 'udf': '/bad?name.txt', 'data': b'Q'}],
            folders=[{'iso': '/PROD', 'joliet': '/Prod', 'udf': '/Prod'}])
        result = trees(image)
        self.assertEqual('1.02', result['udf_revision'])
        self.assertEqual([('Prod', True), ('Prod/setup.exe', False), ('bad:name.txt', False),
                          ('joliet only.exe', False)], paths(result['trees']['joliet']))
        self.assertEqual([('Prod', True), ('Prod/setup.exe', False), ('bad?name.txt', False),
                          ('udf only.exe', False)], paths(result['trees']['udf']))
        self.assertEqual(folder_paths(images.extract(image, 'udf', os.path.join(self.work, 'differ-udf'))),
                         paths(result['trees']['udf']))
        self.assertEqual((0, b'U'), dump(image, '--read', 'udf', 'udf only.exe')[:2])
        refused = [f for f in result['findings'] if f['code'] == 'image-name-refused']
        self.assertEqual(['error', 'error'], [f['severity'] for f in refused])
        self.assertIn('(read by win95, nt4)', refused[0]['message'])
        self.assertIn('"D:\\bad:name.txt"', refused[0]['message'])
        self.assertIn('"D:\\bad?name.txt"', refused[1]['message'])


class FindingsTest(ImageTest):
    def codes(self, result):
        return sorted((f['severity'], f['code']) for f in result['findings'])

    def test_no_joliet(self):
        self.assertEqual([], self.codes(trees(self.image('rock-joliet'))))
        result = trees(self.image('genisoimage-level-1'))
        self.assertEqual([('warning', 'image-no-joliet')], self.codes(result))
        self.assertIn(', '.join(ALL) + ' see its ISO 9660 names, 8.3 names in upper case',
                      result['findings'][0]['message'])
        # What the names really are: long ones (level 2), lower case (level 4).
        for tool, said in ((['xorriso', '-as', 'mkisofs', '--norock', '-iso-level', '2'],
                            'names of up to 30 characters in upper case'),
                           (['genisoimage', '-iso-level', '4'], 'names of up to 69 characters in both cases')):
            image = os.path.join(self.work, 'no-joliet-%s.iso' % tool[0])
            subprocess.run(tool + ['-quiet', '-o', image, self.disc], check=True, stderr=subprocess.DEVNULL)
            message = [f['message'] for f in trees(image)['findings'] if f['code'] == 'image-no-joliet'][0]
            self.assertIn(said, message)
        # A Joliet tree behind an ISO 9660:1999 descriptor, where Windows
        # stops looking: other readers show it, Windows does not.
        image = os.path.join(self.work, 'joliet-hidden.iso')
        subprocess.run(['genisoimage', '-quiet', '-J', '-iso-level', '4', '-o', image, self.disc], check=True,
                       stderr=subprocess.DEVNULL)
        result = trees(image)
        self.assertFalse(result['trees']['joliet']['present'])
        message = [f['message'] for f in result['findings'] if f['code'] == 'image-no-joliet'][0]
        self.assertIn('the image has no Joliet tree Windows sees (its Joliet descriptor at block 18 comes after the '
                      'descriptor of another version at block 17, where Windows stops looking for it', message)
        # Beside a UDF tree: the names that differ from it, not those that differ in case.
        image = os.path.join(self.work, 'udf-no-joliet.iso')
        subprocess.run(['genisoimage', '-quiet', '-udf', '-o', image, self.disc], check=True)
        result = trees(image)
        message = [f['message'] for f in result['findings'] if f['code'] == 'image-no-joliet'][0]
        self.assertIn('win95, nt4 see its ISO 9660 names', message)
        self.assertIn('CORVAN_L (Corvan Lite)', message)
        self.assertIn('TECHSUPT\\IKERNELU (IKernelUpdate)', message)
        self.assertNotIn('SETUP.INI', message)

    def test_deep_and_long_paths(self):
        disc = os.path.join(self.work, 'deep')
        deep = os.path.join(disc, *'ABCDEFGH')  # a folder on the ninth level
        os.makedirs(deep)
        open(os.path.join(deep, 'f.txt'), 'w').close()
        # "D:\fits\" and two folders of 100 characters, 210 characters: a
        # file name of 49 ends on character 259, one of 50 passes it.
        for name, length in (('fits', 49), ('long', 50)):
            folder = os.path.join(disc, name, 'x' * 100, 'z' * 100)
            os.makedirs(folder)
            open(os.path.join(folder, 'y' * length), 'w').close()
        image = images.make_image(disc, 'joliet-long', os.path.join(self.work, 'deep.iso'))
        result = trees(image)
        by_code = {f['code']: f for f in result['findings']}
        self.assertEqual({'image-iso-too-deep', 'image-path-too-long'}, set(by_code))
        self.assertEqual('warning', by_code['image-iso-too-deep']['severity'])
        self.assertIn('D:\\A\\B\\C\\D\\E\\F\\G\\H', by_code['image-iso-too-deep']['message'])
        self.assertEqual('error', by_code['image-path-too-long']['severity'])
        self.assertIn('D:\\long\\', by_code['image-path-too-long']['message'])
        self.assertNotIn('D:\\fits\\', by_code['image-path-too-long']['message'])
        # At a longer folder, more paths are too long.
        result = json.loads(dump(image, '--at', 'E:\\Discs\\')[1])
        self.assertIn('E:\\Discs\\fits\\', [f for f in result['findings'] if f['code'] == 'image-path-too-long'][0]['message'])

    def test_udf_revisions_each_system_reads(self):
        for revision, readers in (('2.01', XP_ON), ('2.50', VISTA_ON), ('2.60', VISTA_ON)):
            with self.subTest(revision=revision):
                result = trees(images.make_empty_udf(os.path.join(self.work, 'udf%s.img' % revision), revision))
                self.assertEqual(revision, result['udf_revision'])
                self.assertTrue(result['trees']['udf']['read'], result['trees']['udf']['problem'])
                self.assertEqual({s: 'UDF' if s in readers else 'none' for s in ALL}, result['systems'])
                self.assertEqual([('error', 'image-no-tree')], self.codes(result))
        # A virtual partition whose table is not where it belongs: the
        # systems that would read it have no plan.
        vat = os.path.join(self.work, 'vat-unread.img')
        images.make_udf_written(vat, VAT_FILES, '2.01', 'vat')
        with open(vat, 'r+b') as f:
            f.seek(-2048, os.SEEK_END)
            f.write(b'\x55' * 2048)
        result = trees(vat)
        self.assertFalse(result['trees']['udf']['read'])
        self.assertEqual({s: 'unknown' if s in XP_ON else 'none' for s in ALL}, result['systems'])
        unread = [f for f in result['findings'] if f['code'] == 'image-udf-unread']
        self.assertEqual('error', unread[0]['severity'])
        self.assertTrue(unread[0]['message'].startswith(
            'the plan for %s is unknown: UDF 2.01 not read (a virtual partition (VAT) is not read' % ', '.join(XP_ON)),
            unread[0]['message'])


class BadImageTest(ImageTest):
    """One message and exit code 2, never a crash, a hang or a partial tree."""

    def patched(self, name, kind, patch):
        with open(self.image(kind), 'rb') as f:
            data = bytearray(f.read())
        patch(data)
        path = os.path.join(self.work, name)
        with open(path, 'wb') as f:
            f.write(data)
        return path

    def first_folder_record(self, data, joliet=False):
        """The offset of the root's first subfolder record (after . and ..)."""
        descriptor = 16 * 2048
        while joliet and not (data[descriptor] == 2 and data[descriptor + 88:descriptor + 90] == b'%/'):
            descriptor += 2048
        root = struct.unpack_from('<I', data, descriptor + 156 + 2)[0] * 2048
        offset = root + data[root]
        offset += data[offset]
        while not data[offset + 25] & 2:
            offset += data[offset]
        return offset, root // 2048

    def loop(self, joliet):
        def patch(data):
            offset, root = self.first_folder_record(data, joliet)
            struct.pack_into('<I', data, offset + 2, root)
            struct.pack_into('>I', data, offset + 6, root)
        return patch

    def file_past_end(self, data):
        offset, root = self.first_folder_record(data)
        while data[offset + 25] & 2:  # the first file at the root
            offset += data[offset]
        struct.pack_into('<I', data, offset + 2, len(data) // 2048 + 10)

    def udf_entry(self, data):
        # The root's UDF file entry with an extended attribute length past
        # its block, its tag's checksum and CRC made to fit.
        import udf_writer
        for block in range(257, len(data) // 2048):
            at = block * 2048
            if struct.unpack_from('<H', data, at)[0] == 261:
                struct.pack_into('<I', data, at + 168, 0x7FFFFFF0)
                data[at:at + 2048] = udf_writer.retag(bytes(data[at:at + 2048]))
                return

    def test_bad_images(self):
        text = os.path.join(self.work, 'text.iso')
        with open(text, 'wb') as f:
            f.write(b'not an image\n' * 5000)
        full = self.image('udf-bridge')
        with open(full, 'rb') as f:
            cut = os.path.join(self.work, 'cut.iso')
            with open(cut, 'wb') as out:
                out.write(f.read(os.path.getsize(full) // 2))
        cases = {
            text: 'not a disc image (no ISO 9660 or UDF volume descriptors)',
            self.work: 'not a regular file (a folder)',
            os.path.join(self.work, 'missing.iso'): 'No such file or directory',
            cut: 'the image is cut short',
            self.patched('loop.iso', 'norock', self.loop(False)): 'the ISO 9660 folder \\CORVAN_L at block',
            self.patched('jloop.iso', 'joliet', self.loop(True)): 'the Joliet folder \\Corvan Lite at block',
            self.patched('past-end.iso', 'norock', self.file_past_end): 'lies past the end of the image',
            self.patched('udf-entry.iso', 'udf-bridge', self.udf_entry): "the UDF root folder's file entry at block",
        }
        # The reader's own line, from its dump tool and from discplan.
        tools = {'imagedump': (lambda image: dump(image), ''),
                 'discplan': (lambda image: discplan(image, '--json'), 'discplan: ')}
        for image, message in cases.items():
            for tool, (run, prefix) in tools.items():
                if tool == 'discplan' and os.path.isdir(image):
                    continue    # a folder is a disc to discplan
                with self.subTest(image=os.path.basename(image), tool=tool):
                    code, out, err = run(image)
                    self.assertEqual(2, code, err)
                    self.assertFalse(out)
                    self.assertEqual(1, err.count('\n'), err)
                    self.assertTrue(err.startswith(prefix + image + ': '), err)
                    self.assertIn(message, err)


@unittest.skipUnless(DISCPLAN, 'DISCPLAN names no native discplan')
class DiscPlanTest(ImageTest):
    """discplan IMAGE: every system planned from the tree it reads, the disc's
    findings of that tree, the image's findings in every row."""

    def plans(self, image, *arguments):
        code, out, err = discplan(image, '--json', '--lang', 'enu', *arguments)
        self.assertIn(code, (0, 1), err)
        return json.loads(out)

    def pycdlib(self, name, joliet, udf):
        """An image of Setup.exe and the files given, by path, for its Joliet
        and its UDF tree (ISO 9660 names are made up)."""
        files = [{'joliet': '/Setup.exe', 'udf': '/Setup.exe', 'iso': '/SETUP.EXE;1', 'data': b'MZ launcher'}]
        folders, seen = [], set()
        for tree, paths in (('joliet', joliet), ('udf', udf)):
            for number, (path, data) in enumerate(paths.items()):
                parts = path.split('/')
                for depth in range(1, len(parts)):
                    folder = '/' + '/'.join(parts[:depth])
                    if (tree, folder) not in seen:
                        seen.add((tree, folder))
                        folders.append({tree: folder, 'iso': '/%s%d' % (tree[0].upper(), len(seen))})
                files.append({tree: '/' + path, 'iso': '/%s%d.BIN;1' % (tree[0].upper(), number), 'data': data})
        return images.make_pycdlib_image(os.path.join(self.work, name + '.iso'), files, folders)

    def test_each_system_planned_from_the_tree_it_reads(self):
        # Setup.ini's SetupPath names Corvan Lite\setup.exe, which an image
        # without Joliet has only as CORVAN_L\SETUP.EXE; there the long
        # folder's 8.3 name FERROLIN is a product folder of its own.
        corvan = '.\\Corvan Lite\\setup.exe'
        for kind, started, setup in (('udf-bridge', 'Corvan Lite\\setup.exe', corvan),
                                     ('joliet', 'Corvan Lite\\setup.exe', corvan),
                                     ('genisoimage-level-1', '.\\Ferrolin\\setup.exe', '.\\Ferrolin\\setup.exe')):
            with self.subTest(kind=kind):
                systems = TreesTest.CASES[kind][1]
                rows = self.plans(self.image(kind), '--cmdline', '')
                self.assertEqual(ALL[:ALL.index('vista') + 1], [r['os'] for r in rows])
                for row in rows:
                    tree, _, other = systems[row['os']].partition(' or ')
                    self.assertEqual({'Joliet': 'joliet', 'UDF': 'udf', 'ISO 9660': 'iso9660'}[tree], row['tree'])
                    self.assertEqual(other.lower() or None, row['tree_alternative'])
                    self.assertEqual('1.02' if tree == 'UDF' else None, row['udf_revision'])
                    self.assertIsNone(row['unplanned'])
                    self.assertEqual(started, row['launch'] and row['launch']['program'])
                    self.assertEqual(setup, row['setup_program'])
                codes = {f['code'] for r in rows for f in r['findings']}
                self.assertEqual(kind == 'genisoimage-level-1', 'image-no-joliet' in codes)
                self.assertNotIn('image-trees-differ', codes)
                self.assertNotIn('image-tree-unknown', codes)
        # The text names the image, its trees and which systems read which.
        code, out, err = discplan(self.image('udf-bridge'), '--cmdline', '', '--lang', 'enu')
        lines = out.splitlines()
        self.assertEqual('Disc image %s (ISO 9660, Joliet, UDF 1.02), at D:\\ on Windows; user admin, engine '
                         'outdated; code page 1252' % self.image('udf-bridge'), lines[0])
        self.assertEqual('Trees read: the Joliet tree by win95, nt4; the UDF 1.02 tree or the Joliet tree (not known '
                         'which) by win98, win98se, winme; the UDF 1.02 tree by win2000 and later', lines[1])
        self.assertIn('  win95, nt4; enu:\n    read from the Joliet tree\n', out)
        self.assertIn('  win98, win98se, winme; enu:\n    read from the UDF 1.02 tree (or the Joliet tree: which one '
                      'is not known)\n', out)

    def test_trees_that_change_the_plan(self):
        setup = b'MZ stand-in'
        cases = {
            # The product folder in one tree, another in the other.
            'product': ({'Corvan Lite/setup.exe': setup}, {'Tilmar/setup.exe': setup},
                        'would start .\\Corvan Lite\\setup.exe from the Joliet tree but start '
                        '.\\Tilmar\\setup.exe from the UDF 1.02 tree; first difference: Corvan Lite is in the '
                        'Joliet tree, not in the UDF 1.02 tree'),
            # The same names, Setup.ini's bytes differ.
            'setup-ini': ({'Corvan Lite/setup.exe': setup, 'autorun/demo.exe': setup,
                           'Setup.ini': b'[Settings]\r\nDemoPath=autorun\\demo.exe\r\n'},
                          {'Corvan Lite/setup.exe': setup, 'autorun/demo.exe': setup, 'Setup.ini': b''},
                          'would start autorun\\demo.exe -q -c from the Joliet tree but start '
                          '.\\Corvan Lite\\setup.exe from the UDF 1.02 tree; first difference: Setup.ini in the '
                          'Joliet tree differs from Setup.ini in the UDF 1.02 tree'),
            # A name only in one tree that nothing looks for changes nothing.
            'same-plan': ({'Corvan Lite/setup.exe': setup, 'readme.txt': b'r'},
                          {'Corvan Lite/setup.exe': setup}, None),
        }
        for name, (joliet, udf, said) in cases.items():
            with self.subTest(name):
                image = self.pycdlib(name, joliet, udf)
                code, out, err = discplan(image, '--json', '--strict')
                rows = json.loads(out)
                differ = {f['message'] for r in rows for f in r['findings'] if f['code'] == 'image-trees-differ'}
                unknown = {(r['os'], f['message']) for r in rows for f in r['findings']
                           if f['code'] == 'image-tree-unknown'}
                self.assertEqual(1 if said else 0, code, err)
                if not said:
                    self.assertEqual((set(), set()), (differ, unknown))
                    continue
                # The Windows 98 family may read either tree: an error of
                # its own in each of its rows.
                self.assertEqual(set(WIN98), {os for os, _ in unknown})
                self.assertTrue(all(m.startswith('it is not known whether %s reads the UDF 1.02 tree or the Joliet '
                                                 'tree of this image, and they change the plan' % os)
                                    for os, m in unknown), unknown)
                # Once per disc, in every row, naming both sides.
                self.assertEqual(1, len(differ), differ)
                self.assertTrue(all('image-trees-differ' in {f['code'] for f in r['findings']} for r in rows))
                message = differ.pop()
                self.assertTrue(message.startswith('win95, nt4 read the Joliet tree and %s the UDF 1.02 tree'
                                                   % ', '.join(UDF_102)), message)
                self.assertIn(said, message)

    def test_disc_findings_of_each_tree_in_its_rows(self):
        # Setup programs only in a language folder in the Joliet tree.
        image = self.pycdlib('findings', {'Dusmara/deu/setup.exe': b'MZ'}, {'Dusmara/setup.exe': b'MZ'})
        for row in self.plans(image, '--cmdline', '/dm5'):
            codes = {f['code'] for f in row['findings']}
            self.assertEqual(row['tree'] == 'joliet', 'no-english-setup' in codes, row['os'])
            self.assertIn('image-trees-differ', codes)

    def test_autorun_inf_of_each_tree(self):
        """autorun.inf read from the tree each system reads: the insertion's
        rows from it, and trees whose files differ, where that changes what
        starts on insertion or not."""
        silent = b'[AutoRun]\r\nopen=Setup.exe /s\r\n'
        cases = {
            'same': (silent, silent, None, None),
            'other bytes': (silent, b'[autorun]\r\nopen = Setup.exe /s\r\nlabel=Dusmara\r\n', 'warning',
                            'autorun.inf differs between the Joliet tree and the UDF 1.02 tree (win95, nt4 read the '
                            'one, %s the other), though what starts on insertion is the same' % ', '.join(UDF_102)),
            'other task': (silent, b'[AutoRun]\r\nopen=Setup.exe\r\n', 'error',
                           'autorun.inf differs between the Joliet tree and the UDF 1.02 tree, which changes the '
                           'insertion: win95 reads the Joliet tree and would start Setup.exe /s, but start Setup.exe '
                           'from the UDF 1.02 tree'),
            'one tree': (silent, None, 'error',
                         'the Joliet tree has an autorun.inf, the UDF 1.02 tree has none, which changes the insertion: '
                         'win95 reads the Joliet tree and would start Setup.exe /s, but start nothing from the UDF '
                         '1.02 tree'),
        }
        for name, (joliet, udf, severity, said) in cases.items():
            with self.subTest(name):
                image = self.pycdlib('autorun-' + name.replace(' ', '-'), {'autorun.inf': joliet} if joliet else {},
                                     {'autorun.inf': udf} if udf else {})
                rows = self.plans(image)
                differ = {(f['severity'], f['message']) for r in rows for f in r['findings']
                          if f['code'] == 'autorun-trees-differ'}
                self.assertEqual({(severity, said)} if said else set(), {(s, m[:len(said)]) for s, m in differ}
                                 if said else differ)
                # Each system's insertion row from the tree it reads.
                inserted = {r['os']: (r['tree'], r['cmdline']) for r in rows if r['cmdline_origin'] == 'insertion'}
                udf_cmdline = {'same': '/s', 'other bytes': '/s', 'other task': ''}.get(name)
                expected = {os: ('joliet', '/s') for os in ('win95', 'nt4')}
                if udf_cmdline is not None:
                    expected.update({os: ('udf', udf_cmdline) for os in UDF_102 if os in ALL[:ALL.index('vista') + 1]})
                self.assertEqual(expected, inserted)
        # 8.3 names: AUTORUN.INF is read and SETUP.EXE is the launcher, but
        # a folder cut to TILMAR_S is not what open= names.
        folder = os.path.join(self.work, 'autorun-8.3')
        os.makedirs(os.path.join(folder, 'Tilmar Setup'), exist_ok=True)
        for path, data in (('Setup.exe', b'MZ'), ('Tilmar Setup/setup.exe', b'MZ'),
                           ('autorun.inf', b'[AutoRun]\r\nopen=Setup.exe /s\r\n[AutoRun.Amd64]\r\n'
                                           b'open="Tilmar Setup\\setup.exe" /s\r\n')):
            with open(os.path.join(folder, path), 'wb') as f:
                f.write(data)
        image = images.make_image(folder, 'genisoimage-level-1', os.path.join(self.work, 'autorun-8.3.iso'))
        rows = self.plans(image, '--insertion', '--os', 'win98', '--os', 'winxp64')
        self.assertEqual([('win98', '/s', True, True), ('winxp64', '/s', False, False)],
                         [(r['os'], r['cmdline'], r['insertion']['launcher'], r['insertion']['found']) for r in rows])
        missing = {f['message'] for r in rows for f in r['findings'] if f['code'] == 'autorun-program-missing'}
        self.assertTrue(any(m.startswith("autorun.inf's open= in [AutoRun.Amd64] names Tilmar Setup\\setup.exe, which is not on the "
                                         'disc: nothing starts when the disc is inserted (winxp64, win11)')
                            for m in missing), missing)

    def test_systems_without_a_tree_read_get_no_plan(self):
        # A UDF 2.01 disc in a virtual partition whose table is not where it
        # belongs, without ISO 9660: nothing for Windows 2000 and earlier,
        # unknown from XP on.
        image = os.path.join(self.work, 'plan-vat.img')
        images.make_udf_written(image, VAT_FILES, '2.01', 'vat')
        with open(image, 'r+b') as f:
            f.seek(-2048, os.SEEK_END)
            f.write(b'\x55' * 2048)
        rows = self.plans(image, '--cmdline', '', '--os', 'win95', '--os', 'vista')
        self.assertEqual([('win95', None, None, 'nothing', 'image-no-tree'),
                          ('vista', 'udf', '2.01', 'unknown', 'image-udf-unread')],
                         [(r['os'], r['tree'], r['udf_revision'], r['unplanned'], r['findings'][0]['code'])
                          for r in rows])
        for row in rows:
            # What the disc decides is unknown; the system's own facts are not.
            self.assertEqual([None] * 6, [row[k] for k in ('product', 'setup_program', 'launch', 'exit_code', 'log',
                                                              'engine_update_found')])
            self.assertEqual(row['os'] == 'vista', row['admin_required'])
        # The row and --strict agree, in the text too.
        code, out, err = discplan(image, '--cmdline', '', '--lang', 'enu', '--os', 'vista', '--strict')
        self.assertEqual(1, code, err)
        self.assertIn('  vista; enu:\n    no plan: it reads the UDF 2.01 tree, which discplan cannot read\n'
                      '    error image-udf-unread\n', out)
        # Read whole, the same disc is planned.
        images.make_udf_written(image, VAT_FILES, '2.01', 'vat')
        rows = self.plans(image, '--cmdline', '', '--os', 'vista')
        self.assertEqual(('udf', None, '.\\Dusmara\\setup.exe'),
                         (rows[0]['tree'], rows[0]['unplanned'], rows[0]['launch']['program']))


if __name__ == '__main__':
    unittest.main()
