"""discplan against the real Setup.exe: every run of the end-to-end scenarios
that the harness makes is planned by discplan on the same disc layout,
system, language and command line, and the two must agree on what is started
(program and parameters as handed to the shell, folder, show state, wait) and
on the exit code.

Run as a program, it runs the scenario modules given with the check switched
on and reports how many runs it compared.
"""
import json
import os
import subprocess
import sys
import time
import unittest

DISCPLAN = os.environ.get('DISCPLAN', '')
# Runs compared in this process.
agreed = [0]

# Wine's Windows versions and the system classes discplan names them by
# (Wine's win98 reports the second edition); None is Wine's default, Windows 7.
SYSTEMS = {None: 'win7', 'win95': 'win95', 'win98': 'win98se', 'winme': 'winme', 'nt40': 'nt4',
           'win2k': 'win2000', 'winxp': 'winxp', 'winxp64': 'winxp64', 'win2003': 'winxp64',
           'vista': 'vista', 'win7': 'win7', 'win10': 'win10'}
LANGUAGES = {'en': 'enu', 'de': 'deu', 'fr': 'fra', 'nl': 'nld', 'it': 'ita', 'pt': 'ptb', 'es': 'esp',
             'ko': 'kor', 'ja': 'jpn', 'da': 'dan', 'nb': 'nor', 'pl': 'plk', 'sv': 'sve', 'fi': 'fin',
             'zh_CN': 'chs', 'zh_TW': 'cht'}

LAUNCH_LINES = ('LaunchCmdline::Launching ', 'LaunchCmdline - cant find szFile ')


def language_code(locale):
    name = locale.split('.')[0]
    return LANGUAGES.get(name, LANGUAGES.get(name.split('_')[0], 'xxx'))


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


def plan(disc, cmdline, system, lang, at, engine):
    from harness import wine, winpath
    args = ['--launcher', os.path.basename(disc.launcher), '--os', system, '--lang', lang, '--cmdline', cmdline, '--at', at, '--engine', engine, '--json']
    if DISCPLAN.lower().endswith('.exe'):
        result = wine([winpath(DISCPLAN), winpath(disc.root)] + args, check=True)
    else:
        result = subprocess.run([DISCPLAN, disc.root] + args, stdout=subprocess.PIPE, check=True)
    return json.loads(result.stdout.decode('latin-1'))[0]


def check(test, disc, cmdline, version, lang, drive, run):
    """Compares the run with discplan's plan; runs that no plan covers (a
    launcher already running, a version discplan does not name) are left out."""
    if not DISCPLAN or version not in SYSTEMS or len(run.log) < 2 or \
            run.log[1] == 'A duplicate is already running. Exiting...\n':
        return
    # A folder the code page may not write: Setup.exe names it at run time,
    # maybe by its short name, which no plan for --at can know.
    if not disc.root.isascii() or isinstance(lang, dict):
        return
    at = disc.on_drive(drive) if drive else disc.win()
    engine = 'current' if 'Skipping Engine update.\n' in run.log else 'outdated'
    planned = plan(disc, cmdline, SYSTEMS[version], language_code(lang), at, engine)
    where = f'{disc.root} {cmdline!r} {version} {lang}: plan {planned} run {run}'
    test.assertEqual(planned['exit_code'], run.exit_code, where)
    test.assertEqual(started_lines(planned['log']), started_lines(run.log), where)

    # The stand-ins record where they ran and how they were shown. The
    # launcher itself (a silent installation without a product) records
    # nothing, nor does a program that is missing.
    starts = [s for s in ([planned['engine_update']] + [planned['launch']]) if s and s.get('found', True)]
    starts = [s for s in starts if s['program'].lower() != 'setup.exe']
    from harness import read_records
    started = run.started
    deadline = time.monotonic() + 20
    while len(started) < len(starts) and time.monotonic() < deadline:
        time.sleep(0.05)
        started, _ = read_records(disc.record_file)
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
    agreed[0] += 1


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
}
INI_QUERIES = [('Settings', 'DemoPath'), ('settings', 'SETUPPATH'), ('Silent', 'CmdlineParam'),
               ('Set]tings', 'DemoPath'), (' Settings ', 'DemoPath'), ('Settings', ';DemoPath')]


