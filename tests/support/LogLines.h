// The launcher's log lines as a test reads them back from its files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Every LOG_INFO line of the files below `folder`, each the text after its level, in the
// order of the files and of their lines (the logger's own lines are left out).
std::vector<std::string> infoLinesBelow(const std::filesystem::path& folder);

// `lines` without the "proxy:" line: where the machine's settings name a proxy, it comes
// with the process's first transfer through it (a report too), whichever test that is.
std::vector<std::string> withoutProxyLine(std::vector<std::string> lines);
