#!/usr/bin/env python3
"""Size and speed of Setup.exe, in one run.

Builds the release x86 and x64 binaries (presets x86 and x64) and prints:

1. the size of the stripped x86 and x64 Setup.exe, section by section, and
   the DLLs each imports;
2. launch latency under Wine in the plain case (a disc with only
   Dusmara\\setup.exe, no command line: the last-resort launch): the time from
   starting Setup.exe to the start of the program it launches, side by side
   with a null launcher that does nothing but ShellExecuteExA the same program,
   alternating, and the ratio of the two medians; first for the x86 build
   under WoW64 (what users of 64-bit Windows get), then for the x64 build, each
   against a null launcher and a disc of its own bitness;
3. the same with the engine update on the disc (TechSupt\\IKernelUpdate\\Setup.exe):
   once with a current engine in the common files folder (the cost of the
   engine check) and once with the engine missing (the check, the process
   search, the pause and the update run);
4. FindProcessByModule alone, with 10, 100 and 500 idle processes running
   (when Wine will start no more, with as many as it did, and says so).

How launch latency is timed: everything is timed from the Windows side, on
one clock. bench/launchtimer.exe starts each launcher with CreateProcess and
reads QueryPerformanceCounter just before; the program the launcher starts is
the recording stand-in (tests/tools/recorder.exe), whose first act is to read
the same counter, and which writes that reading into its record file (a "time"
line). The performance counter is one clock for all processes of the machine
(under Wine, the host's monotonic clock), so the difference is the launch
latency, free of the time that the Unix side needs to start Wine. Setup.exe
and the null launcher are started in turn, the order reversed every round, so
that a changing load of the machine weighs on both alike; the first rounds
warm the caches and are not counted.

The bench runs in its own Wine prefix with its own X server under
<build x64>/bench/run, stopped at the end.

    bench/run-bench.py [--runs 30] [--warmup 3] [--counts 10,100,500] [--find-repeats 9] [--no-build]
"""
import argparse
import os
import re
import shutil
import statistics
import struct
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = {arch: os.path.join(ROOT, 'build', arch) for arch in ('x86', 'x64')}
TOOL_PREFIX = {'x86': 'i686-w64-mingw32', 'x64': 'x86_64-w64-mingw32'}
SIZE_BUDGET = 32768       # bytes, the stripped x86 Setup.exe (tests/static/CMakeLists.txt)
RATIO_BUDGET = 1.10       # Setup.exe's median launch latency over the null launcher's
UPDATE_PAUSE_MS = 500     # the engine update's pause after closing the engine processes
PAUSE_MS = 250            # between two starts, after the last one's programs have gone
RUN_DIR = os.path.join(BUILD['x64'], 'bench', 'run')
BENCH_DIR = os.path.join(RUN_DIR, 'wine')
WORK = os.path.join(RUN_DIR, 'work')
PREFIX = os.path.join(BENCH_DIR, 'prefix')
WINE_BENCH = os.path.join(ROOT, 'cmake', 'wine-bench.sh')
WINE_RUN = os.path.join(ROOT, 'cmake', 'wine-run.sh')
LOG_FILE = os.path.join(PREFIX, 'drive_c', 'windows', 'temp', 'Brivanta.log')
# Where Wine's "CommonFilesDir" points for a 64-bit program.
COMMON_FILES = os.path.join(PREFIX, 'drive_c', 'Program Files', 'Common Files')
ENGINE_FILES = ('ctor.dll', 'iuser.dll', 'ikernel.exe', 'objectps.dll')

PRODUCT_SETUP = 'Dusmara\\setup.exe'
ENGINE_UPDATE = 'TechSupt\\IKernelUpdate\\Setup.exe'


def run(args, **kwargs):
    return subprocess.run(args, check=True, **kwargs)


def winpath(path):
    """The Windows form of a Unix path (Wine maps / to drive Z:)."""
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def load():
    return 'load average %.2f %.2f %.2f on %d cores' % (os.getloadavg() + (os.cpu_count(),))


def runs_32bit():
    """None when this machine runs 32-bit programs (cmake/probe-32bit.sh tries one), else why not."""
    probe = subprocess.run([os.path.join(ROOT, 'cmake', 'probe-32bit.sh')], stderr=subprocess.PIPE, text=True)
    return None if probe.returncode == 0 else probe.stderr.strip() or 'the probe failed'


