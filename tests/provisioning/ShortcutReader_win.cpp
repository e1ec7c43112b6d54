#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "ShortcutReader.h"

const char kShortcutName[] = "Kavran.lnk";

std::optional<ShortcutFacts> readShortcut(const std::filesystem::path& file) {
  const HRESULT initialized = CoInitialize(nullptr);
  std::optional<ShortcutFacts> facts;
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
      wchar_t target[MAX_PATH] = {};
      wchar_t folder[MAX_PATH] = {};
      if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ)) &&
          SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
          SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH)))
        facts = ShortcutFacts{target, folder};
      persist->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(initialized)) CoUninitialize();
  return facts;
}
