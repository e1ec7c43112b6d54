#include "InstallLayout.h"

#include "TextConvert.h"

const char kCodecLibraryFile[] = "./" KVR_DATA_FOLDER "/7za.dll";
const char kUninstallerFile[] = "uninst.exe";

std::string installFolder() { return ToAnsi(L"C:\\Games\\velmora\\kvr"); }
