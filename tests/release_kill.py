#!/usr/bin/env python3
"""The release script stopped by SIGKILL, and a check that fails: whenever it
stops, the output folder holds one whole release, the last one or the new
one, and `sha256sum -c SHA256SUMS` passes there; files of others stay.

  release_kill.py <source tree>

The tree's build/release-* folders must hold the build of a release (as
tests/reproducible.sh leaves them); every run here builds over them
(--reuse-builds) and takes a few seconds. The last release is made up here,
as plain files (an earlier version of the script) or as links (this one).

1. cmake/publish-release.sh, the step that changes the output folder, is
   killed before each command it runs that changes a file (rm, ln, mv, cp,
   mkdir, mktemp, chmod, stood in for by programs of the same name that count
   the calls and kill at the chosen one), and once more at its end; after
   each stop the next release is published whole.
2. cmake/release.sh is killed as each kind of step begins (when it prints
   the step's name: each build, the checksums, the first check of the files,
   publishing), then runs to its end.
3. A release whose Setup.exe passes the size budget is refused with
   `failed: <step>; the release in <folder> is unchanged`, exit code 1.
"""
import hashlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile

CHANGING = ('rm', 'ln', 'mv', 'cp', 'mkdir', 'mktemp', 'chmod')
STAND_IN = '''#!/bin/sh
read -r n <"$KILL_COUNT"
n=$((n + 1))
echo "$n" >"$KILL_COUNT"
echo "$n: ${{0##*/}} $*" >>"$KILL_LOG"
if [ "$n" = "$KILL_AT" ]; then kill -KILL 0; fi
exec {program} "$@"
'''
OTHERS = {'notes.txt': b'not the release script\'s', 'x64/readme.txt': b'nor this'}


class Failure(Exception):
    pass


def read_release(folder, names):
    """{name: bytes} of the files, None for one that cannot be read."""
    found = {}
    for name in names:
        try:
            with open(os.path.join(folder, name), 'rb') as f:
                found[name] = f.read()
        except OSError:
            found[name] = None
    return found


def made_up_release(names):
    """{name: bytes} of a last release, its SHA256SUMS included."""
    files = {name: b'last release: ' + name.encode() for name in names if name != 'SHA256SUMS'}
    files['SHA256SUMS'] = b''.join(hashlib.sha256(data).hexdigest().encode() + b'  ' + name.encode() + b'\n'
                                   for name, data in files.items())
    return files


def write_files(folder, files):
    for name, data in files.items():
        os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)


