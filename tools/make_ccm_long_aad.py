#!/usr/bin/env python3
"""Writes data/Test/KAT_AES_CCM/LongAdata{128,192,256}.rsp: AES-CCM answers for
AAD of 65,279, 65,280 and 65,553 bytes, either side of the length where CCM's
encoding of the AAD length changes from 2 bytes to 0xff 0xfe and 4 bytes (the
published files stop at 32 bytes of AAD). Each answer is computed by OpenSSL's
and libgcrypt's CCM through ctypes and must agree, and both must open it again;
the files are laid out like NIST's CCM response files, so the same reader takes
them. Inputs come from SHAKE256 of a label written in the file; running the
script again leaves the files byte-identical."""

import ctypes
import hashlib
import os
import sys

AAD_LENGTHS = [65279, 65280, 65553]
NONCE_BYTES = 13
PAYLOAD_BYTES = 24
TAG_BYTES = 16

_EVP_CTRL_AEAD_SET_IVLEN = 0x9
_EVP_CTRL_AEAD_GET_TAG = 0x10
_EVP_CTRL_AEAD_SET_TAG = 0x11
_GCRY_AES = {16: 7, 24: 8, 32: 9}
_GCRY_MODE_CCM = 8
_GCRYCTL_SET_CCM_LENGTHS = 69


def shake(label, n):
    return hashlib.shake_256(label.encode()).digest(n)


def _buf(data):
    return ctypes.create_string_buffer(bytes(data), len(data) or 1)


class OpenSSLCcm:
    def __init__(self):
        self.lib = ctypes.CDLL("libcrypto.so.3")
        self.lib.EVP_CIPHER_CTX_new.restype = ctypes.c_void_p
        self.lib.EVP_get_cipherbyname.restype = ctypes.c_void_p
        self.lib.EVP_CIPHER_CTX_free.argtypes = [ctypes.c_void_p]

    def _run(self, key, nonce, aad, text, tag, encrypt):
        lib = self.lib
        vp = ctypes.c_void_p
        cipher = lib.EVP_get_cipherbyname(b"aes-%d-ccm" % (len(key) * 8))
        ctx = vp(lib.EVP_CIPHER_CTX_new())
        try:
            outl = ctypes.c_int(0)
            ok = lib.EVP_CipherInit_ex(ctx, vp(cipher), None, None, None, encrypt) == 1
            ok = ok and lib.EVP_CIPHER_CTX_ctrl(ctx, _EVP_CTRL_AEAD_SET_IVLEN, len(nonce), None) == 1
            ok = ok and lib.EVP_CIPHER_CTX_ctrl(ctx, _EVP_CTRL_AEAD_SET_TAG, TAG_BYTES,
                                                None if encrypt else _buf(tag)) == 1
            ok = ok and lib.EVP_CipherInit_ex(ctx, None, None, bytes(key), bytes(nonce), encrypt) == 1
            ok = ok and lib.EVP_CipherUpdate(ctx, None, ctypes.byref(outl), None, len(text)) == 1
            ok = ok and lib.EVP_CipherUpdate(ctx, None, ctypes.byref(outl), _buf(aad), len(aad)) == 1
            if not ok:
                raise RuntimeError("OpenSSL CCM set-up failed")
            out = ctypes.create_string_buffer(len(text) + 16)
            if lib.EVP_CipherUpdate(ctx, out, ctypes.byref(outl), _buf(text), len(text)) != 1:
                return None
            result = out.raw[:len(text)]
            if encrypt:
                tag_out = ctypes.create_string_buffer(TAG_BYTES)
                if lib.EVP_CIPHER_CTX_ctrl(ctx, _EVP_CTRL_AEAD_GET_TAG, TAG_BYTES, tag_out) != 1:
                    raise RuntimeError("OpenSSL CCM tag failed")
                return result, tag_out.raw
            return result
        finally:
            lib.EVP_CIPHER_CTX_free(ctx)

    def seal(self, key, nonce, aad, payload):
        return self._run(key, nonce, aad, payload, None, 1)

    def open(self, key, nonce, aad, ciphertext, tag):
        return self._run(key, nonce, aad, ciphertext, tag, 0)


