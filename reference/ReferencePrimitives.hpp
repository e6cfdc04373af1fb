#pragma once
// Every reference primitive: OpenSSL's digests, AES, AES-CCM and ChaCha20-Poly1305,
// nettle's Twofish, libsodium's AEADs.

#include "NettleTwofish.hpp"
#include "OpenSSLAES.hpp"
#include "OpenSSLCcm.hpp"
#include "OpenSSLChaCha20Poly1305.hpp"
#include "OpenSSLDigests.hpp"
#include "SodiumAeads.hpp"
