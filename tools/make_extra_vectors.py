#!/usr/bin/env python3
"""Install the known answers beyond the NIST response sets under data/Test/:
KAT_AES_CTR, KAT_MD5, KAT_HMAC_RFC and KAT_SHA_MONTE.

Usage: tools/make_extra_vectors.py [UNPACKED_TREE]

Without an argument python3-cryptography-vectors is fetched with
`apt-get download` and unpacked into a temporary directory; with one, the
given directory (a `dpkg -x` of that package, or its cryptography_vectors
dir) is used. Every value is recomputed with OpenSSL, nettle and libgcrypt
(through ctypes), the counts the suites expect are asserted, and reruns
leave every file byte-identical.
"""

import hashlib
import os
import re
import sys

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cryptolibs  # noqa: E402
import vecfile  # noqa: E402
from vecfile import check  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "data", "Test")

LIBS = None  # (OpenSSL, nettle, libgcrypt), set by main


def agreed(what, compute):
    """The value all three libraries compute; any disagreement stops."""
    values = [compute(lib) for lib in LIBS]
    check(all(v == values[0] for v in values), what + ": the libraries disagree")
    return values[0]


def find_vectors(path):
    for dirpath, _, _ in os.walk(path):
        if os.path.isdir(os.path.join(dirpath, "hashes", "SHA2")):
            return dirpath
    vecfile.fail("no hashes/SHA2 under " + path)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def fields(lines):
    return "".join("%s = %s\n" % kv for kv in lines)


# --- AES-CTR --------------------------------------------------------------

# NIST SP 800-38A, Appendix F.5: the six CTR examples (F.5.2, F.5.4 and F.5.6
# decrypt the ciphertexts of F.5.1, F.5.3 and F.5.5).
SP800_38A_COUNTER = "f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff"
SP800_38A_PLAINTEXT = ("6bc1bee22e409f96e93d7e117393172a" "ae2d8a571e03ac9c9eb76fac45af8e51"
                       "30c81c46a35ce411e5fbc1191a0a52ef" "f69f2445df4f9b17ad2b417be66c3710")
SP800_38A = [
    ("2b7e151628aed2a6abf7158809cf4f3c",
     "874d6191b620e3261bef6864990db6ce" "9806f66b7970fdff8617187bb9fffdff"
     "5ae4df3edbd5d35e5b4f09020db03eab" "1e031dda2fbe03d1792170a0f3009cee"),
    ("8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b",
     "1abc932417521ca24f2b0459fe7e6e0b" "090339ec0aa6faefd5ccc2c6f4ce8e94"
     "1e36b26bd1ebc670d1bd1d665620abf7" "4f78a7f6d29809585a97daec58c6b050"),
    ("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4",
     "601ec313775789a5b7a7f504bbf3d228" "f443e3ca4d62b59aca84e990cacaf5c5"
     "2b0930daa23de94ce87017ba2d84988d" "dfc9c58db67aada613c2dd08457941a6"),
]

# Counter edges: the initial counter ends in 1, 4, 8 or 16 bytes of 0xff (the
# byte before the run is never 0xff), so the second block carries through all
# of them; 5 whole blocks and 7 bytes of a sixth.
CTR_EDGE_RUNS = [1, 4, 8, 16]
CTR_EDGE_BYTES = 5 * 16 + 7
CTR_EXPECTED = {"aes-128-ctr.txt": 3, "aes-192-ctr.txt": 3, "aes-256-ctr.txt": 3,
                "SP800-38A-F5.txt": 6, "CounterEdges.txt": 12}


def derived(label, size):
    return hashlib.shake_256(b"zelkor-aes-ctr " + label.encode()).digest(size)


def edge_counter(bits, run):
    counter = bytearray(derived("counter %d %d" % (bits, run), 16))
    counter[16 - run:] = b"\xff" * run
    if run < 16 and counter[15 - run] == 0xff:
        counter[15 - run] = 0xfe
    return bytes(counter)


