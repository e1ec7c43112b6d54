// What start-up tells the player when it cannot go on, before any window exists.
#pragma once

#include <string>

// The caption of the launcher's boxes.
inline constexpr wchar_t kBoxCaption[] = L"提示";

// The install folder cannot be created or made current; the folder follows the text.
inline constexpr wchar_t kInstallFolderErrorText[] = L"无法创建安装目录:";

// Shows `text` in an ownerless warning box captioned "提示" and returns when the
// player has dismissed it (Linux: also on standard error, and only there without a
// display).
void showStartupError(const std::wstring& text);
