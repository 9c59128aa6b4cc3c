"""The start-up probe (language, Windows version, common files folder) as the
real launcher code finds them under the versions and languages Wine pretends.

tools/osprobe.exe runs the probe steps of the entry sequence and prints what
they found. It is copied as "Setup.exe", so that Wine's per-program version
setting for the launcher applies to it as it does to the launcher itself.
"""
import os
import shutil
import unittest

from harness import RECORDER_EXE, SYSTEM, WORK, SetupTestCase, run_setup, set_windows_version, wine, winpath

OSPROBE_EXE = os.path.join(os.path.dirname(RECORDER_EXE), 'osprobe.exe')


def probe_folder():
    folder = os.path.join(WORK, 'probe')
    os.makedirs(folder, exist_ok=True)
    shutil.copy(OSPROBE_EXE, os.path.join(folder, 'Setup.exe'))
    return folder


def run_probe(version=None, lang='en_US.UTF-8'):
    """Runs the probe as Setup.exe; returns {name: [fields...]} of its lines."""
    set_windows_version(version)
    result = wine([winpath(os.path.join(probe_folder(), 'Setup.exe'))], lang=lang, check=True)
    lines = result.stdout.decode('latin-1').replace('\r\n', '\n').splitlines()
    return {fields[0]: fields[1:] for fields in (line.split('\t') for line in lines)}


class VersionTest(unittest.TestCase):

    @classmethod
    def tearDownClass(cls):
        set_windows_version(None)

    def test_versions_wine_can_pretend(self):
        expected = {
            'winxp': ('8', 'Windows XP Build 2600 Service Pack 3'),
            'win2k': ('7', 'Windows 2000 Build 2195 Service Pack 4'),
            'winxp64': ('9', 'Windows XP x64 Build 3790 Service Pack 2'),
            'win2003': ('9', 'Windows XP x64 Build 3790 Service Pack 2'),
            'vista': ('10', 'Windows Vista 6002 Service Pack 2'),
            'win7': ('10', 'Windows Vista 7601 Service Pack 1'),
            'nt40': ('6', ''),
            'win98': ('4', 'Windows 98 Second Edition Build 2222'),
            'win95': ('2', 'Windows 95'),
            'winme': ('5', 'Windows Millenium Build 3000'),
            'win31': ('1', 'Windows 3.1'),
        }
        for version, (code, description) in expected.items():
            with self.subTest(version=version):
                found = run_probe(version)
                self.assertEqual([code, description], found['os'], found)

    def test_extended_query_and_unmasked_build_in_the_record(self):
        found = run_probe('win98')
        platform, major, minor, build, csd, size = found['version']
        self.assertEqual(('1', '4', '10', ' A '), (platform, major, minor, csd))
        self.assertEqual(0x040A08AE, int(build))
        self.assertEqual('156', size)

    def test_common_files_folder_under_every_version(self):
        # The folder of the launcher's own registry view: under WoW64 the
        # 32-bit one, where the 32-bit engine lives, not the 64-bit one.
        expected = SYSTEM.common_files
        if SYSTEM.wow64:
            self.assertEqual('C:\\Program Files (x86)\\Common Files', expected)
            self.assertNotEqual(SYSTEM.common_files_of(64), expected)
        for version in ('winxp', 'win98', None):
            with self.subTest(version=version):
                self.assertEqual([expected], run_probe(version)['common'])


class LanguageTest(unittest.TestCase):

    def test_system_language(self):
        expected = {
            'de_DE': 'deu', 'de_CH': 'enu', 'es_MX': 'esp', 'es_ES': 'esp', 'pt_PT': 'ptb', 'pt_BR': 'ptb',
            'ja_JP': 'jpn', 'ru_RU': 'enu', 'fr_FR': 'fra', 'fr_CA': 'enu', 'en_US': 'enu', 'en_GB': 'enu',
            'zh_CN': 'chs', 'zh_TW': 'cht', 'nb_NO': 'nor', 'sv_SE': 'sve',
        }
        for locale, code in expected.items():
            with self.subTest(locale=locale):
                self.assertEqual([code], run_probe(lang=locale + '.UTF-8')['lang'])


class LauncherTest(SetupTestCase):

    @classmethod
    def tearDownClass(cls):
        set_windows_version(None)

    def test_the_launcher_opens_the_current_version_key_under_every_version(self):
        for version in ('win95', 'win98', 'nt40', 'win2k', 'winxp', 'vista', None):
            with self.subTest(version=version):
                run = run_setup(self.disc(), version=version)
                self.assertEqual('Entering Setup launcher\n\n', run.log[0], run)
                self.assertFalse([m for m in run.log if m.startswith('CRegistry()')], run)


if __name__ == '__main__':
    unittest.main()
