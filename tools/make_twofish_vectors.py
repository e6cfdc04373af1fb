#!/usr/bin/env python3
"""Generate the Twofish vector files under data/Test/KAT_TWOFISH/.

Usage: tools/make_twofish_vectors.py [--twofishv-dat FILE] [--mcrypt-lib FILE]

Values come from nettle's Twofish (libnettle.so.8 through ctypes) and are
checked against two more implementations: libgcrypt (128- and 256-bit keys;
it refuses 192-bit keys) and libmcrypt (all sizes), plus a nettle decrypt
round trip. The published triples in Crypto++'s TestData/twofishv.dat must
appear among the table-test records. Without options libcrypto++-utils and
libmcrypt4 are fetched with `apt-get download` and unpacked (not installed)
into a temporary directory. Reruns are byte-identical.
"""

import argparse
import ctypes
import glob
import hashlib
import os
import sys

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vecfile  # noqa: E402
from vecfile import check  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "data", "Test", "KAT_TWOFISH")
SIZES = [128, 192, 256]
TABLE_LEN = 49
TABLE_128_LAST_CT = "5D9D4EEFFA9151575524F115815A12E0"
EXPECTED = {"ECB_TLB.txt": 147, "ECB_VK.txt": 576, "ECB_VT.txt": 384,
            "ECB_E_M.txt": 147, "ECB_D_M.txt": 147,
            "CBC_E_M.txt": 147, "CBC_D_M.txt": 147}
SZ = ctypes.c_size_t


class Nettle:
    def __init__(self):
        self.lib = ctypes.CDLL("libnettle.so.8")
        self.ctx = ctypes.create_string_buffer(4 * (40 + 4 * 256))

    def _run(self, fn, key, block):
        self.lib.nettle_twofish_set_key(self.ctx, SZ(len(key)), key)
        out = ctypes.create_string_buffer(16)
        fn(self.ctx, SZ(16), out, block)
        return out.raw

    def encrypt(self, key, pt):
        return self._run(self.lib.nettle_twofish_encrypt, key, pt)

    def decrypt(self, key, ct):
        return self._run(self.lib.nettle_twofish_decrypt, key, ct)


class Gcrypt:
    ALGO = {16: 303, 32: 10}  # GCRY_CIPHER_TWOFISH128, GCRY_CIPHER_TWOFISH

    def __init__(self):
        self.lib = ctypes.CDLL("libgcrypt.so.20")
        self.lib.gcry_check_version.restype = ctypes.c_char_p
        check(self.lib.gcry_check_version(None), "libgcrypt init failed")

    def encrypt(self, key, pt):
        h = ctypes.c_void_p()
        check(self.lib.gcry_cipher_open(ctypes.byref(h), self.ALGO[len(key)], 1, 0) == 0,
              "gcry_cipher_open")
        try:
            check(self.lib.gcry_cipher_setkey(h, key, SZ(len(key))) == 0, "gcry setkey")
            out = ctypes.create_string_buffer(16)
            check(self.lib.gcry_cipher_encrypt(h, out, SZ(16), pt, SZ(16)) == 0, "gcry enc")
            return out.raw
        finally:
            self.lib.gcry_cipher_close(h)


class Mcrypt:
    def __init__(self, path):
        lib = self.lib = ctypes.CDLL(path)
        lib.mcrypt_module_open.restype = ctypes.c_void_p
        lib.mcrypt_module_open.argtypes = [ctypes.c_char_p] * 4
        lib.mcrypt_generic_init.argtypes = [ctypes.c_void_p, ctypes.c_char_p,
                                            ctypes.c_int, ctypes.c_char_p]
        lib.mcrypt_generic.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        lib.mcrypt_generic_deinit.argtypes = [ctypes.c_void_p]
        lib.mcrypt_module_close.argtypes = [ctypes.c_void_p]

    def encrypt(self, key, pt):
        td = self.lib.mcrypt_module_open(b"twofish", None, b"ecb", None)
        check(td, "mcrypt_module_open")
        try:
            check(self.lib.mcrypt_generic_init(td, key, len(key), None) >= 0, "mcrypt init")
            buf = ctypes.create_string_buffer(pt, 16)  # encrypts in place
            check(self.lib.mcrypt_generic(td, buf, 16) == 0, "mcrypt_generic")
            self.lib.mcrypt_generic_deinit(td)
            return buf.raw
        finally:
            self.lib.mcrypt_module_close(td)