def exe(arch, relative):
    return os.path.join(BUILD[arch], *relative.split('/'))


# --- building ---------------------------------------------------------------

def build():
    x64_targets = ['Setup', 'nulllaunch', 'launchtimer', 'recorder', 'findbench', 'benchidle', 'version_files']
    for preset, targets in (('x86', ['Setup', 'nulllaunch', 'recorder']), ('x64', x64_targets)):
        print(f'building {preset}: {" ".join(targets)}', flush=True)
        run(['cmake', '--preset', preset], cwd=ROOT, stdout=subprocess.DEVNULL)
        run(['cmake', '--build', '--preset', preset, '--target'] + targets, cwd=ROOT, stdout=subprocess.DEVNULL)


# --- 1. sizes ---------------------------------------------------------------

def pe_sections(path):
    """(name, bytes in the file) of each section of a PE file."""
    with open(path, 'rb') as f:
        data = f.read()
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    count = struct.unpack_from('<H', data, pe + 6)[0]
    optional_size = struct.unpack_from('<H', data, pe + 20)[0]
    table = pe + 24 + optional_size
    sections = []
    for i in range(count):
        name, _, _, raw_size = struct.unpack_from('<8sIII', data, table + 40 * i)
        sections.append((name.rstrip(b'\0').decode(), raw_size))
    return sections


def imported_dlls(arch, path):
    out = run([TOOL_PREFIX[arch] + '-objdump', '-p', path], stdout=subprocess.PIPE, text=True).stdout
    return re.findall(r'DLL Name: (\S+)', out)


def stripped_size(arch, path):
    # strip drops an Authenticode signature too: the budget counts the file without it.
    copy = os.path.join(RUN_DIR, 'stripped-' + arch + '-' + os.path.basename(path))
    run([TOOL_PREFIX[arch] + '-strip', '-o', copy, path])
    size = os.path.getsize(copy)
    os.remove(copy)
    return size


def report_sizes():
    print('\n1. Size of the stripped Setup.exe (release build)')
    for arch in ('x86', 'x64'):
        path = exe(arch, 'Setup.exe')
        size = stripped_size(arch, path)
        null_size = stripped_size(arch, exe(arch, 'bench/nulllaunch.exe'))
        line = f'   {arch}: {size} bytes ({size / 1024:.1f} KiB)'
        if arch == 'x86':
            verdict = 'within' if size <= SIZE_BUDGET else 'OVER'
            line += f', budget {SIZE_BUDGET}: {verdict}, {SIZE_BUDGET - size} bytes to spare'
        print(line + f'; the null launcher, built alike: {null_size} bytes')
        print('        sections (bytes in the file): ' +
              ', '.join(f'{name} {raw}' for name, raw in pe_sections(path) if raw))
        print('        imports: ' + ', '.join(imported_dlls(arch, path)))


# --- the Wine bench -----------------------------------------------------------

def wine(args, timeout=600, env=None, arch='x64'):
    full_env = dict(os.environ)
    full_env.update(env or {})
    if arch == 'x86':
        # The 32-bit loader: the 64-bit one would leave a start.exe behind.
        full_env['WINE_LOADER'] = '/usr/lib/wine/wine'

    return subprocess.run([WINE_RUN, BENCH_DIR] + args, env=full_env, timeout=timeout,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, errors='replace')


def read_log():
    if not os.path.exists(LOG_FILE):
        return []
    with open(LOG_FILE, encoding='latin-1') as f:
        return [line for line in f.read().splitlines() if line.strip()]


def clear_log():
    if os.path.exists(LOG_FILE):
        os.remove(LOG_FILE)


def last_run_log():
    """The log lines of the last Setup.exe run, without their time stamps."""
    lines = [re.sub(r'^\[[^]]*\] - ', '', line) for line in read_log()]
    starts = [i for i, line in enumerate(lines) if line.startswith('Entering Setup launcher')]
    return lines[starts[-1]:] if starts else lines


class Disc:
    """A disc folder with Setup.exe and the null launcher of one build at its
    root, and stand-ins of the same build."""

    def __init__(self, name, programs, arch='x64'):
        self.arch = arch
        self.root = os.path.join(WORK, name)
        shutil.rmtree(self.root, ignore_errors=True)
        os.makedirs(self.root)
        shutil.copy(exe(arch, 'Setup.exe'), self.root)
        shutil.copy(exe(arch, 'bench/nulllaunch.exe'), self.root)
        for relative in programs:
            target = os.path.join(self.root, *relative.split('\\'))
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy(exe(arch, 'tools/recorder.exe'), target)
        self.record_file = self.root + '.record'

    def win(self, relative=''):
        return winpath(os.path.join(self.root, *relative.split('\\'))) if relative else winpath(self.root)


