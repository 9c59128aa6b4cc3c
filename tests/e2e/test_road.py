"""The typical run from start to end: a user opens the disc's Setup.exe
without a command line on Windows XP; the disc holds the product Dusmara, the
engine update under TechSupt and a driver registry file; the installed engine
is older than required. On 64-bit Windows the same disc meets Wine's default
Windows version, where the driver file is not imported."""
import unittest

from engine_files import SCRIPT_PATH, Engine, check_path, compared, update_path, version_file
from harness import SYSTEM, SetupTestCase, run_setup, wine

KEY = 'HKEY_CURRENT_USER\\Software\\SetupTypicalRoad'


class TypicalRoadTest(SetupTestCase):

    def setUp(self):
        self.engine = Engine()
        wine(['reg', 'delete', KEY, '/f'])

    def tearDown(self):
        self.engine.remove()
        wine(['reg', 'delete', KEY, '/f'])

    def test_windows_xp_stale_engine_driver_file_and_last_resort(self):
        self.engine.lay('v_999', 'v_current', 'v_current', 'v_current', 'v_current')
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        copies = {f'copy{i + 1}': f'{version_file("v_current")}|{update_path(i)}' for i in range(4)}
        disc.program('TechSupt/IKernelUpdate/Setup.exe', **copies)
        disc.file('Drvs/Bin/express.reg', f'REGEDIT4\r\n\r\n[{KEY}]\r\n"Imported"="yes"\r\n')

        xp = not SYSTEM.wow64
        run = run_setup(disc, version='winxp' if xp else None, lang='de_DE.UTF-8')

        self.assertEqual(0, run.exit_code)
        reg = disc.win('Drvs\\Bin\\express.reg')
        imports = [f'LaunchCmdline::Launching C:\\windows\\regedit.exe /s "{reg}"\n'] if xp else []
        self.assertEqual([
            'Entering Setup launcher\n\n',
            compared(check_path(0), '6.31.100.999'),
            f'LaunchCmdline::Launching {disc.win("techsupt")}\\IKernelUpdate\\Setup.exe -s\n',
            compared(update_path(0), '6.31.100.1190'),
            compared(update_path(1), '6.31.100.1190'),
            compared(update_path(2), '6.31.100.1190'),
            compared(update_path(3), '6.31.100.1190'),
            compared(SCRIPT_PATH, '6.31.100.1190'),
        ] + imports + [
            'Last\n',
            'LaunchCmdline::Launching .\\Dusmara\\setup.exe \n',
        ], run.log)
        # The update ran to its end before the product's setup program started.
        self.assertEqual(2, len(run.started), run)
        self.assertEqual(disc.win('TechSupt/IKernelUpdate/Setup.exe').lower(), run.started[0].path.lower())
        self.assertTrue(run.started[0].ended)
        self.assertStartedLast(run, disc.win('Dusmara/setup.exe'))
        query = wine(['reg', 'query', KEY, '/v', 'Imported'])
        self.assertEqual(xp, 'yes' in query.stdout.decode('latin-1'))

    def assertStartedLast(self, run, path):
        record = run.started[-1]
        self.assertEqual(path.lower(), record.path.lower())
        self.assertEqual('', record.params)
        self.assertEqual(1, record.show)


if __name__ == '__main__':
    unittest.main()
