// How a batch of conversions ended, and what the user is told of it.
#pragma once

#include <cstddef>
#include <string>

namespace varlo {

// How a batch of conversions ended: a batch runs from the first start on an idle window to the
// moment nothing runs any more.
struct BatchOutcome {
    std::size_t files = 0;    // conversions that ended, whatever their end
    std::size_t failed = 0;   // whose converter failed, or whose record was lost
    std::size_t stopped = 0;  // stopped before their end
    std::size_t total = 0;    // files of the batch, those a stop dropped from the queue too
};

// What the user is told when a batch ends: "48 files converted", "45 converted, 3 failed",
// "Stopped after 12 of 48", in the current language.
std::string BatchSummary(const BatchOutcome& outcome);

}  // namespace varlo
