"""The engine freshness check and the engine update of the real Setup.exe,
with the engine's files in the prefix's common files folder and a recording
stand-in as the disc's update program."""
import os
import shutil
import subprocess
import time
import unittest

from engine_files import (NOT_SYNC, SCRIPT_PATH, SKIPPING, Engine, check_path, compared, engine_lines,
                          not_found, update_path, version_file)
from harness import BENCH_DIR, RECORDER_EXE, WINE_RUN, SetupTestCase, read_records, run_setup, skip_on, winpath

CURRENT = '6.31.100.1190'
NO_UPDATE = 'IkernelUpdate not found in .\\TechSupt\\IKernelUpdate\\Setup.exe\n'
# The recorder built for x64 by the x86 build.
RECORDER64_EXE = os.path.join(os.path.dirname(RECORDER_EXE), 'recorder64.exe')


def first_test(texts):
    """The lines of the test of the five files before the update: a text per
    file, or None for a missing one; the test ends at an outdated engine file."""
    return tested(texts, check_path)


def second_test(texts):
    return tested(texts, update_path)


def tested(texts, path):
    lines = []
    for index, text in enumerate(texts[:4]):
        if text is None:
            lines.append(not_found(path(index)))
            continue
        lines.append(compared(path(index), text))
        if text != CURRENT:
            return lines
    script = texts[4]
    if script is None:
        return lines + [not_found(SCRIPT_PATH)]
    lines.append(compared(SCRIPT_PATH, script))
    if script != CURRENT:
        lines.append(SCRIPT_PATH + ' need to be updated\n')
    return lines


class EngineTestCase(SetupTestCase):

    def setUp(self):
        self.engine = Engine()

    def tearDown(self):
        self.engine.remove()

    def engine_disc(self, root='TechSupt', **update):
        """A product disc whose update program lies under `root`."""
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        disc.program(f'{root}/IKernelUpdate/Setup.exe', **update)
        return disc

    def assertUpdateRan(self, run, disc, root='techsupt', then='Dusmara/setup.exe'):
        """The update ran once, with "-s", shown normally, and ended before
        the program `then` was started."""
        update = [r for r in run.started if 'ikernelupdate' in r.path.lower()]
        self.assertEqual(1, len(update), run)
        self.assertEqual(disc.win(f'{root}/IKernelUpdate/Setup.exe').lower(), update[0].path.lower())
        self.assertEqual('-s', update[0].params)
        self.assertEqual(1, update[0].show)
        self.assertTrue(update[0].ended, run)
        with open(disc.record_file, encoding='latin-1') as f:
            events = [line.split('\t')[:2] for line in f.read().splitlines()]
        events = [event for event in events if event[0] in ('start', 'end')]
        self.assertEqual(['start', update[0].pid], events[0])
        self.assertEqual(['end', update[0].pid], events[1])
        self.assertEqual('start', events[2][0])
        self.assertEqual(disc.win(then).lower(), run.started[-1].path.lower(), run)
        self.assertGreaterEqual(run.seconds, 0.5)

    def launching_update(self, disc, root='techsupt'):
        return f'LaunchCmdline::Launching {disc.win(root)}\\IKernelUpdate\\Setup.exe -s\n'


