"""End-to-end harness: the real Setup.exe under Wine, state -> action -> state.

A scenario lays out a disc folder (the real Setup.exe plus recording stand-ins
wherever the launcher expects a program), sets the Windows version that Wine
reports and the system language, runs Setup.exe with a command line, and
returns its exit code, the messages it logged and what it started.

The paths and the Wine prefix come from CTest through the environment:
SETUP_EXE, RECORDER_EXE, SYNCTOOL_EXE, BENCH_DIR, WINE_RUN, E2E_WORK. What
differs between the systems under test (32-bit Windows, 64-bit Windows with a
32-bit or a 64-bit launcher) the harness learns from the build and the prefix:
SYSTEM.
"""
import codecs
import functools
import os
import re
import shutil
import struct
import subprocess
import time
import unittest

SETUP_EXE = os.environ.get('SETUP_EXE', '')
RECORDER_EXE = os.environ.get('RECORDER_EXE', '')
SYNCTOOL_EXE = os.environ.get('SYNCTOOL_EXE', '')
BENCH_DIR = os.environ.get('BENCH_DIR', '')
WINE_RUN = os.environ.get('WINE_RUN', '')
WORK = os.environ.get('E2E_WORK', '/tmp/setup-e2e')
PREFIX = os.path.join(BENCH_DIR, 'prefix')
LOG_FILE = os.path.join(PREFIX, 'drive_c', 'windows', 'temp', 'Brivanta.log')

STAMP = re.compile(r'\[(\d\d)/(\d\d)/(\d{4}) (\d\d):(\d\d):(\d\d)\] - ')
APP_DEFAULTS = r'HKCU\Software\Wine\AppDefaults\Setup.exe'


def winpath(path):
    """The Windows form of a Unix path (Wine maps / to drive Z:)."""
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def wine(args, env=None, lang=None, timeout=120, check=False, **kwargs):
    """Runs a Windows program in the bench prefix; returns CompletedProcess.

    lang: a Unix locale for everything (LC_ALL), or a dict of locale
    variables ({'LC_CTYPE': ..., 'LC_MESSAGES': ...}: Wine takes the code
    page from the one and the display language from the other)."""
    full_env = dict(os.environ)
    full_env.update(env or {})
    if isinstance(lang, dict):
        for name in ('LC_ALL', 'LANG', 'LANGUAGE'):
            full_env.pop(name, None)
        full_env.update(lang)
    elif lang:
        full_env['LC_ALL'] = lang
    result = subprocess.run([WINE_RUN, BENCH_DIR] + list(args), env=full_env, timeout=timeout,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kwargs)
    if check and result.returncode != 0:
        raise AssertionError(f'{args} failed: {result.returncode} {result.stderr!r}')
    return result


def program_bits(path):
    """32 or 64: the machine a Windows program is built for (its PE header)."""
    with open(path, 'rb') as f:
        head = f.read(1024)
    machine = struct.unpack_from('<H', head, struct.unpack_from('<I', head, 0x3C)[0] + 4)[0]
    return 64 if machine == 0x8664 else 32


CURRENT_VERSION = r'HKLM\Software\Microsoft\Windows\CurrentVersion'


class System:
    """The system under test as the launcher sees it: "win32" (32-bit Windows),
    "wow64" (64-bit Windows, the 32-bit launcher under WoW64) or "win64" (the
    64-bit launcher)."""

    @functools.cached_property
    def bits(self):
        return program_bits(SETUP_EXE) if SETUP_EXE else 64

    @functools.cached_property
    def windows64(self):
        return os.path.isdir(os.path.join(PREFIX, 'drive_c', 'windows', 'syswow64'))

    @property
    def wow64(self):
        return self.bits == 32 and self.windows64

    @property
    def name(self):
        return 'wow64' if self.wow64 else f'win{self.bits}'

    def common_files_of(self, bits):
        """CommonFilesDir as the registry view of a `bits`-bit program shows it."""
        result = wine(['reg', 'query', CURRENT_VERSION, '/v', 'CommonFilesDir', f'/reg:{bits}'], check=True)
        for line in result.stdout.decode('latin-1').splitlines():
            if 'REG_SZ' in line:
                return line.split('REG_SZ', 1)[1].strip()
        raise AssertionError(f'no CommonFilesDir: {result.stdout!r}')

    @functools.cached_property
    def common_files(self):
        """The common files folder the launcher reads (Windows path)."""
        return self.common_files_of(self.bits)

    @property
    def common_files_unix(self):
        return unixpath(self.common_files)