class Checked:
    """nettle's result, accepted only if every other implementation agrees."""

    def __init__(self, mcrypt_path):
        self.nettle, self.gcrypt, self.mcrypt = Nettle(), Gcrypt(), Mcrypt(mcrypt_path)
        self.calls = 0

    def encrypt(self, key, pt):
        ct = self.nettle.encrypt(key, pt)
        who = [("libmcrypt", self.mcrypt.encrypt(key, pt))]
        if len(key) != 24:
            who.append(("libgcrypt", self.gcrypt.encrypt(key, pt)))
        for name, other in who:
            check(other == ct, "%s disagrees: key %s pt %s" % (name, key.hex(), pt.hex()))
        check(self.nettle.decrypt(key, ct) == pt, "nettle decrypt round trip: " + key.hex())
        self.calls += 1
        return ct


def hx(b):
    return b.hex().upper()


def bit(nbytes, i):
    """nbytes zero bytes with only bit i set, most significant bit first."""
    b = bytearray(nbytes)
    b[i // 8] = 0x80 >> (i % 8)
    return bytes(b)


def table(cipher, size):
    kb = size // 8
    key, pt, out = bytes(kb), bytes(16), []
    for i in range(1, TABLE_LEN + 1):
        ct = cipher.encrypt(key, pt)
        out.append((i, key, pt, ct))
        key, pt = (pt + key)[:kb], ct
    return out


def cbc_iv(size, i):
    iv = hashlib.sha256(b"zelkor-twofish-cbc-iv %d %d" % (size, i)).digest()[:16]
    check(any(iv), "zero IV")
    return iv


def render(comment, categories):
    """categories: [(header lines, [[(name, value), ...], ...])]."""
    lines = ["# " + c for c in comment] + ["# Generated by tools/make_twofish_vectors.py", ""]
    for headers, recs in categories:
        lines += headers + [""]
        for rec in recs:
            lines += ["%s=%s" % f for f in rec] + [""]
    return "\n".join(lines).encode("ascii")


def build(cipher):
    tables = {s: table(cipher, s) for s in SIZES}
    check(hx(tables[128][-1][3]) == TABLE_128_LAST_CT, "128-bit table record 49 CT")
    ks = lambda s: ["[KEYSIZE=%d]" % s]  # noqa: E731
    ecb = [(ks(s), [[("I", i), ("KEY", hx(k)), ("PT", hx(p)), ("CT", hx(c))]
                    for i, k, p, c in tables[s]]) for s in SIZES]
    # One-block CBC of (PT xor IV) under IV is E(KEY, PT): no new cipher calls.
    cbc = [(ks(s), [[("I", i), ("KEY", hx(k)), ("IV", hx(cbc_iv(s, i))),
                     ("PT", hx(bytes(a ^ b for a, b in zip(p, cbc_iv(s, i))))), ("CT", hx(c))]
                    for i, k, p, c in tables[s]]) for s in SIZES]
    vk = [(ks(s) + ["[PT=%s]" % hx(bytes(16))],
           [[("I", i + 1), ("KEY", hx(bit(s // 8, i))),
             ("CT", hx(cipher.encrypt(bit(s // 8, i), bytes(16))))] for i in range(s)])
          for s in SIZES]
    vt = [(ks(s) + ["[KEY=%s]" % hx(bytes(s // 8))],
           [[("I", i + 1), ("PT", hx(bit(16, i))),
             ("CT", hx(cipher.encrypt(bytes(s // 8), bit(16, i))))] for i in range(128)])
          for s in SIZES]
    chain = "KEY and PT of record I+1 are the first KEYSIZE bits of PT||KEY and CT of record I."
    files = {
        "ECB_TLB.txt": render(["Twofish table test, ECB: CT = E(KEY, PT).", chain], ecb),
        "ECB_VK.txt": render(["Twofish variable key, ECB: KEY has only bit I-1 set "
                              "(MSB of the first byte is bit 0)."], vk),
        "ECB_VT.txt": render(["Twofish variable text, ECB: PT has only bit I-1 set "
                              "(MSB of the first byte is bit 0)."], vt),
        "ECB_E_M.txt": render(["Twofish ECB encryption, one block per record: CT = E(KEY, PT).",
                               "Same triples as ECB_TLB.txt."], ecb),
        "ECB_D_M.txt": render(["Twofish ECB decryption, one block per record: PT = D(KEY, CT).",
                               "Same triples as ECB_TLB.txt."], ecb),
        "CBC_E_M.txt": render(["Twofish CBC encryption, one block per record: CT = E(KEY, PT xor IV).",
                               "Built from ECB_TLB.txt: PT here is the table PT xor IV."], cbc),
        "CBC_D_M.txt": render(["Twofish CBC decryption, one block per record: PT = D(KEY, CT) xor IV.",
                               "Built from ECB_TLB.txt: PT here is the table PT xor IV."], cbc),
    }
    return tables, files


def check_published(tables, dat_path):
    """Every published triple must be a table-test record of its key size."""
    found = []
    with open(dat_path) as f:
        for line in f:
            if not line.strip():
                continue
            key, pt, ct = (bytes.fromhex(x) for x in line.split())
            hits = [i for i, k, p, c in tables.get(len(key) * 8, []) if (k, p, c) == (key, pt, ct)]
            check(hits, "published triple not generated: %s %s %s" % (hx(key), hx(pt), hx(ct)))
            found.append("%d:I=%d" % (len(key) * 8, hits[0]))
    check(len(found) == 9, "expected 9 published triples, got %d" % len(found))
    print("twofishv.dat: all %d triples found (%s)" % (len(found), ", ".join(found)))


def check_files():
    total = 0
    for name, want in EXPECTED.items():
        with open(os.path.join(OUT, name), "rb") as f:
            cats = vecfile.parse(f.read(), "I")
        check([c["props"].get("KEYSIZE") for c in cats] == [str(s) for s in SIZES],
              name + ": categories")
        order = ["I", "KEY", "IV", "PT", "CT"]
        n = 0
        for cat in cats:
            for rec in cat["records"]:
                names = [k for k, _ in rec]
                check(names == sorted(names, key=order.index), name + ": field order")
                fields = dict(rec) | cat["props"]
                need = ["KEY", "PT", "CT"] + (["IV"] if name.startswith("CBC") else [])
                check(all(k in fields for k in need), name + ": missing fields")
                n += 1
        check(n == want, "%s: %d records, expected %d" % (name, n, want))
        print("KAT_TWOFISH %s: %d records" % (name, n))
        total += n
    check(total == 1695, "Twofish total %d" % total)
    print("KAT_TWOFISH: %d files, %d records" % (len(EXPECTED), total))


def run(dat_path, mcrypt_path):
    cipher = Checked(mcrypt_path)
    tables, files = build(cipher)
    check_published(tables, dat_path)
    for name, data in files.items():
        vecfile.write_if_changed(os.path.join(OUT, name), data)
    vecfile.check_dir_contents(OUT, list(files))
    check_files()
    print("%d encryptions cross-checked; all checks passed" % cipher.calls)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--twofishv-dat", help="Crypto++ TestData/twofishv.dat")
    ap.add_argument("--mcrypt-lib", help="libmcrypt.so.4 from libmcrypt4")
    args = ap.parse_args()
    with vecfile.tempdir() as tmp:
        dat, mcrypt = args.twofishv_dat, args.mcrypt_lib
        if not dat:
            root, ver = vecfile.fetch_deb("libcrypto++-utils", tmp)
            dat = os.path.join(root, "usr", "share", "crypto++", "TestData", "twofishv.dat")
            print("using libcrypto++-utils " + ver)
        if not mcrypt:
            root, ver = vecfile.fetch_deb("libmcrypt4", tmp)
            libs = glob.glob(os.path.join(root, "usr", "lib", "*", "libmcrypt.so.4"))
            check(len(libs) == 1, "libmcrypt.so.4 not found in libmcrypt4")
            mcrypt = libs[0]
            print("using libmcrypt4 " + ver)
        run(dat, mcrypt)


if __name__ == "__main__":
    main()
