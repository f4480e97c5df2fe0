#include "engine/core/batch_summary.h"

#include "common/system_text.h"

namespace varlo {

std::string BatchSummary(const BatchOutcome& outcome) {
    const std::size_t converted = outcome.files - outcome.failed - outcome.stopped;
    if (outcome.stopped > 0) {
        return NativeText(TextId::StoppedAfter,
                          {std::to_string(converted), std::to_string(outcome.total)});
    }
    if (outcome.failed > 0) {
        return NativeText(TextId::ConvertedAndFailed,
                          {std::to_string(converted), std::to_string(outcome.failed)});
    }
    return converted == 1 ? NativeText(TextId::OneFileConverted)
                          : NativeText(TextId::FilesConverted, {std::to_string(converted)});
}

}  // namespace varlo
