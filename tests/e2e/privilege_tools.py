"""Helpers of the administrator gate and process search scenarios.

The test tools live beside the recorder (the build's tools folder):
SetupNonAdmin.exe (the launcher with "advapi32" answering "not a member"),
fakeadvapi.dll, boxtool.exe (reports and answers the message box),
stringtool.exe (LoadStringA of entry 1), plantcheck.exe and plantedpsapi.dll.
"""
import os
import shutil
import subprocess

from harness import BENCH_DIR, RECORDER_EXE, WINE_RUN, winpath

TOOLS = os.path.dirname(RECORDER_EXE)
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data')


def tool(name):
    return os.path.join(TOOLS, name)


def expected_texts():
    """{language id: (language, text)} of the "not an administrator" message."""
    texts = {}
    with open(os.path.join(DATA, 'not_administrator.tsv'), encoding='utf-8') as f:
        for line in f.read().splitlines():
            if line and not line.startswith('#'):
                language_id, language, text = line.split('\t')
                texts[int(language_id)] = (language, text.replace('\\n', '\n'))
    return texts


def make_non_admin(disc):
    """Puts the non-administrator launcher in place of the disc's Setup.exe."""
    shutil.copy(tool('SetupNonAdmin.exe'), disc.launcher)
    shutil.copy(tool('fakeadvapi.dll'), disc.path('fakeadvapi.dll'))


class BoxWatcher:
    """Runs boxtool while Setup.exe runs: it reports the message box and
    presses OK. Use as a context manager around the run."""

    def __init__(self, timeout_ms=30000):
        self.timeout_ms = timeout_ms
        self.process = None
        self.found = None
        self.report = {}

    def __enter__(self):
        self.process = subprocess.Popen([WINE_RUN, BENCH_DIR, winpath(tool('boxtool.exe')), str(self.timeout_ms)],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return self

    def finish(self, wait=True):
        """Collects the report; without wait, a watcher still looking is stopped."""
        if self.found is not None:
            return
        if not wait and self.process.poll() is None:
            self.process.kill()
        out, _ = self.process.communicate(timeout=self.timeout_ms / 1000 + 30)
        self.found = self.process.returncode == 0
        for line in out.decode('utf-8').replace('\r\n', '\n').splitlines():
            key, _, value = line.partition('\t')
            self.report[key] = value.replace('\\n', '\n') if key == 'text' else value

    def __exit__(self, *exc):
        self.finish(wait=False)
        return False
