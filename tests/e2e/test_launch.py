"""Launch selection end to end: every row of the decision table and the
edge cases of product folder and setup program resolution."""
import os
import shutil
import unittest

import images
from harness import Disc, SetupTestCase, ansi_encoding, read_log, run_setup, start_waiting_setup, wine, winpath
from privilege_tools import tool

LOG_START = 'Entering Setup launcher\n\n'
NO_UPDATE = 'IkernelUpdate not found in .\\TechSupt\\IKernelUpdate\\Setup.exe\n'


def launching(program, params=''):
    return f'LaunchCmdline::Launching {program} {params}\n'


class CommandLineModeTest(SetupTestCase):

    def product_disc(self):
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        disc.program('AppInst/setup.exe')
        return disc

    def test_silent_installation_waits_for_the_setup_program(self):
        disc = self.disc()
        disc.program('Dusmara/setup.exe', sleep=2000)
        run = run_setup(disc, '/s', settle=False)
        self.assertEqual(0, run.exit_code)
        params = f'/s /f1"{disc.win()}\\Dusmara"'
        self.assertLaunched(run, disc.win('Dusmara/setup.exe'), params)
        self.assertTrue(run.started[0].ended, 'the launcher returned before the installation ended')
        self.assertGreaterEqual(run.seconds, 2.0)
        self.assertEqual([LOG_START, NO_UPDATE, launching('.\\Dusmara\\setup.exe', params)], run.log)

    def test_keywords_are_found_in_the_lower_cased_command_line(self):
        for cmdline, program in (('/S', 'Dusmara/setup.exe'), ('/setup', 'Dusmara/setup.exe'),
                                 ('/WebRelease', 'AppInst/setup.exe'), ('/dusmara', 'Dusmara/setup.exe'),
                                 ('/DM5', 'Dusmara/setup.exe')):
            with self.subTest(cmdline):
                disc = self.product_disc()
                run = run_setup(disc, cmdline)
                self.assertEqual(0, run.exit_code)
                params = f'/s /f1"{disc.win()}\\Dusmara"' if cmdline.lower().startswith('/s') else ''
                self.assertLaunched(run, disc.win(program), params)

    def test_a_switch_glued_to_the_quoted_program_name(self):
        # Administrators' scripts start "D:\disc\Setup.exe"/s: the name ends
        # at its closing quote, and the silent installation runs. The disc's
        # autorun.inf says the same, and the plan of its insertion must
        # agree with the run.
        import plan_agreement
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        disc.file('AutoRun.inf', '[autorun]\r\nopen="Setup.exe"/s\r\n')
        inserted = sum(plan_agreement.agreed_insertions.values())
        run = run_setup(disc, '/s', command_line='"{exe}"/s')
        self.assertEqual(1 if PLAN_DISCPLAN else 0, sum(plan_agreement.agreed_insertions.values()) - inserted)
        self.assertEqual(0, run.exit_code)
        params = f'/s /f1"{disc.win()}\\Dusmara"'
        self.assertLaunched(run, disc.win('Dusmara/setup.exe'), params)
        self.assertEqual([LOG_START, NO_UPDATE, launching('.\\Dusmara\\setup.exe', params)], run.log)

    def test_slash_without_a_keyword_starts_nothing(self):
        disc = self.product_disc()
        disc.program('autorun/demo32.exe')
        disc.ini({'Settings': {'DemoPath': '.\\autorun\\demo32.exe'}})
        run = run_setup(disc, '/lang=deu')
        self.assertEqual(0, run.exit_code)
        self.assertNothingLaunched(run)
        self.assertEqual([LOG_START, NO_UPDATE], run.log)

    def test_webrelease_launch_is_logged_even_without_the_program(self):
        disc = self.disc()
        run = run_setup(disc, '/webrelease')
        self.assertEqual(0, run.exit_code)
        self.assertEqual([LOG_START, NO_UPDATE, 'LaunchCmdline - cant find szFile .\\AppInst\\setup.exe\n'],
                         run.log)

    def test_the_launcher_itself_is_never_started_by_a_keyword(self):
        for cmdline in ('/dusmara', '/dm5'):
            with self.subTest(cmdline):
                disc = self.disc()        # no product folder: setup.exe is the launcher
                run = run_setup(disc, cmdline)
                self.assertEqual(0, run.exit_code)
                self.assertNothingLaunched(run)

    def test_setup_program_in_language_or_english_folder(self):
        # The system's language follows the character type, not the messages.
        split = {'LC_CTYPE': 'de_DE.UTF-8', 'LC_MESSAGES': 'ja_JP.UTF-8'}
        for lang, folder in (('de_DE.UTF-8', 'deu'), ('fr_FR.UTF-8', 'fra'), ('de_DE.UTF-8', 'enu'), (split, 'deu')):
            with self.subTest(lang=lang, folder=folder):
                disc = self.disc()
                disc.program(f'Dusmara/{folder}/setup.exe')
                run = run_setup(disc, '/dusmara', lang=lang)
                self.assertLaunched(run, disc.win(f'Dusmara/{folder}/setup.exe'))
                # Not found by the plain probe, so never by the last resort.
                run = run_setup(disc, '', lang=lang)
                self.assertEqual(0, run.exit_code)
                self.assertNothingLaunched(run)
                self.assertEqual([LOG_START, NO_UPDATE], run.log)

    def test_silent_mode_at_a_drive_root(self):
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        run = run_setup(disc, '/s', drive='d')
        self.assertEqual(0, run.exit_code)
        self.assertLaunched(run, 'D:\\Dusmara\\setup.exe', '/s /f1"D:\\\\Dusmara"')

    def test_silent_mode_without_product_folder_starts_the_launcher_itself(self):
        disc = self.disc()
        run = run_setup(disc, '/s', settle=False)
        self.assertEqual(0, run.exit_code)
        self.assertEqual([LOG_START, NO_UPDATE, launching('setup.exe', f'/s /f1"{disc.win()}\\"'),
                          LOG_START, 'A duplicate is already running. Exiting...\n'], run.log)

    def test_both_product_and_appinst_folders_resolve_to_the_product(self):
        disc = self.product_disc()
        run = run_setup(disc, '/s')
        self.assertLaunched(run, disc.win('Dusmara/setup.exe'), f'/s /f1"{disc.win()}\\Dusmara"')
        self.assertIn(NO_UPDATE, run.log)

    def test_only_appinst_gives_an_empty_product_name(self):
        disc = self.disc()
        disc.program('AppInst/setup.exe')
        run = run_setup(disc, '/s')
        self.assertLaunched(run, disc.win('AppInst/setup.exe'), f'/s /f1"{disc.win()}\\"')
        self.assertEqual([LOG_START, 'IkernelUpdate not found in .\\.\\AppInst\\IKernelUpdate\\Setup.exe\n',
                          launching('AppInst\\setup.exe', f'/s /f1"{disc.win()}\\"')], run.log)

    def test_second_launcher_while_the_first_waits(self):
        disc = self.disc()
        disc.program('Dusmara/setup.exe', sleep=4000)
        first = start_waiting_setup(disc, '/s')
        try:
            second = wine([disc.win('Setup.exe'), '/s'], env={'RECORD_FILE': winpath(disc.record_file)})
            self.assertEqual(1, second.returncode)
            self.assertIsNone(first.poll(), 'the first launcher still waits')
            self.assertEqual(0, first.wait(timeout=30))
        finally:
            if first.poll() is None:
                first.kill()
        log = read_log()
        self.assertEqual(1, log.count('A duplicate is already running. Exiting...\n'))
        self.assertEqual(1, sum(m.startswith('LaunchCmdline::Launching') for m in log))


