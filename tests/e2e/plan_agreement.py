"""discplan against the real Setup.exe: every run of the end-to-end scenarios
that the harness makes is planned by discplan on the same disc layout,
system, language and command line, and the two must agree on what is started
(program and parameters as handed to the shell, folder, show state, wait) and
on the exit code. A run on a tree extracted from a disc image is planned
from the image itself, for the run's system.

Run as a program, it runs the scenario modules given with the check switched
on and reports how many runs it compared.
"""
import collections
import json
import os
import re
import subprocess
import sys
import time
import unittest

DISCPLAN = os.environ.get('DISCPLAN', '')
# Runs compared in this process, by locale; runs from a folder's short name,
# which the plan only names.
agreed = collections.Counter()
short_names = [0]
# Runs on trees of disc images, by image and tree.
agreed_images = collections.Counter()
# Runs whose command line is the one the disc's autorun.inf gives, held to
# the plan's row of the insertion too, by system.
agreed_insertions = collections.Counter()

# Wine's Windows versions and the system classes discplan names them by
# (Wine's win98 reports the second edition); None is Wine's default, Windows 7.
SYSTEMS = {None: 'win7', 'win95': 'win95', 'win98': 'win98se', 'winme': 'winme', 'nt40': 'nt4',
           'win2k': 'win2000', 'winxp': 'winxp', 'winxp64': 'winxp64', 'win2003': 'winxp64',
           'vista': 'vista', 'win7': 'win7', 'win10': 'win10'}
LANGUAGES = {'en': 'enu', 'de': 'deu', 'fr': 'fra', 'nl': 'nld', 'it': 'ita', 'pt': 'ptb', 'es': 'esp',
             'ko': 'kor', 'ja': 'jpn', 'da': 'dan', 'nb': 'nor', 'pl': 'plk', 'sv': 'sve', 'fi': 'fin',
             'zh_CN': 'chs', 'zh_TW': 'cht'}
# The code page of each language's own system; every other one is 1252.
LANGUAGE_CODE_PAGES = {'plk': 1250, 'jpn': 932, 'chs': 936, 'cht': 950, 'kor': 949}

LAUNCH_LINES = ('LaunchCmdline::Launching ', 'LaunchCmdline - cant find szFile ')
SHORT_NAME_LINES = ('Folder name not in the system code page, working from its short name ',
                    'Folder name too long in the system code page, working from its short name ')
UNNAMEABLE = ' cannot be named in the system code page, nothing launched\n'


def language_code(locale):
    """The launcher's language on Wine in `locale`: the system language
    follows the character type. A language the table does not know is enu."""
    from harness import ctype_locale
    name = ctype_locale(locale).split('.')[0]
    return LANGUAGES.get(name, LANGUAGES.get(name.split('_')[0], 'enu'))


def started_lines(log):
    """The launcher's own lines on what it starts, regedit left out (no stand-in)."""
    return [line for line in log if line.startswith(LAUNCH_LINES) and 'regedit.exe' not in line.lower()]


def full_path(program, folder):
    program = program.replace('/', '\\')
    if len(program) > 1 and program[1] == ':':
        path = program
    else:
        path = folder.rstrip('\\') + '\\' + program
    parts = []
    for part in path.split('\\')[1:]:
        if part in ('', '.'):
            continue
        if part == '..':
            parts.pop()
        else:
            parts.append(part)
    return path.split('\\')[0] + '\\' + '\\'.join(parts)


def plan(disc, cmdline, system, lang, code_page, at, engine, insertion=False):
    """The plan's row of the combination; with insertion, the rows of the
    disc's insertion instead (none where the system starts nothing)."""
    from harness import wine, winpath
    args = ['--launcher', os.path.basename(disc.launcher), '--os', system, '--lang', lang, '--at', at,
            '--engine', engine, '--json'] + (['--insertion'] if insertion else ['--cmdline', cmdline])
    if code_page != LANGUAGE_CODE_PAGES.get(lang, 1252):
        args += ['--codepage', str(code_page)]
    target = disc.image or disc.root
    if DISCPLAN.lower().endswith('.exe'):
        result = wine([winpath(DISCPLAN), winpath(target)] + args, check=True)
    else:
        result = subprocess.run([DISCPLAN, target] + args, stdout=subprocess.PIPE, check=True)
    rows = json.loads(result.stdout.decode('utf-8'))
    return rows if insertion else rows[0]


def autorun_inf(disc):
    """The disc's autorun.inf at its root, in any letter case, or None."""
    return next((os.path.join(disc.root, n) for n in os.listdir(disc.root) if n.lower() == 'autorun.inf'), None)


def check(test, disc, cmdline, version, lang, drive, run):
    """Compares the run with discplan's plan in the run's code page; runs that
    no plan covers (a launcher already running, a version discplan does not
    name) are left out, and so are runs from the folder's short name, which
    the plan must say it cannot know."""
    if not DISCPLAN or version not in SYSTEMS or len(run.log) < 2 or \
            run.log[1] == 'A duplicate is already running. Exiting...\n':
        return
    from harness import ansi_code_page
    at = disc.on_drive(drive) if drive else disc.win()
    engine = 'current' if 'Skipping Engine update.\n' in run.log else 'outdated'
    planned = plan(disc, cmdline, SYSTEMS[version], language_code(lang), ansi_code_page(lang), at, engine)
    where = f'{disc.root} {cmdline!r} {version} {lang}: plan {planned} run {run}'
    if run.log[1].startswith(SHORT_NAME_LINES) or run.log[1].endswith(UNNAMEABLE):
        test.assertTrue(planned['folder_short_name'], where)
        test.assertIn('name-not-in-codepage', [f['code'] for f in planned['findings']], where)
        short_names[0] += 1
        return
    test.assertFalse(planned['folder_short_name'], where)
    hold(test, disc, cmdline, planned, run, lang, at, where)
    agreed[lang if isinstance(lang, str) else ','.join(f'{k}={v}' for k, v in sorted(lang.items()))] += 1
    if disc.image:
        agreed_images[f'{os.path.splitext(os.path.basename(disc.image))[0]} {disc.tree} {SYSTEMS[version]}'] += 1
    # A run with the command line the disc's autorun.inf gives is the
    # insertion too: its row must name that command line and agree alike.
    if autorun_inf(disc):
        rows = plan(disc, cmdline, SYSTEMS[version], language_code(lang), ansi_code_page(lang), at, engine, True)
        inserted = [row for row in rows if row['insertion']['launcher'] and row['cmdline'] == cmdline]
        if inserted:
            test.assertEqual('insertion', inserted[0]['cmdline_origin'], where)
            hold(test, disc, cmdline, inserted[0], run, lang, at, f'{where} (the insertion: {inserted[0]})')
            agreed_insertions[SYSTEMS[version]] += 1


