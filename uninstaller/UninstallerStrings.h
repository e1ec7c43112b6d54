// The uninstaller's own string table (language 2052), read by its resource script.
// Texts are plain ASCII literals so the resource compiler and C++ read them alike.
#pragma once

#define IDS_UNINST_NAME 103
#define IDS_UNINST_KEY 104
#define IDS_UNINST_TITLE 109

#define KVR_UNINST_TEXT_NAME "uninst"
#define KVR_UNINST_TEXT_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\kvr_velmora"
#define KVR_UNINST_TEXT_TITLE "UNINST"
