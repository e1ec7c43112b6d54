// Standard output and error as side channels that can never stop the launcher
// (Linux twins only; a Windows GUI program has no such streams unless given them).
#pragma once

// A reader that went away no longer ends the process (SIGPIPE is ignored: writes
// fail instead), and a reader that does not read makes writes fail, the text being
// dropped, instead of making the writer wait. Call first thing, before any thread.
void makeStandardStreamsSideChannels();
