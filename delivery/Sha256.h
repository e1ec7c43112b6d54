// SHA-256 over data given in pieces, from the platform's own crypto library (the
// system's crypto API on Windows, OpenSSL's libcrypto on Linux).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  // False when the library could not make a hash object; every later call is then
  // ignored and hexDigest() is empty.
  bool valid() const;
  void update(const void* data, std::size_t size);
  // The digest of everything given since the start or the last reset, as 64
  // lower-case hexadecimal digits; the object is reset afterwards.
  std::string hexDigest();
  void reset();

 private:
  struct State;
  std::unique_ptr<State> m_state;
};
