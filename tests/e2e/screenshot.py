"""Makes docs/plan-sample.png, the README's picture of discplan's page: the
sample disc's plan (examples/sample-disc, every system and language, three
command lines: a program started, one waited for, nothing) rendered by headless Chromium 1280
pixels wide, cut a little below the page's end.

    python3 tests/e2e/screenshot.py [DISCPLAN]    (default: the discplan preset's build)
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
OUTPUT = os.path.join(ROOT, 'docs', 'plan-sample.png')
WIDTH = 1280


def main():
    discplan = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build/discplan/discplan/discplan')
    with tempfile.TemporaryDirectory(prefix='screenshot-') as work:
        page, png = os.path.join(work, 'plan.html'), os.path.join(work, 'plan.png')
        # Run where the disc is, so that the page names it as the README does.
        subprocess.run([discplan, 'examples/sample-disc', '--cmdline', '', '--cmdline', '/s', '--cmdline',
                        '/webrelease', '--html', page], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
        browser.screenshot(page, png, WIDTH, 3000)
        width, height, bpp, rows = browser.read_png(png)
        rows = [bytes(b for i, b in enumerate(row) if i % bpp < 3) if bpp == 4 else row for row in rows]
        white = b'\xff' * (width * 3)
        last = max(y for y, row in enumerate(rows) if row != white)
        os.makedirs(os.path.dirname(OUTPUT), exist_ok=True)
        browser.write_png(OUTPUT, width, rows[:min(height, last + 16)])
    print('%s: %d bytes' % (os.path.relpath(OUTPUT, ROOT), os.path.getsize(OUTPUT)))


if __name__ == '__main__':
    main()