def hold(test, disc, cmdline, planned, run, lang, at, where):
    """Holds one planned row to the run: the tree, the exit code, the
    launcher's lines on what it starts, the findings, and what the stand-ins
    recorded of where they ran, how shown and whether waited for."""
    # The system reads the tree the run was made on.
    test.assertEqual(disc.tree, planned['tree'], where)
    test.assertEqual(planned['exit_code'], run.exit_code, where)
    test.assertEqual(started_lines(planned['log']), started_lines(run.log), where)
    check_findings(test, disc, cmdline, planned, run, where)

    # The stand-ins record where they ran and how they were shown. The
    # launcher itself (a silent installation without a product) records
    # nothing, nor does a program that is missing.
    starts = [s for s in ([planned['engine_update']] + [planned['launch']]) if s and s.get('found', True)]
    starts = [s for s in starts if s['program'].lower() != 'setup.exe']
    from harness import ansi_encoding, read_records
    started = run.started
    deadline = time.monotonic() + 20
    while len(started) < len(starts) and time.monotonic() < deadline:
        time.sleep(0.05)
        started, _ = read_records(disc.record_file, ansi_encoding(lang))
    test.assertEqual(len(starts), len(started), where)
    for start, record in zip(starts, started):
        folder = start.get('folder', at)
        test.assertEqual(full_path(start['program'], folder).lower(), record.path.lower(), where)
        test.assertEqual(folder.rstrip('\\').lower(), record.cwd.rstrip('\\').lower(), where)
        if record.show != -1:   # a batch file cannot tell its show state
            test.assertEqual(start.get('show', 1), record.show, where)
        if start['wait']:
            # Waited for: its end is recorded before the launcher's own.
            test.assertTrue(record.ended, where)


def update_programs(root):
    """Every IKernelUpdate\\Setup.exe of the disc folder, at any depth, as
    paths from its root in Windows's form."""
    found = []
    for folder, _, files in os.walk(root):
        if os.path.basename(folder).lower() != 'ikernelupdate':
            continue
        found += [os.path.relpath(os.path.join(folder, name), root).replace('/', '\\')
                  for name in files if name.lower() == 'setup.exe']
    return found


def check_findings(test, disc, cmdline, planned, run, where):
    """What the plan says is wrong, held to what the run did. Without a
    command line a run that starts nothing is an error of the disc, and only
    such a run. A run that looked for the engine update and did not find it
    never meets any IKernelUpdate\\Setup.exe of the disc: each is named as
    never run; a run that started the update ran one and found the one it
    looks for, and neither may be called unused."""
    codes = [f['code'] for f in planned['findings']]
    if cmdline == '':
        test.assertEqual(planned['launch'] is None, 'nothing-on-double-click' in codes, where)
    unused = [f['message'].lower() for f in planned['findings'] if f['code'] == 'engine-update-unused']
    programs = update_programs(disc.root)
    if any(line.startswith('IkernelUpdate not found in ') for line in run.log):
        for program in programs:
            test.assertTrue(any(m.startswith(program.lower() + ' is never run') for m in unused), (program, where))
    updates = [line for line in run.log if line.startswith(LAUNCH_LINES[0]) and '\\IKernelUpdate\\Setup.exe -s' in line]
    if updates:
        probe = planned['engine_probe'].lower()
        while probe.startswith('.\\'):
            probe = probe[2:]
        for program in programs:
            if program.lower() == probe or updates[0].lower().endswith('\\' + program.lower() + ' -s\n'):
                test.assertFalse(any(m.startswith(program.lower() + ' ') for m in unused), (program, where))


