// Message boxes of the launcher: no owner window, the warning icon, one OK button.
#pragma once

#include <string>

// Shows the box and returns when the player has dismissed it. The box has no owner:
// other windows stay usable meanwhile. UI thread only (other threads: UiThreadChannel).
void AfxWarningBox(const std::wstring& text, const std::wstring& caption);
