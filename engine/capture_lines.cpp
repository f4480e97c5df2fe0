#include "capture_lines.h"

namespace varlo {

namespace {
constexpr char kEndOfFile = '\x1A';
}

bool CCaptureLineReader::Feed(std::string_view chunk) {
    if (m_ended) {
        return false;
    }
    if (std::size_t eof = chunk.find(kEndOfFile); eof != std::string_view::npos) {
        chunk = chunk.substr(0, eof);
        m_ended = true;
    }
    while (!chunk.empty()) {
        std::size_t lf = chunk.find('\n');
        if (lf == std::string_view::npos) {
            m_record.append(chunk);
            break;
        }
        m_record.append(chunk.substr(0, lf));
        // A CR just before the LF belongs to the line end, also when it came in the last chunk.
        if (m_record.size() > m_lineStart && m_record.back() == '\r') {
            m_record.pop_back();
        }
        m_record.append("\r\n");
        m_lineStart = m_record.size();
        chunk.remove_prefix(lf + 1);
    }
    return !m_ended;
}

void CCaptureLineReader::Finish() {
    if (m_record.size() > m_lineStart) {
        m_record.append("\r\n");
        m_lineStart = m_record.size();
    }
    m_ended = true;
}

}  // namespace varlo
