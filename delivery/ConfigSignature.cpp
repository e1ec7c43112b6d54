#include "ConfigSignature.h"

#include <sodium.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment: ";
constexpr std::string_view kTrustedPrefix = "trusted comment: ";

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Standard Base64 with its padding, decoding to exactly `size` bytes; anything else
// (another length, a stray character, padding inside, bits left over) is refused.
std::optional<std::vector<unsigned char>> decodeBase64(std::string_view text, std::size_t size) {
  if (text.size() != (size + 2) / 3 * 4) return std::nullopt;
  const std::size_t padding = size % 3 == 0 ? 0 : 3 - size % 3;
  std::vector<unsigned char> bytes;
  bytes.reserve(size + 2);
  for (std::size_t at = 0; at < text.size(); at += 4) {
    std::uint32_t group = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      const bool padded = at + 4 == text.size() && i >= 4 - padding;
      const int value = padded ? (text[at + i] == '=' ? 0 : -1) : base64Value(text[at + i]);
      if (value < 0) return std::nullopt;
      group = group << 6 | static_cast<std::uint32_t>(value);
    }
    bytes.push_back(static_cast<unsigned char>(group >> 16));
    bytes.push_back(static_cast<unsigned char>(group >> 8));
    bytes.push_back(static_cast<unsigned char>(group));
  }
  // Bits beyond the last byte must be zero: one text per key or signature.
  for (std::size_t i = size; i < bytes.size(); ++i)
    if (bytes[i] != 0) return std::nullopt;
  bytes.resize(size);
  return bytes;
}

// The text cut into lines at LF; a CR before the LF belongs to the line break.
std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> result;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    result.push_back(line);
    start = end + 1;
  }
  return result;
}

template <std::size_t N>
void copyInto(std::array<unsigned char, N>& target, const unsigned char* source) {
  std::copy(source, source + N, target.begin());
}

// A decimal count of seconds: digits only, few enough to fit.
bool readSeconds(std::string_view digits, std::int64_t& seconds) {
  if (digits.empty() || digits.size() > 18 || digits.find_first_not_of("0123456789") != std::string_view::npos)
    return false;
  seconds = 0;
  for (char c : digits) seconds = seconds * 10 + (c - '0');
  return true;
}

bool verifyEd25519(const unsigned char* signature, const unsigned char* message, std::size_t size,
                   const SignerKey& key) {
  return crypto_sign_verify_detached(signature, message, size, key.publicKey.data()) == 0;
}

}  // namespace

bool readSignerKey(std::string_view text, SignerKey& key, std::string& problem) {
  std::vector<std::string_view> keyLines = lines(text);
  while (!keyLines.empty() && keyLines.back().empty()) keyLines.pop_back();
  if (keyLines.size() == 2 && keyLines[0].substr(0, kUntrustedPrefix.size()) == kUntrustedPrefix)
    keyLines.erase(keyLines.begin());
  if (keyLines.size() != 1) {
    problem = "the public key is not one line of Base64";
    return false;
  }
  const auto bytes = decodeBase64(keyLines[0], 2 + 8 + 32);
  if (!bytes) {
    problem = "the public key is not 42 bytes in Base64";
    return false;
  }
  if ((*bytes)[0] != 'E' || (*bytes)[1] != 'd') {
    problem = "the public key is not an Ed25519 key";
    return false;
  }
  copyInto(key.keyId, bytes->data() + 2);
  copyInto(key.publicKey, bytes->data() + 10);
  return true;
}

