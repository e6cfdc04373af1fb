"""AES-CTR, digests and HMAC from OpenSSL, nettle and libgcrypt through
ctypes, so that the vector tools can check every value with implementations
that share no code."""

import ctypes
import hashlib
import hmac

DIGESTS = ["md5", "sha1", "sha224", "sha256", "sha384", "sha512"]

# nettle keeps SHA-224 and SHA-384 updates as macros over SHA-256/SHA-512.
_NETTLE_UPDATE = {"sha224": "sha256", "sha384": "sha512"}
_NETTLE_SIZE = {"md5": 16, "sha1": 20, "sha224": 28, "sha256": 32, "sha384": 48, "sha512": 64}

# libgcrypt's algorithm numbers (gcrypt.h).
_GCRY_MD = {"md5": 1, "sha1": 2, "sha256": 8, "sha384": 9, "sha512": 10, "sha224": 11}
_GCRY_AES = {16: 7, 24: 8, 32: 9}
_GCRY_MODE_CTR = 6
_GCRY_MD_FLAG_HMAC = 2


def _buf(data):
    return ctypes.create_string_buffer(bytes(data), len(data) or 1)


class OpenSSL:
    def __init__(self):
        self.lib = ctypes.CDLL("libcrypto.so.3")
        self.lib.EVP_CIPHER_CTX_new.restype = ctypes.c_void_p
        self.lib.EVP_get_cipherbyname.restype = ctypes.c_void_p
        self.lib.EVP_CIPHER_CTX_free.argtypes = [ctypes.c_void_p]

    def aes_ctr(self, key, counter, data):
        lib = self.lib
        cipher = lib.EVP_get_cipherbyname(b"aes-%d-ctr" % (len(key) * 8))
        ctx = lib.EVP_CIPHER_CTX_new()
        try:
            ok = lib.EVP_EncryptInit_ex(ctypes.c_void_p(ctx), ctypes.c_void_p(cipher), None,
                                        bytes(key), bytes(counter))
            out = ctypes.create_string_buffer(len(data) + 16)
            outl = ctypes.c_int(0)
            ok = ok and lib.EVP_EncryptUpdate(ctypes.c_void_p(ctx), out, ctypes.byref(outl),
                                              _buf(data), ctypes.c_int(len(data)))
            if ok != 1 or outl.value != len(data):
                raise RuntimeError("OpenSSL AES-CTR failed")
            return out.raw[:len(data)]
        finally:
            lib.EVP_CIPHER_CTX_free(ctypes.c_void_p(ctx))

    @staticmethod
    def digest(name, data):
        return hashlib.new(name, bytes(data)).digest()

    @staticmethod
    def hmac(name, key, data):
        return hmac.new(bytes(key), bytes(data), name).digest()


class Nettle:
    def __init__(self):
        self.lib = ctypes.CDLL("libnettle.so.8")

    def aes_ctr(self, key, counter, data):
        ctx = ctypes.create_string_buffer(1024)  # > sizeof(struct aes_ctx)
        self.lib.nettle_aes_set_encrypt_key(ctx, ctypes.c_size_t(len(key)), bytes(key))
        ctr = _buf(counter)
        out = ctypes.create_string_buffer(len(data) or 1)
        encrypt = ctypes.cast(self.lib.nettle_aes_encrypt, ctypes.c_void_p)
        self.lib.nettle_ctr_crypt(ctx, encrypt, ctypes.c_size_t(16), ctr,
                                  ctypes.c_size_t(len(data)), out, _buf(data))
        return out.raw[:len(data)]

    def digest(self, name, data):
        ctx = ctypes.create_string_buffer(512)
        size = _NETTLE_SIZE[name]
        out = ctypes.create_string_buffer(size)
        getattr(self.lib, "nettle_%s_init" % name)(ctx)
        update = getattr(self.lib, "nettle_%s_update" % _NETTLE_UPDATE.get(name, name))
        update(ctx, ctypes.c_size_t(len(data)), _buf(data))
        getattr(self.lib, "nettle_%s_digest" % name)(ctx, ctypes.c_size_t(size), out)
        return out.raw

    def hmac(self, name, key, data):
        ctx = ctypes.create_string_buffer(2048)
        size = _NETTLE_SIZE[name]
        out = ctypes.create_string_buffer(size)
        getattr(self.lib, "nettle_hmac_%s_set_key" % name)(ctx, ctypes.c_size_t(len(key)), _buf(key))
        update = getattr(self.lib, "nettle_hmac_%s_update" % _NETTLE_UPDATE.get(name, name))
        update(ctx, ctypes.c_size_t(len(data)), _buf(data))
        getattr(self.lib, "nettle_hmac_%s_digest" % name)(ctx, ctypes.c_size_t(size), out)
        return out.raw


