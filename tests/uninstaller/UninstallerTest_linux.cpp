// What the launcher made outside its install folder on Linux goes with it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "StartupPlatform.h"
#include "TestDesktop.h"
#include "TestFolder.h"
#include "UninstallRun.h"

namespace fs = std::filesystem;

namespace {

// Sets an environment variable (or clears it, given nothing) and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::optional<fs::path>& value) : m_name(name) {
    if (const char* previous = getenv(name)) m_previous = previous;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedVariable() {
    if (m_previous)
      setenv(m_name, m_previous->c_str(), 1);
    else
      unsetenv(m_name);
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* m_name;
  std::optional<std::string> m_previous;
};

void plant(const fs::path& file) {
  fs::create_directories(file.parent_path());
  writeFile(file, "x");
}

}  // namespace

// The web engine's folders where the XDG variables place them (else the usual places)
// and the lock file go; their neighbours, and the usual places when the variables point
// elsewhere, stay.
TEST(Uninstaller, RemovesTheWebEnginesFoldersAndTheLockFile) {
  TestFolder folder;
  for (const bool variablesSet : {false, true}) {
    SCOPED_TRACE(variablesSet ? "XDG variables set" : "usual places");
    const fs::path base = folder.path() / (variablesSet ? "set" : "usual");
    const UninstallFolders folders(base, base / "Desktop");
    const TestDesktop desktop(folders.desktop);
    const fs::path home = base / "home";
    const fs::path usualCache = home / ".cache", usualData = home / ".local" / "share";
    const fs::path cache = variablesSet ? base / "xdg cache" : usualCache;
    const fs::path data = variablesSet ? base / "xdg data" : usualData;
    const fs::path runtime = base / "run";
    fs::create_directories(runtime);
    const ScopedVariable runtimeVariable("XDG_RUNTIME_DIR", runtime);
    const ScopedVariable cacheVariable("XDG_CACHE_HOME", variablesSet ? std::optional(cache) : std::nullopt);
    const ScopedVariable dataVariable("XDG_DATA_HOME", variablesSet ? std::optional(data) : std::nullopt);

    plant(cache / "kvr_velmora" / "WebKitCache" / "Version 16" / "salt");
    plant(data / "kvr_velmora" / "localstorage" / "http_127.0.0.1_18480.localstorage");
    const fs::path kept[] = {cache / "kvr_velmora2" / "keep", cache / "other" / "keep", data / "other" / "keep",
                             runtime / "kvr_velmora-other.lock", usualCache / "other" / "keep"};
    for (const fs::path& file : kept) plant(file);
    if (variablesSet) plant(usualCache / "kvr_velmora" / "keep");
    { const InstanceLock lock; }  // the launcher's lock leaves its file behind
    ASSERT_EQ(filesBelow(runtime).size(), 2u) << "the lock file was made";

    const ProcessResult result = folders.run(folders.install);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, kUninstallerExitCode);
    EXPECT_FALSE(fs::exists(cache / "kvr_velmora"));
    EXPECT_FALSE(fs::exists(data / "kvr_velmora"));
    EXPECT_EQ(filesBelow(runtime), std::vector<fs::path>{runtime / "kvr_velmora-other.lock"}) << "the lock file went";
    for (const fs::path& file : kept) EXPECT_TRUE(fs::exists(file)) << file;
    if (variablesSet) {
      EXPECT_TRUE(fs::exists(usualCache / "kvr_velmora" / "keep")) << "not where the variables place it";
    }
  }
}
