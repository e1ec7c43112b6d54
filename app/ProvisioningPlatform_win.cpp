#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "FileSystem.h"
#include "ProvisioningPlatform.h"
#include "Scoped_win.h"
#include "StartupPlatform.h"
#include "TextConvert.h"

std::optional<DesktopShortcut> locateDesktopShortcut() {
  const std::optional<std::filesystem::path> desktop = desktopFolder();
  if (!desktop) return std::nullopt;
  const std::wstring wszPathLink = desktop->native() + L"\\Kavran.lnk";
  DesktopShortcut shortcut;
  shortcut.file = wszPathLink;
  shortcut.fileName = ToAnsi(wszPathLink);
  shortcut.exists = GetFileAttributesW(wszPathLink.c_str()) != INVALID_FILE_ATTRIBUTES;

  // The copy start-up made.
  shortcut.target = launcherCopyPath(executableFile().filename()).value_or(std::filesystem::path());
  return shortcut;
}

bool saveDesktopShortcut(const DesktopShortcut& shortcut) {
  wchar_t wszWorkDir[1024] = {};
  GetCurrentDirectoryW(1024, wszWorkDir);
  const HRESULT initialized = CoInitialize(nullptr);
  bool saved = false;
  {  // The objects go before COM is uninitialised.
    ComPtr<IShellLinkW> link;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid()))) {
      link->SetPath(shortcut.target.c_str());
      link->SetWorkingDirectory(wszWorkDir);
      ComPtr<IPersistFile> persist;
      if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, persist.putVoid())))
        saved = SUCCEEDED(persist->Save(shortcut.file.c_str(), TRUE));
    }
  }
  // Only a successful initialisation is balanced: another mode on this thread stays as it was.
  if (SUCCEEDED(initialized)) CoUninitialize();
  return saved;
}