def read_records(path):
    """[(pid, path)] of the programs started, in order, and {pid: {event: counter}}."""
    started, times = [], {}
    if os.path.exists(path):
        with open(path, encoding='latin-1') as f:
            for fields in (line.split('\t') for line in f.read().splitlines()):
                if fields[0] == 'start':
                    started.append((fields[1], fields[2]))
                elif fields[0] == 'time':
                    times.setdefault(fields[1], {})[fields[2]] = int(fields[3])
    return started, times


def probe(disc):
    """Runs Setup.exe once the way the user would; what it started, in order (paths
    relative to the disc, in lower case)."""
    if os.path.exists(disc.record_file):
        os.remove(disc.record_file)
    wine([disc.win('Setup.exe')], env={'RECORD_FILE': winpath(disc.record_file)}, arch=disc.arch)
    previous, deadline = None, time.monotonic() + 20
    while time.monotonic() < deadline:
        started, times = read_records(disc.record_file)
        if started and started == previous and all('end' in times.get(pid, {}) for pid, _ in started):
            break
        previous = started
        time.sleep(0.5)
    return [path[len(disc.win()) + 1:].lower() for _, path in started]


def time_launchers(disc, rounds, setup_programs, timeout_ms=60000):
    """Setup.exe and the null launcher started in turn, `rounds` times each.

    Returns {label: [run]}, each run a dict: round, start and end (the launcher's
    start and end, ms), and the start and end (ms after the launcher's start)
    of each program by its path relative to the disc.
    """
    args = [exe('x64', 'bench/launchtimer.exe'), str(rounds), winpath(disc.record_file), str(timeout_ms),
            str(PAUSE_MS),
            'setup', disc.win('Setup.exe'), disc.win(), str(setup_programs), '-',
            'null', disc.win('nulllaunch.exe'), disc.win(), '1', '.\\' + PRODUCT_SETUP]
    result = wine(args, timeout=rounds * 2 * timeout_ms / 1000 + 60)
    if result.returncode != 0:
        raise RuntimeError(f'launchtimer failed ({result.returncode}): {result.stderr}')
    runs = {'setup': [], 'null': []}
    frequency, current = None, None
    for fields in (line.split('\t') for line in result.stdout.splitlines()):
        if fields[0] == 'frequency':
            frequency = int(fields[1])
        elif fields[0] == 'run':
            t0 = int(fields[3])
            current = {'round': int(fields[2]), 'exit': int(fields[5]), 't0': t0,
                       'launcher_ms': (int(fields[4]) - t0) * 1000 / frequency, 'paths': {}, 'programs': {}}
            runs[fields[1]].append(current)
        elif fields[0] == 'rec' and len(fields) > 2:
            if fields[1] == 'start':
                current['paths'][fields[2]] = fields[3][len(disc.win()) + 1:].lower()
            elif fields[1] == 'time':
                program = current['programs'].setdefault(current['paths'].get(fields[2], fields[2]), {})
                program[fields[3]] = (int(fields[4]) - current['t0']) * 1000 / frequency
        elif fields[0] in ('timeout', 'failed'):
            print('   ' + ' '.join(fields), flush=True)
    return runs


def spread(values):
    values = sorted(values)
    q1, _, q3 = statistics.quantiles(values, n=4, method='inclusive')
    return statistics.median(values), q1, q3, values[0], values[-1]


def stats_line(label, values, unit='ms'):
    median, q1, q3, low, high = spread(values)
    return f'   {label:<26}{median:8.1f} {unit}   q1-q3 {q1:6.1f} - {q3:6.1f}   min-max {low:6.1f} - {high:6.1f}'


def latencies(runs, warmup, program):
    return [r['programs'][program]['start'] for r in runs if r['round'] >= warmup and program in r['programs']]


def paired_ratios(runs, warmup, program):
    null = {r['round']: r['programs'][program]['start'] for r in runs['null']
            if r['round'] >= warmup and program in r['programs']}
    return [r['programs'][program]['start'] / null[r['round']] for r in runs['setup']
            if r['round'] in null and program in r['programs']]


