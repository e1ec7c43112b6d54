// The launcher's string table: ids and texts, included by the Windows resource
// script and by the native resource table so both targets carry the same strings.
// Texts are plain ASCII literals so the resource compiler and C++ read them alike.
#pragma once

#include "Deployment.h"

#define IDS_UNINSTALL_KEY 147
#define IDS_LOGIN_URL 148
#define IDS_COPY_TARGET 149
#define IDS_GAME_TITLE 150
#define IDS_VERSION 151
#define IDS_COMPANY 152
#define IDS_UNINSTALLER_PATH 153
#define IDS_REPORT_URL 154
#define IDS_CONFIG_URL 155

#define KVR_TEXT_UNINSTALL_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\kvr_velmora"
#define KVR_TEXT_COPY_TARGET "C:\\Games\\velmora\\kvr\\%s"
#define KVR_TEXT_GAME_TITLE "Kavran"
#define KVR_TEXT_VERSION "1.0"
#define KVR_TEXT_COMPANY "Inc."
#define KVR_TEXT_UNINSTALLER_PATH "C:\\Games\\velmora\\kvr\\uninst.exe"

// X-macro over the whole table: KVR_STRING(id, narrow literal).
#define KVR_STRING_TABLE(KVR_STRING)                          \
  KVR_STRING(IDS_UNINSTALL_KEY, KVR_TEXT_UNINSTALL_KEY)       \
  KVR_STRING(IDS_LOGIN_URL, KVR_LOGIN_URL)                    \
  KVR_STRING(IDS_COPY_TARGET, KVR_TEXT_COPY_TARGET)           \
  KVR_STRING(IDS_GAME_TITLE, KVR_TEXT_GAME_TITLE)             \
  KVR_STRING(IDS_VERSION, KVR_TEXT_VERSION)                   \
  KVR_STRING(IDS_COMPANY, KVR_TEXT_COMPANY)                   \
  KVR_STRING(IDS_UNINSTALLER_PATH, KVR_TEXT_UNINSTALLER_PATH) \
  KVR_STRING(IDS_REPORT_URL, KVR_REPORT_URL)                  \
  KVR_STRING(IDS_CONFIG_URL, KVR_CONFIG_URL)
