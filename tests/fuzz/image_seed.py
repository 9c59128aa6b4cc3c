"""Writes the fuzz_image seeds: small images made by the mastering tools,
each in the target's short form (its length in blocks and the bytes cut from
its end, then each block that is not all zeros, its trailing zeros left out).

    /usr/bin/python3 tests/fuzz/image_seed.py tests/fuzz/corpus/image
"""
import os
import struct
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'e2e'))
import images  # noqa: E402

BLOCK = 2048


def short_form(data):
    blocks = (len(data) + BLOCK - 1) // BLOCK
    out = struct.pack('<HH', blocks, blocks * BLOCK - len(data))
    for n in range(blocks):
        block = data[n * BLOCK:(n + 1) * BLOCK].rstrip(b'\0')
        if block:
            out += struct.pack('<HH', n, len(block)) + block
    return out + struct.pack('<HH', 0, 0)


def main(corpus):
    os.makedirs(corpus, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        disc = os.path.join(work, 'disc')
        os.makedirs(os.path.join(disc, 'Corvan Lite', 'enu'))
        for name, data in (('Setup.ini', b'[Settings]\r\nSetupPath=Corvan Lite\\setup.exe\r\n'),
                           ('Corvan Lite/setup.exe', b'MZ'), ('Corvan Lite/enu/setup.exe', b'MZ enu')):
            with open(os.path.join(disc, name), 'wb') as f:
                f.write(data)
        made = {kind: images.make_image(disc, kind, os.path.join(work, kind))
                for kind in ('rock-joliet', 'genisoimage-level-1', 'udf-bridge')}
        made['differ'] = images.make_pycdlib_image(
            os.path.join(work, 'differ'),
            [{'iso': '/SETUP.INI;1', 'joliet': '/Setup.ini', 'udf': '/Setup.ini', 'data': b'[Settings]\r\n'},
             {'joliet': '/joliet.exe', 'data': b'J'}, {'udf': '/udf.exe', 'data': b'U'}])
        made['udf250'] = images.make_empty_udf(os.path.join(work, 'udf250'), '2.50', megabytes=2)
        # The UDF layouts the mastering tools leave out, from the test's own
        # writer: a metadata partition, a sparable one, a virtual one.
        files = [{'path': '/Setup.exe', 'data': b'MZ'}, {'path': '/Corvan Lite', 'folder': True},
                 {'path': '/Corvan Lite/setup.exe', 'data': b'MZ corvan'}, {'path': '/Setup.ini', 'data': b'[Settings]\r\n'}]
        for layout, revision in (('metadata', '2.50'), ('sparable', '2.01'), ('vat', '2.01')):
            made['udf-' + layout] = images.make_udf_written(os.path.join(work, 'udf-' + layout), files, revision, layout)
        made['udf-inicb'] = images.make_mkudffs(os.path.join(work, 'udf-inicb'), 'dvd', '2.01', ['--ad=inicb'], 2)
        for name, path in made.items():
            with open(path, 'rb') as f:
                data = f.read()
            with open(os.path.join(corpus, name), 'wb') as f:
                f.write(short_form(data))


if __name__ == '__main__':
    main(sys.argv[1])