class FreshnessTest(EngineTestCase):

    def test_current_engine_skips_the_update(self):
        self.engine.lay('v_current', 'v_commas', 'v_ten', 'v_build', 'v_minor')
        disc = self.engine_disc()
        run = run_setup(disc)
        self.assertEqual(0, run.exit_code)
        self.assertEqual([compared(check_path(0), CURRENT), compared(check_path(1), CURRENT),
                          compared(check_path(2), '10.0.0.0'), compared(check_path(3), '6.31.100.1205'),
                          compared(SCRIPT_PATH, '6.31.101.0'), SKIPPING], engine_lines(run))
        self.assertLaunched(run, disc.win('Dusmara/setup.exe'))

    def test_missing_file_is_logged_and_the_others_still_tested(self):
        self.engine.lay(None, 'v_current', 'v_current', 'v_current', 'v_current')
        disc = self.engine_disc()
        run = run_setup(disc)
        texts = [None, CURRENT, CURRENT, CURRENT, CURRENT]
        self.assertEqual(first_test(texts) + [self.launching_update(disc)] + second_test(texts) + [NOT_SYNC],
                         engine_lines(run))
        self.assertUpdateRan(run, disc)

    def test_outdated_engine_file_ends_the_test(self):
        self.engine.lay('v_current', 'v_999', 'v_current', 'v_current', 'v_current')
        disc = self.engine_disc()
        run = run_setup(disc)
        lines = [compared(check_path(0), CURRENT), compared(check_path(1), '6.31.100.999')]
        self.assertEqual(first_test([CURRENT, '6.31.100.999']), lines)
        self.assertEqual(lines + [self.launching_update(disc)] + second_test([CURRENT, '6.31.100.999']) +
                         [NOT_SYNC], engine_lines(run))
        self.assertUpdateRan(run, disc)

    def test_outdated_script_engine_needs_the_update(self):
        self.engine.lay('v_current', 'v_current', 'v_current', 'v_current', 'v_64')
        disc = self.engine_disc()
        run = run_setup(disc)
        texts = [CURRENT] * 4 + ['6.4.0.0']
        self.assertEqual(first_test(texts) + [self.launching_update(disc)] + second_test(texts) + [NOT_SYNC],
                         engine_lines(run))
        self.assertIn(SCRIPT_PATH + ' need to be updated\n', run.log)

    def test_disc_without_engine_update_checks_nothing(self):
        # Update programs where the launcher never looks are as good as none:
        # under the product, at the root, in a misspelt folder.
        self.engine.lay('v_119', None, None, None, None)
        for misplaced in (None, 'Dusmara/TechSupt/IKernelUpdate/Setup.exe', 'IKernelUpdate/Setup.exe',
                          'TechSupt/IKernelUpd/Setup.exe'):
            with self.subTest(misplaced):
                disc = self.disc()
                disc.program('Dusmara/setup.exe')
                if misplaced:
                    disc.program(misplaced)
                run = run_setup(disc)
                self.assertEqual([], engine_lines(run))
                self.assertIn(NO_UPDATE, run.log)
                self.assertLaunched(run, disc.win('Dusmara/setup.exe'))


class UpdateTest(EngineTestCase):

    def test_update_that_installs_current_files(self):
        self.engine.lay('v_current', 'v_current', 'v_999', 'v_current', 'v_119')
        disc = self.engine_disc(sleep=1000,
                                copy1=f'{version_file("v_current")}|{update_path(2)}',
                                copy2=f'{version_file("v_current")}|{SCRIPT_PATH}')
        run = run_setup(disc)
        self.assertEqual(0, run.exit_code)
        self.assertEqual(first_test([CURRENT, CURRENT, '6.31.100.999']) + [self.launching_update(disc)] +
                         second_test([CURRENT] * 5), engine_lines(run))
        self.assertUpdateRan(run, disc)
        self.assertGreaterEqual(run.seconds, 1.5)

    def test_update_that_changes_nothing(self):
        self.engine.lay('v_none', 'v_current', 'v_current', 'v_current', 'v_current')
        disc = self.engine_disc()
        run = run_setup(disc)
        self.assertEqual(NOT_SYNC, engine_lines(run)[-1])
        self.assertEqual(compared(update_path(0), ''), engine_lines(run)[-2])
        self.assertUpdateRan(run, disc)

    def test_update_runs_from_appinst_when_it_has_a_setup_program(self):
        # Found under TechSupt, run from AppInst: the root is chosen by
        # ".\AppInst\setup.exe" alone.
        self.engine.lay(None, None, None, None, None)
        disc = self.engine_disc()
        disc.program('AppInst/setup.exe')
        disc.program('AppInst/IKernelUpdate/Setup.exe')
        run = run_setup(disc)
        self.assertIn(self.launching_update(disc, 'AppInst'), run.log)
        self.assertUpdateRan(run, disc, root='AppInst', then='AppInst/setup.exe')

    def test_update_found_under_talvenor_runs_from_techsupt(self):
        # The probe looks under the product's own folder, but the update runs
        # from techsupt, which this disc lacks at first: nothing starts, and
        # the engine is tested again all the same.
        self.engine.lay('v_current', 'v_current', 'v_current', 'v_current', 'v_64')
        disc = self.disc()
        disc.program('Talvenor/setup.exe')
        disc.program('Talvenor/IKernelUpdate/Setup.exe')
        run = run_setup(disc)
        texts = [CURRENT] * 4 + ['6.4.0.0']
        missing = f'LaunchCmdline - cant find szFile {disc.win("techsupt")}\\IKernelUpdate\\Setup.exe\n'
        self.assertEqual(first_test(texts) + [missing] + second_test(texts) + [NOT_SYNC], engine_lines(run))
        self.assertLaunched(run, disc.win('Talvenor/setup.exe'))

        # With both, the one it looks for and the one it runs, the update runs.
        disc.program('TechSupt/IKernelUpdate/Setup.exe')
        run = run_setup(disc)
        self.assertEqual(first_test(texts) + [self.launching_update(disc)] + second_test(texts) + [NOT_SYNC],
                         engine_lines(run))
        self.assertUpdateRan(run, disc, then='Talvenor/setup.exe')


