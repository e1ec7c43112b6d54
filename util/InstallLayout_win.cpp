#include "InstallLayout.h"

#include "Resources.h"
#include "StringTable.h"
#include "TextConvert.h"

const char kCodecLibraryFile[] = "./kvr/7za.dll";
const char kUninstallerFile[] = "uninst.exe";

namespace {

constexpr size_t kCopyTargetChars = 100;  // the copy target's buffer, terminator included

}  // namespace

std::string installFolder() { return ToAnsi(L"C:\\Games\\velmora\\kvr"); }

std::optional<std::filesystem::path> launcherCopyPath(const std::filesystem::path& fileName) {
  // String 149 is the install folder followed by "%s".
  std::wstring target = LoadResourceText(IDS_COPY_TARGET);
  const size_t placeholder = target.find(L"%s");
  if (placeholder != std::wstring::npos) target.replace(placeholder, 2, fileName.native());
  if (target.size() >= kCopyTargetChars) return std::nullopt;
  return target;
}