def which_release(out, last, new):
    """'last' or 'new': the one release `out` holds whole, with its checksums
    passing and the files of others as they were."""
    check = subprocess.run(['sha256sum', '--quiet', '--strict', '-c', 'SHA256SUMS'], cwd=out,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if check.returncode != 0:
        raise Failure(f'sha256sum -c fails in {out}:\n{check.stdout}')
    if read_release(out, OTHERS) != OTHERS:
        raise Failure(f'the files of others in {out} changed')
    for name, release in (('last', last), ('new', new)):
        if read_release(out, release) == release:
            return name
    raise Failure(f'{out} holds neither release whole')


class CKillBench:
    """An output folder with a last release in it, and the commands that
    stand in for the ones that change files."""

    def __init__(self, tree, work):
        self.tree = tree
        self.work = work
        self.out = os.path.join(work, 'out')
        self.bin = os.path.join(work, 'bin')
        os.makedirs(self.bin)
        for name in CHANGING:
            path = os.path.join(self.bin, name)
            with open(path, 'w') as f:
                f.write(STAND_IN.format(program=shutil.which(name)))
            os.chmod(path, 0o755)
        self.count = os.path.join(work, 'count')
        self.log = os.path.join(work, 'commands')

    def lay_out(self, last, layout):
        """The output folder afresh: the last release as plain files, or as
        published by this script, and the files of others."""
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(self.out)
        write_files(self.out, OTHERS)
        if layout == 'plain':
            write_files(self.out, last)
        else:
            self.publish(self.stage(last))

    def stage(self, release):
        """A release folder in .releases, as cmake/release.sh leaves it before
        publishing; returns its name."""
        releases = os.path.join(self.out, '.releases')
        os.makedirs(releases, exist_ok=True)
        folder = tempfile.mkdtemp(prefix='staged.', dir=releases)
        write_files(folder, release)
        return os.path.basename(folder)

    def publish(self, name, kill_at=None):
        """Runs publish-release.sh; with kill_at its changes are counted, and
        the one numbered kill_at killed (0: none). Returns the number of
        changes it began."""
        with open(self.count, 'w') as f:
            f.write('0\n')
        env = dict(os.environ)
        if kill_at is not None:
            env.update(PATH=self.bin + os.pathsep + os.environ['PATH'], KILL_COUNT=self.count, KILL_LOG=self.log,
                       KILL_AT=str(kill_at))
        result = subprocess.run(['sh', os.path.join(self.tree, 'cmake', 'publish-release.sh'), self.out, name],
                                env=env, start_new_session=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if not kill_at and result.returncode != 0:
            raise Failure(f'publish-release.sh failed: {result.stdout.decode()}')
        with open(self.count) as f:
            return int(f.read())

    def release(self, kill_at_line=None, check_fails=False):
        """Runs release.sh over the build folders, killed as it prints its
        line number kill_at_line; returns (exit code, lines printed)."""
        command = ['sh', os.path.join(self.tree, 'cmake', 'release.sh'), '--reuse-builds', '--out', self.out]
        process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                   start_new_session=True)
        lines = []
        for line in process.stdout:
            lines.append(line.rstrip('\n'))
            if kill_at_line is not None and len(lines) == kill_at_line:
                os.killpg(process.pid, signal.SIGKILL)
                break
        process.stdout.close()
        return process.wait(), lines

    def only_the_current_release_left(self):
        releases = os.path.join(self.out, '.releases')
        entries = sorted(os.listdir(releases))
        current = os.readlink(os.path.join(releases, 'current'))
        if entries != sorted(['current', current]):
            raise Failure(f'{releases} holds {entries} after a release')


def kill_publishing(bench, last, new):
    """Series 1; returns the report lines."""
    report = []
    for layout in ('plain', 'linked'):
        bench.lay_out(last, layout)
        if os.path.exists(bench.log):
            os.remove(bench.log)
        changes = bench.publish(bench.stage(new), 0)
        with open(bench.log) as f:
            commands = [line.rstrip('\n') for line in f][-changes:]
        outcomes = []
        for kill_at in range(1, changes + 2):
            bench.lay_out(last, layout)
            bench.publish(bench.stage(new), kill_at if kill_at <= changes else 0)
            outcomes.append(which_release(bench.out, last, new))
            # The next release after the stop.
            bench.publish(bench.stage(new))
            if which_release(bench.out, last, new) != 'new':
                raise Failure('the release after a stop is not the new one')
            bench.only_the_current_release_left()
        report.append(f'publish-release.sh over a last release as {layout} files: {changes} changes')
        for command, outcome in zip(commands + ['(its end)'], outcomes):
            report.append(f'  killed before {command.split(": ", 1)[-1]}: the {outcome} release')
        if outcomes[0] != 'last' or outcomes[-1] != 'new' or outcomes != sorted(outcomes):
            raise Failure(f'the release changed more than once: {outcomes}')
    return report


def kill_release_steps(bench, last, new):
    """Series 2; returns the report lines."""
    bench.lay_out(last, 'plain')
    code, lines = bench.release()
    if code != 0 or which_release(bench.out, last, new) != 'new':
        raise Failure(f'release.sh failed ({code}): {lines}')
    # The first line of each kind of step: the checks of the files are one.
    steps, kinds = [], set()
    for number, line in enumerate(lines[:lines.index('publishing') + 1], 1):
        kind = line.split(':')[0]
        if kind != 'warning' and kind not in kinds:
            kinds.add(kind)
            steps.append(number)
    report = [f'release.sh over a last release as plain files: {len(steps)} steps']
    for kill_at in steps:
        bench.lay_out(last, 'plain')
        code, printed = bench.release(kill_at)
        report.append(f'  killed as "{printed[-1]}" began: the {which_release(bench.out, last, new)} release')
    code, lines = bench.release()
    if code != 0 or which_release(bench.out, last, new) != 'new':
        raise Failure(f'release.sh after the stops failed ({code}): {lines}')
    bench.only_the_current_release_left()
    return report


def failing_check(bench, last, new):
    """Part 3: the size budget lowered below the x86 Setup.exe's size."""
    budget_file = os.path.join(bench.tree, 'tests', 'static', 'CMakeLists.txt')
    with open(budget_file) as f:
        original = f.read()
    bench.lay_out(last, 'linked')
    before = {name: data for name, data in read_release(bench.out, list(last) + list(OTHERS)).items()}
    try:
        with open(budget_file, 'w') as f:
            f.write(original.replace('set(SETUP_SIZE_BUDGET 32768)', 'set(SETUP_SIZE_BUDGET 1024)'))
        code, lines = bench.release()
    finally:
        with open(budget_file, 'w') as f:
            f.write(original)
    message = f'failed: check: Setup.exe keeps to the size budget; the release in {bench.out} is unchanged'
    if code != 1 or not any(message in line for line in lines):
        raise Failure(f'a Setup.exe over the budget gave {code}: {lines}')
    if read_release(bench.out, list(last) + list(OTHERS)) != before or which_release(bench.out, last, new) != 'last':
        raise Failure('the refused release changed the output folder')
    return ['release.sh with a Setup.exe over the size budget: refused, exit code 1, the last release kept']


def main(tree):
    with tempfile.TemporaryDirectory() as work:
        bench = CKillBench(tree, work)
        # The new release: what the build folders give.
        bench.lay_out({}, 'plain')
        code, lines = bench.release()
        if code != 0:
            raise Failure(f'release.sh failed ({code}): {lines}')
        with open(os.path.join(bench.out, 'SHA256SUMS')) as f:
            names = [line.split('  ', 1)[1].rstrip('\n') for line in f] + ['SHA256SUMS']
        new = read_release(bench.out, names)
        last = made_up_release(names)
        report = kill_publishing(bench, last, new) + kill_release_steps(bench, last, new) + \
            failing_check(bench, last, new)
    print('\n'.join(report))


if __name__ == '__main__':
    try:
        main(os.path.abspath(sys.argv[1]))
    except Failure as failure:
        print(f'FAIL: {failure}', file=sys.stderr)
        sys.exit(1)
