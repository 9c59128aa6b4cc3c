"""Disc images made with Debian's own mastering tools, and each tree of an
image extracted by an independent reader: for the image reader's test and
for end-to-end checks that plan a disc from its image.

    make_image(folder, kind, path)      one of KINDS from a folder
    make_pycdlib_image(path, files)     trees that differ (pycdlib)
    make_empty_udf(path, revision)      an empty UDF image of any revision
    extract(path, tree, folder)         'iso9660', 'joliet' or 'udf' to a folder
    expand(path)                        an image kept in short form, written out whole
    make_mkudffs(path, media, revision)  an empty UDF image of a media type
    make_udf_revision(source, path, rev) a UDF 1.02 image patched to declare rev
    make_udf_written(path, files, ...)   files in a UDF layout of our own writer

pycdlib is Debian's python3-pycdlib, for Debian's own Python: another
Python (the e2e harness's) makes pycdlib images by running this module with
/usr/bin/python3.
"""
import base64
import io
import json
import os
import struct
import subprocess
import sys
import tempfile

# kind: the mastering command line, before the output and the folder.
KINDS = {
    'rock-joliet': ['xorriso', '-as', 'mkisofs', '-R', '-J'],
    'joliet': ['xorriso', '-as', 'mkisofs', '-J'],
    'joliet-long': ['xorriso', '-as', 'mkisofs', '-J', '-joliet-long'],
    'norock': ['xorriso', '-as', 'mkisofs', '--norock'],
    'iso-level-1': ['xorriso', '-as', 'mkisofs', '-iso-level', '1', '-J'],
    'iso-level-2': ['xorriso', '-as', 'mkisofs', '-iso-level', '2', '-J'],
    'iso-level-3': ['xorriso', '-as', 'mkisofs', '-iso-level', '3', '-J'],
    'iso-level-4': ['xorriso', '-as', 'mkisofs', '-iso-level', '4', '-J'],
    'genisoimage-level-1': ['genisoimage', '-iso-level', '1'],  # no Joliet: 8.3 upper-case names
    'udf-bridge': ['genisoimage', '-J', '-udf'],               # UDF 1.02 whose names copy Joliet's
    'genisoimage-joliet': ['genisoimage', '-quiet', '-J'],
    # ISO 9660:1999: its descriptor (version 2) comes before the Joliet one,
    # where Windows stops looking.
    'genisoimage-level-4': ['genisoimage', '-quiet', '-iso-level', '4', '-J'],
}


def _run(command):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if result.returncode != 0:
        raise RuntimeError('%s failed: %s' % (' '.join(command), result.stdout.decode(errors='replace')[-2000:]))


def make_image(folder, kind, path):
    """Masters folder into the image file path with the tool of kind."""
    _run(KINDS[kind] + ['-o', path, folder])
    return path