class TemplateTest(SetupTestCase):
    """The silent parameters from Setup.ini's CmdlineParam."""

    def silent(self, template, lang='de_DE.UTF-8'):
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        disc.ini({'Silent': {'CmdlineParam': template}})
        return disc, run_setup(disc, '/s', lang=lang)

    def test_valid_templates(self):
        for template, expected in (('-silent', '-silent'),
                                   ('/f1"%s\\setup.iss"', '/f1"{path}\\setup.iss"'),
                                   ('/f1"%s.iss" /l %s', '/f1"{path}.iss" /l deu'),
                                   ('/v"100%%" /f1"%s"', '/v"100%" /f1"{path}"')):
            with self.subTest(template):
                disc, run = self.silent(template)
                path = disc.win() + '\\Dusmara'
                self.assertLaunched(run, disc.win('Dusmara/setup.exe'), expected.format(path=path))

    def test_refused_templates_fall_back_to_the_default(self):
        for template in ('/f1"%s" %n', '%x', '%d%d%d', '%s %s %s', '/s %', '%p%s%c%u%i%o%e%f%g%a%ls'):
            with self.subTest(template):
                disc, run = self.silent(template)
                self.assertEqual(0, run.exit_code)
                default = f'/s /f1"{disc.win()}\\Dusmara"'
                self.assertLaunched(run, disc.win('Dusmara/setup.exe'), default)
                self.assertIn(f'CmdlineParam {template} refused, default used\n', run.log)

    def test_too_long_templates_never_overflow(self):
        # 259 characters fit the value buffer but not the parameters once the
        # path replaces %s: nothing is launched. 300 characters do not fit the
        # value buffer: the default is used.
        disc, run = self.silent('%s' + 'x' * 257)
        self.assertEqual(0, run.exit_code)
        self.assertNothingLaunched(run)
        self.assertIn('Silent parameters too long, nothing launched\n', run.log)
        disc, run = self.silent('x' * 300)
        self.assertLaunched(run, disc.win('Dusmara/setup.exe'), f'/s /f1"{disc.win()}\\Dusmara"')
        self.assertIn('CmdlineParam longer than 259 characters, default used\n', run.log)


