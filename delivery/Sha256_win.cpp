#include "Sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

struct Sha256::State {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  std::vector<unsigned char> object;  // the hash object's memory, owned by the caller
  DWORD digestLength = 0;
  bool started = false;
};

namespace {

bool succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

Sha256::Sha256() : m_state(std::make_unique<State>()) {
  if (!succeeded(BCryptOpenAlgorithmProvider(&m_state->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    m_state->algorithm = nullptr;
    return;
  }
  DWORD objectLength = 0;
  ULONG done = 0;
  if (!succeeded(BCryptGetProperty(m_state->algorithm, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectLength),
                                   sizeof objectLength, &done, 0)) ||
      !succeeded(BCryptGetProperty(m_state->algorithm, BCRYPT_HASH_LENGTH,
                                   reinterpret_cast<PUCHAR>(&m_state->digestLength), sizeof m_state->digestLength,
                                   &done, 0)))
    return;
  m_state->object.resize(objectLength);
  reset();
}

Sha256::~Sha256() {
  if (m_state->hash != nullptr) BCryptDestroyHash(m_state->hash);
  if (m_state->algorithm != nullptr) BCryptCloseAlgorithmProvider(m_state->algorithm, 0);
}

bool Sha256::valid() const { return m_state->started; }

void Sha256::reset() {
  if (m_state->hash != nullptr) BCryptDestroyHash(m_state->hash);
  m_state->hash = nullptr;
  m_state->started = m_state->algorithm != nullptr && m_state->digestLength != 0 &&
                     succeeded(BCryptCreateHash(m_state->algorithm, &m_state->hash, m_state->object.data(),
                                                static_cast<ULONG>(m_state->object.size()), nullptr, 0, 0));
}

void Sha256::update(const void* data, std::size_t size) {
  // The API takes at most 4 GiB at once.
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (m_state->started && size != 0) {
    const ULONG piece = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
    m_state->started = succeeded(BCryptHashData(m_state->hash, const_cast<PUCHAR>(bytes), piece, 0));
    bytes += piece;
    size -= piece;
  }
}

std::string Sha256::hexDigest() {
  std::string hex;
  std::vector<unsigned char> digest(m_state->digestLength);
  if (m_state->started &&
      succeeded(BCryptFinishHash(m_state->hash, digest.data(), static_cast<ULONG>(digest.size()), 0))) {
    static const char kDigits[] = "0123456789abcdef";
    for (const unsigned char byte : digest) {
      hex += kDigits[byte >> 4];
      hex += kDigits[byte & 15];
    }
  }
  reset();
  return hex;
}
