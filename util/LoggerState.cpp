#include "LoggerState.h"

#include "Logger.h"

void applySettingChange(LoggerState& logger, int32_t kind, int32_t value, const std::string& text) {
  switch (kind) {
    case RECORD_ENABLE: logger.enable = value != 0; break;
    case RECORD_NAME: logger.name = text; break;
    case RECORD_PATH: logger.path = text; break;
    case RECORD_LEVEL: logger.level = value; break;
    case RECORD_FILELINE: logger.fileline = value != 0; break;
    case RECORD_DISPLAY: logger.display = value != 0; break;
    case RECORD_OUTFILE: logger.outfile = value != 0; break;
    case RECORD_LIMITSIZE: logger.limitsize = static_cast<uint32_t>(value); break;
    case RECORD_MONTHDIR: logger.monthdir = value != 0; break;
    case RECORD_RESERVE: logger.reserveTime = value < 0 ? 0 : value; break;
    default: break;
  }
}
