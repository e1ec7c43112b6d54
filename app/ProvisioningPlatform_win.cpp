#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "ProvisioningPlatform.h"
#include "Resources.h"
#include "StringTable.h"
#include "TextConvert.h"

const char kCodecLibraryFile[] = "./kvr/7za.dll";
const char kUninstallerFile[] = "uninst.exe";

namespace {

constexpr size_t kTargetChars = 100;  // the shortcut target's buffer, terminator included

}  // namespace

bool writeWholeFile(const std::filesystem::path& file, std::span<const unsigned char> bytes, bool) {
  const std::wstring partial = file.wstring() + L".part";
  const HANDLE handle =
      CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool complete = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                        written == bytes.size() && FlushFileBuffers(handle);
  if (CloseHandle(handle) && complete &&
      MoveFileExW(partial.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(partial.c_str());
  return false;
}

std::optional<DesktopShortcut> locateDesktopShortcut() {
  wchar_t wszDesktop[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, wszDesktop, CSIDL_DESKTOPDIRECTORY, FALSE)) return std::nullopt;
  const std::wstring wszPathLink = std::wstring(wszDesktop) + L"\\Kavran.lnk";
  DesktopShortcut shortcut;
  shortcut.file = wszPathLink;
  shortcut.fileName = ToAnsi(wszPathLink);
  shortcut.exists = GetFileAttributesW(wszPathLink.c_str()) != INVALID_FILE_ATTRIBUTES;

  // String 149 is the install folder followed by "%s": the copy start-up made.
  wchar_t wszExePath[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, wszExePath, MAX_PATH + 1);
  std::wstring target = LoadResourceText(IDS_COPY_TARGET);
  const size_t placeholder = target.find(L"%s");
  if (placeholder != std::wstring::npos) target.replace(placeholder, 2, PathFindFileNameW(wszExePath));
  if (target.size() < kTargetChars) shortcut.target = target;
  return shortcut;
}

bool saveDesktopShortcut(const DesktopShortcut& shortcut) {
  wchar_t wszWorkDir[1024] = {};
  GetCurrentDirectoryW(1024, wszWorkDir);
  const HRESULT initialized = CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  bool saved = false;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    link->SetPath(shortcut.target.c_str());
    link->SetWorkingDirectory(wszWorkDir);
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
      saved = SUCCEEDED(persist->Save(shortcut.file.c_str(), TRUE));
      persist->Release();
    }
    link->Release();
  }
  // Only a successful initialisation is balanced: another mode on this thread stays as it was.
  if (SUCCEEDED(initialized)) CoUninitialize();
  return saved;
}
