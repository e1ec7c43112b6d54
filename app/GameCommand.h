// The command line that starts the game executable, the whole contract with the game.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t kMaxGameCommandLength = 1023;

// The game executable: the configuration's "path" followed by "/kvr.exe".
std::string gameExecutablePath(std::string_view strPath);

// The game counts as installed when its executable exists.
bool isGameInstalled(std::string_view strPath);

// "<strPath>/kvr.exe <strToken> <nWinId> <nMainWindow> end": the path as it is (unquoted),
// the numbers in decimal. Nothing when the line would exceed 1023 characters or a field holds
// a zero byte, so that the game is never started with a cut line.
std::optional<std::string> formatGameCommand(std::string_view strPath, std::string_view strToken, int32_t nWinId,
                                             int32_t nMainWindow);

// The arguments a Windows program reads from `cmdline` (the C runtime's rules): the first one
// ends at an unquoted blank or tab and takes quotes as mere delimiters; in the others
// backslashes escape only quotes, and "" inside quotes is a literal quote. On Linux the game
// is started with these arguments, the first one being the program.
std::vector<std::string> splitCommandLine(std::string_view cmdline);