def compare(runs, warmup, budget=None):
    """Prints Setup.exe's latency against the null launcher's; returns the ratio of the medians."""
    product = PRODUCT_SETUP.lower()
    setup, null = latencies(runs['setup'], warmup, product), latencies(runs['null'], warmup, product)
    if len(setup) < 2 or len(null) < 2:
        print('   too few complete runs to compare')
        return None
    print(f'   start of {PRODUCT_SETUP} after the launcher\'s start, {len(setup)} and {len(null)} runs:')
    print(stats_line('Setup.exe', setup))
    print(stats_line('null launcher', null))
    ratio = statistics.median(setup) / statistics.median(null)
    line = f'   ratio of the medians      {ratio:8.3f}'
    if budget:
        line += f'   (budget {budget:.2f}: {"within" if ratio <= budget else "OVER"})'
    print(line)
    pairs = paired_ratios(runs, warmup, product)
    print(f'   median of the ratios of each round\'s two starts: {statistics.median(pairs):.3f}')
    print(f'   Setup.exe\'s own median excess: {statistics.median(setup) - statistics.median(null):.1f} ms;'
          f' the launchers lived (start to exit) {statistics.median(r["launcher_ms"] for r in runs["setup"]):.1f}'
          f' and {statistics.median(r["launcher_ms"] for r in runs["null"]):.1f} ms')
    return ratio


# --- 2. plain launch --------------------------------------------------------------

def report_plain(rounds, warmup, arch):
    system = 'the 32-bit build under WoW64' if arch == 'x86' else 'the 64-bit build'
    print(f'\n2{"ab"[arch == "x64"]}. Launch latency, plain, {arch} ({system}): a disc with only {PRODUCT_SETUP},'
          f' no command line ({load()})')
    disc = Disc('plain-' + arch, [PRODUCT_SETUP], arch)
    started = probe(disc)
    print(f'   Setup.exe started: {", ".join(started) or "nothing"}; its log: {" | ".join(last_run_log())}')
    if started != [PRODUCT_SETUP.lower()]:
        print('   FAIL: Setup.exe did not launch the product setup program as its last resort')
        return None
    clear_log()
    return compare(time_launchers(disc, rounds, 1), warmup, RATIO_BUDGET)


# --- 3. engine check and update -----------------------------------------------------

def lay_engine(version_file):
    """The engine's five files in the common files folder, each a copy of version_file; None: no engine."""
    root = os.path.join(COMMON_FILES, 'InstallShield')
    shutil.rmtree(root, ignore_errors=True)
    if version_file is None:
        return
    folder = os.path.join(root, 'Engine', '6', 'Intel 32')
    os.makedirs(folder)
    for name in ENGINE_FILES:
        shutil.copy(version_file, os.path.join(folder, name))
    os.makedirs(os.path.join(root, 'IScript'))
    shutil.copy(version_file, os.path.join(root, 'IScript', 'iscript.dll'))


def report_engine(rounds, warmup):
    print(f'\n3. Launch latency with the engine update on the disc ({ENGINE_UPDATE}) ({load()})')
    current = exe('x64', 'tools/versions/v_current.dll')
    disc = Disc('engine', [PRODUCT_SETUP, ENGINE_UPDATE])
    product, update = PRODUCT_SETUP.lower(), ENGINE_UPDATE.lower()

    print('\n   a) a current engine (6.31.100.1190) in the common files folder: the engine check alone')
    lay_engine(current)
    started = probe(disc)
    print(f'   Setup.exe started: {", ".join(started) or "nothing"}; its log: {" | ".join(last_run_log())}')
    clear_log()
    compare(time_launchers(disc, rounds, len(started)), warmup)

    print('\n   b) no engine in the common files folder: the check, the engine process search,'
          f' the {UPDATE_PAUSE_MS} ms pause, the update run, the second check')
    lay_engine(None)
    started = probe(disc)
    print(f'   Setup.exe started: {", ".join(started) or "nothing"}; its log: {" | ".join(last_run_log())}')
    if ENGINE_UPDATE.lower() not in started:
        print('   FAIL: Setup.exe did not run the engine update')
    clear_log()
    runs = time_launchers(disc, rounds, len(started))
    compare(runs, warmup)
    if ENGINE_UPDATE.lower() in started:
        counted = [r for r in runs['setup'] if r['round'] >= warmup and {product, update} <= r['programs'].keys()]
        null_median = statistics.median(latencies(runs['null'], warmup, product))
        to_update = [r['programs'][update]['start'] for r in counted]
        after_update = [r['programs'][product]['start'] - r['programs'][update]['end'] for r in counted]
        print('   where the time goes in Setup.exe\'s runs:')
        print(stats_line('start to update start', to_update))
        print(stats_line('update end to product start', after_update))
        print(f'   before the update starts, Setup.exe spends {statistics.median(to_update) - null_median - UPDATE_PAUSE_MS:.1f}'
              f' ms beyond the null launcher\'s whole latency and the {UPDATE_PAUSE_MS} ms pause'
              ' (the check, closing the engine processes, the update\'s own start)')
    lay_engine(None)


