#pragma once
// Every reference primitive: OpenSSL's digests, AES, ChaCha20-Poly1305, MACs and KDFs,
// nettle's Twofish, libsodium's AEADs.

#include "NettleTwofish.hpp"
#include "OpenSSLAES.hpp"
#include "OpenSSLChaCha20Poly1305.hpp"
#include "OpenSSLDigests.hpp"
#include "OpenSSLKdfs.hpp"
#include "OpenSSLMacs.hpp"
#include "SodiumAeads.hpp"
