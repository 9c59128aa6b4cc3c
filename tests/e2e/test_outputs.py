"""discplan's outputs beside its text: the JUnit XML (--junit) read with
readers we did not write (ElementTree, junitparser) and held to discplan's
own JSON of the same run; the page (--html) rendered by Debian's headless
Chromium, whose pixels must show the matrix in its colours and whose text
must hold the plan; files that cannot be written. DISCPLAN is the native
discplan; run with /usr/bin/python3 (junitparser, pycdlib)."""
import html.parser
import json
import os
import re
import shutil
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

import junitparser

import browser
import images

DISCPLAN = os.environ.get('DISCPLAN', '')
SAMPLE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'examples',
                                       'sample-disc'))
# Text from the disc with what HTML and XML must escape; the disc's own
# folder name adds a control character and a byte that is no UTF-8.
ODD = '<img src=x> & "q" ü'
ODD_DISC = b'disc <&"\'\x01\xff \xc3\xbc.v1'
# What XML 1.0 cannot carry, written as U+FFFD.
FORBIDDEN = re.compile('[\x00-\x08\x0b\x0c\x0e-\x1f\ufffe\uffff]')
# The cell colours of the page, by outcome.
COLOURS = {'started': b'\xd9\xf2\xdf', 'nothing': b'\xff\xf0\xc2', 'error': b'\xf8\xd3\xd1'}


def markup(text):
    return FORBIDDEN.sub('\ufffd', text)


def run_name(row):
    name = '"%s"' % row['cmdline'] if row['cmdline'] else 'no command line'
    return name + (' on insertion' if row.get('cmdline_origin') == 'insertion' else '')


def outcome(row):
    if row['unplanned']:
        return 'unplanned'
    if any(f['severity'] == 'error' for f in row['findings']):
        return 'error'
    return 'started' if row['launch'] else 'nothing'


def fails(row):
    """An error finding, or no plan of Setup.exe where it should run (on
    insertion, autorun.inf starting another program is only a warning)."""
    return (any(f['severity'] == 'error' for f in row['findings']) or
            row['unplanned'] not in (None, 'other-program'))


def lay_out_error_disc(root):
    """Setup programs only in language folders: a double-click starts nothing
    (an error for no command line only); Setup.ini names a folder whose name
    needs escaping (warnings in every run)."""
    for lang in ('deu', 'fra', 'jpn', 'enu'):
        os.makedirs(os.path.join(root, b'Dusmara', lang.encode()))
        with open(os.path.join(root, b'Dusmara', lang.encode(), b'setup.exe'), 'wb') as f:
            f.write(b'MZ')
    odd = os.path.join(root, b'TechSupt', ODD.encode())
    os.makedirs(odd)
    with open(os.path.join(odd, b'demo.exe'), 'wb') as f:
        f.write(b'MZ')
    with open(os.path.join(root, b'Setup.ini'), 'wb') as f:
        f.write(b'[Settings]\r\nDemoPath=TechSupt\\' + ODD.encode('cp1252') + b'\\demo.exe\r\n')
    # On insertion Windows starts Setup.exe /s: rows of their own, first.
    with open(os.path.join(root, b'autorun.inf'), 'wb') as f:
        f.write(b'[autorun]\r\nopen=Setup.exe /s\r\n')


class PageCells(html.parser.HTMLParser):
    """Each matrix of a page as a grid of its cells' classes, rowspan and
    colspan laid out as a browser lays them out; the page's text and tags."""

    def __init__(self, page):
        super().__init__()
        self.grids, self.text, self.tags, self._row = [], [], set(), None
        with open(page, encoding='utf-8') as f:
            self.feed(f.read())

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.tags.add(tag)
        if tag == 'table' and attrs.get('class') == 'matrix':
            self.grids.append({})
        elif tag == 'tbody' and self.grids and self._row is None:
            self._row = -1
        elif tag == 'tr' and self._row is not None:
            self._row += 1
        elif tag == 'td' and self._row is not None:
            grid, column = self.grids[-1], 0
            while (self._row, column) in grid:
                column += 1
            for y in range(int(attrs.get('rowspan', 1))):
                for x in range(int(attrs.get('colspan', 1))):
                    grid[(self._row + y, column + x)] = attrs['class']

    def handle_endtag(self, tag):
        if tag == 'tbody':
            self._row = None

    def handle_data(self, data):
        # A line break opportunity (<wbr>) inside a path is no space.
        if self.text and self.get_starttag_text() == '<wbr>':
            self.text[-1] += data
        elif self.lasttag != 'style':
            self.text.append(data)


