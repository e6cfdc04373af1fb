#!/usr/bin/env python3
"""Install Test/KAT_LONG/LongMessages.rsp: for every digest, a message of
1 GiB (2^33 bits) and one of 5 GiB + 1 byte, each a short pattern repeated;
and Test/KAT_LONG/LongXofMessages.rsp: the same two messages for SHAKE128 and
SHAKE256, squeezed to 32 and 64 bytes, computed by hashlib and by libgcrypt.

Usage: tools/make_long_vectors.py [JOBS] [--xof-only]

Each digest is computed twice, by Python's hashlib (OpenSSL) and by nettle
(through ctypes), streaming the repetitions; the two must agree, and the
1 GiB values must equal the published ones listed below. It hashes about
150 GB in all: minutes, spread over JOBS processes (default 2). Reruns leave
the file byte-identical.
"""

import multiprocessing
import os
import sys

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cryptolibs  # noqa: E402
import vecfile  # noqa: E402
from vecfile import check  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT_DIR = os.path.join(ROOT, "data", "Test", "KAT_LONG")
FILE_NAME = "LongMessages.rsp"
XOF_FILE_NAME = "LongXofMessages.rsp"
XOF_OUTPUT_BYTES = {"SHAKE128": 32, "SHAKE256": 64}

# 2^33 bits: a length kept in a 32-bit bit counter wraps to 0.
GIB_PATTERN = b"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmno"
GIB_TIMES = 16777216
# 5 GiB + 1 byte: past 2^32 bytes, so a 32-bit byte count wraps, and odd, so
# no block length divides it.
ODD_PATTERN = b"abc"
ODD_TIMES = 1789569707
MESSAGES = [(GIB_PATTERN, GIB_TIMES), (ODD_PATTERN, ODD_TIMES)]

# Published digests of the 1 GiB message.
PUBLISHED_GIB = {
    "MD5": "d338139169d50f55526194c790ec0448",
    "SHA1": "7789f0c9ef7bfc40d93311143dfbe69e2017f592",
    "SHA256": "50e72a0e26442fe2552dc3938ac58658228c0cbfb1d2ca872ae435266fcd055e",
    "SHA3_256": "ecbbc42cbf296603acb2c6bc0410ef4378bafb24b710357f12df607758b33e2b",
}

IMPLEMENTATIONS = {"hashlib": cryptolibs.hashlib_repeated, "nettle": cryptolibs.nettle_repeated}
XOF_IMPLEMENTATIONS = {"hashlib": cryptolibs.hashlib_xof_repeated, "libgcrypt": cryptolibs.gcrypt_xof_repeated}


def compute(task):
    impl, name, index = task
    pattern, times = MESSAGES[index]
    if name in XOF_OUTPUT_BYTES:
        return task, XOF_IMPLEMENTATIONS[impl](name, pattern, times, XOF_OUTPUT_BYTES[name]).hex()
    return task, IMPLEMENTATIONS[impl](name, pattern, times).hex()


def write_xof_file(digests):
    out = ["# Long messages for XOFs: Pattern (hex) repeated Repeat times, as in\n"
           "# LongMessages.rsp; MD is the first 32 (SHAKE128) or 64 (SHAKE256) bytes\n"
           "# squeezed, from Python's hashlib (OpenSSL), checked with libgcrypt.\n"]
    for name in XOF_OUTPUT_BYTES:
        out.append("\n[Algorithm = %s]\n" % name)
        for i, (pattern, times) in enumerate(MESSAGES):
            md = digests[("hashlib", name, i)]
            check(md == digests[("libgcrypt", name, i)], "%s message %d: hashlib and libgcrypt disagree" % (name, i))
            out.append("\nPattern = %s\nRepeat = %d\nMD = %s\n" % (pattern.hex(), times, md))
    data = "".join(out).encode()
    vecfile.write_if_changed(os.path.join(OUT_DIR, XOF_FILE_NAME), data)
    recs = vecfile.records(data, "Pattern", ["Pattern", "Repeat", "MD"])
    check(len(recs) == 2 * len(XOF_OUTPUT_BYTES), "%s: %d records" % (XOF_FILE_NAME, len(recs)))
    print("KAT_LONG %s: %d records" % (XOF_FILE_NAME, len(recs)))


def main(argv):
    xof_only = "--xof-only" in argv
    argv = [a for a in argv if a != "--xof-only"]
    jobs = int(argv[1]) if len(argv) > 1 else 2
    tasks = [(impl, name, i) for name in XOF_OUTPUT_BYTES for i in range(len(MESSAGES)) for impl in XOF_IMPLEMENTATIONS]
    if not xof_only:
        tasks += [(impl, name, i) for name in cryptolibs.STREAM_DIGESTS for i in range(len(MESSAGES))
                  for impl in IMPLEMENTATIONS]
    with multiprocessing.Pool(jobs) as pool:
        digests = dict(pool.imap_unordered(compute, tasks))
    write_xof_file(digests)
    vecfile.check_dir_contents(OUT_DIR, [FILE_NAME, XOF_FILE_NAME])
    if xof_only:
        print("all checks passed")
        return
    out = ["# Long messages: Pattern (hex) repeated Repeat times; the message of the\n"
           "# first record of each digest is 1 GiB (2^33 bits), the second 5 GiB + 1\n"
           "# byte. MD from Python's hashlib (OpenSSL), checked with nettle; the\n"
           "# 1 GiB MD5, SHA-1, SHA-256 and SHA3-256 equal the published values.\n"]
    for name in cryptolibs.STREAM_DIGESTS:
        out.append("\n[Algorithm = %s]\n" % name)
        for i, (pattern, times) in enumerate(MESSAGES):
            md = digests[("hashlib", name, i)]
            check(md == digests[("nettle", name, i)], "%s message %d: hashlib and nettle disagree" % (name, i))
            if i == 0 and name in PUBLISHED_GIB:
                check(md == PUBLISHED_GIB[name], name + " 1 GiB: differs from the published value")
            out.append("\nPattern = %s\nRepeat = %d\nMD = %s\n" % (pattern.hex(), times, md))
    data = "".join(out).encode()
    vecfile.write_if_changed(os.path.join(OUT_DIR, FILE_NAME), data)
    recs = vecfile.records(data, "Pattern", ["Pattern", "Repeat", "MD"])
    check(len(recs) == 2 * len(cryptolibs.STREAM_DIGESTS), "%s: %d records" % (FILE_NAME, len(recs)))
    print("KAT_LONG %s: %d records" % (FILE_NAME, len(recs)))
    print("all checks passed")


if __name__ == "__main__":
    main(sys.argv)
