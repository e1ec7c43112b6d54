#include "GamePlan.h"

#include "ExtractPackage.h"
#include "Logger.h"
#include "TextConvert.h"

GamePlan planGameWork(const DownloadConfig& config) {
  GamePlan plan;
  plan.journal = readUpdateJournal();
  if (plan.journal) {
    logLine(LOG_INFO, "game update to version:", plan.journal->next.version, " interrupted, finishing it");
    plan.work = GameWork::FinishUpdate;
    return plan;
  }
  plan.record = readInstallRecord();
  const std::string& version = config.m_strVersion;
  if (!version.empty() && (!plan.record || plan.record->version != version)) {
    logLine(LOG_INFO, "game update from version:", plan.record ? plan.record->version : std::string(),
            " to version:", version);
    plan.work = GameWork::Update;
    return plan;
  }
  if (plan.record) {
    plan.damaged = damagedFiles(*plan.record, config.m_strPath);
    if (!plan.damaged.empty()) {
      logLine(LOG_INFO, "game damaged, files to restore:", plan.damaged.size(), ", first:", plan.damaged.front());
      plan.work = GameWork::Repair;
      return plan;
    }
  }
  if (!hasGameExecutable(FromAnsi(config.m_strPath))) plan.work = GameWork::Install;
  return plan;
}
