// Any configuration text is read into sections; faults are warnings, never a crash.
#include "FuzzInput.h"
#include "util/LogConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = inputText(data, size);
  const ConfigSections sections = parseConfigText(trimConfigText(text));
  for (const auto& [key, section] : sections) FUZZ_CHECK(key == section.key);
  configChecksum(text);
  return 0;
}
