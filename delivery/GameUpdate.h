// Staged updates: a new version is extracted into a folder beside the game folder and
// moved in only once it is whole. A journal written before the first move lets the
// next start finish an apply that was cut short; a move that fails puts back what was
// moved, so the game is always the old version whole or the new one whole.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "InstallRecord.h"

struct UpdateJournal {
  std::string gameFolder;            // as the configuration names it
  std::string oldPackage;            // removed once applied; empty: none to remove
  std::vector<std::string> removed;  // files the old version has and the new one lacks
  InstallRecord next;                // the new version, recorded once applied
};

// "./kvr/update.journal"; the folders beside the game folder: the staged version and
// the files it replaced until the apply is done.
inline constexpr char kUpdateJournalFile[] = "update.journal";
inline constexpr char kStagingSuffix[] = ".staging";
inline constexpr char kReplacedSuffix[] = ".replaced";
std::string stagingFolder(const std::string& gameFolder);
std::string replacedFolder(const std::string& gameFolder);

std::string updateJournalText(const UpdateJournal& journal);
std::optional<UpdateJournal> parseUpdateJournal(std::string_view text);
std::optional<UpdateJournal> readUpdateJournal();
bool writeUpdateJournal(const UpdateJournal& journal);

// The files of the `old` record that `next` lacks (letter case does not count, as on
// Windows: a file renamed only in case is the same file there).
std::vector<std::string> filesDropped(const InstallRecord& old, const InstallRecord& next);

// Called before each move with its number from 0; false makes that move fail (tests).
using MoveGate = std::function<bool(std::size_t move)>;

// Moves the staged files into the game folder (each replaced file aside first), moves
// the dropped files aside, writes the new record, then removes the journal, both
// folders and the old package. Taken up again after an interruption, it goes on where
// it stopped. When a move fails, what was moved goes back and false is returned: the
// old version is whole, and the journal stays for the next start.
bool applyUpdate(const UpdateJournal& journal, const MoveGate& gate = {});