class SetupIniReaderTest(unittest.TestCase):
    """discplan's Setup.ini reader against GetPrivateProfileStringA under Wine."""

    def test_every_query_of_every_file(self):
        from harness import WORK, wine, winpath
        tool = os.environ['INIQUERY_EXE']
        native = os.environ.get('INIQUERY', '')
        folder = os.path.join(WORK, 'ini')
        os.makedirs(folder, exist_ok=True)
        queries = [part for query in INI_QUERIES for part in query]
        compared = 0
        for name, text in INI_CORPUS.items():
            path = os.path.join(folder, name + '.ini')
            with open(path, 'w', encoding='latin-1', newline='') as f:
                f.write(text)
            windows = wine([winpath(tool), '--windows', winpath(path)] + queries, check=True)
            if native:
                reader = subprocess.run([native, path] + queries, stdout=subprocess.PIPE, check=True)
            else:
                reader = wine([winpath(tool), winpath(path)] + queries, check=True)
            expected = windows.stdout.decode('latin-1').replace('\r\n', '\n').splitlines()
            found = reader.stdout.decode('latin-1').replace('\r\n', '\n').splitlines()
            for query, want, got in zip(INI_QUERIES, expected, found):
                with self.subTest(file=name, query=query):
                    self.assertEqual(want, got)
                compared += 1
        self.assertEqual(len(INI_CORPUS) * len(INI_QUERIES), compared)


class FindingsTest(unittest.TestCase):
    """What discplan reports about a disc, and its exit codes."""

    def discplan(self, root, *args):
        from harness import wine, winpath
        if DISCPLAN.lower().endswith('.exe'):
            result = wine([winpath(DISCPLAN), winpath(root)] + list(args))
        else:
            result = subprocess.run([DISCPLAN, root] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        return result.returncode, result.stdout.decode('latin-1')

    def codes(self, disc, *args):
        code, out = self.discplan(disc.root, '--json', *args)
        return code, {(f['severity'], f['code']) for row in json.loads(out) for f in row['findings']}

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
                              ('info', 'nothing-started')}, found)

        disc = Disc('findings')
        disc.file('Dusmara/setup.exe')
        disc.file('TechSupt/IKernelUpdate/Setup.exe')
        disc.file('AppInst/setup.exe')
        disc.ini({'Silent': {'CmdlineParam': '/f1"%s" %d'}})
        code, found = self.codes(disc, '--cmdline', '/s')
        self.assertEqual(0, code)
        self.assertEqual({('error', 'cmdline-param-refused'), ('error', 'engine-update-missing'),
                          ('warning', 'engine-update-unused')}, found)

        disc = Disc('findings')
        code, found = self.codes(disc, '--cmdline', '/s', '--strict')
        self.assertEqual((1, ('error', 'silent-starts-itself')), (code, sorted(found)[0]))

    def test_a_sound_disc_passes_and_a_missing_one_is_refused(self):
        from harness import Disc
        disc = Disc('sound')
        disc.file('Dusmara/setup.exe')
        self.assertEqual(0, self.discplan(disc.root, '--strict', '--cmdline', '', '--cmdline', '/s')[0])
        self.assertEqual(2, self.discplan(disc.root + '/missing')[0])


def install(plan_check):
    """Holds every run of the harness against discplan's plan; says at exit
    how many runs were compared."""
    import atexit
    asserter = unittest.TestCase()
    asserter.maxDiff = None
    plan_check[0] = lambda *args: check(asserter, *args)
    atexit.register(lambda: print(f'discplan agreed with Setup.exe on {agreed[0]} runs', file=sys.stderr))


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
    return 0 if result.wasSuccessful() and (plan_agreement.agreed[0] > 0 or not scenarios) else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
