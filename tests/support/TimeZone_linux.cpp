#include <cstdlib>
#include <ctime>

#include "TimeZone.h"

void setTimeZone(const char* posixRule) {
  setenv("TZ", posixRule, 1);
  tzset();
}
