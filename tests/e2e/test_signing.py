"""The signed Setup.exe: signed by the build's signing step (cmake/sign.sh)
with a throwaway code-signing certificate made here, it verifies against its
CA, a changed byte breaks it, the size budget does not count the signature,
and the sample disc runs alike with the signed and the unsigned file."""
import os
import shutil
import subprocess
import sys
import unittest

from harness import SETUP_EXE, WORK, SetupTestCase, run_setup

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
SIGN = os.path.join(ROOT, 'cmake', 'sign.sh')
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

    def verify(self, path):
        return call([OSSLSIGNCODE, 'verify', '-CAfile', self.ca, '-in', path], self.folder, check=False)

    def test_signature_verifies_and_breaks_with_one_changed_byte(self):
        result = self.verify(self.signed)
        self.assertEqual(0, result.returncode, result.stdout)
        self.assertIn('Message digest algorithm  : SHA256', result.stdout)
        self.assertIn('Subject: /CN=Throwaway Publisher', result.stdout)

        with open(self.signed, 'rb') as f:
            data = bytearray(f.read())
        data[0x1000] ^= 0x01  # in the code
        changed = os.path.join(self.folder, 'Changed.exe')
        with open(changed, 'wb') as f:
            f.write(data)
        self.assertNotEqual(0, self.verify(changed).returncode)

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


if __name__ == '__main__':
    unittest.main()
