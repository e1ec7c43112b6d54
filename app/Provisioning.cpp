#include "Provisioning.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

#include "EmbeddedFiles.h"
#include "FileSystem.h"
#include "InstallLayout.h"
#include "Logger.h"
#include "ProvisioningPlatform.h"
#include "Resources.h"

namespace {

// True when `fileName` holds exactly the bytes the launcher carries as resource `id`:
// the size first, then the content. A truncated or damaged copy is written again,
// as a missing one is; without the resource an existing file is left alone.
bool isCarriedCopy(const char* fileName, unsigned id, const char* type) {
  const std::span<const unsigned char> bytes = LoadResourceBytes(id, type);
  std::ifstream file(fileName, std::ios::binary | std::ios::ate);
  if (!file) return false;
  if (bytes.empty()) return true;
  if (file.tellg() != static_cast<std::streamoff>(bytes.size())) return false;
  file.seekg(0);
  std::vector<char> block(1 << 16);
  for (size_t done = 0; done < bytes.size();) {
    const size_t count = std::min(block.size(), bytes.size() - done);
    if (!file.read(block.data(), static_cast<std::streamsize>(count)) ||
        memcmp(block.data(), bytes.data() + done, count) != 0)
      return false;
    done += count;
  }
  return true;
}

// Creates the desktop shortcut to the installed launcher copy unless a file of its
// name is already on the desktop, and logs "Source:" with `from` before creating it.
void CreateDesktopShortcut(const std::string& from) {
  const std::optional<DesktopShortcut> shortcut = locateDesktopShortcut();
  // An existing shortcut is never touched; one whose target has no copy is not made.
  if (!shortcut || shortcut->exists || shortcut->target.empty()) return;
  logLine(LOG_INFO, "Source:", from, ",wszPathLink:", shortcut->fileName);
  saveDesktopShortcut(*shortcut);
}

}  // namespace

void WriteEmbeddedFiles(const std::string& from) {
  // The logger has usually made "./kvr/" by now, but nothing waits for it.
  makeFolderChain(KVR_DATA_FOLDER);
  if (!isCarriedCopy(kCodecLibraryFile, IDR_CODEC_LIBRARY, "DLL")) {
    WriteResourceToFile(kCodecLibraryFile, IDR_CODEC_LIBRARY, "DLL");
    CreateDesktopShortcut(from);
  }
  if (!isCarriedCopy(kUninstallerFile, IDR_UNINSTALLER, "EXE"))
    WriteResourceToFile(kUninstallerFile, IDR_UNINSTALLER, "EXE");
}

bool WriteResourceToFile(const std::string& fileName, unsigned id, const char* type) {
  const std::span<const unsigned char> bytes = LoadResourceBytes(id, type);
  if (bytes.empty()) return false;
  return writeWholeFile(fileName, bytes, strcmp(type, "EXE") == 0);
}
