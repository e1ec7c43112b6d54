#include <cstdlib>
#include <ctime>
#include <string>

#include "TimeZone.h"

void setTimeZone(const char* posixRule) {
  _putenv(("TZ=" + std::string(posixRule)).c_str());
  _tzset();
}
