// An image held as a device-independent bitmap: width, height, bits per pixel, row pitch
// (negative for bottom-up rows, as Windows makes them), a has-alpha flag, and on Windows
// its own memory device context. 32-bit pixels are blue, green, red, alpha.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

class CImage {
 public:
  CImage();
  ~CImage();
  CImage(const CImage&) = delete;
  CImage& operator=(const CImage&) = delete;

  // Decodes an encoded picture (PNG): with an alpha channel a 32-bit image with straight
  // alpha and the alpha flag set, without one 24 bits. False, image empty, on failure.
  bool Load(std::span<const unsigned char> encoded);
  // An empty (zeroed) image of the given size; 32 or 24 bits per pixel.
  bool Create(int nWidth, int nHeight, int nBPP, bool bAlpha);
  void Destroy();

  bool IsNull() const;
  int GetWidth() const;
  int GetHeight() const;
  int GetBPP() const;
  int GetPitch() const;
  // The first byte of the top row.
  uint8_t* GetBits();
  const uint8_t* GetBits() const;
  bool HasAlphaChannel() const;

  struct Impl;  // the platform's side: the pixels' owner

 private:
  // What the twins' Create sets and Destroy clears: the same on both targets.
  void SetLayout(uint8_t* pBits, int nWidth, int nHeight, int nBPP, int nPitch, bool bAlpha);

  std::unique_ptr<Impl> m_impl;
  uint8_t* m_pBits = nullptr;
  int m_nWidth = 0;
  int m_nHeight = 0;
  int m_nBPP = 0;
  int m_nPitch = 0;
  bool m_bAlpha = false;

  friend struct ImageAccess;  // the platform twins' way in (framework/FrameworkAccess.h)
};

// A picture decoded once and drawn scaled (a GDI+ bitmap on Windows).
class CPicture {
 public:
  CPicture();
  ~CPicture();
  CPicture(const CPicture&) = delete;
  CPicture& operator=(const CPicture&) = delete;

  static std::unique_ptr<CPicture> FromBytes(std::span<const unsigned char> encoded);

  struct Impl;  // the platform's side: the decoded picture

 private:
  std::unique_ptr<Impl> m_impl;

  friend struct PictureAccess;  // the platform twins' way in (framework/FrameworkAccess.h)
};
