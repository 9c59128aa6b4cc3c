"""The signed Setup.exe: signed by the build's signing step (cmake/sign.sh)
with a throwaway code-signing certificate made here, it carries a SHA-1 and a
nested SHA-256 signature, both of which verify against its CA; a changed byte
breaks them, the size budget does not count them, the program without them is
the unsigned one byte for byte, and the sample disc runs alike with the signed
and the unsigned file. A local RFC 3161 server (openssl ts) counter-signs both;
no network is used. The release script stops before it builds when it cannot
sign, says why in the signing tool's words, and leaves the last release as it
was; it refuses an output folder its own build clears."""
import http.server
import os
import shutil
import socket
import subprocess
import sys
import threading
import time
import unittest

from harness import SETUP_EXE, WORK, SetupTestCase, run_setup, skip_on

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
SIGN = os.path.join(ROOT, 'cmake', 'sign.sh')
RELEASE = os.path.join(ROOT, 'cmake', 'release.sh')
CHECK_BINARY = os.path.join(ROOT, 'tests', 'static', 'check_binary.py')
SAMPLE_DISC = os.path.join(ROOT, 'examples', 'sample-disc')
OSSLSIGNCODE = shutil.which('osslsigncode')
OPENSSL = shutil.which('openssl')


def call(args, cwd, check=True):
    result = subprocess.run(args, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if check and result.returncode != 0:
        raise AssertionError(f'{args} failed ({result.returncode}):\n{result.stdout}')
    return result


def make_certificate(folder):
    """A CA and a code-signing certificate it issued, the latter with its key
    in a password-protected PKCS#12 file; returns (p12, password file, CA)."""
    with open(os.path.join(folder, 'password'), 'w') as f:
        f.write('not on any command line\n')
    with open(os.path.join(folder, 'signing.ext'), 'w') as f:
        f.write('basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n')
    for args in (
            ['req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', 'ca.key', '-out', 'ca.pem', '-days', '2',
             '-subj', '/CN=Throwaway Test CA', '-addext', 'basicConstraints=critical,CA:TRUE',
             '-addext', 'keyUsage=critical,keyCertSign,cRLSign'],
            ['req', '-newkey', 'rsa:2048', '-nodes', '-keyout', 'signing.key', '-out', 'signing.csr',
             '-subj', '/CN=Throwaway Publisher'],
            ['x509', '-req', '-in', 'signing.csr', '-CA', 'ca.pem', '-CAkey', 'ca.key', '-CAcreateserial',
             '-out', 'signing.pem', '-days', '2', '-extfile', 'signing.ext'],
            ['pkcs12', '-export', '-inkey', 'signing.key', '-in', 'signing.pem', '-certfile', 'ca.pem',
             '-out', 'signing.p12', '-passout', 'file:password']):
        call([OPENSSL] + args, folder)
    return [os.path.join(folder, name) for name in ('signing.p12', 'password', 'ca.pem')]


TSA_CONFIG = """[tsa]
default_tsa = local
[local]
serial = tsa.serial
signer_cert = tsa.pem
signer_key = signing.key
signer_digest = sha256
certs = ca.pem
default_policy = 1.2.3.4.1
digests = sha1, sha256
ess_cert_id_alg = sha256
"""


def start_time_stamp_server(folder, requests=2):
    """An RFC 3161 server on a local port, answering `requests` requests (one
    for each signature of a program) with `openssl ts` and a time-stamping
    certificate of the test CA; returns its URL."""
    with open(os.path.join(folder, 'tsa.ext'), 'w') as f:
        f.write('basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n'
                'extendedKeyUsage=critical,timeStamping\n')
    with open(os.path.join(folder, 'tsa.cnf'), 'w') as f:
        f.write(TSA_CONFIG)
    call([OPENSSL, 'x509', '-req', '-in', 'signing.csr', '-CA', 'ca.pem', '-CAkey', 'ca.key', '-CAcreateserial',
          '-out', 'tsa.pem', '-days', '2', '-extfile', 'tsa.ext'], folder)

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            with open(os.path.join(folder, 'request.tsq'), 'wb') as f:
                f.write(self.rfile.read(int(self.headers['Content-Length'])))
            call([OPENSSL, 'ts', '-reply', '-config', 'tsa.cnf', '-queryfile', 'request.tsq',
                  '-out', 'reply.tsr'], folder)
            with open(os.path.join(folder, 'reply.tsr'), 'rb') as f:
                reply = f.read()
            self.send_response(200)
            self.send_header('Content-Type', 'application/timestamp-reply')
            self.send_header('Content-Length', str(len(reply)))
            self.end_headers()
            self.wfile.write(reply)

        def log_message(self, *args):
            pass

    server = http.server.HTTPServer(('127.0.0.1', 0), Handler)

    def serve():
        for _ in range(requests):
            server.handle_request()
        server.server_close()

    threading.Thread(target=serve, daemon=True).start()
    return f'http://127.0.0.1:{server.server_address[1]}/'


@unittest.skipUnless(OSSLSIGNCODE and OPENSSL, 'needs osslsigncode and openssl')
class SignedSetupTest(SetupTestCase):

    @classmethod
    def setUpClass(cls):
        cls.folder = os.path.join(WORK, 'signing')
        shutil.rmtree(cls.folder, ignore_errors=True)
        os.makedirs(cls.folder)
        cls.p12, cls.password, cls.ca = make_certificate(cls.folder)
        cls.signed = os.path.join(cls.folder, 'Setup.exe')
        shutil.copy(SETUP_EXE, cls.signed)
        call(['sh', SIGN, OSSLSIGNCODE, cls.signed, cls.p12, cls.password], cls.folder)

    def verify(self, path, *options):
        return call([OSSLSIGNCODE, 'verify', '-CAfile', self.ca] + list(options) + ['-in', path], self.folder,
                    check=False)

    def assertSignedTwice(self, report):
        """`osslsigncode verify`'s report names a primary SHA-1 signature and a
        nested SHA-256 one, each verified, by the test certificate."""
        signatures = report.split('Signature Index: ')[1:]
        self.assertEqual(2, len(signatures), report)
        for signature, (index, digest) in zip(signatures, (('0  (Primary Signature)', 'SHA1'), ('1', 'SHA256'))):
            self.assertTrue(signature.startswith(index), signature)
            self.assertIn(f'Message digest algorithm  : {digest}\n', signature)
            self.assertIn('Subject: /CN=Throwaway Publisher', signature)
            self.assertIn('Signature verification: ok', signature)
        self.assertIn('Number of verified signatures: 2', report)

    def test_signatures_verify_and_break_with_one_changed_byte(self):
        result = self.verify(self.signed)
        self.assertEqual(0, result.returncode, result.stdout)
        self.assertSignedTwice(result.stdout)

        with open(self.signed, 'rb') as f:
            data = bytearray(f.read())
        data[0x1000] ^= 0x01  # in the code
        changed = os.path.join(self.folder, 'Changed.exe')
        with open(changed, 'wb') as f:
            f.write(data)
        self.assertNotEqual(0, self.verify(changed).returncode)

    def test_time_stamp_server_counter_signs_both(self):
        stamped = os.path.join(self.folder, 'Stamped.exe')
        shutil.copy(SETUP_EXE, stamped)
        url = start_time_stamp_server(self.folder)
        call(['sh', SIGN, OSSLSIGNCODE, stamped, self.p12, self.password, url], self.folder)
        result = self.verify(stamped, '-TSA-CAfile', self.ca)
        self.assertEqual(0, result.returncode, result.stdout)
        self.assertSignedTwice(result.stdout)
        self.assertEqual(2, result.stdout.count('Timestamp Server Signature verification: ok'), result.stdout)

    def test_signing_keeps_the_program_and_the_budget_counts_it_without_signature(self):
        with open(SETUP_EXE, 'rb') as f:
            unsigned = f.read()
        with open(self.signed, 'rb') as f:
            signed = f.read()
        # The signing tool pads the program to 8 bytes and sets the checksum
        # and the certificate table's entry in the header; all else is kept.
        size = (len(unsigned) + 7) // 8 * 8
        pe = int.from_bytes(unsigned[0x3C:0x40], 'little')
        pe32 = int.from_bytes(unsigned[pe + 24:pe + 26], 'little') == 0x10B
        table = pe + 24 + (96 if pe32 else 112) + 4 * 8
        header = set(range(pe + 88, pe + 92)) | set(range(table, table + 8))
        padded = unsigned + bytes(size - len(unsigned))
        self.assertEqual([], [i for i in range(size) if padded[i] != signed[i] and i not in header])
        self.assertGreater(len(signed), size)

        check = [sys.executable, CHECK_BINARY, 'size', self.signed]
        self.assertEqual(0, call(check + [str(size)], self.folder, check=False).returncode)
        self.assertEqual(1, call(check + [str(size - 1)], self.folder, check=False).returncode)

    def test_without_its_signatures_a_program_signed_at_any_time_is_the_unsigned_one(self):
        # Each signing records its time; taken off again, the signatures
        # leave the build's bytes, so a signed release is reproducible apart
        # from them.
        later = os.path.join(self.folder, 'Later.exe')
        shutil.copy(SETUP_EXE, later)
        time.sleep(1.1)
        call(['sh', SIGN, OSSLSIGNCODE, later, self.p12, self.password], self.folder)
        with open(SETUP_EXE, 'rb') as f:
            unsigned = f.read()
        with open(self.signed, 'rb') as f, open(later, 'rb') as g:
            self.assertNotEqual(f.read(), g.read())
        for signed in (self.signed, later):
            with self.subTest(os.path.basename(signed)):
                self.assertSignedTwice(self.verify(signed).stdout)
                bare = signed + '.bare'
                call([OSSLSIGNCODE, 'remove-signature', '-in', signed, '-out', bare], self.folder)
                with open(bare, 'rb') as f:
                    self.assertEqual(unsigned, f.read())

    def test_sample_disc_runs_alike_signed_and_unsigned(self):
        disc = self.disc()
        with open(os.path.join(SAMPLE_DISC, 'STANDINS')) as f:
            for line in f.read().splitlines():
                if line and not line.startswith('#'):
                    disc.program(line)
        runs = []
        for launcher in (SETUP_EXE, self.signed):
            shutil.copy(launcher, disc.launcher)
            run = run_setup(disc)
            runs.append((run.exit_code, run.log,
                         [(r.path, r.params, r.cwd, r.show, r.ended) for r in run.started]))
        self.assertTrue(runs[0][2], runs[0])
        self.assertEqual(runs[0], runs[1])


def closed_port():
    """A local port nothing listens on: a connection to it is refused."""
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def tree(folder):
    """Every file and folder under `folder` with its bytes (None for a folder)."""
    found = {}
    for parent, folders, files in os.walk(folder):
        for name in folders:
            found[os.path.relpath(os.path.join(parent, name), folder)] = None
        for name in files:
            with open(os.path.join(parent, name), 'rb') as f:
                found[os.path.relpath(os.path.join(parent, name), folder)] = f.read()
    return found


@unittest.skipUnless(OSSLSIGNCODE and OPENSSL, 'needs osslsigncode and openssl')
@skip_on('win32', 'wow64', reason='the release script runs on the build machine: once is enough')
class ReleaseScriptTest(unittest.TestCase):
    """cmake/release.sh with a certificate it cannot sign with."""

    @classmethod
    def setUpClass(cls):
        cls.folder = os.path.join(WORK, 'release-script')
        shutil.rmtree(cls.folder, ignore_errors=True)
        os.makedirs(cls.folder)
        cls.p12, cls.password, _ = make_certificate(cls.folder)
        cls.wrong_password = os.path.join(cls.folder, 'wrong-password')
        with open(cls.wrong_password, 'w') as f:
            f.write('not the password\n')

    def previous_release(self, name):
        """An output folder holding a release and a file of someone else's."""
        out = os.path.join(self.folder, 'out', name)
        shutil.rmtree(out, ignore_errors=True)
        for path in ('Setup.exe', 'x64/Setup.exe', 'discplan.exe', 'discplan', 'symbols/x86/Setup.exe.debug',
                     'SHA256SUMS', 'notes.txt'):
            os.makedirs(os.path.dirname(os.path.join(out, path)), exist_ok=True)
            with open(os.path.join(out, path), 'wb') as f:
                f.write(b'last release: ' + path.encode())
        return out

    def test_cannot_sign_fails_at_once_and_keeps_the_last_release(self):
        missing = os.path.join(self.folder, 'missing.p12')
        url = f'http://127.0.0.1:{closed_port()}/'
        for name, options, message in (
                ('wrong-password', ['--pkcs12', self.p12, '--password-file', self.wrong_password],
                 'Failed to parse PKCS#12 file'),
                ('missing-pkcs12', ['--pkcs12', missing, '--password-file', self.password],
                 'Failed to read PKCS#12 file'),
                ('no-time-stamp-server', ['--pkcs12', self.p12, '--password-file', self.password,
                                          '--timestamp-url', url],
                 'RFC 3161 timestamping failed')):
            with self.subTest(name):
                out = self.previous_release(name)
                before = tree(out)
                result = call(['sh', RELEASE, '--out', out] + options, self.folder, check=False)
                self.assertEqual(1, result.returncode, result.stdout)
                self.assertIn(message, result.stdout)
                self.assertIn(f'the release in {out} is unchanged', result.stdout)
                self.assertNotIn('x86: Setup.exe', result.stdout)  # no build begun
                self.assertEqual(before, tree(out))

        with self.subTest('no release before'):
            out = os.path.join(self.folder, 'new', 'dist')
            result = call(['sh', RELEASE, '--out', out, '--pkcs12', self.p12, '--password-file', self.wrong_password],
                          self.folder, check=False)
            self.assertEqual(1, result.returncode, result.stdout)
            self.assertIn('no release made', result.stdout)
            self.assertFalse(os.path.exists(out))


    def test_output_folder_the_build_clears_is_refused(self):
        # The wrong password would end a run that went on within a second.
        build = os.path.join(ROOT, 'build')
        for out in ('build', 'build/release-x86', 'build/release-linux/dist', 'build/x64/../release-x64/'):
            with self.subTest(out):
                existed = os.path.exists(os.path.join(ROOT, out))
                result = call(['sh', RELEASE, '--out', out, '--pkcs12', self.p12, '--password-file',
                               self.wrong_password], ROOT, check=False)
                self.assertEqual(2, result.returncode, result.stdout)
                self.assertIn(f'--out {ROOT}/{out} is in {build}, whose release folders each build clears',
                              result.stdout)
                self.assertEqual(existed, os.path.exists(os.path.join(ROOT, out)))
                self.assertFalse(os.path.exists(os.path.join(ROOT, out, '.releases')))


if __name__ == '__main__':
    unittest.main()