SYSTEM = System()


def unixpath(path):
    """The Unix form of a Windows path on drive C: of the prefix."""
    drive, _, rest = path.partition(':\\')
    return os.path.join(PREFIX, 'dosdevices', drive.lower() + ':', *rest.split('\\'))


def skip_on(*systems, reason):
    """Skips a scenario that cannot exist on the named systems."""
    return unittest.skipIf(SYSTEM.name in systems, f'{reason} (system under test: {SYSTEM.name})')


_current_version = ['unset']


def set_windows_version(version):
    """Makes Wine report `version` (winxp, win2k, ...) to Setup.exe; None: default."""
    if _current_version[0] == version:
        return
    if version is None:
        wine(['reg', 'delete', APP_DEFAULTS, '/v', 'Version', '/f'])
    else:
        wine(['reg', 'add', APP_DEFAULTS, '/v', 'Version', '/d', version, '/f'], check=True)
    _current_version[0] = version


def parse_log(text):
    """Splits the log into (stamp, message) pairs; the message keeps its line feeds."""
    text = text.replace('\r\n', '\n')
    entries = []
    positions = [m for m in STAMP.finditer(text) if m.start() == 0 or text[m.start() - 1] == '\n']
    for i, match in enumerate(positions):
        end = positions[i + 1].start() if i + 1 < len(positions) else len(text)
        entries.append((match.group(0), text[match.end():end]))
    if positions and positions[0].start() != 0:
        raise AssertionError('log does not start with a stamp: %r' % text[:80])
    return entries


class Record:
    """One start of a recording stand-in."""

    def __init__(self, fields):
        self.pid, self.path, self.cmdline, self.cwd, show = fields
        self.show = int(show)
        self.ended = False

    @property
    def params(self):
        """The command line after the program's own (quoted or bare) path."""
        line = self.cmdline
        if line.startswith('"'):
            rest = line[line.index('"', 1) + 1:]
        else:
            rest = line[len(line.split(' ')[0]):]
        return rest[1:] if rest.startswith(' ') else rest

    def __repr__(self):
        return f'Record({self.path!r}, {self.cmdline!r}, cwd={self.cwd!r}, show={self.show})'


# The ANSI code page Wine gives a Unix locale, by its language (and
# country where that decides); every other locale gets 1252.
CODE_PAGES = {'ja': 932, 'zh_CN': 936, 'zh_SG': 936, 'zh_TW': 950, 'zh_HK': 950, 'ko': 949,
              'pl': 1250, 'cs': 1250, 'sk': 1250, 'hu': 1250, 'sl': 1250, 'hr': 1250, 'ro': 1250,
              'ru': 1251, 'uk': 1251, 'bg': 1251, 'be': 1251, 'el': 1253, 'tr': 1254}


def ctype_locale(lang):
    """The locale whose character type Wine follows: `lang`, or of a dict of
    locale variables its LC_CTYPE."""
    if isinstance(lang, dict):
        return lang.get('LC_CTYPE') or lang.get('LC_ALL') or 'C'
    return lang or 'C'


def ansi_code_page(lang):
    """The Windows ANSI code page that Wine picks for `lang` (a locale, or a
    dict of locale variables: the code page follows LC_CTYPE)."""
    name = ctype_locale(lang).split('.')[0]
    return CODE_PAGES.get(name, CODE_PAGES.get(name.split('_')[0], 1252))


def _windows_bytes(error):
    """Bytes Python's tables leave out read as Windows's do: a C1 byte as
    itself, anything else as U+FFFD."""
    byte = error.object[error.start]
    return (chr(byte) if 0x80 <= byte <= 0x9F else '\ufffd'), error.start + 1


codecs.register_error('windows', _windows_bytes)


def ansi_encoding(lang):
    """The Python codec of the ANSI code page of `lang`; open files with
    errors='windows'."""
    return f'cp{ansi_code_page(lang)}'


def read_records(path, encoding='latin-1'):
    starts, messages = [], []
    by_pid = {}
    if not os.path.exists(path):
        return starts, messages
    with open(path, encoding=encoding, errors='windows') as f:
        for line in f.read().splitlines():
            fields = line.split('\t')
            if fields[0] == 'start' and len(fields) == 6:
                record = Record(fields[1:])
                starts.append(record)
                by_pid[record.pid] = record
            elif fields[0] == 'end' and fields[1] in by_pid:
                by_pid[fields[1]].ended = True
            elif fields[0] == 'msg':
                messages.append(tuple(fields[1:]))
    return starts, messages


