#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "FileSystem.h"
#include "InstallLayout.h"
#include "Process.h"
#include "Provisioning.h"
#include "ShortcutReader.h"
#include "TestDesktop.h"
#include "TestFolder.h"

namespace fs = std::filesystem;

namespace {

bool executable(const fs::path& file) {
  struct stat info {};
  return stat(file.c_str(), &info) == 0 && (info.st_mode & S_IXUSR) != 0;
}

// Writes beyond `bytes` fail (EFBIG) while it lives, as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_previous);
    m_handler = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_previous;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_previous);
    signal(SIGXFSZ, m_handler);
  }

 private:
  rlimit m_previous{};
  sighandler_t m_handler;
};

}  // namespace

TEST(ProvisioningLinux, ShortWritesLeaveNoFileAndTheNextStartWritesThem) {
  TestFolder folder;
  TestDesktop desktop(folder.path() / "Desktop");
  {
    FileSizeLimit limit(16 * 1024);  // below either file (the stripped uninstaller is ~40 KB)
    WriteEmbeddedFiles("tag");
  }
  for (const fs::path& written : {fs::path(kCodecLibraryFile), fs::path(kUninstallerFile)}) {
    EXPECT_FALSE(fs::exists(written)) << written;
    EXPECT_FALSE(fs::exists(written.string() + ".part")) << written;
  }

  WriteEmbeddedFiles("tag");
  EXPECT_EQ(readFile(kCodecLibraryFile), readFile(KVR_TEST_CODEC_LIBRARY));
  EXPECT_EQ(readFile(kUninstallerFile), readFile(KVR_TEST_UNINSTALLER));
  EXPECT_TRUE(executable(kUninstallerFile));
  EXPECT_FALSE(executable(kCodecLibraryFile));
}

TEST(ProvisioningLinux, DesktopEntryQuotesTheTargetForExec) {
  TestFolder folder;
  const fs::path home = folder.path() / "a b\"$`%\\";
  const char* previousHome = getenv("HOME");
  const std::string savedHome = previousHome != nullptr ? previousHome : "";
  setEnvironment("HOME", home.string());
  TestDesktop desktop(folder.path() / "Desktop");
  WriteEmbeddedFiles("tag");
  setEnvironment("HOME", savedHome);

  const fs::path entry = folder.path() / "Desktop" / kShortcutName;
  EXPECT_TRUE(executable(entry)) << "desktops start only entries marked executable";
  const std::string name = fs::path(executablePath()).filename().string();
  const std::string content = readFile(entry);
  EXPECT_NE(content.find("\nExec=\"" + folder.path().string() + "/a b\\\\\"\\\\$\\\\`%%\\\\\\\\/Games/velmora/kvr/" +
                         name + "\"\n"),
            std::string::npos)
      << content;
  const std::optional<ShortcutFacts> facts = readShortcut(entry);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->target, home / "Games/velmora/kvr" / name);
  EXPECT_EQ(facts->workingFolder, folder.path());
}
