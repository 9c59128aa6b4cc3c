"""Hostile and odd inputs, and many launchers at once, against the real Setup.exe."""
import os
import shutil
import string
import subprocess
import unittest

from engine_files import Engine, check_path, compared
from harness import (BENCH_DIR, RECORDER_EXE, WINE_RUN, WORK, Disc, SetupTestCase, read_log, read_records,
                     run_setup, start_waiting_setup, wine, winpath)

TOOLS = os.path.dirname(RECORDER_EXE)

LOG_START = 'Entering Setup launcher\n\n'
DUPLICATE = 'A duplicate is already running. Exiting...\n'


class ConcurrencyTest(SetupTestCase):

    def test_twenty_launchers_while_one_waits_for_a_silent_installation(self):
        disc = self.disc()
        disc.program('Dusmara/setup.exe', sleep=8000)
        first = start_waiting_setup(disc, '/s')
        try:
            env = dict(os.environ, RECORD_FILE=winpath(disc.record_file))
            command = [WINE_RUN, BENCH_DIR, disc.win('Setup.exe'), '/s']
            others = [subprocess.Popen(command, env=env) for _ in range(20)]
            codes = [p.wait(timeout=60) for p in others]
            self.assertEqual([1] * 20, codes)
            self.assertIsNone(first.poll(), 'the first launcher still waits for the installation')
            self.assertEqual(0, first.wait(timeout=30))
        finally:
            if first.poll() is None:
                first.kill()
        log = read_log()
        self.assertEqual(21, log.count(LOG_START))
        self.assertEqual(20, log.count(DUPLICATE))
        self.assertEqual(1, sum(m.startswith('LaunchCmdline::Launching') for m in log))
        started, _ = read_records(disc.record_file)
        self.assertEqual(1, len(started))


class LongInputTest(SetupTestCase):

    def test_setup_ini_values_of_every_length_in_every_key(self):
        for length in (259, 260, 300, 39000):
            with self.subTest(length=length):
                disc = self.disc()
                disc.program('Dusmara/setup.exe')
                value = 'v' * length
                disc.ini({'Settings': {'DemoPath': value, 'SetupPath': value},
                          'Silent': {'CmdlineParam': value}})
                # Settings mode: no program by those names, so the fallback chain.
                run = run_setup(disc)
                self.assertEqual(0, run.exit_code)
                self.assertEqual('Last\n', run.log[-2])
                self.assertLaunched(run, disc.win('Dusmara/setup.exe'))
                # Silent mode: a template of 259 characters is used whole;
                # a longer one is not used at all.
                run = run_setup(disc, '/s')
                self.assertEqual(0, run.exit_code)
                expected = value if length == 259 else f'/s /f1"{disc.win()}\\Dusmara"'
                self.assertLaunched(run, disc.win('Dusmara/setup.exe'), expected)

    @staticmethod
    def deep_disc(launcher_length, launcher_name='Setup.exe'):
        """A disc whose launcher path (Windows form) has launcher_length characters."""
        base = os.path.join(WORK, f'deep{launcher_length}')
        room = launcher_length - len(winpath(base)) - len('\\' + launcher_name)
        parts = []
        while room > 0:
            # Never leave a single character over: it would be a separator
            # with an empty name after it.
            size = min(room - 1, 60)
            if room - size - 1 == 1:
                size -= 1
            parts.append('d' * size)
            room -= size + 1
        return Disc(os.path.join(f'deep{launcher_length}', *parts), launcher_name)

    def test_launcher_path_at_the_limit(self):
        # 259 characters: the longest path Windows runs a program from.
        disc = self.deep_disc(259)
        self.assertEqual(259, len(disc.win('Setup.exe')))
        disc.folder('Dusmara')
        disc.batch('Install/instenu.bat')

        # ".\Install" has a full path longer than its 255 characters: logged,
        # nothing starts.
        run = run_setup(disc)
        self.assertEqual(0, run.exit_code)
        self.assertEqual([LOG_START, 'IkernelUpdate not found in .\\TechSupt\\IKernelUpdate\\Setup.exe\n',
                          'Install batch file path too long, nothing launched\n'], run.log)
        self.assertNothingLaunched(run)

        # The silent parameters would not fit: logged, nothing launched.
        run = run_setup(disc, '/s')
        self.assertEqual(0, run.exit_code)
        self.assertIn('Silent parameters too long, nothing launched\n', run.log)
        self.assertNothingLaunched(run)

        # A launcher named shorter than "Setup.ini": the settings file's path
        # does not fit, which is logged, and nothing is read from it.
        disc = self.deep_disc(259, 'S.exe')
        disc.program('d.exe')
        disc.ini({'Settings': {'DemoPath': 'd.exe'}})
        run = run_setup(disc)
        self.assertIn('Setup.ini path too long, settings not read\n', run.log)
        self.assertFalse([r for r in run.started if r.path.lower().endswith('\\d.exe')], run)

    def test_product_path_at_the_limit(self):
        # The product's setup program has a full path of 259 characters.
        disc = self.deep_disc(259 - len('\\Dusmara\\setup.exe') + len('\\Setup.exe'))
        disc.program('Dusmara/setup.exe')
        self.assertEqual(259, len(disc.win('Dusmara/setup.exe')))
        run = run_setup(disc, '/dusmara')
        self.assertEqual(0, run.exit_code)
        self.assertLaunched(run, disc.win('Dusmara/setup.exe'))
        run = run_setup(disc)
        self.assertEqual(['Last\n', 'LaunchCmdline::Launching .\\Dusmara\\setup.exe \n'], run.log[-2:])


