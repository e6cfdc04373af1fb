#pragma once
// Every reference primitive: OpenSSL's digests, AES and ChaCha20-Poly1305,
// nettle's Twofish, libsodium's AEADs.

#include "NettleTwofish.hpp"
#include "OpenSSLAES.hpp"
#include "OpenSSLChaCha20Poly1305.hpp"
#include "OpenSSLDigests.hpp"
#include "OpenSSLTDES.hpp"
#include "SodiumAeads.hpp"
