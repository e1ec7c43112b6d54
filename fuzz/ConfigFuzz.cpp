// Any document is read or refused with a bounded reason, never a crash.
#include "FuzzInput.h"
#include "delivery/CfgCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  DownloadConfig config{"old", "old", "old"};
  std::string problem;
  if (readDownloadConfig(std::string(inputText(data, size)), config, problem)) {
    FUZZ_CHECK(config.m_strPackageName.rfind(kPackageFolder, 0) == 0);
    FUZZ_CHECK(config.m_strPackageSha256.empty() || config.m_strPackageSha256.size() == 64);
  } else {
    FUZZ_CHECK(config.m_strPath == "old" && config.m_strPackageName == "old");
    FUZZ_CHECK(!problem.empty() && problem.size() < 400);
  }
  return 0;
}