class HostileDiscTest(SetupTestCase):

    def setUp(self):
        self.engine = Engine()

    def tearDown(self):
        self.engine.remove()

    def test_planted_psapi_is_never_loaded(self):
        # A stale engine makes the launcher search for the engine's processes
        # twice (before the update and inside it), each search through PSAPI.
        self.engine.lay('v_999', None, None, None, None)
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        disc.program('TechSupt/IKernelUpdate/Setup.exe')
        planted = disc.path('PSAPI.DLL')
        shutil.copy(os.path.join(TOOLS, 'plantedpsapi.dll'), planted)
        # Wine then searches for PSAPI.DLL as Windows does: the program's folder first.
        run = run_setup(disc, env={'WINEDLLOVERRIDES': 'psapi=n,b;mscoree,mshtml='})
        self.assertEqual(0, run.exit_code)
        self.assertTrue(any('IKernelUpdate\\Setup.exe -s' in m for m in run.log), run)
        self.assertFalse(os.path.exists(planted + '.loaded'), 'the planted PSAPI.DLL was loaded')

        # The control: a bare-name load from the same folder takes the planted file.
        shutil.copy(os.path.join(TOOLS, 'plantcheck.exe'), disc.path('plantcheck.exe'))
        wine([disc.win('plantcheck.exe'), 'bare'], cwd=disc.root,
             env={'WINEDLLOVERRIDES': 'psapi=n,b;mscoree,mshtml='})
        self.assertTrue(os.path.exists(planted + '.loaded'), 'the control did not load the planted file')

    def test_engine_file_with_a_version_text_of_200_characters(self):
        # Cut to the 49 characters the found text is read into: still a huge
        # first field, so current.
        self.engine.lay('v_200', 'v_current', 'v_current', 'v_current', 'v_current')
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        disc.program('TechSupt/IKernelUpdate/Setup.exe')
        run = run_setup(disc)
        self.assertEqual(0, run.exit_code)
        self.assertEqual(compared(check_path(0), '9' * 49), run.log[1])
        self.assertIn('Skipping Engine update.\n', run.log)
        self.assertLaunched(run, disc.win('Dusmara/setup.exe'))

    def test_cmdline_param_with_every_conversion_letter(self):
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        default = f'/s /f1"{disc.win()}\\Dusmara"'
        for letter in string.ascii_letters:
            if letter == 's':
                continue
            template = f'/f1"%s" %{letter}'
            disc.ini({'Silent': {'CmdlineParam': template}})
            run = run_setup(disc, '/s')
            self.assertEqual(0, run.exit_code, letter)
            self.assertIn(f'CmdlineParam {template} refused, default used\n', run.log)
            self.assertLaunched(run, disc.win('Dusmara/setup.exe'), default)


if __name__ == '__main__':
    unittest.main()
