// The install record and the update journal, both read from the launcher's folder at
// every start: what is read prints and reads back the same, and no recorded path
// leaves the game folder.
#include "FuzzInput.h"
#include "delivery/GameUpdate.h"
#include "delivery/InstallRecord.h"

namespace {

// Relative, and no part that climbs or is empty.
bool staysBelow(const std::string& path) {
  for (std::size_t start = 0;;) {
    const std::size_t slash = path.find('/', start);
    const std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (slash == std::string::npos) return true;
    start = slash + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = inputText(data, size);
  if (const auto record = parseInstallRecord(text)) {
    const std::string printed = installRecordText(*record);
    const auto again = parseInstallRecord(printed);
    FUZZ_CHECK(again && installRecordText(*again) == printed);
    for (const InstalledFile& file : record->files) FUZZ_CHECK(staysBelow(file.path));
  }
  if (const auto journal = parseUpdateJournal(text)) {
    const std::string printed = updateJournalText(*journal);
    const auto again = parseUpdateJournal(printed);
    FUZZ_CHECK(again && updateJournalText(*again) == printed);
  }
  return 0;
}