class GcryptCcm:
    def __init__(self):
        self.lib = ctypes.CDLL("libgcrypt.so.20")
        self.lib.gcry_check_version.restype = ctypes.c_char_p
        if not self.lib.gcry_check_version(None):
            raise RuntimeError("libgcrypt did not initialise")

    def _check(self, err, what):
        if err:
            raise RuntimeError("libgcrypt %s failed: %d" % (what, err))

    def _handle(self, key, nonce, aad, text_bytes):
        lib = self.lib
        hd = ctypes.c_void_p()
        self._check(lib.gcry_cipher_open(ctypes.byref(hd), _GCRY_AES[len(key)], _GCRY_MODE_CCM, 0), "open")
        self._check(lib.gcry_cipher_setkey(hd, bytes(key), ctypes.c_size_t(len(key))), "setkey")
        self._check(lib.gcry_cipher_setiv(hd, bytes(nonce), ctypes.c_size_t(len(nonce))), "setiv")
        lengths = (ctypes.c_uint64 * 3)(text_bytes, len(aad), TAG_BYTES)
        self._check(lib.gcry_cipher_ctl(hd, _GCRYCTL_SET_CCM_LENGTHS, lengths, ctypes.c_size_t(24)), "lengths")
        self._check(lib.gcry_cipher_authenticate(hd, _buf(aad), ctypes.c_size_t(len(aad))), "authenticate")
        return hd

    def seal(self, key, nonce, aad, payload):
        hd = self._handle(key, nonce, aad, len(payload))
        try:
            out = ctypes.create_string_buffer(len(payload) or 1)
            self._check(self.lib.gcry_cipher_encrypt(hd, out, ctypes.c_size_t(len(payload)), _buf(payload),
                                                     ctypes.c_size_t(len(payload))), "encrypt")
            tag = ctypes.create_string_buffer(TAG_BYTES)
            self._check(self.lib.gcry_cipher_gettag(hd, tag, ctypes.c_size_t(TAG_BYTES)), "gettag")
            return out.raw[:len(payload)], tag.raw
        finally:
            self.lib.gcry_cipher_close(hd)

    def open(self, key, nonce, aad, ciphertext, tag):
        hd = self._handle(key, nonce, aad, len(ciphertext))
        try:
            out = ctypes.create_string_buffer(len(ciphertext) or 1)
            self._check(self.lib.gcry_cipher_decrypt(hd, out, ctypes.c_size_t(len(ciphertext)), _buf(ciphertext),
                                                     ctypes.c_size_t(len(ciphertext))), "decrypt")
            if self.lib.gcry_cipher_checktag(hd, bytes(tag), ctypes.c_size_t(len(tag))) != 0:
                return None
            return out.raw[:len(ciphertext)]
        finally:
            self.lib.gcry_cipher_close(hd)


def file_text(key_bits, implementations):
    lines = ["#  AES-CCM with long AAD, made by tools/make_ccm_long_aad.py",
             "#  AES Keylen: %d" % key_bits,
             "#  Key, Nonce, Adata, Payload: SHAKE256 of \"zelkor-ccm-long-aad <keylen> <Alen> <field>\"",
             "#  CT (ciphertext || tag) computed and checked by OpenSSL and libgcrypt",
             "",
             "Plen = %d" % PAYLOAD_BYTES,
             "Nlen = %d" % NONCE_BYTES,
             "Tlen = %d" % TAG_BYTES,
             ""]
    for count, alen in enumerate(AAD_LENGTHS):
        label = "zelkor-ccm-long-aad %d %d " % (key_bits, alen)
        key = shake(label + "key", key_bits // 8)
        nonce = shake(label + "nonce", NONCE_BYTES)
        aad = shake(label + "adata", alen)
        payload = shake(label + "payload", PAYLOAD_BYTES)
        answers = [impl.seal(key, nonce, aad, payload) for impl in implementations]
        if any(answer != answers[0] for answer in answers):
            raise SystemExit("OpenSSL and libgcrypt disagree on CCM with %d bytes of AAD" % alen)
        ciphertext, tag = answers[0]
        for impl in implementations:
            if impl.open(key, nonce, aad, ciphertext, tag) != payload:
                raise SystemExit("%s does not open its CCM answer for %d bytes of AAD" % (type(impl).__name__, alen))
            wrong = bytes(tag[:-1]) + bytes([tag[-1] ^ 1])
            if impl.open(key, nonce, aad, ciphertext, wrong) is not None:
                raise SystemExit("%s accepts a wrong tag" % type(impl).__name__)
        lines += ["[Alen = %d]" % alen, "",
                  "Key = " + key.hex(), "Nonce = " + nonce.hex(), "",
                  "Count = %d" % count,
                  "Adata = " + aad.hex(),
                  "Payload = " + payload.hex(),
                  "CT = " + (ciphertext + tag).hex(), ""]
    return "\n".join(lines)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out_dir = os.path.join(root, "data", "Test", "KAT_AES_CCM")
    implementations = [OpenSSLCcm(), GcryptCcm()]
    for key_bits in (128, 192, 256):
        path = os.path.join(out_dir, "LongAdata%d.rsp" % key_bits)
        with open(path, "w", newline="\n") as out:
            out.write(file_text(key_bits, implementations))
        print("wrote", path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