class Run:
    """What one run of Setup.exe left behind."""

    def __init__(self, exit_code, entries, started, messages, seconds):
        self.exit_code = exit_code
        self.entries = entries
        self.log = [message for _, message in entries]
        self.started = started
        self.messages = messages
        self.seconds = seconds

    def __repr__(self):
        return f'Run(exit={self.exit_code}, log={self.log!r}, started={self.started!r})'


class Disc:
    """A disc folder with the real Setup.exe at its root; `folder` names the
    disc's own folder (inside the scenario's, levels split by "/"), for folder
    names in other scripts and lengths.

    With `image`, the disc is the tree `tree` ('iso9660', 'joliet', 'udf')
    of that disc image, extracted by an independent reader: the plan check
    then plans the image for the run's system, which must read that tree.
    oem: the Python codec of the OEM code page the ISO 9660 tree's names are
    read in (the system of the runs)."""

    def __init__(self, name, launcher_name='Setup.exe', folder='', image=None, tree=None, oem=None):
        shutil.rmtree(os.path.join(WORK, name), ignore_errors=True)
        self.base = os.path.join(WORK, name)
        self.inner = folder
        self.root = os.path.join(self.base, *folder.split('/')) if folder else self.base
        self.image, self.tree = image, tree
        if image:
            import images
            images.extract(image, tree, self.root, oem)
            # The launcher as the tree names it (SETUP.EXE in 8.3 names).
            launcher_name = next(n for n in os.listdir(self.root) if n.lower() == launcher_name.lower())
            self.launcher = os.path.join(self.root, launcher_name)
        else:
            os.makedirs(self.root)
            self.launcher = os.path.join(self.root, launcher_name)
            shutil.copy(SETUP_EXE, self.launcher)
        self.record_file = os.path.join(WORK, name + '.record')
        if os.path.exists(self.record_file):
            os.remove(self.record_file)

    def path(self, relative):
        return os.path.join(self.root, *relative.replace('\\', '/').split('/'))

    def win(self, relative=''):
        return winpath(self.path(relative)) if relative else winpath(self.root)

    def on_drive(self, drive, relative=''):
        """The Windows path of the disc (or of `relative` in it) when `drive`
        names the scenario's folder (run_setup's drive)."""
        parts = [p for p in self.inner.split('/') + relative.replace('\\', '/').split('/') if p]
        return drive.upper() + ':\\' + '\\'.join(parts)

    def folder(self, relative):
        os.makedirs(self.path(relative), exist_ok=True)
        return self.path(relative)

    def file(self, relative, text='', encoding='latin-1'):
        target = self.path(relative)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, 'w', encoding=encoding, newline='') as f:
            f.write(text)
        return target

    def program(self, relative, **behaviour):
        """A recording stand-in at `relative`; behaviour goes to its .rec file."""
        target = self.path(relative)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy(RECORDER_EXE, target)
        if behaviour:
            lines = ['[rec]'] + [f'{key}={value}' for key, value in behaviour.items()]
            with open(target + '.rec', 'w', newline='') as f:
                f.write('\r\n'.join(lines) + '\r\n')
        return target

    def batch(self, relative):
        """A batch file that records its own start like a stand-in does."""
        line = '@echo start\t%RANDOM%\t%~f0\t%~f0 %*\t%CD%\t-1>>"%RECORD_FILE%"\r\n'
        return self.file(relative, line)

    def ini(self, sections, encoding='latin-1'):
        """Writes Setup.ini from {section: {key: value}} in `encoding` (a code
        page, 'utf-8', or with a byte order mark 'utf-8-sig', 'utf-16')."""
        lines = []
        for section, values in sections.items():
            lines.append(f'[{section}]')
            lines += [f'{key}={value}' for key, value in values.items()]
        return self.file('Setup.ini', '\r\n'.join(lines) + '\r\n', encoding)


# Called with every run to hold discplan's plan against it, when the bench
# names a discplan (DISCPLAN): the scenarios that lay out discs check the
# plan in the same run (plan_agreement.py).
plan_check = [None]
if os.environ.get('DISCPLAN'):
    import plan_agreement
    plan_agreement.install(plan_check)


