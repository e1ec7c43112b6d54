// The platform twins' way into CHtmlView: its hooks, for the browser's events, and its
// platform side.
#pragma once

#include <span>
#include <string>

#include "framework/CHtmlView.h"

struct HtmlViewAccess {
  static CHtmlView::Impl& impl(const CHtmlView& view) { return *view.m_impl; }
  static void beforeNavigate(CHtmlView& view, const std::wstring& url, bool& bCancel) {
    view.BeforeNavigate2(url, bCancel);
  }
  static CHtmlView* newWindow(CHtmlView& view, bool& bCancel) { return view.OnNewWindow2(bCancel); }
  static void documentComplete(CHtmlView& view, const std::wstring& url) { view.OnDocumentComplete(url); }
  static bool external(CHtmlView& view) { return view.OnGetExternal(); }
  static std::span<const CHtmlView::DispatchEntry> dispatchMap(const CHtmlView& view) { return view.GetDispatchMap(); }
};
