#include "common/status.h"

namespace varlo {

CStatus CStatus::Error(Code code, std::string subject, int systemError) {
    CStatus status;
    status.m_code = code;
    status.m_subject = std::move(subject);
    status.m_systemError = systemError;
    return status;
}

CStatus CStatus::Unexpected(std::string text) {
    CStatus status;
    status.m_code = Code::Exception;
    status.m_subject = std::move(text);
    return status;
}

CStatus CStatus::Described(Code code, std::string text) {
    CStatus status;
    status.m_code = code;
    status.m_text = std::move(text);
    return status;
}

std::string CStatus::Message() const {
    if (!m_text.empty()) {
        return m_text;
    }
    if (m_code == Code::Exception) {
        return m_subject;
    }
    // A program or file with no name still shows where the name would be.
    const std::string shown = m_subject.empty() ? "\"\"" : m_subject;
    return shown + ": " + SystemErrorText(m_systemError);
}

}  // namespace varlo
