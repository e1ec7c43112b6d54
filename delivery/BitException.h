// The archive layer's failures. what() is UTF-8 text.
#pragma once

#include <stdexcept>
#include <string>

class BitException : public std::runtime_error {
 public:
  explicit BitException(const std::string& message) : std::runtime_error(message) {}
};

// The archive's files need more room than the output folder's volume has left; thrown
// before anything is written.
class BitNotEnoughSpace : public BitException {
 public:
  explicit BitNotEnoughSpace(const std::string& message) : BitException(message) {}
};