class Gcrypt:
    def __init__(self):
        self.lib = ctypes.CDLL("libgcrypt.so.20")
        self.lib.gcry_check_version.restype = ctypes.c_char_p
        if not self.lib.gcry_check_version(None):
            raise RuntimeError("libgcrypt did not initialise")
        self.lib.gcry_md_read.restype = ctypes.c_void_p

    def _check(self, err, what):
        if err:
            raise RuntimeError("libgcrypt %s failed: %d" % (what, err))

    def aes_ctr(self, key, counter, data):
        lib = self.lib
        hd = ctypes.c_void_p()
        self._check(lib.gcry_cipher_open(ctypes.byref(hd), _GCRY_AES[len(key)], _GCRY_MODE_CTR, 0), "open")
        try:
            self._check(lib.gcry_cipher_setkey(hd, bytes(key), ctypes.c_size_t(len(key))), "setkey")
            self._check(lib.gcry_cipher_setctr(hd, bytes(counter), ctypes.c_size_t(16)), "setctr")
            out = ctypes.create_string_buffer(len(data) or 1)
            self._check(lib.gcry_cipher_encrypt(hd, out, ctypes.c_size_t(len(data)), _buf(data),
                                                ctypes.c_size_t(len(data))), "encrypt")
            return out.raw[:len(data)]
        finally:
            lib.gcry_cipher_close(hd)

    def digest(self, name, data):
        out = ctypes.create_string_buffer(_NETTLE_SIZE[name])
        self.lib.gcry_md_hash_buffer(_GCRY_MD[name], out, _buf(data), ctypes.c_size_t(len(data)))
        return out.raw

    def hmac(self, name, key, data):
        lib = self.lib
        hd = ctypes.c_void_p()
        self._check(lib.gcry_md_open(ctypes.byref(hd), _GCRY_MD[name], _GCRY_MD_FLAG_HMAC), "md_open")
        try:
            self._check(lib.gcry_md_setkey(hd, _buf(key), ctypes.c_size_t(len(key))), "md_setkey")
            lib.gcry_md_write(hd, _buf(data), ctypes.c_size_t(len(data)))
            return ctypes.string_at(lib.gcry_md_read(hd, _GCRY_MD[name]), _NETTLE_SIZE[name])
        finally:
            lib.gcry_md_close(hd)


# --- Streaming digests, for messages too long to hold -----------------------

# Name as the vector files write it -> hashlib's name; nettle's is the same
# name in lower case, its update shared as in _NETTLE_UPDATE.
STREAM_DIGESTS = {"MD5": "md5", "SHA1": "sha1", "SHA224": "sha224", "SHA256": "sha256",
                  "SHA384": "sha384", "SHA512": "sha512", "SHA512_224": "sha512_224",
                  "SHA512_256": "sha512_256", "SHA3_224": "sha3_224", "SHA3_256": "sha3_256",
                  "SHA3_384": "sha3_384", "SHA3_512": "sha3_512"}
_STREAM_NETTLE_UPDATE = dict(_NETTLE_UPDATE, sha512_224="sha512", sha512_256="sha512")
_STREAM_SIZE = dict(_NETTLE_SIZE, sha512_224=28, sha512_256=32, sha3_224=28, sha3_256=32,
                    sha3_384=48, sha3_512=64)


def repeated_pieces(pattern, times, piece_bytes=1 << 22):
    """The message `pattern` x `times` as (piece, count) pairs: a piece of
    whole patterns near piece_bytes repeated count times, then the rest."""
    per_piece = max(1, piece_bytes // len(pattern))
    full, rest = divmod(times, per_piece)
    out = [(pattern * per_piece, full)]
    if rest:
        out.append((pattern * rest, 1))
    return out


def hashlib_repeated(name, pattern, times):
    h = hashlib.new(STREAM_DIGESTS[name])
    for piece, count in repeated_pieces(pattern, times):
        for _ in range(count):
            h.update(piece)
    return h.digest()


def nettle_repeated(name, pattern, times):
    lib = ctypes.CDLL("libnettle.so.8")
    alg = STREAM_DIGESTS[name]
    ctx = ctypes.create_string_buffer(512)  # > sizeof any nettle hash context
    out = ctypes.create_string_buffer(_STREAM_SIZE[alg])
    getattr(lib, "nettle_%s_init" % alg)(ctx)
    update = getattr(lib, "nettle_%s_update" % _STREAM_NETTLE_UPDATE.get(alg, alg))
    for piece, count in repeated_pieces(pattern, times):
        buf, size = _buf(piece), ctypes.c_size_t(len(piece))
        for _ in range(count):
            update(ctx, size, buf)
    getattr(lib, "nettle_%s_digest" % alg)(ctx, ctypes.c_size_t(_STREAM_SIZE[alg]), out)
    return out.raw


# --- Streaming XOFs ----------------------------------------------------------

# Name as the vector files write it -> (hashlib's name, libgcrypt's number).
STREAM_XOFS = {"SHAKE128": ("shake_128", 316), "SHAKE256": ("shake_256", 317)}


def hashlib_xof_repeated(name, pattern, times, out_bytes):
    h = hashlib.new(STREAM_XOFS[name][0])
    for piece, count in repeated_pieces(pattern, times):
        for _ in range(count):
            h.update(piece)
    return h.digest(out_bytes)


def gcrypt_xof_repeated(name, pattern, times, out_bytes):
    lib = Gcrypt().lib
    algo = STREAM_XOFS[name][1]
    hd = ctypes.c_void_p()
    if lib.gcry_md_open(ctypes.byref(hd), algo, 0):
        raise RuntimeError("libgcrypt md_open failed for " + name)
    try:
        for piece, count in repeated_pieces(pattern, times):
            buf, size = _buf(piece), ctypes.c_size_t(len(piece))
            for _ in range(count):
                lib.gcry_md_write(hd, buf, size)
        out = ctypes.create_string_buffer(out_bytes)
        if lib.gcry_md_extract(hd, algo, out, ctypes.c_size_t(out_bytes)):
            raise RuntimeError("libgcrypt md_extract failed for " + name)
        return out.raw
    finally:
        lib.gcry_md_close(hd)
