#include "HeldFile.h"

#include <windows.h>

#include "TextConvert.h"

namespace {

class WindowsHeldFile final : public HeldFile {
 public:
  explicit WindowsHeldFile(HANDLE file) : m_file(file) {}
  ~WindowsHeldFile() override { CloseHandle(m_file); }

 private:
  HANDLE m_file;
};

}  // namespace

std::unique_ptr<HeldFile> holdFile(const std::string& path) {
  const HANDLE file = CreateFileW(FromAnsi(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<WindowsHeldFile>(file);
}
