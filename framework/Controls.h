// The standard controls the launcher's dialog uses.
#pragma once

#include <cstdint>

#include "framework/CWnd.h"

class CStatic : public CWnd {};

class CButton : public CWnd {};

// The standard progress bar, which keeps the range and the position.
class CProgressCtrl : public CWnd {
 public:
  // PBM_SETRANGE32.
  void SetRange32(int32_t nLower, int32_t nUpper);
  // PBM_GETRANGE: lower and upper.
  void GetRange(int32_t& nLower, int32_t& nUpper) const;
  // PBM_SETPOS.
  void SetPos(int32_t nPos);
  // PBM_GETPOS.
  int32_t GetPos() const;
};