class ShutdownTest(EngineTestCase):
    """A running engine: a stand-in named IKernel.exe with a visible window,
    recording into the disc's record file like the programs Setup.exe starts."""

    def start_engine(self, disc, program=None):
        kernel = disc.program('running/IKernel.exe', windows='visible', sleep=30000)
        if program:
            shutil.copy(program, kernel)
        env = dict(os.environ, RECORD_FILE=winpath(disc.record_file))
        self.kernel = subprocess.Popen([WINE_RUN, BENCH_DIR, winpath(kernel)], env=env)
        self.addCleanup(self.stop_engine)
        deadline = time.monotonic() + 20
        while not self.ready(disc) and time.monotonic() < deadline:
            time.sleep(0.05)
        return read_records(disc.record_file)[0][0]

    def ready(self, disc):
        """The stand-in has opened its window."""
        return os.path.exists(disc.record_file) and any(kind == 'ready' for kind, _ in self.events(disc))

    def stop_engine(self):
        if self.kernel.poll() is None:
            self.kernel.kill()
        self.kernel.wait()

    def events(self, disc):
        with open(disc.record_file, encoding='latin-1') as f:
            return [tuple(line.split('\t')[:2]) for line in f.read().splitlines()]

    def test_running_engine_is_closed_before_the_update_starts(self):
        self.engine.lay('v_999', 'v_current', 'v_current', 'v_current', 'v_current')
        disc = self.engine_disc()
        kernel = self.start_engine(disc)
        run = run_setup(disc)
        self.assertEqual(0, self.kernel.wait(timeout=20))
        update = [r for r in run.started if 'ikernelupdate' in r.path.lower()]
        self.assertEqual(1, len(update), run)
        events = self.events(disc)
        self.assertIn(('msg', kernel.pid), events)
        # Asked to close, ended, and only then the update started.
        self.assertLess(events.index(('msg', kernel.pid)), events.index(('end', kernel.pid)))
        self.assertLess(events.index(('end', kernel.pid)), events.index(('start', update[0].pid)))

    def test_no_engine_update_on_the_disc_leaves_the_engine_running(self):
        self.engine.lay('v_999', None, None, None, None)
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        kernel = self.start_engine(disc)
        run = run_setup(disc)
        self.assertIsNone(self.kernel.poll(), 'the running engine was ended')
        self.assertNotIn(('msg', kernel.pid), self.events(disc))
        self.assertEqual([], engine_lines(run))

    @skip_on('win32', 'win64', reason='a 64-bit process beside the 32-bit launcher exists on 64-bit Windows only')
    def test_64_bit_process_named_like_the_engine_is_left_running(self):
        # A 32-bit program cannot list a 64-bit process's modules: the search
        # passes it by, as it must, since the engine's IKernel.exe is 32-bit.
        # The launcher neither waits for it nor stops: the update runs.
        self.engine.lay('v_999', 'v_current', 'v_current', 'v_current', 'v_current')
        disc = self.engine_disc()
        kernel = self.start_engine(disc, RECORDER64_EXE)
        run = run_setup(disc)
        self.assertEqual(0, run.exit_code)
        self.assertIsNone(self.kernel.poll(), 'the 64-bit process was ended')
        self.assertFalse([m for m in run.log if m.startswith(('Match PID', 'Killed'))], run)
        self.assertNotIn(('msg', kernel.pid), self.events(disc))
        self.assertIn(self.launching_update(disc), run.log)
        self.assertEqual(disc.win('Dusmara/setup.exe').lower(), run.started[-1].path.lower(), run)

if __name__ == '__main__':
    unittest.main()