# Setup.ini files that a disc may carry, each with the value asked for as
# [Settings] DemoPath (and a few other keys on the way).
INI_CORPUS = {
    'plain': '[Settings]\r\nDemoPath=autorun\\demo.exe\r\n',
    'case': '[sETTINGS]\r\ndemopath=lower\r\nDEMOPATH=upper\r\n',
    'blanks': '   [Settings]   \r\n \t DemoPath \t =  \t spaced value \t \r\n',
    'inline_comment': '[Settings]\r\nDemoPath=autorun\\demo.exe     ; started with -q -c when it exists\r\n',
    'double_quotes': '[Settings]\r\nDemoPath="quoted value"\r\nSetupPath= " inner blanks " \r\n',
    'single_quotes': "[Settings]\r\nDemoPath='single'\r\nSetupPath='mixed\"\r\n",
    'one_quote': '[Settings]\r\nDemoPath="\r\nSetupPath=""\r\n',
    'inner_quotes': '[Settings]\r\nDemoPath="a"b"\r\nSetupPath=a"b"c\r\n',
    'nested_quotes': '[Settings]\r\nDemoPath=""double""\r\n',
    'duplicate_keys': '[Settings]\r\nDemoPath=first\r\nDemoPath=second\r\n',
    'duplicate_sections': '[Settings]\r\nSetupPath=one\r\n[Silent]\r\nCmdlineParam=-s\r\n'
                          '[Settings]\r\nDemoPath=in the second\r\n',
    'comment_lines': '[Settings]\r\n;DemoPath=commented\r\n# SetupPath=hash\r\nDemoPath=real\r\n',
    'section_blanks': '[ Settings ]\r\nDemoPath=inner blanks\r\n',
    'unclosed_section': '[Settings\r\nDemoPath=after an unclosed header\r\n',
    'bracket_in_name': '[Set]tings]\r\nDemoPath=x\r\n[Settings]x\r\nSetupPath=junk after bracket\r\n',
    'no_equals': '[Settings]\r\nDemoPath\r\nSetupPath=\r\n',
    'equals_in_value': '[Silent]\r\nCmdlineParam=/a=b /c="%s"\r\n',
    'empty_key': '[Settings]\r\n=orphan\r\nDemoPath=kept\r\n',
    'before_any_section': 'DemoPath=orphan\r\n[Settings]\r\nSetupPath=x\r\n',
    'line_feeds_only': '[Settings]\nDemoPath=unix\nSetupPath=lines\n',
    'no_final_line_end': '[Settings]\r\nDemoPath=last line',
    'long_259': '[Settings]\r\nDemoPath=' + 'v' * 259 + '\r\n',
    'long_300': '[Settings]\r\nDemoPath=' + 'w' * 300 + '\r\n',
    'long_40000': '[Settings]\r\nDemoPath=' + 'x' * 40000 + '\r\n',
    'latin1': '[Settings]\r\nDemoPath=D\xe9mo\\s\xe9tup.exe\r\n',
    'tab_key': '[Settings]\r\n\tDemoPath\t=\ttabbed\t\r\n',
    'empty': '',
    'utf8_mark': '\xef\xbb\xbf[Settings]\r\nDemoPath=after the mark\r\n',
    'dos_end_of_file': '[Settings]\r\nDemoPath=\x1a value \x1a\r\n\x1a',
}
INI_QUERIES = [('Settings', 'DemoPath'), ('settings', 'SETUPPATH'), ('Silent', 'CmdlineParam'),
               ('Set]tings', 'DemoPath'), (' Settings ', 'DemoPath'), ('Settings', ';DemoPath')]


# Files in the code page of a locale's system and in Unicode, with names of
# that script: (code page, folder name, section, key, value, the key in
# other letter case, the code page's no-break or ideographic space).
INI_LOCALES = {
    'en_US.UTF-8': (1252, 'Übung', 'Über', 'schlüssel', 'Größe', 'SCHLÜSSEL', '\xa0'),
    'ru_RU.UTF-8': (1251, 'Установка', 'Настройки', 'путь', 'Значение', 'ПУТЬ', '\xa0'),
    # "表" and "ソ" end in a backslash's byte in 932; the key is in full-width letters.
    'ja_JP.UTF-8': (932, 'ソフト', '設定', 'ｐａｔｈ', '表示', 'ＰＡＴＨ', '\u3000'),
}


def locale_corpus(code_page, folder, section, key, value, other_case, space):
    """{name: bytes} of Setup.ini files in the code page and in Unicode."""
    text = (f'[Settings]\r\nDemoPath={folder}\\setup.exe\r\nSetupPath={space}{value}{space}\r\n'
            f'[{section}]\r\n{key}={value}\r\n')
    # A character no code page of the test writes, and none gives a look-alike for.
    unicode_text = text + '[Silent]\r\nCmdlineParam=/v"한" %s\r\n'
    return {'ansi': text.encode(f'cp{code_page}'),
            'utf16le': b'\xff\xfe' + unicode_text.encode('utf-16-le'),
            'utf16be': b'\xfe\xff' + unicode_text.encode('utf-16-be'),
            'utf16le_odd_length': b'\xff\xfe' + unicode_text.encode('utf-16-le') + b'x',
            'utf8_mark': b'\xef\xbb\xbf' + unicode_text.encode('utf-8'),
            'utf8_unmarked': unicode_text.encode('utf-8')}


class SetupIniReaderTest(unittest.TestCase):
    """discplan's Setup.ini reader against GetPrivateProfileStringA under Wine."""

    def compare(self, path, queries, lang, code_page, label):
        """The answers of both readers to `queries` on the file at path."""
        from harness import wine, winpath
        tool = os.environ['INIQUERY_EXE']
        native = os.environ.get('INIQUERY', '')
        args = [part for query in queries for part in query]
        windows = wine([winpath(tool), '--windows', winpath(path)] + args, lang=lang, check=True)
        if native:
            reader = subprocess.run([native, '--codepage', str(code_page), path] + args, stdout=subprocess.PIPE,
                                    check=True)
        else:
            reader = wine([winpath(tool), winpath(path)] + args, lang=lang, check=True)
        expected = windows.stdout.decode('latin-1').replace('\r\n', '\n').splitlines()
        found = reader.stdout.decode('latin-1').replace('\r\n', '\n').splitlines()
        self.assertEqual(len(queries), len(expected), label)
        for query, want, got in zip(queries, expected, found):
            with self.subTest(file=label, query=query):
                self.assertEqual(want, got)
        return len(expected)

    def test_every_query_of_every_file(self):
        from harness import WORK
        folder = os.path.join(WORK, 'ini')
        os.makedirs(folder, exist_ok=True)
        compared = 0
        for name, text in INI_CORPUS.items():
            path = os.path.join(folder, name + '.ini')
            with open(path, 'w', encoding='latin-1', newline='') as f:
                f.write(text)
            compared += self.compare(path, INI_QUERIES, 'en_US.UTF-8', 1252, name)
        self.assertEqual(len(INI_CORPUS) * len(INI_QUERIES), compared)

    def test_files_in_the_code_page_and_in_unicode_on_systems_of_three_code_pages(self):
        from harness import WORK
        folder = os.path.join(WORK, 'ini')
        os.makedirs(folder, exist_ok=True)
        compared = 0
        for lang, (code_page, name, section, key, value, other_case, space) in INI_LOCALES.items():
            queries = [('Settings', 'DemoPath'), ('Settings', 'SetupPath'), ('Silent', 'CmdlineParam'),
                       (section, key), (section.upper(), other_case), (f' {section} ', key)]
            files = locale_corpus(code_page, name, section, key, value, other_case, space)
            for label, data in files.items():
                path = os.path.join(folder, f'{code_page}_{label}.ini')
                with open(path, 'wb') as f:
                    f.write(data)
                compared += self.compare(path, queries, lang, code_page, f'{lang} {label}')
        self.assertEqual(sum(6 * 6 for _ in INI_LOCALES), compared)


