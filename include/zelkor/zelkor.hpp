#pragma once
// The whole primitive contract: byte strings, block ciphers and their modes,
// ESP padding, hashes and HMAC, GCM, CCM and AEADs.

#include "zelkor/Aead.hpp"
#include "zelkor/BlockCipher.hpp"
#include "zelkor/ByteString.hpp"
#include "zelkor/Ccm.hpp"
#include "zelkor/Gcm.hpp"
#include "zelkor/Hash.hpp"
#include "zelkor/Hmac.hpp"
#include "zelkor/Modes.hpp"
#include "zelkor/Padding.hpp"
