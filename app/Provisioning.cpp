#include "Provisioning.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "EmbeddedFiles.h"
#include "FileSystem.h"
#include "Logger.h"
#include "ProvisioningPlatform.h"
#include "Resources.h"

namespace {

bool exists(const char* fileName) {
  std::error_code error;
  return std::filesystem::exists(fileName, error);
}

}  // namespace

void WriteEmbeddedFiles(const std::string& from) {
  // The logger has usually made "./kvr/" by now, but nothing waits for it.
  if (!isDirectory("kvr")) makeDirectory("kvr");
  if (!exists(kCodecLibraryFile)) {
    WriteResourceToFile(kCodecLibraryFile, IDR_CODEC_LIBRARY, "DLL");
    CreateDesktopShortcut(from);
  }
  if (!exists(kUninstallerFile)) WriteResourceToFile(kUninstallerFile, IDR_UNINSTALLER, "EXE");
}

bool WriteResourceToFile(const std::string& fileName, unsigned id, const char* type) {
  const std::span<const unsigned char> bytes = LoadResourceBytes(id, type);
  if (bytes.empty()) return false;
  return writeWholeFile(fileName, bytes, strcmp(type, "EXE") == 0);
}

void CreateDesktopShortcut(const std::string& from) {
  const std::optional<DesktopShortcut> shortcut = locateDesktopShortcut();
  // An existing shortcut is never touched; one whose target has no copy is not made.
  if (!shortcut || shortcut->exists || shortcut->target.empty()) return;
  logLine(LOG_INFO, "Source:", from, ",wszPathLink:", shortcut->fileName);
  saveDesktopShortcut(*shortcut);
}
