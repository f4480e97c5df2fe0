#include "engine/platform/converter_process.h"

namespace varlo {

CConverterProcess::CConverterProcess() : m_state(NewState()) {}

// A converter still running when its owner goes is ended with everything it started.
CConverterProcess::~CConverterProcess() {
    if (Running()) {
        Kill();
        Wait();
    }
}

CConverterProcess::CConverterProcess(CConverterProcess&&) noexcept = default;
CConverterProcess& CConverterProcess::operator=(CConverterProcess&&) noexcept = default;
}  // namespace varlo
