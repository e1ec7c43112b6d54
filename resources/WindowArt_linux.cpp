// The main window's pictures and icon, linked in as data (the Linux form of the
// resources PNG 131, 137, 155 and icon 160).
#include "EmbedFile_linux.h"
#include "EmbeddedResources_linux.h"
#include "MainDialog.h"

KVR_EMBED(kvr_png_minimize, KVR_ART_DIR "/minimize131.png")
KVR_EMBED(kvr_png_close, KVR_ART_DIR "/close137.png")
KVR_EMBED(kvr_png_background, KVR_ART_DIR "/background155.png")
KVR_EMBED(kvr_icon_main, KVR_ART_DIR "/icon160.png")

extern "C" const EmbeddedResource kvr_window_art[] = {
    {IDB_PNG_MINIMIZE, "PNG", kvr_png_minimize_begin, kvr_png_minimize_end},
    {IDB_PNG_CLOSE, "PNG", kvr_png_close_begin, kvr_png_close_end},
    {IDB_PNG_BACKGROUND, "PNG", kvr_png_background_begin, kvr_png_background_end},
    {IDI_MAIN_ICON, "ICON", kvr_icon_main_begin, kvr_icon_main_end},
    {0, nullptr, nullptr, nullptr},
};
