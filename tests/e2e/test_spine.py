"""Start-up, the log and the single-instance guard of the real Setup.exe."""
import subprocess
import unittest

from harness import STAMP, SYNCTOOL_EXE, SetupTestCase, WINE_RUN, BENCH_DIR, run_setup, winpath

EVENT = 'setup_event_752403D0-5ABF-4b43-8A45-93D4C9A96A16'


class SpineTest(SetupTestCase):

    def test_first_line_is_entering_with_two_line_feeds(self):
        run = run_setup(self.disc())
        self.assertEqual(0, run.exit_code)
        self.assertEqual('Entering Setup launcher\n\n', run.log[0])
        self.assertRegex(run.entries[0][0], STAMP)

    def test_duplicate_while_the_event_exists(self):
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        holder = subprocess.Popen([WINE_RUN, BENCH_DIR, winpath(SYNCTOOL_EXE), 'event', EVENT, '20000'],
                                  stdout=subprocess.PIPE)
        try:
            self.assertEqual(b'ready\n', holder.stdout.readline().replace(b'\r', b''))
            run = run_setup(disc)
        finally:
            holder.kill()
            holder.communicate()
        self.assertEqual(1, run.exit_code)
        self.assertEqual(['Entering Setup launcher\n\n', 'A duplicate is already running. Exiting...\n'],
                         run.log)
        self.assertNothingLaunched(run)

    def test_command_line_longer_than_its_buffer(self):
        for length in (259, 260, 4000, 32000):
            run = run_setup(self.disc(), '/' + 'q' * (length - 1))
            self.assertEqual(0, run.exit_code, length)
            self.assertEqual('Entering Setup launcher\n\n', run.log[0])


if __name__ == '__main__':
    unittest.main()