class SettingsModeTest(SetupTestCase):

    def test_demo_path_first(self):
        disc = self.disc()
        disc.program('demo/demo.exe')
        disc.program('setup/inst.exe')
        disc.ini({'Settings': {'DemoPath': 'demo\\demo.exe', 'SetupPath': 'setup\\inst.exe'}})
        run = run_setup(disc)
        self.assertEqual(0, run.exit_code)
        self.assertLaunched(run, disc.win('demo/demo.exe'), '-q -c')

    def test_setup_path_when_the_demo_is_missing(self):
        disc = self.disc()
        disc.program('setup/inst.exe')
        disc.ini({'Settings': {'DemoPath': 'demo\\missing.exe', 'SetupPath': 'setup\\inst.exe'}})
        run = run_setup(disc)
        self.assertEqual(0, run.exit_code)
        self.assertLaunched(run, disc.win('setup/inst.exe'))
        self.assertEqual([LOG_START, NO_UPDATE, 'zzzz setup\\inst.exe\n', launching('setup\\inst.exe')], run.log)

    def test_nothing_usable_in_setup_ini_falls_back(self):
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        disc.ini({'Settings': {'DemoPath': '', 'SetupPath': 'x' * 300}})
        run = run_setup(disc)
        self.assertEqual(0, run.exit_code)
        self.assertEqual([LOG_START, NO_UPDATE, 'Last\n', launching('.\\Dusmara\\setup.exe')], run.log)
        self.assertLaunched(run, disc.win('Dusmara/setup.exe'))