def run_setup(disc, cmdline='', version=None, lang='en_US.UTF-8', drive=None, env=None,
              settle=True, timeout=120, wait_for_end=True, command_line=None):
    """Runs the disc's Setup.exe and collects the outcome.

    drive: a letter to map to the scenario's folder (the disc root unless the
    disc has a folder of its own); Setup.exe is then run as <drive>:\\...\\Setup.exe.
    settle: wait until every program that the run started has recorded its start
    (and, with wait_for_end, its end) before reading the records.
    command_line: the process's whole command line, "{exe}" standing for the
    launcher's path, started as written by synctool's CreateProcess; cmdline
    then names what WinMain should receive of it.
    """
    set_windows_version(version)
    for stale in (LOG_FILE, disc.record_file):
        if os.path.exists(stale):
            os.remove(stale)
    exe = disc.win(os.path.basename(disc.launcher))
    link = None
    if drive:
        link = os.path.join(PREFIX, 'dosdevices', drive.lower() + ':')
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(disc.base, link)
        exe = disc.on_drive(drive, os.path.basename(disc.launcher))
    run_env = {'RECORD_FILE': winpath(disc.record_file)}
    run_env.update(env or {})
    if command_line:
        args = [winpath(SYNCTOOL_EXE), 'run', command_line.format(exe=exe)]
    else:
        args = [exe] + ([cmdline] if cmdline else [])
    started_at = time.monotonic()
    try:
        # Setup.exe receives the command line as Wine rebuilds it from argv:
        # tests pass one argument and avoid characters that need quoting.
        result = wine(args, env=run_env, lang=lang, timeout=timeout, cwd=WORK)
    finally:
        if link:
            os.remove(link)
    seconds = time.monotonic() - started_at
    log_text = ''
    if os.path.exists(LOG_FILE):
        with open(LOG_FILE, encoding=ansi_encoding(lang), errors='windows', newline='') as f:
            log_text = f.read()
    entries = parse_log(log_text)
    # Programs of the system folder (regedit) are no stand-ins and record nothing.
    launched = sum(1 for _, m in entries if m.startswith('LaunchCmdline::Launching ')
                   and not m.lower().startswith('launchcmdline::launching c:\\windows\\'))
    deadline = time.monotonic() + 20
    while settle and time.monotonic() < deadline:
        started, _ = read_records(disc.record_file, ansi_encoding(lang))
        if len(started) >= launched and (not wait_for_end or all(
                r.ended or not r.path.lower().endswith('.exe') for r in started)):
            break
        time.sleep(0.05)
    started, messages = read_records(disc.record_file, ansi_encoding(lang))
    run = Run(result.returncode, entries, started, messages, seconds)
    if plan_check[0]:
        plan_check[0](disc, cmdline, version, lang, drive, run)
    return run


def start_waiting_setup(disc, cmdline):
    """Starts the disc's Setup.exe in the background with a fresh log, and
    returns its process once the program it launched has recorded its start
    (the launcher then waits for it, in the silent mode)."""
    set_windows_version(None)
    for stale in (LOG_FILE, disc.record_file):
        if os.path.exists(stale):
            os.remove(stale)
    env = dict(os.environ, RECORD_FILE=winpath(disc.record_file))
    process = subprocess.Popen([WINE_RUN, BENCH_DIR, disc.win('Setup.exe'), cmdline], env=env)
    deadline = time.monotonic() + 20
    while not os.path.exists(disc.record_file) and time.monotonic() < deadline:
        time.sleep(0.05)
    return process


def read_log():
    """The messages of the log as it is now."""
    with open(LOG_FILE, encoding='latin-1', newline='') as f:
        return [message for _, message in parse_log(f.read())]


class SetupTestCase(unittest.TestCase):
    """Base of the end-to-end scenarios."""

    maxDiff = None

    def disc(self, launcher_name='Setup.exe', folder=''):
        return Disc(self.id().split('.', 1)[1].replace('.', '_'), launcher_name, folder)

    def assertLaunched(self, run, path, params='', show=1, cwd=None):
        """Exactly one program started: `path` (relative to the disc or absolute)."""
        self.assertEqual(1, len(run.started), run)
        record = run.started[0]
        self.assertEqual(path.lower(), record.path.lower(), run)
        self.assertEqual(params, record.params, run)
        self.assertEqual(show, record.show, run)
        if cwd is not None:
            self.assertEqual(cwd.lower(), record.cwd.lower(), run)

    def assertNothingLaunched(self, run):
        self.assertEqual([], run.started, run)
        self.assertFalse([m for m in run.log if m.startswith('LaunchCmdline::Launching')], run)
