#include "framework/CDC.h"

// A region's platform side exists only while it holds a region (the twins' CreateFromRects
// makes it and its deleter frees it), so these need nothing of it.
CRgn::CRgn() = default;

CRgn::~CRgn() = default;

// A moved-from region holds none; one moved over is freed by the deleter.
CRgn::CRgn(CRgn&&) noexcept = default;
CRgn& CRgn::operator=(CRgn&&) noexcept = default;

bool CRgn::IsNull() const { return m_impl == nullptr; }
