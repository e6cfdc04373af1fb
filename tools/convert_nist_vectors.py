#!/usr/bin/env python3
"""Install the NIST AES, SHA, SHA-512/t, SHA-3 and HMAC response files
under data/Test/.

Usage: tools/convert_nist_vectors.py [UNPACKED_TREE]

Without an argument python3-cryptography-vectors is fetched with
`apt-get download` and unpacked into a temporary directory; with one, the
given directory (a `dpkg -x` of that package, or its cryptography_vectors
dir) is used. HMAC.rsp comes from shared/vectors. Reruns are byte-identical.
Every record is checked against an independent implementation (nettle's
AES through ctypes, Python's hashlib/hmac) and the counts the suite
expects are asserted.
"""

import ctypes
import hashlib
import hmac
import os
import re
import sys

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vecfile  # noqa: E402
from vecfile import check  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "data", "Test")
HMAC_SRC = os.path.join(os.path.dirname(ROOT), "shared", "vectors", "HMAC.rsp")

AES_MODES = {"ECB": "ECB", "CBC": "CBC", "CFB": "CFB128", "OFB": "OFB"}
AES_TESTS = ["GFSbox", "KeySbox", "VarKey", "VarTxt", "MMT"]
AES_SIZES = [128, 192, 256]
AES_EXPECTED = {128: 2352, 192: 2880, 256: 3320}

SHA_ALGS = {"SHA1": "sha1", "SHA224": "sha224", "SHA256": "sha256",
            "SHA384": "sha384", "SHA512": "sha512"}
SHA_EXPECTED = {"SHA1": 129, "SHA224": 129, "SHA256": 129,
                "SHA384": 257, "SHA512": 257}

# Digests beyond KAT_SHA, each in a directory of its own: the SHA suites
# select files by name prefix, and "SHA512" is a prefix of "SHA512_224".
NEW_SHA_DIRS = {
    "KAT_SHA512t": ("SHA2", {"SHA512_224": "sha512_224", "SHA512_256": "sha512_256"}),
    "KAT_SHA3": ("SHA3", {"SHA3_224": "sha3_224", "SHA3_256": "sha3_256",
                          "SHA3_384": "sha3_384", "SHA3_512": "sha3_512"}),
}
# ShortMsg has one record per byte length up to the block size, LongMsg 128
# (SHA-512/t) or 100 (SHA-3).
NEW_SHA_EXPECTED = {"SHA512_224": 257, "SHA512_256": 257, "SHA3_224": 245,
                    "SHA3_256": 237, "SHA3_384": 205, "SHA3_512": 173}
MONTE_DIR = "KAT_SHA_MONTE"
MONTE_CHECKPOINTS = 100

HMAC_EXPECTED = {"20": 300, "28": 375, "32": 225, "48": 300, "64": 375}
HMAC_HASH = {"20": "sha1", "28": "sha224", "32": "sha256",
             "48": "sha384", "64": "sha512"}


def find_vectors(path):
    for dirpath, dirnames, _ in os.walk(path):
        if os.path.isdir(os.path.join(dirpath, "ciphers", "AES")):
            return dirpath
    vecfile.fail("no ciphers/AES under " + path)


# --- AES reference: nettle's block function, modes done here -------------

class NettleAES:
    def __init__(self):
        self.lib = ctypes.CDLL("libnettle.so.8")
        self.ctx = ctypes.create_string_buffer(1024)  # > sizeof(aes_ctx)

    def encryptor(self, key):
        self.lib.nettle_aes_set_encrypt_key(self.ctx, ctypes.c_size_t(len(key)), key)

        def block(src):
            dst = ctypes.create_string_buffer(16)
            self.lib.nettle_aes_encrypt(self.ctx, ctypes.c_size_t(16), dst, src)
            return dst.raw
        return block


def xor(a, b):
    return bytes(x ^ y for x, y in zip(a, b))


def aes_encrypt(aes, mode, key, iv, pt):
    """Encrypt whole blocks under `mode`; used to check both directions."""
    enc = aes.encryptor(key)
    out, fb = [], iv
    for i in range(0, len(pt), 16):
        p = pt[i:i + 16]
        if mode == "ECB":
            c = enc(p)
        elif mode == "CBC":
            c = fb = enc(xor(p, fb))
        elif mode == "CFB":
            c = fb = xor(p, enc(fb))
        else:  # OFB: feedback is the keystream, not the ciphertext
            fb = enc(fb)
            c = xor(p, fb)
        out.append(c)
    return b"".join(out)


def split_lines(data):
    return re.findall(rb"[^\n]*\n|[^\n]+$", data)


def split_aes(data, name):
    """Return (encrypt_file, decrypt_file) bytes, each the leading comment
    block plus one section, every line kept byte for byte."""
    lines = split_lines(data)
    heads = [i for i, l in enumerate(lines) if l.startswith(b"[")]
    tags = [lines[i].strip() for i in heads]
    check(tags == [b"[ENCRYPT]", b"[DECRYPT]"], "%s: sections %r" % (name, tags))
    enc, dec = heads
    pre = lines[:enc]
    check(all(not l.strip() or l.startswith(b"#") for l in pre),
          name + ": body lines before [ENCRYPT]")
    return b"".join(pre + lines[enc:dec]), b"".join(pre + lines[dec:])


