#include "UninstallScript.h"

#include "InstallLayout.h"

std::optional<std::string> QuoteForBatch(std::string_view path) {
  std::string quoted = "\"";
  for (const char c : path) {
    if (c == '"' || (static_cast<unsigned char>(c) < 0x20) || c == 0x7F) return std::nullopt;
    quoted += c;
    if (c == '%') quoted += '%';
  }
  return quoted + "\"";
}

std::string QuoteForSh(std::string_view path) {
  std::string quoted = "'";
  for (const char c : path) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

std::optional<std::string> BatchScript(const UninstallPaths& paths) {
  if (paths.folder.empty()) return std::nullopt;
  // Every path is absolute: the script never depends on the folder it was started in.
  const std::string folder = paths.folder.ends_with('\\') ? paths.folder : paths.folder + "\\";
  const std::optional<std::string> dataFolder = QuoteForBatch(folder + KVR_DATA_FOLDER);
  const std::optional<std::string> executables = QuoteForBatch(folder + "*.exe");
  const std::optional<std::string> uninstaller = QuoteForBatch(folder + "uninst.exe");
  const std::optional<std::string> script = QuoteForBatch(paths.script);
  if (!dataFolder || !executables || !uninstaller || !script) return std::nullopt;
  std::optional<std::string> shortcut;
  if (!paths.desktop.empty()) shortcut = QuoteForBatch(paths.desktop + "\\Kavran.lnk");

  std::string text;
  const auto line = [&text](const std::string& command) { text += command + "\r\n"; };
  line("@ echo off ");
  // Delayed expansion off, so that "!" in a path stays a plain character.
  line(" setlocal DisableDelayedExpansion");
  line(std::string(" timeout /t ") + (shortcut ? "1" : "2") + " /nobreak ");
  line(" ");
  line(" del /F /S /Q  " + *dataFolder);
  line(" rd /S /Q  " + *dataFolder);
  line("  del /F /S /Q  " + *executables);
  line(" del /F /S /Q  " + *uninstaller);
  line(" del /F /S /Q  " + shortcut.value_or("\"%userprofile%\\Desktop\\Kavran.lnk\""));
  line(" del " + *script);
  return text;
}

std::string ShellScript(const UninstallPaths& paths, long pid) {
  const std::string folder = paths.folder.ends_with('/') ? paths.folder : paths.folder + "/";
  std::string text;
  const auto line = [&text](const std::string& command) { text += command + "\n"; };
  line("#!/bin/sh");
  line("# Removes the launcher from its install folder once the uninstaller has ended.");
  line("n=0");
  line("while kill -0 " + std::to_string(pid) + " 2>/dev/null && [ \"$n\" -lt 50 ]; do sleep 0.1; n=$((n + 1)); done");
  line("rm -rf -- " + QuoteForSh(folder + KVR_DATA_FOLDER));
  line("find " + QuoteForSh(folder) + " -type f \\( -name '*.exe' -o -perm -u=x \\) -exec rm -f -- {} +");
  line("rm -f -- " + QuoteForSh(folder + "uninst"));
  if (!paths.desktop.empty()) line("rm -f -- " + QuoteForSh(paths.desktop + "/Kavran.desktop"));
  for (const std::string& path : paths.outside) line("rm -rf -- " + QuoteForSh(path));
  line("rm -f -- " + QuoteForSh(paths.script));
  return text;
}
