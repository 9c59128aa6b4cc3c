"""The driver registry import of the real Setup.exe: on Windows XP the disc's
express.reg goes into the registry through regedit, on other versions not."""
import time
import unittest

from harness import Disc, SetupTestCase, read_records, skip_on, wine
from harness import run_setup as run_setup_unsettled

KEY = 'HKCU\\Software\\SetupDriverImport'

# Windows XP that imports the driver file is a 32-bit system: a 64-bit one is
# XP x64, and the 32-bit launcher never starts WoW64's regedit.
ONLY_32_BIT_XP = skip_on('wow64', reason='the driver import is for 32-bit Windows XP only')


def reg_file(source):
    """A registry file that sets the value Source to `source`."""
    return f'REGEDIT4\r\n\r\n[{KEY.replace("HKCU", "HKEY_CURRENT_USER")}]\r\n"Source"="{source}"\r\n'


def imported():
    """The value the import left, or None."""
    result = wine(['reg', 'query', KEY, '/v', 'Source'])
    for line in result.stdout.decode('latin-1').splitlines():
        fields = line.split()
        if fields[:2] == ['Source', 'REG_SZ']:
            return line.split('REG_SZ', 1)[1].strip()
    return None


def run_setup(disc, version):
    """Runs Setup.exe and waits for the one stand-in it starts to end: the
    harness would wait for a record of regedit too, which never comes."""
    run = run_setup_unsettled(disc, version=version, settle=False)
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        started, _ = read_records(disc.record_file)
        if started and all(record.ended for record in started):
            break
        time.sleep(0.05)
    run.started, run.messages = read_records(disc.record_file)
    return run


class DriverImportTest(SetupTestCase):

    def setUp(self):
        wine(['reg', 'delete', KEY, '/f'])

    def tearDown(self):
        wine(['reg', 'delete', KEY, '/f'])

    def driver_disc(self, disc=None):
        disc = disc or self.disc()
        disc.program('Dusmara/setup.exe')
        disc.file('Drvs/Bin/express.reg', reg_file('Drvs'))
        disc.file('Drivers/Bin/express.reg', reg_file('Drivers'))
        return disc

    def regedit(self, disc, relative):
        return f'LaunchCmdline::Launching C:\\windows\\regedit.exe /s "{disc.win(relative)}"\n'

    @ONLY_32_BIT_XP
    def test_windows_xp_imports_drvs_before_drivers(self):
        disc = self.driver_disc()
        run = run_setup(disc, version='winxp')
        self.assertEqual(0, run.exit_code)
        self.assertEqual('Drvs', imported())
        self.assertIn(self.regedit(disc, 'Drvs/Bin/express.reg'), run.log)
        # The import comes before the launch.
        self.assertLess(run.log.index(self.regedit(disc, 'Drvs/Bin/express.reg')),
                        run.log.index('LaunchCmdline::Launching .\\Dusmara\\setup.exe \n'))
        self.assertLaunched(run, disc.win('Dusmara/setup.exe'))

        wine(['reg', 'delete', KEY, '/f'])
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        disc.file('Drivers/Bin/express.reg', reg_file('Drivers'))
        run = run_setup(disc, version='winxp')
        self.assertEqual('Drivers', imported())
        self.assertIn(self.regedit(disc, 'Drivers/Bin/express.reg'), run.log)

    def test_other_windows_versions_import_nothing(self):
        for version in ('win2k', 'winxp64', 'vista', None):
            with self.subTest(version):
                disc = self.driver_disc()
                run = run_setup(disc, version=version)
                self.assertIsNone(imported())
                self.assertFalse([m for m in run.log if 'regedit' in m], run)
                self.assertLaunched(run, disc.win('Dusmara/setup.exe'))

    @ONLY_32_BIT_XP
    def test_registry_file_path_longer_than_the_parameters_once_held(self):
        # "/s" and the quoted path no longer fit 100 bytes from 95 characters
        # of path on; the import still runs whole.
        for length in (95, 120, 200):
            with self.subTest(length):
                name = 'deep'
                probe = Disc(name)
                name += 'p' * (length - len(probe.win('Drvs/Bin/express.reg')))
                disc = self.driver_disc(Disc(name))
                path = disc.win('Drvs/Bin/express.reg')
                self.assertEqual(length, len(path))
                wine(['reg', 'delete', KEY, '/f'])
                run = run_setup(disc, version='winxp')
                self.assertEqual(0, run.exit_code)
                self.assertIn(self.regedit(disc, 'Drvs/Bin/express.reg'), run.log)
                self.assertEqual('Drvs', imported())

    def test_folder_the_code_page_cannot_write_imports_through_its_short_name(self):
        disc = self.driver_disc(self.disc(folder='Ж'))
        run = run_setup(disc, version='winxp')
        self.assertEqual(0, run.exit_code)
        self.assertEqual('Drvs', imported())
        self.assertTrue(run.log[1].startswith('Folder name not in the system code page, working from its short'))
        short = run.log[1].rsplit(' ', 1)[1][:-1]
        self.assertIn(f'LaunchCmdline::Launching C:\\windows\\regedit.exe /s "{short}\\Drvs\\Bin\\express.reg"\n',
                      run.log)


if __name__ == '__main__':
    unittest.main()
