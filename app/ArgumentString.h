// The launcher's argument string: its command line after the program name, the text
// that ParseCmdLine reads.
//
// Windows: the process's own command line (GetCommandLineW) after the program name and
// the blanks that follow it, untouched (quotes and backslashes kept). The program name
// ends at the first character up to a blank (space, tab or any control character)
// outside double quotes; the argument vector is not read.
//
// Linux: the process gets an argument vector, so the text is rebuilt from argv[1..] such
// that the command-line parser's token splitting gives back exactly those arguments:
// - arguments are joined by one blank;
// - a backslash or double quote inside an argument gets a backslash before it;
// - an argument holding a blank is enclosed in double quotes;
// - an empty argument is written as two double quotes, and when the last argument is
//   empty one blank follows it (the parser drops an empty token at the very end);
// - arguments are read as UTF-8; each byte that starts no valid sequence becomes U+FFFD,
//   as the Windows conversion substitutes what it cannot map, so one broken byte does
//   not cost the whole command line.
#pragma once

#include <string>

std::wstring launcherArgumentString(int argc, const char* const argv[]);
