// Message boxes of the launcher: no owner window; a warning with one OK button, or a
// question with Yes and No.
#pragma once

#include <string>

// Shows the box and returns when the player has dismissed it. The box has no owner:
// other windows stay usable meanwhile. UI thread only (other threads: UiThreadChannel).
void AfxWarningBox(const std::wstring& text, const std::wstring& caption);

// The question icon, Yes and No; returns true when the player has chosen Yes (a box
// closed otherwise, or the same question already up, is No). UI thread only.
bool AfxQuestionBox(const std::wstring& text, const std::wstring& caption);
