#!/usr/bin/env python3
"""The real Windows program konvika.exe under wine on an X display, as an estimator meets it:
the sample conversion (records and log messages as the Linux program writes them), one question
of each kind answered with the keyboard, cancel from the progress window, and a second copy
refused by the named mutex. The tables it writes are read here by python3-dbfread and the
production indexes by index_dump, both independent of the program.

Environment (scripts/test-windows-program.sh sets it):
  KONVIKA_WIN_FOLDER   the installed Windows program folder (copied for every test)
  KONVIKA_LINUX_FOLDER the installed Linux program folder (konvika, DLL/gvread.so, Morvel/...)
  KONVIKA_HOST_TOOLS   the Linux build's tools/ folder (konvika-answers, konvika-sample)
  WINEPREFIX, DISPLAY  a wine prefix of this user and the X display to use
"""
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

import dbfread

WIN_FOLDER = os.environ['KONVIKA_WIN_FOLDER']
LINUX_FOLDER = os.environ['KONVIKA_LINUX_FOLDER']
TOOLS = os.environ['KONVIKA_HOST_TOOLS']
WINE = os.environ.get('KONVIKA_WINE', 'wine')
TITLE = 'Цены Гарвена в ОРН (Версия 1.0 от 20-10-2005)'
DIALOG = 'Выбор соответствия'
WAIT = 60


def windows_path(path):
    # wine's drive Z: is the root folder.
    return 'Z:' + path.replace('/', '\\')


def write_source(path, lines):
    with open(path, 'wb') as f:
        f.write(('\n'.join(['GARVENA 1'] + lines) + '\n').encode('cp1251'))


def xdotool(*args):
    run = subprocess.run(['xdotool', *args], capture_output=True, text=True, timeout=30)
    return run.stdout.split()


def windows_named(title):
    return xdotool('search', '--all', '--onlyvisible', '--name', '^' + title.replace('(', '\\(')
                   .replace(')', '\\)').replace('.', '\\.') + '$')


def wait_for_window(title, passing=()):
    """The id of a shown window with this title that is not among `passing`."""
    deadline = time.time() + WAIT
    while time.time() < deadline:
        found = [w for w in windows_named(title) if w not in passing]
        if found:
            time.sleep(0.5)  # let wine finish drawing and activating it
            return found[-1]
        time.sleep(0.2)
    raise AssertionError(f'no window "{title}" appeared')


def press(window, *keys):
    # The keys go to the display's keyboard focus, as a person's would.
    subprocess.run(['xdotool', 'windowactivate', '--sync', window], capture_output=True,
                   timeout=30)
    subprocess.run(['xdotool', 'windowfocus', '--sync', window], capture_output=True,
                   timeout=30)
    time.sleep(0.3)
    subprocess.run(['xdotool', 'key', '--delay', '80', *keys], check=True, timeout=60)


def records(path, encoding='cp866'):
    """The code fields and unit names are in code page 866; the mapping tables in 1251."""
    return [dict(r) for r in dbfread.DBF(path, encoding=encoding, char_decode_errors='strict')]


def log_messages(path):
    """The messages of the log's entries, without their time stamps."""
    with open(path, 'rb') as f:
        data = f.read()
    # One carriage return ends an entry; a line feed inside a message is stored as CR LF.
    entries = [e for e in re.split('\r(?!\n)', data.decode('cp1251')) if e]
    for e in entries:
        assert ' - ' in e, f'an entry without its time stamp: {e!r}'
    return [e.split(' - ', 1)[1] for e in entries]


class ProgramFolder:
    """A fresh copy of an installed program folder, under a folder with a Cyrillic name and a
    blank, with a data folder beside it (no blank there: the suite's argument is one word)."""

    def __init__(self, installed, name):
        self.root = tempfile.mkdtemp(prefix='konvika-')
        self.folder = os.path.join(self.root, name)
        shutil.copytree(installed, self.folder)
        self.data = os.path.join(self.root, 'данные')
        os.mkdir(self.data)
        # The sample beside the data: the argument may hold no blank, the program folder does.
        shutil.copy(os.path.join(self.folder, 'sample', 'prices.txt'), self.file('prices.txt'))
        shutil.copytree(os.path.join(self.folder, 'sample', 'units'), self.file('units'))

    def file(self, name):
        return os.path.join(self.data, name)

    def log(self):
        return os.path.join(self.folder, 'Morvel', 'TKonvika.log')

    def store_sample_answers(self):
        subprocess.run([os.path.join(TOOLS, 'konvika-answers'), self.folder], check=True,
                       capture_output=True)

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)