class FallbackChainTest(SetupTestCase):

    def test_demo_then_appinst_with_the_launch_result_as_exit_code(self):
        disc = self.disc()
        disc.program('autorun/demo32.exe')
        disc.program('AppInst/setup.exe')
        disc.program('Dusmara/setup.exe')
        run = run_setup(disc, 'webrelease')      # no slash: not the command-line mode
        self.assertEqual(1, run.exit_code)
        self.assertLaunched(run, disc.win('autorun/demo32.exe'), '-q -c')

        disc = self.disc()
        disc.program('AppInst/setup.exe')
        run = run_setup(disc)
        self.assertEqual(1, run.exit_code)
        self.assertLaunched(run, disc.win('AppInst/setup.exe'))

    def test_install_batch_for_the_language_else_english(self):
        for lang, present, expected in (('de_DE.UTF-8', ('instdeu.bat', 'instenu.bat'), 'instdeu.bat'),
                                        ('de_DE.UTF-8', ('instenu.bat',), 'instenu.bat'),
                                        ('en_US.UTF-8', ('instenu.bat',), 'instenu.bat')):
            with self.subTest(lang=lang, present=present):
                disc = self.disc()
                disc.program('Dusmara/setup.exe')
                for name in present:
                    disc.batch('Install/' + name)
                run = run_setup(disc, lang=lang)
                self.assertEqual(1, run.exit_code)
                batch = disc.win('Install') + '\\' + expected
                self.assertEqual([LOG_START, NO_UPDATE, launching(batch)], run.log)
                self.assertEqual(1, len(run.started), run)
                self.assertEqual(batch.lower(), run.started[0].path.lower())
                self.assertEqual(disc.win('Install').lower(), run.started[0].cwd.lower())

    def test_missing_english_batch_is_tried_and_logged(self):
        disc = self.disc()
        disc.folder('Install')
        run = run_setup(disc)
        self.assertEqual(0, run.exit_code)
        self.assertEqual(f'LaunchCmdline - cant find szFile {disc.win("Install")}\\instenu.bat\n', run.log[-1])

    def test_last_resort(self):
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        run = run_setup(disc)
        self.assertEqual(0, run.exit_code)
        self.assertEqual([LOG_START, NO_UPDATE, 'Last\n', launching('.\\Dusmara\\setup.exe')], run.log)
        self.assertLaunched(run, disc.win('Dusmara/setup.exe'))

    def test_last_resort_never_starts_the_launcher_itself(self):
        for name in ('Setup.exe', 'SETUP.EXE'):
            with self.subTest(name):
                run = run_setup(self.disc(name))
                self.assertEqual(0, run.exit_code)
                self.assertEqual([LOG_START, NO_UPDATE, 'Last\n'], run.log)
                self.assertNothingLaunched(run)

    def test_nothing_on_the_disc(self):
        run = run_setup(self.disc('launch.exe'))
        self.assertEqual(0, run.exit_code)
        self.assertEqual([LOG_START, NO_UPDATE], run.log)


