#!/usr/bin/env python3
"""Writes data/Test/KAT_CHACHA20/rfc8439.txt and data/Test/KAT_XCHACHA20/xchacha20.txt,
and copies the package's ciphers/ChaCha20/rfc7539.txt unmodified.

Inputs are those printed in RFC 8439 (sections 2.3.2 and 2.4.2, Appendix A.1)
and in draft-irtf-cfrg-xchacha (section 2.2.1, HChaCha20; Appendix A.3.2,
XChaCha20). Every output is computed by OpenSSL (EVP_chacha20) and by
libsodium; XChaCha20 by libsodium and by libsodium's HChaCha20 followed by
OpenSSL's ChaCha20. Published output bytes are checked where the documents
print them; any disagreement stops the script.

usage: make_stream_vectors.py [PACKAGE_TREE]   (default: /tmp/vec/x)
"""

import ctypes
import pathlib
import shutil
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
crypto = ctypes.CDLL("libcrypto.so.3")
sodium = ctypes.CDLL("libsodium.so.23")
crypto.EVP_CIPHER_CTX_new.restype = ctypes.c_void_p
crypto.EVP_chacha20.restype = ctypes.c_void_p
crypto.EVP_CIPHER_CTX_free.argtypes = [ctypes.c_void_p]
assert sodium.sodium_init() >= 0


def openssl_chacha20(key, nonce, counter, data):
    iv = counter.to_bytes(4, "little") + nonce
    ctx = crypto.EVP_CIPHER_CTX_new()
    out = ctypes.create_string_buffer(len(data) + 1)
    outl = ctypes.c_int(0)
    try:
        ok = crypto.EVP_EncryptInit_ex(ctypes.c_void_p(ctx), ctypes.c_void_p(crypto.EVP_chacha20()), None, key, iv)
        ok = ok and crypto.EVP_EncryptUpdate(ctypes.c_void_p(ctx), out, ctypes.byref(outl), data, len(data))
        assert ok == 1 and outl.value == len(data)
        return out.raw[: len(data)]
    finally:
        crypto.EVP_CIPHER_CTX_free(ctypes.c_void_p(ctx))


def sodium_chacha20(key, nonce, counter, data):
    out = ctypes.create_string_buffer(len(data) + 1)
    assert sodium.crypto_stream_chacha20_ietf_xor_ic(out, data, ctypes.c_ulonglong(len(data)), nonce,
                                                     ctypes.c_uint32(counter), key) == 0
    return out.raw[: len(data)]


def sodium_xchacha20(key, nonce, counter, data):
    out = ctypes.create_string_buffer(len(data) + 1)
    assert sodium.crypto_stream_xchacha20_xor_ic(out, data, ctypes.c_ulonglong(len(data)), nonce,
                                                 ctypes.c_uint64(counter), key) == 0
    return out.raw[: len(data)]


def hchacha20(key, nonce16):
    out = ctypes.create_string_buffer(32)
    assert sodium.crypto_core_hchacha20(out, nonce16, key, None) == 0
    return out.raw


def chacha20(key, nonce, counter, data):
    a, b = openssl_chacha20(key, nonce, counter, data), sodium_chacha20(key, nonce, counter, data)
    assert a == b, "OpenSSL and libsodium disagree"
    return a


def xchacha20(key, nonce, counter, data):
    a = sodium_xchacha20(key, nonce, counter, data)
    b = openssl_chacha20(hchacha20(key, nonce[:16]), b"\0" * 4 + nonce[16:], counter, data)
    assert a == b, "libsodium's XChaCha20 and HChaCha20 + OpenSSL's ChaCha20 disagree"
    return a


KEY_00_1F = bytes(range(32))
SUNSCREEN = (b"Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the future, "
             b"sunscreen would be it.")
DHOLE = (b"The dhole (pronounced \"dole\") is also known as the Asiatic wild dog, red dog, and whistling dog. "
         b"It is about the size of a German shepherd but looks more like a long-legged fox. This highly elusive "
         b"and skilled jumper is classified with wolves, coyotes, jackals, and foxes in the taxonomic family "
         b"Canidae.")

