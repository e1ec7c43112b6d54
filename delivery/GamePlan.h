// What the package worker has to do for the game the configuration describes, decided
// at start from the files' metadata: nothing, an install, a repair, an update, or the
// end of an update that was cut short.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CfgCheck.h"
#include "GameUpdate.h"
#include "InstallRecord.h"

enum class GameWork { None, Install, Repair, Update, FinishUpdate };

struct GamePlan {
  GameWork work = GameWork::None;
  std::optional<InstallRecord> record;   // what is installed, where a record says
  std::vector<std::string> damaged;      // Repair: the recorded files to restore
  std::optional<UpdateJournal> journal;  // FinishUpdate
};

// Logs one line when the game is damaged and one when an update starts. A game without
// a record is checked as before: present when its executable is.
GamePlan planGameWork(const DownloadConfig& config);
