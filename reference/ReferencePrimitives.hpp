#pragma once
// Every reference primitive: OpenSSL's digests, AES, AES-CCM and ChaCha20-Poly1305,
// Every reference primitive: OpenSSL's digests, AES, ChaCha20-Poly1305, MACs and KDFs,
// nettle's Twofish, libsodium's AEADs.

#include "GcryptAeads.hpp"
#include "GcryptIdea.hpp"
#include "GcryptShake.hpp"
#include "NettleTwofish.hpp"
#include "OpenSSLBlockCiphers.hpp"
#include "OpenSSLAES.hpp"
#include "OpenSSLCcm.hpp"
#include "OpenSSLChaCha20.hpp"
#include "OpenSSLChaCha20Poly1305.hpp"
#include "OpenSSLDigests.hpp"
#include "OpenSSLKeyWrap.hpp"
#include "OpenSSLOcb.hpp"
#include "OpenSSLShake.hpp"
#include "OpenSSLKdfs.hpp"
#include "OpenSSLMacs.hpp"
#include "OpenSSLTDES.hpp"
#include "SodiumAeads.hpp"
#include "SodiumStreams.hpp"
