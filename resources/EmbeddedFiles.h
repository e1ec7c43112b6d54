// Ids of the files the launcher carries and writes into the install folder; the
// resource types are "DLL" and "EXE".
#pragma once

#define IDR_CODEC_LIBRARY 141
#define IDR_UNINSTALLER 162