def make_pycdlib_image(path, files, folders=()):
    """An image whose trees name files as given: files is a list of dicts with
    'data' (bytes) and any of 'iso' ('/NAME.EXT;1'), 'joliet' and 'udf'
    paths; a file without one of them is missing from that tree. folders
    likewise, without 'data'. Writes Joliet and a UDF 1.02 tree."""
    try:
        import pycdlib
    except ImportError:
        request = {'path': path, 'folders': list(folders),
                'files': [dict(entry, data=base64.b64encode(entry['data']).decode()) for entry in files]}
        result = subprocess.run(['/usr/bin/python3', os.path.abspath(__file__), '--pycdlib'],
                                input=json.dumps(request).encode(), stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if result.returncode != 0:
            raise RuntimeError('pycdlib image failed: ' + result.stdout.decode(errors='replace')[-2000:])
        return path
    image = pycdlib.PyCdlib()
    image.new(interchange_level=3, joliet=3, udf='2.60')  # pycdlib writes 1.02 whatever it is given
    for folder in folders:
        image.add_directory(folder.get('iso'), joliet_path=folder.get('joliet'), udf_path=folder.get('udf'))
    for entry in files:
        image.add_fp(io.BytesIO(entry['data']), len(entry['data']), entry.get('iso'),
                     joliet_path=entry.get('joliet'), udf_path=entry.get('udf'))
    image.write(path)
    image.close()
    return path


def make_empty_udf(path, revision, megabytes=8):
    """An empty UDF image of revision ('2.50'); mkudffs takes revisions above
    2.01 only for some media types (a CD-R here), and the media type before
    the revision."""
    with open(path, 'wb') as image:
        image.truncate(megabytes * 1024 * 1024)
    _run(['mkudffs', '--media-type=cdr', '--udfrev=' + revision, path])
    return path


def extract(path, tree, folder, oem=None):
    """Extracts one tree of the image with a reader independent of discplan's:
    xorriso for ISO 9660 (versions dropped) and Joliet, 7-Zip for UDF. With
    oem (a Python codec, 'cp437'), the ISO 9660 tree's names keep their bytes
    (7-Zip writes them as they are; xorriso mangles those above 127) and are
    then read in that code page, as NT's CD file system reads them
    (RtlOemToUnicodeN in Microsoft's published driver source)."""
    os.makedirs(folder, exist_ok=True)
    if tree == 'udf':
        _run(['7zz', 'x', '-tudf', '-y', '-o' + folder, path])
    elif tree == 'iso9660' and oem:
        _run(['7zz', 'x', '-tiso', '-y', '-o' + folder, path])
        for top, dirs, files in os.walk(os.fsencode(folder), topdown=False):
            for name in dirs + files:
                shown = name.decode(oem).encode('utf-8')
                if shown != name:
                    os.rename(os.path.join(top, name), os.path.join(top, shown))
    else:
        read_fs = {'iso9660': 'ecma119', 'joliet': 'norock'}[tree]
        _run(['xorriso', '-osirrox', 'on', '-read_fs', read_fs, '-indev', path, '-extract', '/', folder])
    return folder


def expand(path):
    """Writes the image kept at path in short form (tests/fuzz/image_seed.py:
    its length in blocks and the bytes cut from its end, then each block
    that is not all zeros as block number, byte count and bytes) to a
    temporary file, and returns that file's path; the caller removes it."""
    with open(path, 'rb') as f:
        short = f.read()
    blocks, cut = struct.unpack_from('<HH', short)
    handle, full = tempfile.mkstemp(suffix='.iso')
    with os.fdopen(handle, 'wb') as image:
        image.truncate(blocks * 2048 - cut)
        at = 4
        while True:
            number, size = struct.unpack_from('<HH', short, at)
            at += 4
            if size == 0:
                break
            image.seek(number * 2048)
            image.write(short[at:at + size])
            at += size
    return full



def run_bounded(args, seconds=60, memory_limit=None):
    """Runs args, killed past seconds (an AssertionError then); with
    memory_limit (bytes) its address space bounded as well. Returns the exit
    code, stdout, stderr (text) and the peak resident set in MiB."""
    import time
    limit = ['prlimit', '--as=%d' % memory_limit] if memory_limit else []
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(limit + list(args), stdout=out, stderr=err)
        deadline = time.monotonic() + seconds
        while True:
            pid, status, usage = os.wait4(process.pid, os.WNOHANG)
            if pid:
                break
            if time.monotonic() > deadline:
                process.kill()
                process.wait()
                raise AssertionError('%s ran past %d s' % (args, seconds))
            time.sleep(0.005)
        out.seek(0)
        err.seek(0)
        return (os.waitstatus_to_exitcode(status), out.read(), err.read().decode(errors='replace'),
                usage.ru_maxrss / 1024)


def make_mkudffs(path, media, revision, options=(), megabytes=4):
    """An empty UDF image mkudffs masters for media ('dvd', 'bdr', 'cdr',
    'dvdrw', 'hd' ...) and revision ('2.01'), the media type before the
    revision as mkudffs needs, with options (['--ad=long']); None when
    mkudffs refuses the combination."""
    with open(path, 'wb') as image:
        image.truncate(megabytes * 1024 * 1024)
    result = subprocess.run(['mkudffs', '--media-type=' + media, '--udfrev=' + revision] + list(options) + [path],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if result.returncode != 0:
        os.remove(path)
        return None
    return path


def make_udf_revision(source, path, revision):
    """A copy of the UDF 1.02 image source (pycdlib's, genisoimage's) that
    declares revision ('2.50'): the domain identifiers' suffixes and the
    UDF entity identifiers' revision fields patched, NSR03 for 2.00 on, each
    descriptor changed re-checksummed with its CRC recomputed. The layout
    stays 1.02's: no metadata partition (make_udf_written has them)."""
    import struct
    import udf_writer
    number = int(revision.replace('.', ''), 16)
    with open(source, 'rb') as f:
        data = bytearray(f.read())
    if number >= 0x200:
        for block in range(16, 32):
            if data[block * 2048 + 1:block * 2048 + 6] == b'NSR02':
                data[block * 2048 + 1:block * 2048 + 6] = b'NSR03'
    for block in range(len(data) // 2048):
        at = block * 2048
        ident, = struct.unpack_from('<H', data, at)
        descriptor = bytes(data[at:at + 2048])
        if not (1 <= ident <= 9 or 256 <= ident <= 266) or \
                descriptor[4] != (sum(descriptor[:4]) + sum(descriptor[5:16])) & 0xFF:
            continue
        patched = bytearray(descriptor)
        for name in (b'*OSTA UDF Compliant', b'*UDF '):
            found = patched.find(name)
            while found > 0:
                struct.pack_into('<H', patched, found + 23, number)
                found = patched.find(name, found + 1)
        if number >= 0x200:
            patched = patched.replace(b'+NSR02', b'+NSR03')
        if patched != descriptor:
            data[at:at + 2048] = udf_writer.retag(bytes(patched))
    with open(path, 'wb') as f:
        f.write(data)
    return path


def make_udf_written(path, files, revision, layout, ad='short', efe=True, split=False):
    """A UDF image of files written by the test's own writer (udf_writer.py):
    the layouts Debian's tools do not master with files, metadata
    partitions above all."""
    import udf_writer
    return udf_writer.write_udf(path, files, revision, layout, ad, efe, split)

if __name__ == '__main__' and sys.argv[1:] == ['--pycdlib']:
    request = json.load(sys.stdin)
    make_pycdlib_image(request['path'], [dict(entry, data=base64.b64decode(entry['data'])) for entry in request['files']],
                       request['folders'])
