#pragma once
// Every reference primitive: OpenSSL's digests and AES, nettle's Twofish.

#include "NettleTwofish.hpp"
#include "OpenSSLAES.hpp"
#include "OpenSSLDigests.hpp"
