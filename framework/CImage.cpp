#include "framework/CImage.h"

void CImage::SetLayout(uint8_t* pBits, int nWidth, int nHeight, int nBPP, int nPitch, bool bAlpha) {
  m_pBits = pBits;
  m_nWidth = nWidth;
  m_nHeight = nHeight;
  m_nBPP = nBPP;
  m_nPitch = nPitch;
  m_bAlpha = bAlpha;
}

bool CImage::IsNull() const { return m_pBits == nullptr; }
int CImage::GetWidth() const { return m_nWidth; }
int CImage::GetHeight() const { return m_nHeight; }
int CImage::GetBPP() const { return m_nBPP; }
int CImage::GetPitch() const { return m_nPitch; }
uint8_t* CImage::GetBits() { return m_pBits; }
const uint8_t* CImage::GetBits() const { return m_pBits; }
bool CImage::HasAlphaChannel() const { return m_bAlpha; }
