"""The installer engine in the bench prefix's common files folder, for the
engine scenarios: its files laid out from the version files of the tools
folder, and the log lines that the engine test writes about them."""
import os
import shutil

from harness import RECORDER_EXE, SYSTEM, winpath

# The common files folder as the launcher's registry view shows it: under
# WoW64 the 32-bit one, "C:\Program Files (x86)\Common Files".
COMMON_FILES = SYSTEM.common_files_unix
COMMON_FILES_WIN = SYSTEM.common_files
VERSIONS = os.path.join(os.path.dirname(RECORDER_EXE), 'versions')

REQUIRED = '6.31.100.1190'
ENGINE_FILES = ('ctor.dll', 'iuser.dll', 'ikernel.exe', 'objectps.dll')
SCRIPT_PATH = COMMON_FILES_WIN + '\\InstallShield\\IScript\\iscript.dll'
SKIPPING = 'Skipping Engine update.\n'
NOT_SYNC = 'IKernel files are not sync after launching update.\n'


def check_path(index):
    """An engine file as the test before the update names it."""
    return COMMON_FILES_WIN + '\\INSTALLSHIELD\\ENGINE\\6\\intel 32\\' + ENGINE_FILES[index]


def update_path(index):
    """An engine file as the test after the update names it."""
    return COMMON_FILES_WIN + '\\InstallShield\\Engine\\6\\Intel 32\\' + ENGINE_FILES[index]


def version_file(name):
    """The Windows path of a version file (tools/versions/<name>.dll)."""
    return winpath(os.path.join(VERSIONS, name + '.dll'))


def compared(path, found):
    return f'{REQUIRED} {found} {path}\n'


def not_found(path):
    return f'File {path} not found.\n'


def is_engine_line(message):
    return (message.startswith(REQUIRED + ' ')
            or (message.startswith('File ') and message.endswith(' not found.\n'))
            or message.endswith(' need to be updated\n') or message in (SKIPPING, NOT_SYNC)
            or ('IKernelUpdate' in message and message.startswith('LaunchCmdline')))


def engine_lines(run):
    """The lines of a run that the engine test and the update wrote."""
    return [message for message in run.log if is_engine_line(message)]


class Engine:
    """The engine's files in the prefix; removed again by remove()."""

    def __init__(self):
        self.root = os.path.join(COMMON_FILES, 'InstallShield')
        self.remove()
        self.folder = os.path.join(self.root, 'Engine', '6', 'Intel 32')
        self.script = os.path.join(self.root, 'IScript', 'iscript.dll')

    def lay(self, ctor, iuser, ikernel, objectps, iscript):
        """Each file a copy of the named version file, or none for None."""
        targets = [os.path.join(self.folder, name) for name in ENGINE_FILES] + [self.script]
        for source, target in zip((ctor, iuser, ikernel, objectps, iscript), targets):
            os.makedirs(os.path.dirname(target), exist_ok=True)
            if os.path.exists(target):
                os.remove(target)
            if source:
                shutil.copy(os.path.join(VERSIONS, source + '.dll'), target)

    def current(self):
        self.lay('v_current', 'v_current', 'v_current', 'v_current', 'v_current')

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)