def ctr_record(count, key, counter, plaintext, ciphertext):
    return fields([("COUNT", count), ("KEY", key.hex()), ("IV", counter.hex()),
                   ("PLAINTEXT", plaintext.hex()), ("CIPHERTEXT", ciphertext.hex())])


def sp800_38a_file():
    out = ["# NIST SP 800-38A, Appendix F.5: CTR examples F.5.1 to F.5.6.\n"
           "# COUNT n is example F.5.n; the initial counter of every one is\n"
           "# %s.\n" % SP800_38A_COUNTER]
    counter = bytes.fromhex(SP800_38A_COUNTER)
    plaintext = bytes.fromhex(SP800_38A_PLAINTEXT)
    for i, (key_hex, ct_hex) in enumerate(SP800_38A):
        key, ciphertext = bytes.fromhex(key_hex), bytes.fromhex(ct_hex)
        for direction, count in (("ENCRYPT", 2 * i + 1), ("DECRYPT", 2 * i + 2)):
            out.append("\n# F.5.%d CTR-AES%d.%s\n[%s]\n\n" % (count, len(key) * 8,
                                                              direction.capitalize(), direction))
            out.append(ctr_record(count, key, counter, plaintext, ciphertext))
    return "".join(out).encode()


def counter_edges_file():
    out = ["# AES-CTR across counter carries: the initial counter ends in 1, 4, 8\n"
           "# or 16 bytes of ff, 87 bytes of plaintext (5 blocks and 7 bytes).\n"
           "# KEY, the counter's other bytes and PLAINTEXT are SHAKE256 of\n"
           "# \"zelkor-aes-ctr key|counter|plaintext <bits> <run>\"; CIPHERTEXT is\n"
           "# OpenSSL's, checked with nettle and libgcrypt.\n"]
    count = 0
    for bits in (128, 192, 256):
        out.append("\n[KEYSIZE = %d]\n\n" % bits)
        for run in CTR_EDGE_RUNS:
            key = derived("key %d %d" % (bits, run), bits // 8)
            counter = edge_counter(bits, run)
            plaintext = derived("plaintext %d %d" % (bits, run), CTR_EDGE_BYTES)
            ciphertext = agreed("CounterEdges %d/%d" % (bits, run),
                                lambda lib: lib.aes_ctr(key, counter, plaintext))
            out.append(ctr_record(count, key, counter, plaintext, ciphertext) + "\n")
            count += 1
    return "".join(out).encode()


def check_ctr_file(name, data):
    n = 0
    for _, r in vecfile.records(data, "COUNT", ["COUNT", "KEY", "IV", "PLAINTEXT", "CIPHERTEXT"]):
        key, counter, pt, ct = (bytes.fromhex(r[k]) for k in ("KEY", "IV", "PLAINTEXT", "CIPHERTEXT"))
        check(len(key) in (16, 24, 32) and len(counter) == 16 and len(pt) == len(ct),
              "%s COUNT=%s: bad lengths" % (name, r["COUNT"]))
        check(agreed(name, lambda lib: lib.aes_ctr(key, counter, pt)) == ct,
              "%s COUNT=%s: ciphertext mismatch" % (name, r["COUNT"]))
        n += 1
    return n


def make_aes_ctr(vec):
    out_dir = os.path.join(OUT, "KAT_AES_CTR")
    files = {name: read(os.path.join(vec, "ciphers", "AES", "CTR", name))
             for name in ("aes-128-ctr.txt", "aes-192-ctr.txt", "aes-256-ctr.txt")}
    files["SP800-38A-F5.txt"] = sp800_38a_file()
    files["CounterEdges.txt"] = counter_edges_file()
    for name, data in files.items():
        vecfile.write_if_changed(os.path.join(out_dir, name), data)
        n = check_ctr_file(name, data)
        check(n == CTR_EXPECTED[name], "%s: %d records, expected %d" % (name, n, CTR_EXPECTED[name]))
        print("KAT_AES_CTR %s: %d records" % (name, n))
    # F.5.1 as printed in the publication.
    check(SP800_38A[0][1].startswith("874d6191b620e3261bef6864990db6ce"), "F.5.1 first block")
    vecfile.check_dir_contents(out_dir, list(files))


# --- MD5 at every length --------------------------------------------------

MD5_LENGTHS = list(range(201)) + [1000, 4096, 65536]


def md5_message(n):
    """Byte i of the message of n bytes is (n + 3i) mod 256."""
    return bytes((n + 3 * i) % 256 for i in range(n))


def make_md5_lengths():
    out = ["# MD5 of messages of every length from 0 to 200 bytes and of 1000,\n"
           "# 4096 and 65536 bytes. Byte i (from 0) of the message of n bytes is\n"
           "# (n + 3i) mod 256. Len is in bits; Len = 0 carries Msg = 00.\n"
           "# MD from Python's hashlib (OpenSSL), checked with nettle and libgcrypt.\n"
           "\n[L = 16]\n\n"]
    for n in MD5_LENGTHS:
        msg = md5_message(n)
        md = agreed("MD5 %d bytes" % n, lambda lib: lib.digest("md5", msg))
        check(md == hashlib.md5(msg).digest(), "MD5 %d bytes: hashlib" % n)
        out.append(fields([("Len", n * 8), ("Msg", msg.hex() if n else "00"), ("MD", md.hex())]) + "\n")
    data = "".join(out).encode()
    out_dir = os.path.join(OUT, "KAT_MD5")
    vecfile.write_if_changed(os.path.join(out_dir, "MD5Lengths.rsp"), data)
    vecfile.check_dir_contents(out_dir, ["MD5Lengths.rsp"])
    recs = vecfile.records(data, "Len", ["Len", "Msg", "MD"])
    check([int(r["Len"]) // 8 for _, r in recs] == MD5_LENGTHS, "MD5Lengths.rsp: lengths")
    print("KAT_MD5 MD5Lengths.rsp: %d records" % len(recs))


# --- RFC 2202 / RFC 4231 HMAC ---------------------------------------------

HMAC_FILES = {"rfc-2202-md5.txt": "md5", "rfc-2202-sha1.txt": "sha1",
              "rfc-4231-sha224.txt": "sha224", "rfc-4231-sha256.txt": "sha256",
              "rfc-4231-sha384.txt": "sha384", "rfc-4231-sha512.txt": "sha512"}
HMAC_RECORDS = 7
# RFC 4231 test case 5, output truncated to 128 bits, as printed in the RFC.
RFC4231_CASE5_KEY = "0c" * 20
RFC4231_CASE5_MSG = b"Test With Truncation"
RFC4231_CASE5 = {"sha224": "0e2aea68a90c8d37c988bcdb9fca6fa8",
                 "sha256": "a3b6167473100ee06e0c796c2955552b",
                 "sha384": "3abf34c3503b2a23a46efc619baef897",
                 "sha512": "415fad6271580a531d4179bc891d87a6"}


def insert_rfc4231_case5(data, name, alg):
    """The package leaves test case 5 out; it goes back between 4 and 6."""
    key, msg = bytes.fromhex(RFC4231_CASE5_KEY), RFC4231_CASE5_MSG
    mac = agreed(name + " case 5", lambda lib: lib.hmac(alg, key, msg))[:16]
    check(mac.hex() == RFC4231_CASE5[alg], name + ": case 5 differs from the RFC")
    record = ("# Test case 5 (added): output truncated to 128 bits (Tlen, in bytes)\n"
              "# \"Test With Truncation\"\n"
              + fields([("Len", len(msg) * 8), ("Key", key.hex()), ("Msg", msg.hex()),
                        ("Tlen", 16), ("MD", mac.hex())]) + "\n").encode()
    lines = re.findall(rb"[^\n]*\n|[^\n]+$", data)
    starts = [i for i, line in enumerate(lines) if line.startswith(b"Len")]
    check(len(starts) == 6, name + ": expected the six published test cases")
    # Before the comment lines that head the fifth published record.
    at = starts[4]
    while at > 0 and lines[at - 1].startswith(b"#"):
        at -= 1
    return b"".join(lines[:at]) + record + b"".join(lines[at:])


def make_rfc_hmac(vec):
    out_dir = os.path.join(OUT, "KAT_HMAC_RFC")
    for name, alg in HMAC_FILES.items():
        data = read(os.path.join(vec, "HMAC", name))
        if name.startswith("rfc-4231"):
            data = insert_rfc4231_case5(data, name, alg)
        vecfile.write_if_changed(os.path.join(out_dir, name), data)
        recs = vecfile.records(data, "Len", ["Len", "Key", "Msg", "MD"])
        for i, (_, r) in enumerate(recs, 1):
            key, msg = bytes.fromhex(r["Key"]), bytes.fromhex(r["Msg"])
            check(int(r["Len"]) == 8 * len(msg), "%s record %d: Len" % (name, i))
            mac = agreed("%s record %d" % (name, i), lambda lib: lib.hmac(alg, key, msg))
            tag = mac[:int(r.get("Tlen", len(mac)))]
            check(tag.hex() == r["MD"].lower(), "%s record %d: MD mismatch" % (name, i))
        check(len(recs) == HMAC_RECORDS, "%s: %d records" % (name, len(recs)))
        print("KAT_HMAC_RFC %s: %d records" % (name, len(recs)))
    vecfile.check_dir_contents(out_dir, list(HMAC_FILES))


# --- SHA Monte Carlo ------------------------------------------------------

MONTE = {"SHA1": "sha1", "SHA224": "sha224", "SHA256": "sha256", "SHA384": "sha384", "SHA512": "sha512"}
MONTE_CHECKPOINTS = 100


def monte_chain(hash_fn, seed, checkpoints):
    """NIST's SHA-1/SHA-2 procedure: MD0 = MD1 = MD2 = Seed, 1000 times
    MDi = H(MDi-3 || MDi-2 || MDi-1); the last is the checkpoint and the next Seed."""
    out = []
    for _ in range(checkpoints):
        window = [seed, seed, seed]
        for _ in range(1000):
            window = [window[1], window[2], hash_fn(b"".join(window))]
        seed = window[2]
        out.append(seed)
    return out


def make_sha_monte(vec):
    out_dir = os.path.join(OUT, "KAT_SHA_MONTE")
    names = []
    for alg, hname in MONTE.items():
        name = alg + "Monte.rsp"
        data = read(os.path.join(vec, "hashes", "SHA1" if alg == "SHA1" else "SHA2", name))
        vecfile.write_if_changed(os.path.join(out_dir, name), data)
        names.append(name)
        seeds = vecfile.records(data, "Seed", ["Seed"])
        check(len(seeds) == 1, name + ": expected one Seed")
        mds = [r["MD"].lower() for _, r in vecfile.records(data, "COUNT", ["COUNT", "MD"])]
        check(len(mds) == MONTE_CHECKPOINTS, "%s: %d checkpoints" % (name, len(mds)))
        seed = bytes.fromhex(seeds[0][1]["Seed"])
        for lib in LIBS:
            chain = monte_chain(lambda m: lib.digest(hname, m), seed, MONTE_CHECKPOINTS)
            check([c.hex() for c in chain] == mds, "%s: %s's chain differs" % (name, type(lib).__name__))
        print("KAT_SHA_MONTE %s: %d checkpoints" % (name, len(mds)))
    vecfile.check_dir_contents(out_dir, names)


def main(argv):
    global LIBS
    LIBS = (cryptolibs.OpenSSL(), cryptolibs.Nettle(), cryptolibs.Gcrypt())
    if len(argv) > 1:
        run(find_vectors(argv[1]))
        return
    with vecfile.tempdir() as tmp:
        root, version = vecfile.fetch_deb("python3-cryptography-vectors", tmp)
        print("using python3-cryptography-vectors " + version)
        run(find_vectors(root))


def run(vec):
    make_aes_ctr(vec)
    make_md5_lengths()
    make_rfc_hmac(vec)
    make_sha_monte(vec)
    print("all checks passed")


if __name__ == "__main__":
    main(sys.argv)
