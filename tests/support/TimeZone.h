// Switches the process's local time zone for a test.
#pragma once

// `posixRule` is a POSIX TZ text such as "CET-1CEST,M3.5.0,M10.5.0/3"; Windows
// runtimes read only its names and offset and apply their own daylight rules.
void setTimeZone(const char* posixRule);