# --- 4. FindProcessByModule ---------------------------------------------------------

def report_find(counts, repeats):
    print(f'\n4. FindProcessByModule for a module no process has (the whole walk), {repeats} calls'
          f' per count ({load()})')
    result = wine([exe('x64', 'bench/findbench.exe'), str(repeats)] + [str(n) for n in counts], timeout=3600)
    if result.returncode != 0:
        print(f'   findbench failed ({result.returncode}): {result.stderr.strip()}')
    print('   stand-ins  processes  modules each      median         q1 - q3        min - max   per process')
    for fields in (line.split('\t') for line in result.stdout.splitlines()):
        if fields[0] == 'limit':
            # The machine would not start more processes: the count reached
            # is measured (its line follows), larger ones are not. A limit
            # of Wine on a busy machine, not a fault of the search.
            print(f'   only {fields[2]} idle processes of the {fields[1]} wanted could be started'
                  f' (CreateProcess error {fields[3]}); larger counts not measured')
            continue
        if fields[0] != 'find':
            continue
        values = [float(v) for v in fields[4].split(',')]
        median, q1, q3, low, high = spread(values)
        print(f'   {fields[1]:>9}  {fields[2]:>9}  {fields[3]:>12}  {median:8.2f} ms  {q1:7.2f} - {q3:7.2f}'
              f'  {low:7.2f} - {high:7.2f}  {1000 * median / int(fields[2]):6.1f} us')


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--runs', type=int, default=30, help='counted starts of each launcher (at least 20)')
    parser.add_argument('--warmup', type=int, default=3, help='starts of each launcher not counted')
    parser.add_argument('--counts', default='10,100,500', help='numbers of processes for FindProcessByModule')
    parser.add_argument('--find-repeats', type=int, default=9, help='timed calls per process count')
    parser.add_argument('--no-build', action='store_true', help='use the binaries already built')
    args = parser.parse_args()
    args.find_repeats = max(args.find_repeats, 2)

    print(f'Setup.exe benchmark, {time.strftime("%Y-%m-%d %H:%M")}, {load()}')
    if not args.no_build:
        build()
    os.makedirs(RUN_DIR, exist_ok=True)
    report_sizes()

    setup = subprocess.run([WINE_BENCH, 'setup', BENCH_DIR], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           text=True)
    if setup.returncode != 0:
        print(setup.stdout)
        return 1
    try:
        # The x86 build runs under Wine's 32-bit loader, which a kernel
        # without 32-bit support cannot start: then only x64 is timed.
        no_32bit = runs_32bit()
        if no_32bit:
            print(f'\n2a. x86 launch latency not measured: this machine cannot run 32-bit programs ({no_32bit})')
        ratios = {arch: report_plain(args.runs + args.warmup, args.warmup, arch)
                  for arch in ('x86', 'x64') if arch == 'x64' or not no_32bit}
        report_engine(args.runs + args.warmup, args.warmup)
        report_find([int(n) for n in args.counts.split(',')], args.find_repeats)
    finally:
        subprocess.run([WINE_BENCH, 'teardown', BENCH_DIR])
    size = stripped_size('x86', exe('x86', 'Setup.exe'))
    ratio_text = ', '.join(f'{arch} ' + ('not measured' if ratio is None else f'{ratio:.3f}')
                           for arch, ratio in ratios.items())
    print(f'\nsummary: x86 Setup.exe {size} bytes (budget {SIZE_BUDGET}), plain launch latency ratio'
          f' {ratio_text} (budget {RATIO_BUDGET:.2f}); {load()}')
    within = all(ratio is not None and ratio <= RATIO_BUDGET for ratio in ratios.values())
    return 0 if size <= SIZE_BUDGET and within else 1


if __name__ == '__main__':
    sys.exit(main())