class CodePageTest(unittest.TestCase):
    """discplan's code pages against Windows's conversion under Wine: every
    byte, lead byte and lead/trail pair read, every character of the Basic
    Multilingual Plane written (WC_NO_BEST_FIT_CHARS), and the upper case of
    every character, as the name comparison takes it."""

    # The ANSI code pages, then the OEM ones ISO 9660 names are read in.
    CODE_PAGES = ['874', '932', '936', '949', '950', '1250', '1251', '1252', '1253', '1254', '1255', '1256',
                  '1257', '1258', '437', '720', '737', '775', '850', '852', '857', '862', '866']

    def test_every_byte_pair_and_character(self):
        from harness import wine, winpath
        tool = os.environ['CPQUERY_EXE']
        native = os.environ.get('CPQUERY', '')
        windows = wine([winpath(tool), '--windows', '--case'] + self.CODE_PAGES, check=True, timeout=300)
        if native:
            ours = subprocess.run([native, '--case'] + self.CODE_PAGES, stdout=subprocess.PIPE, check=True)
        else:
            ours = wine([winpath(tool), '--case'] + self.CODE_PAGES, check=True, timeout=300)
        expected = windows.stdout.decode('ascii').replace('\r\n', '\n').splitlines()
        found = ours.stdout.decode('ascii').replace('\r\n', '\n').splitlines()
        # Each line names its byte, pair or character: the first that differ
        # say where glibc's table and Windows's part.
        differing = [(want, got) for want, got in zip(expected, found) if want != got]
        self.assertEqual([], differing[:20])
        self.assertEqual(len(expected), len(found))
        self.assertGreater(len(expected), 190000)


