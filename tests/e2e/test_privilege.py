"""The administrator gate of the real launcher sequence, the localised message
in the built Setup.exe, and the process search beside a planted PSAPI.DLL."""
import os
import shutil
import time
import unittest

from harness import WORK, SetupTestCase, run_setup, set_windows_version, wine, winpath
from privilege_tools import BoxWatcher, expected_texts, make_non_admin, tool

ENGLISH = 1033

# Unix locale -> the language whose text Wine's resource loader picks for it.
LOCALES = {
    'en_US.UTF-8': 1033,
    'de_DE.UTF-8': 1031,
    'fr_FR.UTF-8': 1036,
    'ja_JP.UTF-8': 1041,
    'zh_TW.UTF-8': 1028,
    'zh_CN.UTF-8': 2052,
    'ru_RU.UTF-8': 1049,
    'es_MX.UTF-8': 2058,
    'es_ES.UTF-8': 3082,
    'pt_PT.UTF-8': 2070,
    'ko_KR.UTF-8': 1042,
}


class AdministratorGateTest(SetupTestCase):

    @classmethod
    def tearDownClass(cls):
        set_windows_version(None)

    def refused_disc(self):
        """A disc that would start the engine update and a product setup."""
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        disc.program('TechSupt/IKernelUpdate/Setup.exe')
        make_non_admin(disc)
        return disc

    def run_refused(self, disc, version=None, lang='en_US.UTF-8'):
        with BoxWatcher() as box:
            run = run_setup(disc, version=version, lang=lang)
            box.finish()
        return run, box

    def test_refused_user_sees_the_message_and_nothing_runs(self):
        texts = expected_texts()
        # Windows 2000, XP, XP x64, Vista and 7 (Wine's default).
        for version in ('win2k', 'winxp', 'winxp64', 'vista', None):
            with self.subTest(version=version):
                disc = self.refused_disc()
                run, box = self.run_refused(disc, version)
                self.assertTrue(box.found, run)
                self.assertEqual('Setup.exe', box.report['process'])
                self.assertEqual('0', box.report['owner'])
                self.assertEqual('present', box.report['icon'])
                self.assertEqual('1', box.report['buttons'])
                self.assertEqual(texts[ENGLISH][1], box.report['text'])
                self.assertEqual(0, run.exit_code)
                self.assertNothingLaunched(run)

    def test_message_in_the_system_language(self):
        texts = expected_texts()
        for lang in ('de_DE.UTF-8', 'ja_JP.UTF-8', 'ru_RU.UTF-8'):
            with self.subTest(lang=lang):
                run, box = self.run_refused(self.refused_disc(), 'winxp', lang)
                self.assertTrue(box.found, run)
                self.assertEqual(texts[LOCALES[lang]][1], box.report['text'])
                self.assertEqual(0, run.exit_code)
                self.assertNothingLaunched(run)

    def test_message_whole_where_the_code_page_lacks_the_script(self):
        # A Japanese display language over code page 1252 (a language pack,
        # or regional settings unlike the system's): the ANSI text would be
        # question marks, the box shows the Japanese text.
        lang = {'LC_CTYPE': 'en_US.UTF-8', 'LC_MESSAGES': 'ja_JP.UTF-8'}
        result = wine([winpath(tool('stringtool.exe')), winpath(os.environ['SETUP_EXE'])], lang=lang, check=True)
        code_page, _, data = result.stdout.decode('ascii').strip().split('\t')
        self.assertEqual('1252', code_page)
        self.assertIn(b'??', bytes.fromhex(data))
        run, box = self.run_refused(self.refused_disc(), 'winxp', lang)
        self.assertTrue(box.found, run)
        self.assertEqual(expected_texts()[1041][1], box.report['text'])
        self.assertEqual(('0', 'present', '1'), (box.report['owner'], box.report['icon'], box.report['buttons']))
        self.assertEqual(0, run.exit_code)
        self.assertNothingLaunched(run)

    def test_language_without_its_own_text_still_gets_a_message(self):
        # Finnish has no variant: the loader falls back to one of the others.
        run, box = self.run_refused(self.refused_disc(), 'winxp', 'fi_FI.UTF-8')
        self.assertTrue(box.found, run)
        self.assertIn(box.report['text'], [text for _, text in expected_texts().values()])
        self.assertEqual(0, run.exit_code)

    def test_older_systems_are_not_gated(self):
        # Windows NT 4, 98 and 95: no question, no message; the run goes on
        # to the launch.
        for version in ('nt40', 'win98', 'win95'):
            with self.subTest(version=version):
                disc = self.refused_disc()
                with BoxWatcher(timeout_ms=15000) as box:
                    run = run_setup(disc, version=version)
                    box.finish(wait=False)
                self.assertFalse(box.found, box.report)
                self.assertEqual(0, run.exit_code)
                self.assertTrue(run.started, run)


class MessageTextTest(unittest.TestCase):
    """Entry 1 as LoadStringA gives it (the launcher's ANSI message box shows
    that form): in the ANSI code page of the system language, whole."""

    def test_loaded_text_per_system_language(self):
        texts = expected_texts()
        setup = winpath(os.environ['SETUP_EXE'])
        for lang, language_id in LOCALES.items():
            with self.subTest(lang=lang):
                result = wine([winpath(tool('stringtool.exe')), setup], lang=lang, check=True)
                code_page, length, data = result.stdout.decode('ascii').strip().split('\t')
                text = bytes.fromhex(data)
                self.assertEqual(int(length), len(text))
                self.assertEqual(texts[language_id][1], text.decode('cp' + code_page), lang)
        # The German text in Windows-1252, byte for byte.
        result = wine([winpath(tool('stringtool.exe')), setup], lang='de_DE.UTF-8', check=True)
        code_page, _, data = result.stdout.decode('ascii').strip().split('\t')
        self.assertEqual('1252', code_page)
        self.assertEqual(texts[1031][1].encode('cp1252'), bytes.fromhex(data))


class PlantedLibraryTest(unittest.TestCase):
    """A PSAPI.DLL planted beside the program that searches for processes."""

    OVERRIDES = 'psapi=n,b;mscoree,mshtml='

    def folder(self, name):
        folder = os.path.join(WORK, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        shutil.copy(tool('plantcheck.exe'), folder)
        shutil.copy(tool('plantedpsapi.dll'), os.path.join(folder, 'PSAPI.DLL'))
        return folder

    def run_check(self, folder, *args):
        return wine([winpath(os.path.join(folder, 'plantcheck.exe'))] + list(args), cwd=folder,
                    env={'WINEDLLOVERRIDES': self.OVERRIDES}, check=True)

    def test_search_never_loads_the_planted_library(self):
        folder = self.folder('planted')
        marker = os.path.join(folder, 'PSAPI.DLL.loaded')
        result = self.run_check(folder, 'find', 'plantcheck.exe')
        self.assertEqual(b'found', result.stdout.strip())
        self.run_check(folder, 'kill')
        self.assertFalse(os.path.exists(marker))

        # The control: a bare-name load in the same place takes the planted file.
        result = self.run_check(folder, 'bare')
        self.assertEqual(b'loaded', result.stdout.strip())
        self.assertTrue(os.path.exists(marker))


if __name__ == '__main__':
    unittest.main()
