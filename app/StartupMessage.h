// What start-up tells the player when it cannot go on, before any window exists.
#pragma once

#include <string>

// The caption of the launcher's boxes.
inline constexpr wchar_t kBoxCaption[] = L"提示";

// The install folder cannot be created or made current; the folder follows the text.
inline constexpr wchar_t kInstallFolderErrorText[] = L"无法创建安装目录:";

// The download configuration could not be fetched, or came but cannot be used.
inline constexpr wchar_t kConfigUnreachableText[] = L"无法连接服务器，请检查网络后重新打开";
inline constexpr wchar_t kConfigUnusableText[] = L"游戏配置读取失败，请稍后重新打开";

// Shows `text` in an ownerless warning box captioned "提示" and returns when the
// player has dismissed it (Linux: also on standard error, and only there without a
// display).
void showStartupError(const std::wstring& text);