def convert_aes(vec, aes):
    out_dir = os.path.join(OUT, "KAT_AES")
    names, totals = [], {s: 0 for s in AES_SIZES}
    for mdir, prefix in AES_MODES.items():
        for test in AES_TESTS:
            for size in AES_SIZES:
                src = os.path.join(vec, "ciphers", "AES", mdir,
                                   "%s%s%d.rsp" % (prefix, test, size))
                with open(src, "rb") as f:
                    data = f.read()
                parts = split_aes(data, src)
                orig = vecfile.parse(data, "COUNT")
                for part, tag, cat in zip(parts, "ed", orig):
                    name = "%s%s%d%s.txt" % (prefix, test, size, tag)
                    path = os.path.join(out_dir, name)
                    vecfile.write_if_changed(path, part)
                    totals[size] += check_aes_file(path, mdir, size, cat, aes)
                    names.append(name)
    vecfile.check_dir_contents(out_dir, names)
    for size in AES_SIZES:
        check(totals[size] == AES_EXPECTED[size],
              "AES-%d: %d records, expected %d" % (size, totals[size], AES_EXPECTED[size]))
        print("KAT_AES %d-bit: %d records" % (size, totals[size]))
    print("KAT_AES: %d files" % len(names))


def check_aes_file(path, mode, size, orig_cat, aes):
    with open(path, "rb") as f:
        cats = vecfile.parse(f.read(), "COUNT")
    name = os.path.basename(path)
    check(len(cats) == 1, name + ": expected one category")
    want = "[ENCRYPT]" if name[-5] == "e" else "[DECRYPT]"
    check(cats[0]["headers"] == [want], name + ": header " + repr(cats[0]["headers"]))
    check(cats[0]["records"] == orig_cat["records"], name + ": records changed")
    req = ["COUNT", "KEY", "PLAINTEXT", "CIPHERTEXT"] + ([] if mode == "ECB" else ["IV"])
    n = 0
    for rec in cats[0]["records"]:
        r = dict(rec)
        check(all(k in r for k in req), "%s: record %r lacks fields" % (name, r))
        key, pt, ct = (bytes.fromhex(r[k]) for k in ("KEY", "PLAINTEXT", "CIPHERTEXT"))
        iv = bytes.fromhex(r.get("IV", "00" * 16))
        check(len(key) * 8 == size and len(pt) == len(ct) and len(pt) % 16 == 0,
              "%s COUNT=%s: bad lengths" % (name, r["COUNT"]))
        check(aes_encrypt(aes, mode, key, iv, pt) == ct,
              "%s COUNT=%s: ciphertext mismatch" % (name, r["COUNT"]))
        n += 1
    return n


# --- SHA ------------------------------------------------------------------

def convert_sha(vec):
    names = []
    for alg, hname in SHA_ALGS.items():
        sub = "SHA1" if alg == "SHA1" else "SHA2"
        names += convert_sha_alg(vec, "KAT_SHA", sub, alg, hname, SHA_EXPECTED[alg])
    vecfile.check_dir_contents(os.path.join(OUT, "KAT_SHA"), names)
    print("KAT_SHA: %d files" % len(names))


