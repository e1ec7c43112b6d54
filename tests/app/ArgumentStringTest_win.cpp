#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ArgumentString.h"
#include "TestFolder.h"
#include "TextConvert.h"

namespace {

constexpr wchar_t kOutputVariable[] = L"KVR_ARGUMENT_STRING_OUT";

// Started by the test below with a command line of its choosing, this program writes
// its argument string to the file the variable names and ends before any test runs.
[[maybe_unused]] const bool g_childWritten = [] {
  wchar_t path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(kOutputVariable, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const std::wstring text = launcherArgumentString(0, nullptr);
  const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  ExitProcess(ok ? 0 : 2);
}();

// Runs this test program with `commandLine` and returns the argument string it saw.
std::wstring argumentStringOf(std::wstring commandLine) {
  TestFolder folder;
  const std::wstring output = (folder.path() / "arguments.bin").wstring();
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  SetEnvironmentVariableW(kOutputVariable, output.c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  SetEnvironmentVariableW(kOutputVariable, nullptr);
  if (!started) return L"<not started>";
  if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 3);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (exitCode != 0) return L"<exit " + std::to_wstring(exitCode) + L">";
  const std::string bytes = readFile(output);
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

}  // namespace

TEST(ArgumentString, IsTheCommandLineAfterTheProgramName) {
  const struct {
    const wchar_t* commandLine;
    const wchar_t* arguments;
  } cases[] = {
      {L"app_tests.exe", L""},
      {L"app_tests.exe   ", L""},
      {L"app_tests.exe --winid=5 --fromc=abc", L"--winid=5 --fromc=abc"},
      {L"\"C:\\some dir\\app tests.exe\" --fromc=\"a b\"  x ", L"--fromc=\"a b\"  x "},
      {L"\"C:\\dir\"\\app.exe --tokenc=\\\"q\\\"", L"--tokenc=\\\"q\\\""},
      {L"app.exe \t  uninstall", L"uninstall"},
      {L"app.exe --fromc=C:\\x\\", L"--fromc=C:\\x\\"},
      {L"app.exe \"\"", L"\"\""},
      {L"app.exe --fromc=\u041a\u0430\u0432 \u4e2d", L"--fromc=\u041a\u0430\u0432 \u4e2d"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToAnsi(c.commandLine));
    EXPECT_EQ(argumentStringOf(c.commandLine), c.arguments);
  }
}