class WindowsProgram(ProgramFolder):
    def __init__(self):
        super().__init__(WIN_FOLDER, 'Программа Konvika')

    def start(self, base, source, out, units2='', units1=None):
        units1 = units1 if units1 is not None else self.file('units')
        parts = [base, windows_path(source), windows_path(out),
                 windows_path(units2) if units2 else '', windows_path(units1)]
        argument = ''.join(p + '?' for p in parts)
        assert ' ' not in argument
        return subprocess.Popen([WINE, os.path.join(self.folder, 'konvika.exe'), argument],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def finish(process):
    try:
        return process.wait(timeout=WAIT * 2)
    except subprocess.TimeoutExpired:
        process.kill()
        raise


class WindowsProgramTest(unittest.TestCase):
    def setUp(self):
        self.program = WindowsProgram()
        self.addCleanup(self.program.remove)

    def test_sample_conversion_matches_the_linux_program(self):
        win = self.program
        win.store_sample_answers()
        out = win.file('prices.dbf')
        status = finish(win.start('40', win.file('prices.txt'), out))
        self.assertEqual(status, 0)

        linux = ProgramFolder(LINUX_FOLDER, 'konvika')
        self.addCleanup(linux.remove)
        linux.store_sample_answers()
        linux_out = linux.file('prices.dbf')
        argument = f"40?{linux.file('prices.txt')}?{linux_out}??{linux.file('units')}?"
        env = dict(os.environ, QT_QPA_PLATFORM='offscreen',
                   XDG_RUNTIME_DIR=linux.root)
        subprocess.run([os.path.join(linux.folder, 'konvika'), argument], env=env, check=True,
                       timeout=WAIT)

        windows_records = records(out)
        self.assertGreater(len(windows_records), 10)
        self.assertEqual(windows_records, records(linux_out))

        # The same entries, with the paths in each system's spelling: Windows-1251 from the
        # wide command line there, the file system's UTF-8 bytes unchanged on Linux.
        def same_paths(messages, data, separator):
            return [m.replace(data, '<data>').replace(separator, '|') for m in messages]
        linux_data = linux.data.encode('utf-8').decode('cp1251')
        self.assertEqual(same_paths(log_messages(win.log()), windows_path(win.data), '\\'),
                         same_paths(log_messages(linux.log()), linux_data, '/'))

    def test_log_bytes(self):
        win = self.program
        win.store_sample_answers()
        status = finish(win.start('40', win.file('prices.txt'), win.file('prices.dbf')))
        self.assertEqual(status, 0)
        with open(win.log(), 'rb') as f:
            data = f.read()
        self.assertTrue(data.endswith('Конвертация успешно закончена.\r'.encode('cp1251')))
        self.assertNotIn(b'\n', data, 'one carriage return ends each entry, no line feed')
        # The Russian short date and long time of the user's locale: 09.12.2026 18:40:07.
        stamp = re.compile(rb'^\d\d\.\d\d\.\d{4} \d{1,2}:\d\d:\d\d - ')
        for entry in re.split(rb'\r(?!\n)', data)[:-1]:
            self.assertRegex(entry, stamp)

    def test_second_copy_is_refused_while_the_first_asks(self):
        win = self.program
        source = win.file('prices.txt')
        write_source(source, ['#TABLE T', '4@101-1-5-7-9@Песок@м3@@61,58@55,00',
                              '4@101-0002-5@Щебень@т@@128,40@117,30'])
        first = win.start('4R', source, win.file('out.dbf'))
        self.addCleanup(lambda: first.poll() is None and first.kill())
        dialog = wait_for_window(DIALOG)
        second = win.start('4R', source, win.file('other.dbf'))
        # Its message box is titled with the program file's name; OK ends it with status 1.
        box = wait_for_window('konvika')
        press(box, 'Return')
        self.assertEqual(finish(second), 1)
        self.assertFalse(os.path.exists(win.file('other.dbf')))
        self.assertIsNone(first.poll())

        press(dialog, 'Escape')
        self.assertEqual(finish(first), 0)
        self.assertEqual(log_messages(win.log())[-1], 'Конвертация успешно закончена.')
        rows = records(win.file('out.dbf'))
        self.assertEqual(len(rows), 1, 'the skipped record is not written')

    def test_one_question_of_each_kind_answered_with_the_keyboard(self):
        win = self.program
        source = win.file('prices.txt')
        # A code the base cannot take, then a unit no units table knows.
        write_source(source, ['#TABLE T', '4@101-1-5-7-9@Песок@м3@@61,58@55,00',
                              '4@101-0002-5@Цемент@меш@@128,40@117,30'])
        out = win.file('out.dbf')
        run = win.start('4R', source, out)
        self.addCleanup(lambda: run.poll() is None and run.kill())
        code_dialog = wait_for_window(DIALOG)
        # Keep the type letter in the focused code box, retype the rest, accept with Enter.
        press(code_dialog, 'Home', 'Right', 'shift+End', '1', '0', '1', 'minus', '0', '0', '0',
              '1', 'minus', '5', 'Return')
        unit_dialog = wait_for_window(DIALOG, passing=(code_dialog,))
        # The search box holds the unit and the list stands on the nearest name. Tab to the list,
        # one row down, Tab to the coefficient, type 2,5 over "1.0", accept.
        press(unit_dialog, 'Tab', 'Down', 'Tab', 'End', 'BackSpace', 'BackSpace', 'BackSpace',
              '2', 'comma', '5', 'Return')
        self.assertEqual(finish(run), 0)

        units = sorted(records(win.file(os.path.join('units', 'Ei1.dbf'))),
                       key=lambda r: r['ED_IZ'].encode('cp866'))
        names = [r['ED_IZ'].strip().encode('cp866') for r in units]
        nearest = next(i for i, n in enumerate(names) if n >= 'меш'.encode('cp866'))
        chosen = units[nearest + 1]['KEI'].strip()

        rows = records(out)
        self.assertEqual(len(rows), 2)
        self.assertEqual((rows[0]['TIP'], rows[0]['TABL'], rows[0]['POZ']), ('С', ' 0001', '   5'))
        self.assertEqual(rows[1]['KEI'].strip(), chosen)
        # C_1 takes the record's last price, C_2 the one before it; the unit's are scaled.
        self.assertAlmostEqual(rows[0]['C_1'], 55.00, places=4)
        self.assertAlmostEqual(rows[0]['C_2'], 61.58, places=4)
        self.assertAlmostEqual(rows[1]['C_1'], 117.30 * 2.5, places=4)
        self.assertAlmostEqual(rows[1]['C_2'], 128.40 * 2.5, places=4)

        mapping = os.path.join(win.folder, 'Morvel', 'TKonvika')
        codes = records(os.path.join(mapping, 'kodper.dbf'), 'cp1251')
        units_answered = records(os.path.join(mapping, 'edizper.dbf'), 'cp1251')
        self.assertEqual([(r['NAME_SP'].strip(), r['KOD_ORN'].strip()) for r in codes],
                         [('Песок', 'С101-0001-5')])
        self.assertEqual([(r['EDIZ_SP'].strip(), r['KEI_ORN'].strip(), r['K_PRIV'].strip())
                          for r in units_answered], [('меш', chosen, '2.5')])
        for table in ('kodper', 'edizper'):
            tags = subprocess.run(['index_dump', os.path.join(mapping, table + '.mdx')],
                                  capture_output=True, text=True, check=True).stdout.split()
            self.assertTrue(tags, table)
            for tag in tags:
                keys = subprocess.run(['index_dump', os.path.join(mapping, table + '.mdx'), tag],
                                      capture_output=True, check=True).stdout.splitlines()
                self.assertEqual(len(keys), 1, f'{table} {tag}: one key for the one record')

    def test_cancel_from_the_progress_window(self):
        win = self.program
        source = win.file('big.txt')
        tables = 400
        subprocess.run([os.path.join(TOOLS, 'konvika-sample'), '--output', source, '--tables',
                        str(tables), '--records', str(tables * 100), '--base', '4'], check=True)
        out = win.file('out.dbf')
        run = win.start('40', source, out)
        self.addCleanup(lambda: run.poll() is None and run.kill())
        progress = wait_for_window(TITLE)
        press(progress, 'Escape')
        # "Прервать операцию?" carries the window's title; Yes is its default button.
        question = wait_for_window(TITLE, passing=(progress,))
        press(question, 'Return')
        self.assertEqual(finish(run), 0)
        written = len(records(out))
        self.assertLess(written, tables * 100, 'the conversion stopped early')
        self.assertEqual(log_messages(win.log())[-1], 'Конвертация отменена.')


if __name__ == '__main__':
    unittest.main(verbosity=2)