def convert_sha_alg(vec, out_name, sub, alg, hname, expected):
    """Copies alg's ShortMsg and LongMsg files into out_name, checks every
    digest and the record count; returns the file names."""
    names, total = [], 0
    for kind in ("ShortMsg", "LongMsg"):
        name = "%s%s.rsp" % (alg, kind)
        with open(os.path.join(vec, "hashes", sub, name), "rb") as f:
            data = f.read()
        vecfile.write_if_changed(os.path.join(OUT, out_name, name), data)
        names.append(name)
        for _, r in vecfile.records(data, "Len", ["Len", "Msg", "MD"]):
            bits = int(r["Len"])
            check(bits % 8 == 0, "%s Len=%d: not whole bytes" % (name, bits))
            msg = bytes.fromhex(r["Msg"])[:bits // 8]
            check(hashlib.new(hname, msg).hexdigest() == r["MD"].lower(),
                  "%s Len=%d: digest mismatch" % (name, bits))
            total += 1
    check(total == expected, "%s: %d records, expected %d" % (alg, total, expected))
    print("%s %s: %d records" % (out_name, alg, total))
    return names


def convert_new_sha(vec):
    for out_name, (sub, algs) in NEW_SHA_DIRS.items():
        names = []
        for alg, hname in algs.items():
            names += convert_sha_alg(vec, out_name, sub, alg, hname, NEW_SHA_EXPECTED[alg])
        vecfile.check_dir_contents(os.path.join(OUT, out_name), names)
        print("%s: %d files" % (out_name, len(names)))


# --- Monte Carlo files of the digests beyond KAT_SHA ----------------------

def sha2_monte_step(hname, seed):
    """MD0 = MD1 = MD2 = seed, MDi = H(MDi-3 || MDi-2 || MDi-1) for i = 3..1002;
    the checkpoint is MD1002, which also seeds the next one."""
    window = [seed, seed, seed]
    for _ in range(1000):
        window = [window[1], window[2], hashlib.new(hname, b"".join(window)).digest()]
    return window[2]


def sha3_monte_step(hname, seed):
    """MD0 = seed, MDi = H(MDi-1) for i = 1..1000; the checkpoint is MD1000."""
    md = seed
    for _ in range(1000):
        md = hashlib.new(hname, md).digest()
    return md


def convert_new_monte(vec):
    """Copies the Monte Carlo files of SHA-512/t and SHA-3 into MONTE_DIR
    (which also holds other digests' Monte files, so its listing is not
    checked here) and replays every checkpoint from the seed."""
    for _, (sub, algs) in NEW_SHA_DIRS.items():
        step = sha3_monte_step if sub == "SHA3" else sha2_monte_step
        for alg, hname in algs.items():
            name = alg + "Monte.rsp"
            with open(os.path.join(vec, "hashes", sub, name), "rb") as f:
                data = f.read()
            vecfile.write_if_changed(os.path.join(OUT, MONTE_DIR, name), data)
            cats = vecfile.parse(data, "COUNT")
            check(len(cats) == 1, name + ": expected one category")
            # [L = bytes] for SHA-512/t, [L = bits] for SHA-3.
            size = hashlib.new(hname).digest_size
            check(cats[0]["props"].get("L") == str(size * (8 if sub == "SHA3" else 1)),
                  name + ": header " + repr(cats[0]["headers"]))
            seeds = [v for rec in cats[0]["records"] for k, v in rec if k == "Seed"]
            check(not seeds, name + ": Seed inside a record")
            seed = monte_seed(data, name)
            check(len(seed) == size, name + ": seed length")
            md = seed
            for index, rec in enumerate(cats[0]["records"]):
                r = dict(rec)
                check(set(r) == {"COUNT", "MD"} and r["COUNT"] == str(index),
                      "%s: record %r" % (name, r))
                md = step(hname, md)
                check(md.hex() == r["MD"].lower(), "%s COUNT=%d: checkpoint mismatch" % (name, index))
            check(len(cats[0]["records"]) == MONTE_CHECKPOINTS,
                  "%s: %d checkpoints" % (name, len(cats[0]["records"])))
            print("%s %s: %d checkpoints" % (MONTE_DIR, name, MONTE_CHECKPOINTS))


def monte_seed(data, name):
    """The one Seed line, which comes before the first COUNT."""
    seeds = re.findall(rb"^Seed = ([0-9a-fA-F]+)\r?$", data, re.M)
    check(len(seeds) == 1, name + ": expected one Seed")
    return bytes.fromhex(seeds[0].decode())


# --- HMAC -----------------------------------------------------------------

def convert_hmac():
    out_dir = os.path.join(OUT, "KAT_HMAC")
    with open(HMAC_SRC, "rb") as f:
        data = f.read()
    vecfile.write_if_changed(os.path.join(out_dir, "HMAC.rsp"), data)
    vecfile.check_dir_contents(out_dir, ["HMAC.rsp"])
    counts = {}
    for cat in vecfile.parse(data, "Count"):
        lval = cat["props"].get("L")
        check(lval in HMAC_HASH and lval not in counts, "HMAC: category %r" % cat["headers"])
        counts[lval] = 0
        for rec in cat["records"]:
            r = dict(rec)
            check(all(k in r for k in ("Msg", "Key", "Mac", "Count", "Tlen")),
                  "HMAC L=%s: record lacks fields: %r" % (lval, r))
            key = bytes.fromhex(r["Key"])
            check(int(r.get("Klen", len(key))) == len(key), "HMAC: Klen mismatch")
            mac = hmac.new(key, bytes.fromhex(r["Msg"]), HMAC_HASH[lval]).digest()
            check(mac[:int(r["Tlen"])].hex() == r["Mac"].lower(),
                  "HMAC L=%s Count=%s: mac mismatch" % (lval, r["Count"]))
            counts[lval] += 1
    check(counts == HMAC_EXPECTED, "HMAC counts %r, expected %r" % (counts, HMAC_EXPECTED))
    for lval, n in counts.items():
        print("KAT_HMAC [L=%s]: %d records" % (lval, n))


def main(argv):
    aes = NettleAES()
    if len(argv) > 1:
        vec = find_vectors(argv[1])
        print("using " + vec)
        run(vec, aes)
        return
    with vecfile.tempdir() as tmp:
        root, version = vecfile.fetch_deb("python3-cryptography-vectors", tmp)
        print("using python3-cryptography-vectors " + version)
        run(find_vectors(root), aes)


def run(vec, aes):
    convert_aes(vec, aes)
    convert_sha(vec)
    convert_new_sha(vec)
    convert_new_monte(vec)
    convert_hmac()
    print("all checks passed")


if __name__ == "__main__":
    main(sys.argv)
