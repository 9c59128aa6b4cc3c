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
COUNT_FILE = os.path.join(os.environ.get('E2E_WORK', '/tmp/setup-e2e'), 'agreement.count')

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
    args = ['--os', system, '--lang', lang, '--cmdline', cmdline, '--at', at, '--engine', engine, '--json']
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
    at = drive.upper() + ':\\' if drive else disc.win()
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
    with open(COUNT_FILE, 'a') as f:
        f.write('1\n')


def main(modules):
    import harness
    if os.path.exists(COUNT_FILE):
        os.remove(COUNT_FILE)
    asserter = unittest.TestCase()
    asserter.maxDiff = None
    harness.plan_check[0] = lambda *args: check(asserter, *args)
    suite = unittest.defaultTestLoader.loadTestsFromNames(modules)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    count = 0
    if os.path.exists(COUNT_FILE):
        with open(COUNT_FILE) as f:
            count = len(f.read().split())
    print(f'discplan agreed with Setup.exe on {count} runs')
    return 0 if result.wasSuccessful() and count > 0 else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