bool readDocumentSignature(std::string_view text, DocumentSignature& signature, std::string& problem) {
  if (text.size() > kSignatureMaxBytes) {
    problem = "the signature is larger than " + std::to_string(kSignatureMaxBytes) + " bytes";
    return false;
  }
  const std::vector<std::string_view> parts = lines(text);
  if (parts.size() != 4) {
    problem = "the signature is not four lines but " + std::to_string(parts.size());
    return false;
  }
  if (parts[0].substr(0, kUntrustedPrefix.size()) != kUntrustedPrefix) {
    problem = "the signature's first line is not an untrusted comment";
    return false;
  }
  const auto bytes = decodeBase64(parts[1], 2 + 8 + 64);
  if (!bytes) {
    problem = "the signature's second line is not 74 bytes in Base64";
    return false;
  }
  const bool legacy = (*bytes)[0] == 'E' && (*bytes)[1] == 'd';
  const bool prehashed = (*bytes)[0] == 'E' && (*bytes)[1] == 'D';
  if (!legacy && !prehashed) {
    problem = "the signature is not an Ed25519 signature";
    return false;
  }
  if (parts[2].substr(0, kTrustedPrefix.size()) != kTrustedPrefix) {
    problem = "the signature's third line is not a trusted comment";
    return false;
  }
  const auto commentBytes = decodeBase64(parts[3], 64);
  if (!commentBytes) {
    problem = "the signature's fourth line is not 64 bytes in Base64";
    return false;
  }
  DocumentSignature read;
  read.prehashed = prehashed;
  copyInto(read.keyId, bytes->data() + 2);
  copyInto(read.signature, bytes->data() + 10);
  read.trustedComment = std::string(parts[2].substr(kTrustedPrefix.size()));
  copyInto(read.commentSignature, commentBytes->data());
  signature = std::move(read);
  return true;
}

bool verifyDocument(const SignerKey& key, const DocumentSignature& signature, std::string_view document,
                    std::string& problem) {
  if (sodium_init() < 0) {
    problem = "the signature library could not start";
    return false;
  }
  if (signature.keyId != key.keyId) {
    problem = "the signature is made with key " + keyIdText(signature.keyId) + ", not with the launcher's key " +
              keyIdText(key.keyId);
    return false;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(document.data());
  bool valid;
  if (signature.prehashed) {
    std::array<unsigned char, crypto_generichash_BYTES_MAX> digest{};
    crypto_generichash(digest.data(), digest.size(), bytes, document.size(), nullptr, 0);
    valid = verifyEd25519(signature.signature.data(), digest.data(), digest.size(), key);
  } else {
    valid = verifyEd25519(signature.signature.data(), bytes, document.size(), key);
  }
  if (!valid) {
    problem = "the signature does not match the document";
    return false;
  }
  std::vector<unsigned char> signedComment(signature.signature.begin(), signature.signature.end());
  signedComment.insert(signedComment.end(), signature.trustedComment.begin(), signature.trustedComment.end());
  if (!verifyEd25519(signature.commentSignature.data(), signedComment.data(), signedComment.size(), key)) {
    problem = "the signature's trusted comment does not match its signature";
    return false;
  }
  return true;
}

bool readTrustedTimes(std::string_view comment, TrustedTimes& times, std::string& problem) {
  TrustedTimes read;
  std::size_t start = 0;
  while (start < comment.size()) {
    const std::size_t end = std::min(comment.find_first_of(" \t", start), comment.size());
    const std::string_view word = comment.substr(start, end - start);
    start = end + 1;
    for (auto [name, value] : {std::pair<std::string_view, std::int64_t*>{"timestamp:", &read.timestamp},
                               std::pair<std::string_view, std::int64_t*>{"expires:", &read.expires}}) {
      if (word.substr(0, name.size()) != name) continue;
      const std::string label(name.substr(0, name.size() - 1));
      if (*value >= 0) {
        problem = "the trusted comment gives \"" + label + "\" twice";
        return false;
      }
      if (!readSeconds(word.substr(name.size()), *value)) {
        problem = "the trusted comment's \"" + label + "\" is not a count of seconds";
        return false;
      }
    }
  }
  times = read;
  return true;
}

std::string keyIdText(const SignerKeyId& keyId) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  // minisign prints the eight bytes as a little-endian number.
  for (auto byte = keyId.rbegin(); byte != keyId.rend(); ++byte) {
    text += kDigits[*byte >> 4];
    text += kDigits[*byte & 15];
  }
  return text;
}
