#include "StartupMessage.h"
#include "framework/MessageBox.h"

void showStartupError(const std::wstring& text) { AfxWarningBox(text, kBoxCaption); }
