// The argument string rebuilt from an argument vector splits back into exactly that
// vector, and no argument string makes the options reader fail.
#include "FuzzInput.h"
#include "app/ArgumentString.h"
#include "app/LaunchOptions.h"
#include "app/cmdline.h"
#include "util/Logger.h"
#include "util/TextConvert.h"
#include "util/Utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = inputText(data, size);

  const std::vector<std::string> arguments = inputPieces(text, '\0');
  std::vector<const char*> argv{"kvr_velmora"};
  // Bytes that are no UTF-8 arrive as U+FFFD, one for each.
  std::vector<std::string> expected;
  for (const std::string& argument : arguments) {
    argv.push_back(argument.c_str());
    expected.push_back(toUtf8(fromUtf8(argument)));
  }
  const std::optional<std::string> rebuilt =
      TryToAnsi(launcherArgumentString(static_cast<int>(argv.size()), argv.data()));
  FUZZ_CHECK(rebuilt.has_value());
  const cmdline::split_result split = cmdline::split_line(*rebuilt);
  FUZZ_CHECK(split.error.empty());
  FUZZ_CHECK(split.tokens == expected);

  LaunchOptions options;
  ParseCmdLine(options, FromAnsi(text), ILogManager::instance(), 0);
  return 0;
}
