// The operator's signature over the download configuration: minisign's public key and
// detached signature formats, read here (small, bounded, strict), and the Ed25519 and
// BLAKE2b checks done by libsodium.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A signature file is four short lines; minisign's trusted comment holds at most 1024 bytes.
inline constexpr std::size_t kSignatureMaxBytes = 4096;

using SignerKeyId = std::array<unsigned char, 8>;

struct SignerKey {
  SignerKeyId keyId{};
  std::array<unsigned char, 32> publicKey{};
};

struct DocumentSignature {
  bool prehashed = false;  // "ED": the signature covers the document's BLAKE2b-512; "Ed": the document itself
  SignerKeyId keyId{};
  std::array<unsigned char, 64> signature{};
  std::string trustedComment;
  std::array<unsigned char, 64> commentSignature{};  // over `signature` followed by `trustedComment`
};

// What the trusted comment says about time, in seconds since 1970; -1 when not given.
struct TrustedTimes {
  std::int64_t timestamp = -1;
  std::int64_t expires = -1;
};

// Reads a public key as `minisign -G` prints it (the Base64 line), or a whole public key
// file (an "untrusted comment:" line, then that line). On failure `problem` says why and
// `key` is left untouched.
bool readSignerKey(std::string_view text, SignerKey& key, std::string& problem);

// Reads a detached signature file. On failure `problem` says why, in bounded text, and
// `signature` is left untouched.
bool readDocumentSignature(std::string_view text, DocumentSignature& signature, std::string& problem);

// Checks `signature` over `document` (its bytes as sent) and its trusted comment, both
// against `key`; the key ids must match first. On failure `problem` says why.
bool verifyDocument(const SignerKey& key, const DocumentSignature& signature, std::string_view document,
                    std::string& problem);

// Reads "timestamp:<seconds>" and "expires:<seconds>" among the comment's words (split at
// blanks and tabs, as minisign writes them); other words are left alone. A timestamp or
// expiry given twice or not as a plain decimal count is refused.
bool readTrustedTimes(std::string_view comment, TrustedTimes& times, std::string& problem);

// A key id as minisign prints it: 16 hexadecimal digits, most significant first.
std::string keyIdText(const SignerKeyId& keyId);
