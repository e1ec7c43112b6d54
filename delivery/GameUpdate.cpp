#include "GameUpdate.h"

#include <cstdio>
#include <sstream>
#include <unordered_set>

#include "ExtractFiles.h"
#include "FileSystem.h"
#include "InstallLayout.h"
#include "ItemPath.h"
#include "Logger.h"
#include "PackageRecord.h"
#include "TextConvert.h"
#include "Utf8.h"

namespace {

constexpr std::string_view kHeader = "kvr update journal 1";

std::string journalPath() { return std::string("./" KVR_DATA_FOLDER "/") + kUpdateJournalFile; }

// The game folder without trailing separators; a folder that names no folder of its
// own ("", ".", "..") has its staged versions in the launcher's folder.
std::string besideGameFolder(const std::string& gameFolder, const char* suffix) {
  std::string base = gameFolder;
  while (!base.empty() && (base.back() == '/' || base.back() == '\\')) base.pop_back();
  const std::size_t slash = base.find_last_of("/\\");
  const std::string last = base.substr(slash == std::string::npos ? 0 : slash + 1);
  if (last.empty() || last == "." || last == "..") base = "./" KVR_DATA_FOLDER "/game";
  return base + suffix;
}

bool hasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

std::string folded(const std::string& path) {
  std::string key = path;
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

// The folders above `file` (a full path), made when missing.
bool makeParent(const std::wstring& file) {
  const std::size_t separator = file.find_last_of(kPathSeparator);
  return separator == std::wstring::npos || makeFolderChain(file.substr(0, separator));
}

class Apply {
 public:
  Apply(const UpdateJournal& journal, const MoveGate& gate)
      : m_journal(journal),
        m_gate(gate),
        m_game(FromAnsi(journal.gameFolder)),
        m_staging(FromAnsi(stagingFolder(journal.gameFolder))),
        m_replaced(FromAnsi(replacedFolder(journal.gameFolder))) {}

  bool forward() {
    for (const InstalledFile& file : m_journal.next.files) {
      const std::wstring staged = pathBelow(m_staging, file.path);
      const std::wstring game = pathBelow(m_game, file.path);
      const std::wstring aside = pathBelow(m_replaced, file.path);
      if (!isRegularFileAt(staged)) continue;  // moved in before an interruption
      if (isRegularFileAt(game) && !isRegularFileAt(aside) && !move(game, aside)) return false;
      if (!move(staged, game)) return false;
    }
    for (const std::string& path : m_journal.removed) {
      const std::wstring game = pathBelow(m_game, path);
      if (isRegularFileAt(game) && !move(game, pathBelow(m_replaced, path))) return false;
    }
    return true;
  }

  // Every file the journal names back where the old version had it; a staged file that
  // is gone was moved in.
  bool back() {
    bool whole = true;
    for (const InstalledFile& file : m_journal.next.files) {
      const std::wstring staged = pathBelow(m_staging, file.path);
      const std::wstring game = pathBelow(m_game, file.path);
      const std::wstring aside = pathBelow(m_replaced, file.path);
      if (!isRegularFileAt(staged) && isRegularFileAt(game)) whole = put(game, staged) && whole;
      if (isRegularFileAt(aside)) whole = put(aside, game) && whole;
    }
    for (const std::string& path : m_journal.removed) {
      const std::wstring aside = pathBelow(m_replaced, path);
      if (isRegularFileAt(aside)) whole = put(aside, pathBelow(m_game, path)) && whole;
    }
    return whole;
  }

  void cleanUp() {
    removeFolderTree(m_staging);
    removeFolderTree(m_replaced);
    const std::string& old = m_journal.oldPackage;
    if (!old.empty()) {
      std::remove(old.c_str());
      removePackageRecord(old);
    }
  }

 private:
  bool move(const std::wstring& from, const std::wstring& to) {
    const bool allowed = !m_gate || m_gate(m_moves);
    ++m_moves;
    if (allowed && makeParent(to) && replaceFile(from, to)) return true;
    logLine(LOG_INFO, "update apply stopped, cannot move ", toUtf8(from), " to ", toUtf8(to));
    return false;
  }

  static bool put(const std::wstring& from, const std::wstring& to) { return makeParent(to) && replaceFile(from, to); }

  const UpdateJournal& m_journal;
  const MoveGate& m_gate;
  std::wstring m_game;
  std::wstring m_staging;
  std::wstring m_replaced;
  std::size_t m_moves = 0;
};

}  // namespace

std::string stagingFolder(const std::string& gameFolder) { return besideGameFolder(gameFolder, kStagingSuffix); }

std::string replacedFolder(const std::string& gameFolder) { return besideGameFolder(gameFolder, kReplacedSuffix); }

std::string updateJournalText(const UpdateJournal& journal) {
  std::ostringstream text;
  text << kHeader << '\n' << journal.gameFolder << '\n' << journal.oldPackage << '\n';
  for (const std::string& path : journal.removed) text << "removed\t" << path << '\n';
  text << "next\n" << installRecordText(journal.next);
  return text.str();
}

std::optional<UpdateJournal> parseUpdateJournal(std::string_view text) {
  UpdateJournal journal;
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  // The header, the two names and the removed files; the record follows "next".
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (lines.size() >= 3 && line == "next") break;
    lines.push_back(line);
    if (lines.size() > 3 && line.substr(0, 8) != "removed\t") return std::nullopt;
  }
  if (lines.size() < 3 || lines[0] != kHeader || lines[1].empty() || hasLineBreak(lines[1])) return std::nullopt;
  journal.gameFolder = lines[1];
  journal.oldPackage = lines[2];
  for (std::size_t i = 3; i < lines.size(); ++i) {
    const std::string_view path = lines[i].substr(8);
    if (!isRecordablePath(path)) return std::nullopt;
    journal.removed.emplace_back(path);
  }
  std::optional<InstallRecord> next = parseInstallRecord(text.substr(start));
  if (!next) return std::nullopt;
  journal.next = std::move(*next);
  return journal;
}

std::optional<UpdateJournal> readUpdateJournal() {
  const std::optional<std::string> text = readWholeFile(journalPath());
  return text ? parseUpdateJournal(*text) : std::nullopt;
}

bool writeUpdateJournal(const UpdateJournal& journal) {
  return writeWholeFile(journalPath(), updateJournalText(journal));
}

std::vector<std::string> filesDropped(const InstallRecord& old, const InstallRecord& next) {
  std::unordered_set<std::string> kept;
  for (const InstalledFile& file : next.files) kept.insert(folded(file.path));
  std::vector<std::string> dropped;
  for (const InstalledFile& file : old.files)
    if (kept.count(folded(file.path)) == 0) dropped.push_back(file.path);
  return dropped;
}

bool applyUpdate(const UpdateJournal& journal, const MoveGate& gate) {
  Apply apply(journal, gate);
  // The new record is the point of no return: written, the new version is the game.
  if (!apply.forward() || !writeInstallRecord(journal.next)) {
    if (!apply.back()) logLine(LOG_INFO, "update apply stopped half-way, the next start finishes it");
    return false;
  }
  std::remove(journalPath().c_str());
  apply.cleanUp();
  return true;
}
