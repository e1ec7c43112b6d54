// The MD5 message digest (RFC 1321), used to sign event reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Md5 {
 public:
  Md5();

  // Adds `length` bytes at `data` to the message; may be called any number of times.
  void update(const void* data, size_t length);
  // Ends the message and gives its digest as 32 lower-case hexadecimal digits; the
  // object then starts a new, empty message.
  std::string hexDigest();

 private:
  void reset();
  void transform(const uint8_t* block);

  uint32_t m_state[4];
  uint64_t m_bitCount;
  uint8_t m_buffer[64];
  size_t m_buffered;
};
