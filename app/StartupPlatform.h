// What start-up needs of the operating system before the window exists.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// Finds a top-level window titled `title` (another launcher, or any program showing
// that title), restores it, lifts it above the others and gives it the focus.
// False when there is none.
bool raiseExistingInstance(const std::wstring& title);

// The lock that lets one launcher at a time work in the install folder, tried once
// at construction and held for the object's lifetime (Windows: a named mutex; Linux:
// flock on a file in the runtime folder, one per install folder). Never inherited
// by the programs the launcher starts.
class InstanceLock {
 public:
  InstanceLock();
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Another launcher holds the lock. False also when no lock could be made at all:
  // a start then goes on as it did before there was a lock.
  bool anotherHolds() const { return m_anotherHolds; }

 private:
  intptr_t m_handle = -1;
  bool m_anotherHolds = false;
};

// Enables the debug privilege of the process where the platform has one; failures are silent.
void EnableDebugPrivilege();

// Creates the install folder (InstallLayout.h) with its missing parents and makes it
// the current folder. False when either fails: the caller then writes nothing anywhere
// else.
bool prepareInstallFolder();

// The launcher's copy named `fileName` in the install folder (Windows: string 149
// with the name in place of "%s"). Nothing when it does not fit the platform's bound
// for the copy target (Windows: a 100-character buffer; Linux: PATH_MAX): a name is
// never cut, so there is then no copy and no shortcut to one.
std::optional<std::filesystem::path> launcherCopyPath(const std::filesystem::path& fileName);

enum class SelfCopyResult {
  Copied,
  AlreadyThere,  // started from the install folder itself
  NotCopied,     // the target exists (never overwritten) or the copy failed
  NameTooLong,   // the target does not fit the copy target buffer: no file under a cut name
};

struct SelfCopy {
  SelfCopyResult result;
  std::string fileName;  // the running executable's file name
};

// Copies the running executable to the launcher's copy in the install folder
// (launcherCopyPath), never overwriting an existing file.
SelfCopy copySelfToInstallFolder();

// Ends the process at once with `code`; no shutdown sequence runs.
[[noreturn]] void endProcess(int code);