@unittest.skipUnless(DISCPLAN, 'DISCPLAN names no native discplan')
class OutputsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix='outputs-')
        cls.error_disc = os.path.join(cls.work.encode(), ODD_DISC)
        lay_out_error_disc(cls.error_disc)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def discplan(self, disc, name, *arguments):
        """The JSON rows of a run, and the JUnit XML and page it wrote."""
        junit, page = os.path.join(self.work, name + '.xml'), os.path.join(self.work, name + '.html')
        result = subprocess.run([DISCPLAN, disc, '--json', '--strict', '--junit', junit, '--html', page] +
                                list(arguments), stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
        self.assertIn(result.returncode, (0, 1), result.stderr)
        rows = json.loads(result.stdout)
        errors = any(f['severity'] == 'error' for r in rows for f in r['findings'])
        self.assertEqual(1 if errors else 0, result.returncode)
        return rows, junit, page

    def check_junit(self, junit, rows, disc):
        root = ElementTree.parse(junit).getroot()
        self.assertEqual('testsuites', root.tag)
        cases = {}
        for suite in root:
            self.assertEqual('testsuite', suite.tag)
            self.assertEqual(['testcase'], sorted({c.tag for c in suite}))
            failed = [c for c in suite if c.find('failure') is not None]
            self.assertEqual([str(len(suite)), str(len(failed)), '0', '0'],
                             [suite.get(k) for k in ('tests', 'failures', 'errors', 'skipped')])
            for case in suite:
                self.assertNotIn(case.get('name'), cases)
                cases[case.get('name')] = (suite.get('name'), case)
        # A suite per command line, the insertion's first.
        self.assertEqual(list(dict.fromkeys(run_name(r) for r in rows)), [s.get('name') for s in root])
        # One case per system, language and command line, and the totals.
        expected = {'%s %s %s' % (r['os'], r['lang'], run_name(r)): r for r in rows}
        self.assertEqual(set(expected), set(cases))
        failing = {n for n, r in expected.items() if fails(r)}
        self.assertEqual([str(len(rows)), str(len(failing))], [root.get('tests'), root.get('failures')])
        name = os.path.basename(disc.decode('utf-8', 'replace') if isinstance(disc, bytes) else disc)
        for case_name, row in expected.items():
            suite_name, case = cases[case_name]
            self.assertEqual(run_name(row), suite_name)
            self.assertEqual(markup('discplan.' + name.replace('.', '_')), case.get('classname'))
            # Fails exactly on an error finding (a row without a plan has one
            # first), every error in the body, the first as the message.
            errors = [f for f in row['findings'] if f['severity'] == 'error']
            failure = case.find('failure')
            self.assertEqual(case_name in failing, failure is not None, case_name)
            if row['unplanned']:
                self.assertEqual('error', row['findings'][0]['severity'])
            if failure is not None:
                self.assertEqual(errors[0]['code'], failure.get('type'))
                self.assertEqual(markup('%s: %s' % (errors[0]['code'], errors[0]['message'])), failure.get('message'))
                self.assertEqual([markup('error %s: %s' % (f['code'], f['message'])) for f in errors],
                                 failure.text.splitlines())
            out = case.find('system-out').text.splitlines()
            self.assertEqual([markup('%s %s: %s' % (f['severity'], f['code'], f['message']))
                              for f in row['findings'] if f['severity'] != 'error'], out[1:])
            if row['launch']:
                self.assertTrue(out[0].startswith(markup('starts ' + row['launch']['program'])), out[0])
        # junitparser's own counts agree with those written.
        parsed = junitparser.JUnitXml.fromfile(junit)
        parsed_failing = set()
        for suite in parsed:
            written = (suite.tests, suite.failures, suite.errors, suite.skipped)
            suite.update_statistics()
            self.assertEqual((suite.tests, suite.failures, suite.errors, suite.skipped), written)
            parsed_failing |= {c.name for c in suite if any(isinstance(r, junitparser.Failure) for r in c.result)}
        self.assertEqual(failing, parsed_failing)
        return failing

    def test_junit(self):
        image = images.make_empty_udf(os.path.join(self.work, 'udf201.img'), '2.01')
        cases = {
            # name: disc, arguments, the command lines of the failing cases
            'sound': (SAMPLE, (), set()),
            'error': (self.error_disc, ('--lang', 'deu', '--lang', 'enu', '--lang', 'jpn'), {'no command line'}),
            # Windows 2000 reads no UDF 2.01 and the image has no other tree.
            'unplanned': (image, ('--os', 'win2000', '--os', 'winxp', '--lang', 'enu', '--cmdline', ''), None),
        }
        for name, (disc, arguments, failing_runs) in cases.items():
            with self.subTest(name):
                rows, junit, _ = self.discplan(disc, name, *arguments)
                failing = self.check_junit(junit, rows, disc)
                if failing_runs is not None:
                    self.assertEqual(failing_runs, {n.split(' ', 2)[2] for n in failing})
                if name == 'sound':
                    self.assertEqual(864, len(rows))
                if name == 'unplanned':
                    self.assertEqual([('win2000', 'nothing', 'image-no-tree')],
                                     [(r['os'], r['unplanned'], r['findings'][0]['code']) for r in rows
                                      if r['unplanned']])

    def test_equal_cells_merge(self):
        """Each matrix laid out as a browser lays it out is the plans'
        outcomes, cell by cell; a disc that does the same everywhere is one
        cell."""
        cases = {
            'everywhere-alike': (SAMPLE, ('--os', 'win2000', '--os', 'winxp', '--os', 'vista'), [1] * 6),
            # Windows NT 4.0 and earlier ask for no administrator.
            'two-classes': (SAMPLE, (), [2] * 6),
            'mixed': (self.error_disc, ('--lang', 'deu', '--lang', 'enu', '--lang', 'jpn'), None),
        }
        for name, (disc, arguments, cells) in cases.items():
            with self.subTest(name):
                rows, _, page = self.discplan(disc, name, *arguments)
                systems = list(dict.fromkeys(r['os'] for r in rows))
                langs = list(dict.fromkeys(r['lang'] for r in rows))
                runs = list(dict.fromkeys(run_name(r) for r in rows))
                grids = PageCells(page).grids
                self.assertEqual(len(runs), len(grids))
                for grid, run in zip(grids, runs):
                    self.assertEqual({(systems.index(r['os']), langs.index(r['lang'])): outcome(r)
                                      for r in rows if run_name(r) == run}, grid, run)
                if cells:
                    with open(page, encoding='utf-8') as f:
                        tables = f.read().split('<table class="matrix">')[1:]
                    self.assertEqual(cells, [t.count('<td') for t in tables])

    def test_page_in_a_browser(self):
        rows, _, page = self.discplan(self.error_disc, 'browser', '--lang', 'deu', '--lang', 'enu', '--lang', 'jpn')
        with open(page, encoding='utf-8') as f:
            source = f.read()
        # Nothing is fetched: no address, script, style sheet or image.
        for pattern in (r'https?:', r'<link', r'<script', r'@import', r'url\(', r'<[^>]*\bsrc='):
            self.assertIsNone(re.search(pattern, source, re.I), pattern)
        # The screenshot: the matrix in the colours of its outcomes.
        png = browser.screenshot(page, os.path.join(self.work, 'browser.png'), 1280, 2000)
        width, height, bpp, pixels = browser.read_png(png)
        self.assertEqual((1280, 2000), (width, height))
        counts = {colour: 0 for colour in COLOURS.values()}
        distinct = set()
        for row in pixels[::2]:
            for x in range(0, len(row), bpp * 2):
                pixel = row[x:x + 3]
                distinct.add(pixel)
                if pixel in counts:
                    counts[pixel] += 1
        for name, colour in COLOURS.items():
            self.assertGreater(counts[colour], 2000, name)
        self.assertGreater(len(distinct), 50)
        # The text as the browser built it: the plan, the findings, the
        # disc's names as text and never as markup.
        dom = browser.dump_dom(page)
        dom_page = os.path.join(self.work, 'dom.html')
        with open(dom_page, 'w', encoding='utf-8') as f:
            f.write(dom)
        parsed = PageCells(dom_page)
        text = ' '.join(' '.join(parsed.text).split())
        self.assertNotIn('img', parsed.tags)
        self.assertEqual(len(set(run_name(r) for r in rows)), len(parsed.grids))
        said = [r['os'] for r in rows] + [r['lang'] for r in rows] + [run_name(r) for r in rows]
        said += [r['launch']['program'] for r in rows if r['launch']]
        said += [f['code'] for r in rows for f in r['findings']] + [f['message'] for r in rows for f in r['findings']]
        said += [ODD, markup(os.path.basename(self.error_disc).decode('utf-8', 'replace'))]
        for words in set(said):
            words = ' '.join(markup(words).split())
            self.assertTrue(words in text, words)

    def test_files_that_cannot_be_written(self):
        missing = os.path.join(self.work, 'no-such-folder', 'plan.html')
        for option, path, reason in (('--html', missing, 'No such file or directory'),
                                     ('--junit', self.work, 'Is a directory')):
            with self.subTest(option):
                result = subprocess.run([DISCPLAN, SAMPLE, '--os', 'winxp', '--lang', 'enu', option, path],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
                self.assertEqual((2, b''), (result.returncode, result.stdout))
                self.assertEqual('discplan: cannot write %s: %s\n' % (path, reason), result.stderr.decode())


if __name__ == '__main__':
    unittest.main()
