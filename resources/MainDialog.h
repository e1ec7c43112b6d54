// The main dialog's template (dialog units) and its pictures: one description for the
// Windows resource script and the Linux dialog layer. Texts are UTF-8 literals.
#pragma once

#define IDD_MAIN_DIALOG 133
#define IDC_BTN_MIN 1003
#define IDC_BTN_CLOSE 1004
#define IDC_PROGRESS 1006
#define IDC_STATUS_TEXT 1008
#define IDC_WEB_PLACEHOLDER 1009

#define IDB_PNG_MINIMIZE 131
#define IDB_PNG_CLOSE 137
#define IDB_PNG_BACKGROUND 155
#define IDI_MAIN_ICON 160

#define KVR_MAIN_DIALOG_WIDTH 799
#define KVR_MAIN_DIALOG_HEIGHT 421

// KVR_CONTROL(id, kind, text, x, y, width, height); kind is Button, Progress,
// Label or Frame (a static with a black frame).
#define KVR_MAIN_DIALOG_CONTROLS(KVR_CONTROL)                     \
  KVR_CONTROL(IDC_BTN_MIN, Button, "", 682, 58, 22, 16)           \
  KVR_CONTROL(IDC_BTN_CLOSE, Button, "", 720, 58, 23, 16)         \
  KVR_CONTROL(IDC_PROGRESS, Progress, "", 363, 394, 362, 6)       \
  KVR_CONTROL(IDC_STATUS_TEXT, Label, "下载中", 297, 392, 40, 11) \
  KVR_CONTROL(IDC_WEB_PLACEHOLDER, Frame, "", 349, 89, 394, 295)
