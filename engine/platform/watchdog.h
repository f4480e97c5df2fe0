// The watchdog: a small process beside the program that ends what the program's conversions left
// when the program itself dies in a way that gives it no chance to (SIGKILL, a crash). It hears
// of each conversion's process group and output as the conversion starts, and forgets it as it
// ends; when the program is gone it kills every group it still knows and removes the outputs those
// conversions created. It ends with the program. Windows needs none: a job object ends the
// converters there.
#pragma once

#include <string>

namespace varlo {

// Starts the watchdog. Call it first thing, before any thread exists: it forks. Once is enough;
// without it the calls below do nothing.
void StartWatchdog();

// A conversion whose converter leads `group` writes `output`; `outputExisted` keeps a name that was
// there before (or a link) from being removed.
void WatchConversion(long group, const std::string& output, bool outputExisted);

// The conversion of `group` has ended and is accounted for.
void ForgetConversion(long group);

}  // namespace varlo