class FindingsTest(unittest.TestCase):
    """What discplan reports about a disc, and its exit codes."""

    def discplan(self, root, *args):
        from harness import wine, winpath
        if DISCPLAN.lower().endswith('.exe'):
            result = wine([winpath(DISCPLAN), winpath(root)] + list(args))
        else:
            result = subprocess.run([DISCPLAN, root] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        return result.returncode, result.stdout.decode('utf-8'), result.stderr.decode('utf-8')

    def findings(self, disc, *args):
        """The exit code and every (severity, code, message) of the plans."""
        code, out, _ = self.discplan(disc.root, '--json', *args)
        return code, {(f['severity'], f['code'], f['message']) for row in json.loads(out) for f in row['findings']}

    def codes(self, disc, *args):
        code, found = self.findings(disc, *args)
        return code, {(severity, name) for severity, name, _ in found}

    def test_a_disc_with_every_mistake(self):
        from harness import Disc
        disc = Disc('findings')
        disc.file('Dusmara/deu/setup.exe')
        disc.file('Dusmara/Fran\xe7ais/setup.exe')
        disc.file('Talvenor2/IKernelUpdate/Setup.exe')
        disc.file('Drvs/Bin/express.reg')
        disc.ini({'Settings': {'DemoPath': 'autorun\\demo.exe   ; started with -q -c', 'SetupPath': 's' * 260},
                  'Silent': {'CmdlineParam': '%s' + 'x' * 250}})
        code, found = self.codes(disc, '--strict', '--at', 'E:\\' + 'd' * 240)
        self.assertEqual(1, code)
        self.assertLessEqual({('error', 'ini-inline-comment'), ('error', 'ini-value-too-long'),
                              ('warning', 'ini-path-missing'), ('error', 'no-english-setup'),
                              ('error', 'no-setup-for-language'), ('warning', 'engine-update-unused'),
                              ('error', 'driver-path-too-long'), ('error', 'silent-params-too-long'),
                              ('warning', 'non-ascii-name'), ('warning', 'nothing-started'),
                              ('info', 'nothing-started'), ('error', 'nothing-on-double-click'),
                              ('info', 'webrelease-missing')}, found)

        # The update is looked for in TechSupt but run from AppInst, which
        # has a setup program: the one looked for is needed, not unused.
        disc = Disc('findings')
        disc.file('Dusmara/setup.exe')
        disc.file('TechSupt/IKernelUpdate/Setup.exe')
        disc.file('AppInst/setup.exe')
        disc.ini({'Silent': {'CmdlineParam': '/f1"%s" %d'}})
        code, found = self.findings(disc, '--cmdline', '/s')
        self.assertEqual(0, code)
        self.assertEqual({('error', 'cmdline-param-refused'), ('error', 'engine-update-missing'),
                          ('info', 'engine-update-probe'), ('info', 'autorun-missing')}, {f[:2] for f in found})
        self.assertIn(('error', 'cmdline-param-refused', 'Setup.ini\'s CmdlineParam "/f1"%s" %d" is refused for "%d" '
                       '(only %s, at most twice, and %% are taken); the default "/s /f1"%s"" is used'), found)

        disc = Disc('findings')
        code, found = self.codes(disc, '--cmdline', '/s', '--strict')
        self.assertEqual((1, ('error', 'silent-starts-itself')), (code, sorted(found)[0]))

    # Discs laid out by hand with one mistake each: files, arguments, the
    # exit code of --strict, findings that must be there (severity, code,
    # start of the message) and (severity, code) that must not.
    MISTAKES = {
        'language folders only': (
            ['Dusmara/deu/setup.exe', 'Dusmara/fra/setup.exe', 'Dusmara/jpn/setup.exe', 'Dusmara/enu/setup.exe'],
            ('--os', 'winxp'), 1,
            {('error', 'nothing-on-double-click', "without a command line (a double-click, the disc's autorun) "
              'Setup.exe starts nothing: its last resort is a plain .\\Dusmara\\setup.exe, which is not on the '
              'disc; a setup program in a language folder starts only with /dusmara or /dm5')},
            {('warning', 'nothing-started')}),
        'Talvenor with both updates': (
            ['Talvenor/setup.exe', 'Talvenor/IKernelUpdate/Setup.exe', 'TechSupt/IKernelUpdate/Setup.exe'], (), 0,
            {('info', 'engine-update-probe', 'Talvenor\\IKernelUpdate\\Setup.exe is needed, though never run: '
              'Setup.exe runs the engine update from techsupt\\IKernelUpdate\\Setup.exe only when it finds')},
            {('warning', 'engine-update-unused'), ('error', 'engine-update-missing')}),
        'Talvenor with the update it runs only': (
            ['Talvenor/setup.exe', 'TechSupt/IKernelUpdate/Setup.exe'], (), 0,
            {('warning', 'engine-update-unused', 'TechSupt\\IKernelUpdate\\Setup.exe is never run: Setup.exe runs '
              'it only when it also finds Talvenor\\IKernelUpdate\\Setup.exe')}, set()),
        'misplaced updates': (
            ['Dusmara/setup.exe', 'Dusmara/TechSupt/IKernelUpdate/Setup.exe', 'IKernelUpdate/Setup.exe',
             'Dusmara/data/ikernelupdate/setup.exe'], (), 0,
            {('warning', 'engine-update-unused', f'{path} is never run: Setup.exe looks for the engine update at '
              'TechSupt\\IKernelUpdate\\Setup.exe and runs it from there')
             for path in ('Dusmara\\TechSupt\\IKernelUpdate\\Setup.exe', 'IKernelUpdate\\Setup.exe',
                          'Dusmara\\data\\ikernelupdate\\setup.exe')}, set()),
        'misspelt folders': (
            ['Dusmara/setup.exe', 'TechSupt/IKernelUpd/Setup.exe', 'TechSup/readme.txt', 'AppInstall/setup.exe'],
            (), 0,
            {('warning', 'folder-name-typo',
              f'the folder {name} looks like a misspelt {known}, a name Setup.exe looks for')
             for name, known in (('TechSupt\\IKernelUpd', 'IKernelUpdate'), ('TechSup', 'TechSupt'),
                                 ('AppInstall', 'AppInst'))}, set()),
        'the real names in other case': (
            ['Dusmara/setup.exe', 'TECHSUPT/ikernelupdate/SETUP.EXE', 'appinst/IKERNELUPDATE/setup.exe',
             'appinst/SETUP.EXE'], (), 0,
            {('info', 'engine-update-probe', 'TECHSUPT\\ikernelupdate\\SETUP.EXE is needed')},
            {('warning', 'folder-name-typo'), ('warning', 'engine-update-unused'), ('info', 'webrelease-missing')}),
        '/webrelease without AppInst': (
            ['Dusmara/setup.exe'], ('--cmdline', '/webrelease'), 0,
            {('info', 'webrelease-missing', 'the disc has no AppInst\\setup.exe: /webrelease starts nothing')},
            {('warning', 'program-missing'), ('error', 'program-missing'), ('warning', 'nothing-started')}),
    }

    def test_each_mistake_of_a_disc_laid_out_by_hand(self):
        from harness import Disc
        for name, (files, args, strict, present, absent) in self.MISTAKES.items():
            with self.subTest(name):
                disc = Disc('mistake')
                for path in files:
                    disc.file(path)
                code, found = self.findings(disc, '--strict', *args)
                self.assertEqual(strict, code)
                for severity, finding, start in present:
                    self.assertTrue(any(f[:2] == (severity, finding) and f[2].startswith(start) for f in found),
                                    (severity, finding, start, found))
                self.assertEqual(set(), absent & {f[:2] for f in found})

    def test_findings_say_where_they_hold_and_rows_name_what_was_asked(self):
        from harness import Disc
        disc = Disc('context')
        for lang in ('deu', 'enu'):
            disc.file(f'Dusmara/{lang}/setup.exe')
        disc.ini({'Silent': {'CmdlineParam': '/v %d'}})
        code, out, _ = self.discplan(disc.root, '--os', 'win7', '--os', 'win10', '--lang', 'DEU', '--lang', 'fra',
                                     '--cmdline', '', '--cmdline', '/s', '--cmdline', '/webrelease')
        self.assertEqual(0, code)
        self.assertIn('\n  win7, win10; deu:\n', out)
        self.assertNotIn('every system', out)
        findings = out.split('\nFindings:\n')[1]
        # Each finding once, then its command lines, systems and languages.
        for finding, where in (('error nothing-on-double-click', 'no command line: win7, win10; deu, fra'),
                               ('error cmdline-param-refused', '"/s": win7, win10; deu, fra'),
                               ('info webrelease-missing', '"/webrelease": win7, win10; deu, fra')):
            lines = findings.splitlines()
            index = [i for i, line in enumerate(lines) if line.startswith('  ' + finding + ': ')]
            self.assertEqual(1, len(index), (finding, findings))
            self.assertEqual('    ' + where, lines[index[0] + 1], findings)
        # Every default: "every".
        code, out, _ = self.discplan(disc.root)
        findings = out.split('\nFindings:\n')[1]
        self.assertIn('  info webrelease-missing: the disc has no AppInst\\setup.exe: /webrelease starts nothing '
                      '(Setup.exe logs that it cannot find .\\AppInst\\setup.exe)\n'
                      '    "/webrelease": every system; every language\n', findings)
        self.assertIn('\n    no command line: every system; every language\n', findings)

    def test_a_sound_disc_passes_and_a_missing_one_is_refused(self):
        from harness import Disc
        disc = Disc('sound')
        disc.file('Dusmara/setup.exe')
        self.assertEqual(0, self.discplan(disc.root, '--strict', '--cmdline', '', '--cmdline', '/s')[0])
        self.assertEqual(2, self.discplan(disc.root + '/missing')[0])
        # The Windows build reads disc images with the same reader: the same
        # plans, the same refusal of a damaged one.
        import images
        from harness import wine, winpath
        image = images.make_image(disc.root, 'udf-bridge', os.path.join(os.path.dirname(disc.root), 'sound.iso'))
        windows = wine([winpath(os.environ['DISCPLAN_EXE']), winpath(image), '--json', '--strict'], timeout=300)
        self.assertEqual(0, windows.returncode, windows.stderr)
        rows = json.loads(windows.stdout.decode('utf-8'))
        self.assertEqual({'joliet', 'udf'}, {row['tree'] for row in rows})
        if not DISCPLAN.lower().endswith('.exe'):
            self.assertEqual(json.loads(self.discplan(image, '--json', '--strict')[1]), rows)
        bad = disc.file('bad.iso', '\0' * 32768 + '\1CD001\1')
        result = wine([winpath(os.environ['DISCPLAN_EXE']), winpath(bad), '--strict'])
        self.assertEqual((2, b''), (result.returncode, result.stdout))
        self.assertEqual(1, result.stderr.decode().count('\n'), result.stderr)

    def test_arguments(self):
        from harness import Disc
        disc = Disc('arguments')
        disc.file('Dusmara/setup.exe')
        one = ('--os', 'winxp', '--cmdline', '/s', '--json')
        for args, code, said in ((('--lang', 'ger'), 2, '--lang enu --codepage N'),
                                 (('--lang', 'deu', disc.root), 2, 'one disc folder'),
                                 (('--at', '1:\\'), 2, 'drive A to Z'),
                                 (('--codepage', '437'), 2, '1251'),
                                 (('--codepage', ''), 2, '1251')):
            with self.subTest(args=args):
                result = self.discplan(disc.root, *one, *args)
                self.assertEqual(code, result[0], result)
                self.assertIn(said, result[2])
        # The version is the launcher's own (its version resource), with the
        # commit it was built from.
        code, out, _ = self.discplan(disc.root, '--version')
        self.assertEqual(0, code)
        match = re.fullmatch(r'discplan (\S+), (commit [0-9a-f]{40}( with changes not committed)?|'
                             r'built from no git commit \(a source archive\?\))\r?\n', out)
        self.assertTrue(match, out)
        self.assertEqual(file_version(os.environ['SETUP_EXE']), match.group(1))
        # The language in any letter case, asked twice, is planned once.
        code, out, _ = self.discplan(disc.root, *one, '--lang', 'DEU', '--lang', 'deu')
        self.assertEqual([('deu', 'deu', 1252)], [(p['lang'], p['language_code'], p['codepage'])
                                                   for p in json.loads(out)])
        # Another system's code page: the launcher's language there is enu.
        code, out, _ = self.discplan(disc.root, *one, '--codepage', '1251', '--at', 'e:\\Диск')
        self.assertEqual([('enu', 1251, 'e:\\Диск', False)],
                         [(p['lang'], p['codepage'], p['at'], p['folder_short_name']) for p in json.loads(out)])
        self.assertIn('/f1"e:\\Диск\\Dusmara"', json.loads(out)[0]['launch']['parameters'])
        # Windows 8 to 11 are Vista's class; a folder's closing separator is
        # not part of it, as the launcher's own folder has none.
        code, out, _ = self.discplan(disc.root, '--cmdline', '/s', '--json', '--lang', 'enu', '--at', 'E:\\Discs\\',
                                     *[a for s in ('win8', 'win81', 'win10', 'win11') for a in ('--os', s)])
        self.assertEqual([('win8', 10), ('win81', 10), ('win10', 10), ('win11', 10)],
                         [(p['os'], p['os_code']) for p in json.loads(out)])
        self.assertEqual({('E:\\Discs', '/s /f1"E:\\Discs\\Dusmara"')},
                         {(p['at'], p['launch']['parameters']) for p in json.loads(out)})
        # A UTF-8 system (Windows 10 1903 on): every name is written, three
        # bytes a CJK character, and past 259 bytes the launcher works from
        # the short name.
        for length, short in ((80, False), (90, True)):
            at = 'D:\\' + '日' * length
            code, out, _ = self.discplan(disc.root, *one, '--codepage', '65001', '--at', at)
            self.assertEqual([(65001, at, short)],
                             [(p['codepage'], p['at'], p['folder_short_name']) for p in json.loads(out)])

    # autorun.inf as each Windows reads it on insertion, one mistake a disc:
    # files beside Setup.exe, autorun.inf's text (None: no file),
    # arguments, findings that must be there (severity, code, start of the
    # message) and (severity, code) that must not.
    AUTORUN = {
        'no autorun.inf': (
            [], None, (),
            {('info', 'autorun-missing', 'the disc has no autorun.inf: nothing starts when it is inserted')}, set()),
        'a program not on the disc': (
            [], '[AutoRun]\r\nopen=autorun\\menu.exe\r\n', (),
            {('error', 'autorun-program-missing', "autorun.inf's open= names autorun\\menu.exe, which is not on the "
              'disc: nothing starts when the disc is inserted (every system)')},
            {('info', 'autorun-missing'), ('warning', 'autorun-not-launcher')}),
        'a drive letter': (
            [], '[autorun]\r\nOPEN=D:\\Setup.exe\r\n', (),
            {('error', 'autorun-program-missing', "autorun.inf's open= names D:\\Setup.exe")}, set()),
        'another program': (
            ['Autorun/Menu.exe'], '[AutoRun]\r\nopen=autorun\\menu.exe -x\r\n', (),
            {('warning', 'autorun-not-launcher', "on insertion autorun.inf's open= starts autorun\\menu.exe, not "
              "Setup.exe on every system: Setup.exe's engine update")},
            {('error', 'autorun-program-missing')}),
        'an icon not on the disc': (
            [], '[AutoRun]\r\nopen=Setup.exe\r\nicon=disc.ico\r\n', (),
            {('warning', 'autorun-icon-missing', "autorun.inf's icon= names disc.ico, which is not on the disc: the "
              'drive keeps its standard icon (every system)')}, set()),
        'the launcher as icon': (
            ['Art/disc.ico'], '[AutoRun]\r\nopen=Setup.exe\r\nicon=SETUP.EXE,0\r\n', (), set(),
            {('warning', 'autorun-icon-missing')}),
        'a long label': (
            [], '[AutoRun]\r\nopen=Setup.exe\r\nlabel=Dusmara 2 Installation and Extras Disc\r\n', (),
            {('warning', 'autorun-label-too-long', "autorun.inf's label \"Dusmara 2 Installation and Extras Disc\" has "
              '38 characters, of which Windows shows the first 32, "Dusmara 2 Installation and Extra" (winxp and later)')},
            set()),
        'shellexecute alone': (
            [], '[AutoRun]\r\nshellexecute=Setup.exe /s\r\n', (),
            {('info', 'autorun-keys-partial', "autorun.inf's shellexecute= is ignored before Windows 2000 and Me "
              '(shell 5.0), where only open= runs (ignored by win95, win98, win98se, nt4): give open= as well')},
            set()),
        'UseAutoPlay': (
            [], '[AutoRun]\r\nopen=Setup.exe\r\nUseAutoPlay=1\r\n', (),
            {('info', 'autorun-no-task', 'nothing starts when the disc is inserted (winxp and later): '
              "autorun.inf's UseAutoPlay=1"),
             ('info', 'autorun-keys-partial', "autorun.inf's UseAutoPlay= counts from Windows XP on only (ignored by "
              'win2000 and earlier)')}, set()),
        'a 64-bit section': (
            ['x64/Setup.exe'], '[AutoRun.Amd64]\r\nopen=x64\\Setup.exe\r\n[AutoRun]\r\nopen=Setup.exe /s\r\n',
            ('--os', 'vista', '--os', 'win11'),
            {('warning', 'autorun-x64-differs', "autorun.inf's [AutoRun.Amd64] changes the insertion: the 64-bit "
              'editions of vista, win7, win8, win81, win10 would offer "Run Setup.exe" for x64\\Setup.exe where the 32-bit '
              'editions offer "Run Setup.exe" for Setup.exe /s'),
             ('warning', 'autorun-not-launcher', "on insertion autorun.inf's open= in [AutoRun.Amd64] starts "
              'x64\\Setup.exe, not Setup.exe on winxp64, win11')}, set()),
    }

    def test_each_mistake_of_an_autorun_inf(self):
        from harness import Disc
        for name, (files, text, args, present, absent) in self.AUTORUN.items():
            with self.subTest(name):
                disc = Disc('autorun')
                disc.file('Dusmara/setup.exe')
                for path in files:
                    disc.file(path)
                if text is not None:
                    disc.file('AUTORUN.INF', text)
                code, found = self.findings(disc, '--lang', 'enu', *args)
                self.assertEqual(0, code)
                for severity, finding, start in present:
                    self.assertTrue(any(f[:2] == (severity, finding) and f[2].startswith(start) for f in found),
                                    (severity, finding, start, found))
                self.assertEqual(set(), absent & {f[:2] for f in found})

    def test_the_insertion_comes_first(self):
        from harness import Disc
        disc = Disc('insertion')
        disc.file('Dusmara/setup.exe')
        disc.file('Autorun.inf', '[AutoRun]\r\nopen="Setup.exe"/s\r\nicon=Setup.exe,0\r\naction=Install Dusmara\r\n')
        code, out, _ = self.discplan(disc.root, '--json', '--lang', 'enu')
        rows = json.loads(out)
        inserted = [row for row in rows if row['cmdline_origin'] == 'insertion']
        # Every system, before the rows asked for; the command line is what
        # the launcher gets after its quoted name.
        self.assertEqual(rows[:len(inserted)], inserted)
        self.assertEqual([(s, '/s') for s in ('win95', 'win98', 'win98se', 'winme', 'nt4', 'win2000', 'winxp',
                                               'winxp64', 'vista')], [(r['os'], r['cmdline']) for r in inserted])
        # Started at once up to XP; offered in AutoPlay from Vista on.
        self.assertEqual({'started': None, 'autoplay': 'Install Dusmara'},
                         {r['insertion']['shown']: r['insertion']['text'] for r in inserted})
        self.assertEqual('vista', [r['os'] for r in inserted if r['insertion']['shown'] == 'autoplay'][0])
        self.assertEqual({('Setup.exe', True, 'Setup.exe,0')},
                         {(r['insertion']['program'], r['insertion']['launcher'], r['insertion']['icon'])
                          for r in inserted})
        self.assertTrue(all(r['launch']['parameters'].startswith('/s /f1') for r in inserted))
        self.assertEqual([None], list({r['insertion'] for r in rows if r['cmdline_origin'] == 'asked'}))
        # The text's first section; --insertion alone plans only it, a
        # command line asked for by name never.
        code, out, _ = self.discplan(disc.root, '--lang', 'enu', '--os', 'vista')
        self.assertIn('\n\n"/s" on insertion:\n  vista; enu:\n    on insertion: offered in the AutoPlay dialog as '
                      '"Install Dusmara" (icon Setup.exe,0)\n', out)
        self.assertLess(out.index('on insertion:'), out.index('\nno command line:\n'))
        code, out, _ = self.discplan(disc.root, '--json', '--insertion', '--os', 'win98')
        self.assertEqual({'insertion'}, {r['cmdline_origin'] for r in json.loads(out)})
        code, out, _ = self.discplan(disc.root, '--json', '--cmdline', '/s', '--os', 'win98')
        self.assertEqual({'asked'}, {r['cmdline_origin'] for r in json.loads(out)})

    def test_an_autorun_inf_of_any_size(self):
        # Hostile: 40 MB of keys. Every system is planned from its first MiB,
        # where there is no task, within the time the others take.
        from harness import Disc
        disc = Disc('autorun_size')
        disc.file('Dusmara/setup.exe')
        disc.file('autorun.inf', '[AutoRun]\r\n' + ('key=' + 'v' * 94 + '\r\n') * 400000 + 'open=Setup.exe /s\r\n')
        started = time.monotonic()
        code, found = self.codes(disc, '--lang', 'enu')
        self.assertLess(time.monotonic() - started, 60)
        self.assertEqual(0, code)
        self.assertIn(('info', 'autorun-no-task'), found)

    def test_names_in_the_code_pages_of_the_planned_systems(self):
        from harness import Disc
        disc = Disc('international')
        disc.file('Dusmara/setup.exe')
        disc.file('Übung/setup.exe')
        disc.file('Dusmara/日本語/readme.txt')
        disc.ini({'Settings': {'SetupPath': 'Übung\\setup.exe'}}, 'utf-8')
        code, out, _ = self.discplan(disc.root, '--json', '--os', 'winxp', '--cmdline', '', '--at', 'D:\\Łódź',
                                     '--lang', 'deu', '--lang', 'jpn')
        self.assertEqual(0, code)
        plans = {p['lang']: p for p in json.loads(out)}
        messages = {p['lang']: {(f['code'], f['message']) for f in p['findings']} for p in plans.values()}
        # UTF-8 without a mark is read in the code page, and named so.
        self.assertIn(('ini-utf8-text', 'Setup.ini has no byte order mark but its text is UTF-8: Windows reads '
                       'it in code page 1252, where [Settings] SetupPath "Übung\\setup.exe" reads as '
                       '"Ãœbung\\setup.exe"'), messages['deu'])
        self.assertEqual('.\\Dusmara\\setup.exe', plans['deu']['launch']['program'])
        # Exact per code page: 1252 writes "Übung", 932 writes "日本語" but not "Übung".
        self.assertIn(('non-ascii-name', 'the folder Übung has non-ASCII characters: code page 1252 writes '
                       'them, a system of another code page may not'), messages['deu'])
        self.assertIn(('name-not-in-codepage', 'code page 1252 cannot write the folder Dusmara\\日本語: '
                       'Setup.exe cannot reach it there'), messages['deu'])
        self.assertIn(('name-not-in-codepage', 'code page 932 cannot write the folder Übung: Setup.exe cannot '
                       'reach it there'), messages['jpn'])
        self.assertEqual([1252, 932], [plans['deu']['codepage'], plans['jpn']['codepage']])
        # Neither writes the disc's folder: the launcher works from a short name.
        self.assertTrue(all(p['folder_short_name'] for p in plans.values()))
        self.assertTrue(any(c == 'name-not-in-codepage' and 'short name' in m for c, m in messages['jpn']))


def file_version(path):
    """The FileVersion text of a program's version resource."""
    with open(path, 'rb') as f:
        data = f.read()
    key = 'FileVersion\0'.encode('utf-16-le')
    at = data.index(key) + len(key)
    while data[at:at + 2] == b'\0\0':     # the value starts on a 32-bit boundary
        at += 2
    end = at
    while data[end:end + 2] != b'\0\0':
        end += 2
    return data[at:end].decode('utf-16-le')


def report():
    """How many runs agreed, per locale."""
    per_locale = ', '.join(f'{locale} {count}' for locale, count in sorted(agreed.items()))
    images = ', '.join(f'{image} {count}' for image, count in sorted(agreed_images.items()))
    insertions = ', '.join(f'{system} {count}' for system, count in sorted(agreed_insertions.items()))
    return (f'discplan agreed with Setup.exe on {sum(agreed.values())} runs ({per_locale or "none"}); '
            f'{short_names[0]} runs from a short folder name, which the plan says it cannot know'
            + (f'; {sum(agreed_images.values())} of them on trees of disc images ({images})' if images else '')
            + (f'; {sum(agreed_insertions.values())} with the command line of the disc\'s autorun.inf, held to '
               f'the insertion\'s row too ({insertions})' if insertions else ''))


def install(plan_check):
    """Holds every run of the harness against discplan's plan; says at exit
    how many runs were compared."""
    import atexit
    asserter = unittest.TestCase()
    asserter.maxDiff = None
    plan_check[0] = lambda *args: check(asserter, *args)
    atexit.register(lambda: print(report(), file=sys.stderr))


def main(modules):
    """Runs the given tests; the scenario modules among them (any but this
    one's own) must have compared at least one run."""
    # The module as the harness imports it, not this __main__ copy.
    import harness
    import plan_agreement
    if not harness.plan_check[0]:
        plan_agreement.install(harness.plan_check)
    suite = unittest.defaultTestLoader.loadTestsFromNames(modules)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    scenarios = [m for m in modules if not m.startswith('plan_agreement.')]
    return 0 if result.wasSuccessful() and (sum(plan_agreement.agreed.values()) > 0 or not scenarios) else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
