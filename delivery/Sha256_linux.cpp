#include "Sha256.h"

#include <openssl/evp.h>

struct Sha256::State {
  EVP_MD_CTX* context = nullptr;
  bool started = false;
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {
  m_state->context = EVP_MD_CTX_new();
  reset();
}

Sha256::~Sha256() { EVP_MD_CTX_free(m_state->context); }

bool Sha256::valid() const { return m_state->started; }

void Sha256::reset() {
  m_state->started = m_state->context != nullptr && EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr) == 1;
}

void Sha256::update(const void* data, std::size_t size) {
  if (m_state->started && size != 0) m_state->started = EVP_DigestUpdate(m_state->context, data, size) == 1;
}

std::string Sha256::hexDigest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  std::string hex;
  if (m_state->started && EVP_DigestFinal_ex(m_state->context, digest, &length) == 1) {
    static const char kDigits[] = "0123456789abcdef";
    for (unsigned int i = 0; i < length; ++i) {
      hex += kDigits[digest[i] >> 4];
      hex += kDigits[digest[i] & 15];
    }
  }
  reset();
  return hex;
}
