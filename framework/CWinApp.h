// A small stand-in for the application class of the Windows framework: the process
// runs InitInstance, then ExitInstance, whose result is the exit code.
#pragma once

#include <cstdint>
#include <string>

// Restart-manager flag: ask to be restarted after a crash or an update.
constexpr uint32_t AFX_RESTART_MANAGER_SUPPORT_RESTART = 1;

class CWinApp {
 public:
  CWinApp() = default;
  virtual ~CWinApp() = default;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Registers with the restart manager when asked to; true on success.
  virtual bool InitInstance();
  // The framework's exit code: 0.
  virtual int ExitInstance() { return 0; }

  // The launcher's InitInstance runs its dialog modally and returns false, so the
  // framework never needs a message loop of its own: Run is InitInstance, then ExitInstance.
  int Run() {
    InitInstance();
    return ExitInstance();
  }

  // Where the framework would keep profile values; the launcher writes none.
  void SetRegistryKey(const std::wstring& key) { m_strRegistryKey = key; }

  // The argument string after the program name, as the process received it.
  std::wstring m_lpCmdLine;

 protected:
  uint32_t m_dwRestartManagerSupportFlags = 0;
  std::wstring m_strRegistryKey;
};