class DiscFolderNameTest(SetupTestCase):
    """A disc in a folder whose name is not ASCII. The launcher works in the
    system's ANSI code page: a name it can write is used as it is, any other
    through the folder's short name."""

    SHORT_NAME = 'Folder name not in the system code page, working from its short name '
    TOO_LONG = 'Folder name too long in the system code page, working from its short name '

    def test_names_the_code_page_can_write_are_used_as_they_are(self):
        for folder, lang in (('Jürgen Äpfel', 'de_DE.UTF-8'), ('Jürgen Äpfel', 'en_US.UTF-8'),
                             ('Café', 'en_US.UTF-8'), ('ディスク', 'ja_JP.UTF-8')):
            with self.subTest(folder=folder, lang=lang):
                disc = self.disc(folder=folder)
                disc.program('Dusmara/setup.exe')
                run = run_setup(disc, '/s', lang=lang)
                self.assertEqual(0, run.exit_code)
                params = f'/s /f1"{disc.win()}\\Dusmara"'
                self.assertLaunched(run, disc.win('Dusmara/setup.exe'), params, cwd=disc.win())
                self.assertEqual([LOG_START, NO_UPDATE, launching('.\\Dusmara\\setup.exe', params)], run.log)
                run = run_setup(disc, lang=lang)
                self.assertEqual([LOG_START, NO_UPDATE, 'Last\n', launching('.\\Dusmara\\setup.exe')], run.log)
                self.assertLaunched(run, disc.win('Dusmara/setup.exe'))

    # Folders the ANSI code page cannot name: a Cyrillic one on an English
    # system, and on a Japanese one four levels of 40 characters on drive D:
    # (176 characters to the launcher, 336 bytes in code page 932, where the
    # ANSI functions take 259), once more one byte further on. Wine cuts the
    # first ANSI name inside a double-byte character and reports the buffer
    # filled, the second before one and reports it whole (259 bytes). The
    # line the launcher logs says which.
    JAPANESE = '/'.join(('ディスク' + level) * 8 for level in '一二三四')
    UNNAMED = (('Ж', 'en_US.UTF-8', None, SHORT_NAME), (JAPANESE, 'ja_JP.UTF-8', 'd', TOO_LONG),
               ('x' + JAPANESE, 'ja_JP.UTF-8', 'd', TOO_LONG))

    @staticmethod
    def logged_name(disc, lang, drive):
        """The folder as the launcher logs one it cannot use: its ANSI name,
        "?" for a character the code page lacks; a name past 259 bytes there
        as far as it was written (the launcher's own name included), up to
        the last whole character."""
        path = disc.on_drive(drive, 'Setup.exe') if drive else disc.win('Setup.exe')
        encoding = ansi_encoding(lang)
        if len(path.encode(encoding, errors='replace')) <= 259:
            return path.rsplit('\\', 1)[0].encode(encoding, errors='replace').decode(encoding)
        while len(path.encode(encoding)) > 259:
            path = path[:-1]
        return path

    def assertRunsFromTheShortName(self, folder, lang, drive, line, launcher=None):
        """The disc in `folder` runs from the folder's short name, which the
        log's second line (`line` and the name) gives."""
        disc = self.disc(folder=folder)
        if launcher:
            shutil.copy(tool(launcher), disc.launcher)
        disc.program('Dusmara/setup.exe')
        disc.program('TechSupt/IKernelUpdate/Setup.exe')
        disc.ini({'Silent': {'CmdlineParam': '/f1"%s\\setup.iss"'}})
        long_name = disc.on_drive(drive) if drive else disc.win()
        for cmdline in ('/s', ''):
            with self.subTest(folder=folder[:2], lang=lang, cmdline=cmdline):
                run = run_setup(disc, cmdline, lang=lang, drive=drive)
                self.assertEqual(0, run.exit_code)
                self.assertTrue(run.log[1].startswith(line), run)
                short = run.log[1][len(line):-1]
                self.assertTrue(short.isascii() and '~' in short and short != long_name, short)
                self.assertEqual(len(long_name.split('\\')), len(short.split('\\')), short)
                # Setup.ini, the engine update and the product path all come from the short folder.
                self.assertIn(f'LaunchCmdline::Launching {short}\\techsupt\\IKernelUpdate\\Setup.exe -s\n', run.log)
                params = f'/f1"{short}\\Dusmara\\setup.iss"' if cmdline else ''
                self.assertEqual(launching('.\\Dusmara\\setup.exe', params), run.log[-1])
                # The update first, waited for, then the product's setup
                # program. The stand-ins name their own file as Wine does:
                # through the long name as the code page writes it, which
                # code page 932 cuts on drive D:, or through the short one.
                self.assertEqual(2, len(run.started), run)
                product = run.started[1]
                if not drive:
                    encoding = ansi_encoding(lang)
                    long_path = disc.win('Dusmara/setup.exe').encode(encoding, 'replace').decode(encoding)
                    self.assertIn(product.path.lower(), (long_path.lower(), f'{short}\\dusmara\\setup.exe'.lower()))
                self.assertEqual(params, product.params)
                self.assertEqual(short.lower(), product.cwd.lower())

    def test_other_names_through_the_short_name(self):
        for folder, lang, drive, line in self.UNNAMED:
            self.assertRunsFromTheShortName(folder, lang, drive, line)

    def test_a_utf8_system_works_from_the_short_name_of_a_folder_too_long_there(self):
        # UTF-8 as the ANSI code page takes no loss report: the conversion
        # back tells that the folder passes 259 bytes there (its 160 Japanese
        # characters take 480), and its short name is used as on any code
        # page, whatever Wine's own code page (932 or 1252).
        for folder, lang, drive in ((self.JAPANESE, 'ja_JP.UTF-8', 'd'), (self.JAPANESE, 'en_US.UTF-8', 'd')):
            self.assertRunsFromTheShortName(folder, lang, drive, self.TOO_LONG, launcher='SetupUtf8.exe')

    def test_no_short_name_starts_nothing_and_says_so(self):
        # 8.3 names switched off: GetShortPathNameW gives the long name back,
        # or fails.
        for folder, lang, drive, _ in self.UNNAMED:
            disc = self.disc(folder=folder)
            shutil.copy(tool('SetupNoShortNames.exe'), disc.launcher)
            disc.program('Dusmara/setup.exe')
            refusal = f'Folder {self.logged_name(disc, lang, drive)} cannot be named in the system code page, ' \
                      'nothing launched\n'
            for mode in ('long', 'fail'):
                for cmdline in ('/s', ''):
                    with self.subTest(folder=folder[:2], mode=mode, cmdline=cmdline):
                        run = run_setup(disc, cmdline, lang=lang, drive=drive, env={'SHORT_NAME_MODE': mode})
                        self.assertEqual(3, run.exit_code, run)
                        self.assertEqual([LOG_START, refusal], run.log)
                        self.assertNothingLaunched(run)