# (comment, key, nonce, initial block counter, plaintext, start of the published output)
CHACHA20 = [
    ("RFC 8439 2.3.2: the block function (keystream of one block)", KEY_00_1F,
     bytes.fromhex("000000090000004a00000000"), 1, bytes(64), "10f1e7e4d13b5915500fdd1fa32071c4"),
    ("RFC 8439 2.4.2: encryption", KEY_00_1F, bytes.fromhex("000000000000004a00000000"), 1, SUNSCREEN,
     "6e2e359a2568f98041ba0728dd0d6981"),
    ("RFC 8439 A.1 test vector 1", bytes(32), bytes(12), 0, bytes(64), "76b8e0ada0f13d90405d6ae55386bd28"),
    ("RFC 8439 A.1 test vector 2", bytes(32), bytes(12), 1, bytes(64), "9f07e7be5551387a98ba977c732d080d"),
    ("RFC 8439 A.1 test vector 3", bytes(31) + b"\x01", bytes(12), 1, bytes(64), "3aeb5224ecf849929b9d828db1ced4dd"),
    ("RFC 8439 A.1 test vector 4", b"\x00\xff" + bytes(30), bytes(12), 2, bytes(64), "72d54dfbf12ec44b362692df94137f32"),
    ("RFC 8439 A.1 test vector 5", bytes(32), bytes(11) + b"\x02", 0, bytes(64), "c2c64d378cd536374ae204b9ef933fcd"),
]

HCHACHA_KEY = KEY_00_1F
HCHACHA_NONCE = bytes.fromhex("000000090000004a0000000031415927")
HCHACHA_OUT = bytes.fromhex("82413b4227b27bfed30e42508a877d73a0f9e4d58a74a853c12ec41326d3ecdc")
XCHACHA20 = [
    ("draft-irtf-cfrg-xchacha A.3.2: XChaCha20 encryption", bytes(range(0x80, 0xa0)),
     bytes.fromhex("404142434445464748494a4b4c4d4e4f5051525354555658"), 0, DHOLE, "4559abba4e48c16102e8bb2c05e6947f"),
    ("draft-irtf-cfrg-xchacha 2.2.1: the HChaCha20 example's key and nonce (nonce ends in 8 zero bytes); "
     "its keystream is ChaCha20 under the published HChaCha20 output", HCHACHA_KEY, HCHACHA_NONCE + bytes(8), 0,
     bytes(64), None),
]


def record(count, comment, key, nonce, counter, plaintext, ciphertext):
    return (f"# {comment}\nCOUNT = {count}\nKEY = {key.hex()}\nNONCE = {nonce.hex()}\n"
            f"INITIAL_BLOCK_COUNTER = {counter}\nPLAINTEXT = {plaintext.hex()}\nCIPHERTEXT = {ciphertext.hex()}\n\n")


def main():
    tree = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "/tmp/vec/x")
    package = tree / "usr/lib/python3/dist-packages/cryptography_vectors/ciphers/ChaCha20/rfc7539.txt"
    shutil.copyfile(package, ROOT / "data/Test/KAT_CHACHA20/rfc7539.txt")

    text = "# Made by tools/make_stream_vectors.py; outputs computed by OpenSSL and libsodium.\n\n"
    for count, (comment, key, nonce, counter, plaintext, published) in enumerate(CHACHA20):
        out = chacha20(key, nonce, counter, plaintext)
        assert published is None or out.hex().startswith(published), comment
        text += record(count, comment, key, nonce, counter, plaintext, out)
    (ROOT / "data/Test/KAT_CHACHA20/rfc8439.txt").write_text(text)

    assert hchacha20(HCHACHA_KEY, HCHACHA_NONCE) == HCHACHA_OUT, "HChaCha20 differs from the published output"
    text = ("# Made by tools/make_stream_vectors.py; outputs computed by libsodium's XChaCha20 and by\n"
            "# HChaCha20 followed by OpenSSL's ChaCha20.\n\n")
    for count, (comment, key, nonce, counter, plaintext, published) in enumerate(XCHACHA20):
        out = xchacha20(key, nonce, counter, plaintext)
        assert published is None or out.hex().startswith(published), comment
        if nonce[:16] == HCHACHA_NONCE:
            assert out == openssl_chacha20(HCHACHA_OUT, bytes(12), counter, plaintext), comment
        text += record(count, comment, key, nonce, counter, plaintext, out)
    (ROOT / "data/Test/KAT_XCHACHA20/xchacha20.txt").write_text(text)
    print("KAT_CHACHA20: rfc7539.txt (3), rfc8439.txt (%d); KAT_XCHACHA20: xchacha20.txt (%d)"
          % (len(CHACHA20), len(XCHACHA20)))


if __name__ == "__main__":
    main()