class InternationalDiscTest(SetupTestCase):
    """Setup.ini and names in the code pages of other systems. The launcher
    reads Setup.ini's bytes in its system's ANSI code page (Windows NT reads
    UTF-16 after a byte order mark), finds names without regard to case for
    non-ASCII letters too, and writes its folder in that code page."""

    def test_a_western_setup_ini_on_a_german_and_a_japanese_system(self):
        disc = self.disc()
        disc.program('autorun/démo.exe')
        disc.program('Dusmara/setup.exe')
        disc.ini({'Settings': {'DemoPath': 'autorun\\démo.exe', 'SetupPath': 'Dusmara\\setup.exe'},
                  'Silent': {'CmdlineParam': '/f1"%s\\réponse.iss"'}}, 'cp1252')
        run = run_setup(disc, lang='de_DE.UTF-8')
        self.assertLaunched(run, disc.win('autorun/démo.exe'), '-q -c')
        run = run_setup(disc, '/s', lang='de_DE.UTF-8')
        self.assertLaunched(run, disc.win('Dusmara/setup.exe'), f'/f1"{disc.win()}\\Dusmara\\réponse.iss"')
        # In 932 the demo's bytes name another file: SetupPath is started.
        run = run_setup(disc, lang='ja_JP.UTF-8')
        self.assertLaunched(run, disc.win('Dusmara/setup.exe'))

    def test_setup_path_and_disc_folder_in_the_code_page_of_their_system(self):
        # "ソ" is 83 5C in 932: its second byte is a backslash's.
        for lang, encoding, folder, name in (('pl_PL.UTF-8', 'cp1250', 'Płyta', 'Łódź'),
                                             ('ru_RU.UTF-8', 'cp1251', 'Диск', 'Установка'),
                                             ('ja_JP.UTF-8', 'cp932', 'ディスク', 'ソフト')):
            with self.subTest(lang=lang):
                disc = self.disc(folder=folder)
                disc.program(f'{name}/setup.exe')
                disc.program('Dusmara/setup.exe')
                disc.ini({'Settings': {'SetupPath': f'{name}\\setup.exe'}}, encoding)
                run = run_setup(disc, lang=lang)
                self.assertLaunched(run, disc.win(f'{name}/setup.exe'), cwd=disc.win())
                run = run_setup(disc, '/s', lang=lang)
                self.assertLaunched(run, disc.win('Dusmara/setup.exe'), f'/s /f1"{disc.win()}\\Dusmara"')

    def test_a_keyword_never_starts_inside_a_double_byte_character(self):
        # "デ" is 83 64 in 932: its second byte is a "d", yet "/デm5" holds
        # no "dm5" for the launcher, which steps over the character whole.
        disc = self.disc()
        disc.program('Dusmara/setup.exe')
        run = run_setup(disc, '/デm5', lang='ja_JP.UTF-8')
        self.assertEqual(0, run.exit_code)
        self.assertNothingLaunched(run)

    def test_unicode_and_utf8_setup_ini_on_a_german_system(self):
        # UTF-16 with its mark is read as Unicode, and "ÜBUNG" finds "Übung".
        # UTF-8 without one is read in 1252: "ÃœBUNG" is no folder, and the
        # fallback chain's last resort starts the product.
        for encoding, started in (('utf-16', 'Übung/setup.exe'), ('utf-8', 'Dusmara/setup.exe')):
            with self.subTest(encoding=encoding):
                disc = self.disc()
                disc.program('Übung/setup.exe')
                disc.program('Dusmara/setup.exe')
                disc.ini({'Settings': {'SetupPath': 'ÜBUNG\\setup.exe'}}, encoding)
                run = run_setup(disc, lang='de_DE.UTF-8')
                self.assertLaunched(run, disc.win(started))


PLAN_DISCPLAN = os.environ.get('DISCPLAN', '')
# A name past Joliet's 64 characters.
LONG_FOLDER = 'Extras For This Product In A Folder Whose Name Is Longer Than 64 Chars'
# Wine's versions and the tree each reads of a UDF 1.02 bridge: Joliet for
# Windows 95 and NT 4.0 (no UDF driver), UDF from Windows 98 on.
BRIDGE = {'win95': 'joliet', 'nt40': 'joliet', 'win98': 'udf', 'win2k': 'udf', 'winxp': 'udf', 'vista': 'udf',
          None: 'udf'}


# The same for a bridge of a later UDF revision: the systems that do not
# mount it read the Joliet tree.
LATER_UDF = {'2.01': dict(BRIDGE, win98='joliet', win2k='joliet'),
             '2.50': dict(BRIDGE, win98='joliet', win2k='joliet', winxp='joliet'),
             '2.60': dict(BRIDGE, win98='joliet', win2k='joliet', winxp='joliet')}


@unittest.skipUnless(PLAN_DISCPLAN, 'the plan check of disc images runs where the plan check runs (the x64 build)')
class DiscImageTest(SetupTestCase):
    """What mastering does to a disc: the real Setup.exe run on the tree each
    system reads from an image of a correct disc, each run held by the plan
    check against discplan's plan of the image itself for that system."""

    # kind: the tree each Wine version reads, and what the launcher starts
    # without a command line from each tree.
    KINDS = {
        'joliet-long': (dict.fromkeys(BRIDGE, 'joliet'), {'joliet': LONG_FOLDER + '\\tool.exe'}),
        # Joliet names cut at 64 characters: SetupPath finds nothing.
        'joliet': (dict.fromkeys(BRIDGE, 'joliet'), {'joliet': '.\\Corvan Lite\\setup.exe'}),
        # 8.3 names: no product folder, no engine update, and /s starts
        # Setup.exe itself.
        'genisoimage-level-1': (dict.fromkeys(BRIDGE, 'iso9660'), {'iso9660': None}),
        # Both trees cut at 64.
        'udf-bridge': (BRIDGE, {'joliet': '.\\Corvan Lite\\setup.exe', 'udf': '.\\Corvan Lite\\setup.exe'}),
        # Corvan Lite only in the Joliet tree, Tilmar (later in the product
        # table) only in the UDF tree.
        'pycdlib': (BRIDGE, {'joliet': '.\\Corvan Lite\\setup.exe', 'udf': '.\\Tilmar\\setup.exe'}),
    }

    def source_disc(self):
        disc = self.disc(folder='source')
        disc.program('Corvan Lite/setup.exe')
        disc.program('TechSupt/IKernelUpdate/Setup.exe')
        disc.program(LONG_FOLDER + '/tool.exe')
        disc.ini({'Settings': {'SetupPath': LONG_FOLDER + '\\tool.exe'}})
        # Inserted, the disc starts the silent installation: each "/s" run is
        # the insertion's too.
        disc.file('autorun.inf', '[AutoRun]\r\nopen=Setup.exe /s\r\nicon=Setup.exe,0\r\n')
        return disc

    def pycdlib_image(self, source, path):
        def data(relative):
            with open(source.path(relative), 'rb') as f:
                return f.read()
        both = ('Setup.exe', 'TechSupt/IKernelUpdate/Setup.exe', 'autorun.inf')
        files = [{'joliet': '/' + name, 'udf': '/' + name, 'iso': '/F%d.EXE;1' % i, 'data': data(name)}
                 for i, name in enumerate(both)]
        files += [{'joliet': '/Corvan Lite/setup.exe', 'iso': '/C/SETUP.EXE;1', 'data': data('Corvan Lite/setup.exe')},
                  {'udf': '/Tilmar/setup.exe', 'iso': '/T/SETUP.EXE;1', 'data': data('Corvan Lite/setup.exe')}]
        folders = [{'joliet': '/TechSupt', 'udf': '/TechSupt', 'iso': '/E'},
                   {'joliet': '/TechSupt/IKernelUpdate', 'udf': '/TechSupt/IKernelUpdate', 'iso': '/E/U'},
                   {'joliet': '/Corvan Lite', 'iso': '/C'}, {'udf': '/Tilmar', 'iso': '/T'}]
        return images.make_pycdlib_image(path, files, folders)

    def test_each_system_on_the_tree_it_reads(self):
        import plan_agreement
        source = self.source_disc()
        work = os.path.dirname(source.root)
        discs = {}
        for kind, (systems, _) in self.KINDS.items():
            image = os.path.join(work, kind + '.iso')
            if kind == 'pycdlib':
                self.pycdlib_image(source, image)
            else:
                images.make_image(source.root, kind, image)
            for tree in sorted(set(systems.values())):
                discs[kind, tree] = Disc(f'{os.path.basename(work)}_{kind}_{tree}', image=image, tree=tree)
        compared = sum(plan_agreement.agreed_images.values())
        inserted = sum(plan_agreement.agreed_insertions.values())
        for version in BRIDGE:      # one Windows version after the other
            for (kind, tree), disc in discs.items():
                systems, started = self.KINDS[kind]
                if systems[version] != tree:
                    continue
                for cmdline in ('', '/s'):
                    with self.subTest(kind=kind, version=version, cmdline=cmdline):
                        # Setup.exe starting itself (/s without a product)
                        # leaves no record to wait for.
                        itself = cmdline == '/s' and started[tree] is None
                        run = run_setup(disc, cmdline, version=version, settle=not itself)
                        self.assertEqual(0, run.exit_code, run)
                        if not cmdline:
                            self.assertEqual(launching(started[tree]) if started[tree] else 'Last\n', run.log[-1])
        # Every run was held against the image's plan, every "/s" run also
        # against the row of the insertion.
        self.assertEqual(2 * len(BRIDGE) * len(self.KINDS), sum(plan_agreement.agreed_images.values()) - compared)
        self.assertEqual(len(BRIDGE) * len(self.KINDS), sum(plan_agreement.agreed_insertions.values()) - inserted)

    def test_later_udf_revisions(self):
        """pycdlib's trees that differ, its UDF patched to each later revision:
        Windows XP on reads 2.01, Vista on 2.50 and 2.60, the others Joliet."""
        import plan_agreement
        source = self.source_disc()
        work = os.path.dirname(source.root)
        bridge = self.pycdlib_image(source, os.path.join(work, 'bridge.iso'))
        _, started = self.KINDS['pycdlib']
        compared = sum(plan_agreement.agreed_images.values())
        for revision, systems in LATER_UDF.items():
            image = images.make_udf_revision(bridge, os.path.join(work, 'udf-%s.iso' % revision), revision)
            discs = {tree: Disc(f'{os.path.basename(work)}_udf{revision}_{tree}', image=image, tree=tree)
                     for tree in ('joliet', 'udf')}
            for version, tree in systems.items():
                with self.subTest(revision=revision, version=version):
                    run = run_setup(discs[tree], '', version=version)
                    self.assertEqual(0, run.exit_code, run)
                    self.assertEqual(launching(started[tree]), run.log[-1])
        self.assertEqual(len(BRIDGE) * len(LATER_UDF), sum(plan_agreement.agreed_images.values()) - compared)

    def test_iso9660_names_through_the_oem_code_page(self):
        """An image without Joliet whose folder's ISO 9660 name has the byte
        9B: the character 437 gives it on an English system, 850's on a
        German one, where Setup.ini's SetupPath finds it."""
        import plan_agreement
        source = self.disc(folder='oem-source')
        source.program('XRE/setup.exe')
        source.program('Tilmar/setup.exe')
        # "øre" in 1252, the code page of both systems.
        source.ini({'Settings': {'SetupPath': '\xf8re\\setup.exe'}}, encoding='cp1252')
        work = os.path.dirname(source.root)
        plain = images.make_image(source.root, 'genisoimage-level-1', os.path.join(work, 'oem-plain.iso'))
        with open(plain, 'rb') as f:
            data = f.read()
        # The folder's records and both path tables.
        self.assertEqual(3, data.count(b'XRE'))
        image = os.path.join(work, 'oem.iso')
        with open(image, 'wb') as f:
            f.write(data.replace(b'XRE', b'\x9bRE'))
        compared = sum(plan_agreement.agreed_images.values())
        # English: SetupPath names no folder, the fallback chain's last resort
        # is the product's setup program.
        for lang, codec, started in (('en_US.UTF-8', 'cp437', '.\\Tilmar\\setup.exe'),
                                     ('de_DE.UTF-8', 'cp850', '\xf8re\\setup.exe')):
            disc = Disc(f'{os.path.basename(work)}_oem_{codec}', image=image, tree='iso9660', oem=codec)
            for version in ('win98', 'winxp', None):
                with self.subTest(lang=lang, version=version):
                    run = run_setup(disc, '', version=version, lang=lang)
                    self.assertEqual(0, run.exit_code, run)
                    self.assertEqual(launching(started), run.log[-1])
        self.assertEqual(6, sum(plan_agreement.agreed_images.values()) - compared)

if __name__ == '__main__':
    unittest.main()
