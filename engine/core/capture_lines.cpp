#include "engine/core/capture_lines.h"

namespace varlo {

namespace {

constexpr char kEndOfFile = '\x1A';

bool ContinuesCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

CPrintedText::CPrintedText(std::string& record, std::size_t keepWhole, std::size_t keepEnd)
    : m_record(record), m_start(record.size()), m_keepWhole(keepWhole), m_keepEnd(keepEnd) {}

void CPrintedText::Append(std::string_view text) {
    m_record.append(text);
    if (Size() > m_keepWhole) {
        LetGo();
    }
}

void CPrintedText::LetGo() {
    if (m_headEnd == std::string::npos) {
        // The first part ends at its last line end; a line longer than the part is cut between
        // characters.
        const std::string_view head = std::string_view(m_record).substr(m_start, m_keepEnd);
        const std::size_t lf = head.rfind('\n');
        m_midLine = lf == std::string_view::npos;
        m_headEnd = m_start + (m_midLine ? head.size() : lf + 1);
        while (m_midLine && m_headEnd > m_start && ContinuesCharacter(m_record[m_headEnd])) {
            --m_headEnd;
        }
    }
    // Copying only when the rest is twice what it keeps, each byte is moved about once.
    const std::size_t rest = m_record.size() - m_headEnd;
    if (rest > 2 * m_keepEnd) {
        m_letGoAtLineEnd = m_record[m_headEnd + rest - m_keepEnd - 1] == '\n';
        m_record.erase(m_headEnd, rest - m_keepEnd);
        m_omitted += rest - m_keepEnd;
    }
}

std::optional<CPrintedText::Gap> CPrintedText::Finish() {
    if (m_headEnd == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t rest = m_record.size() - m_headEnd;
    std::size_t drop = rest > m_keepEnd ? rest - m_keepEnd : 0;
    const bool atLineStart = drop > 0        ? m_record[m_headEnd + drop - 1] == '\n'
                             : m_omitted > 0 ? m_letGoAtLineEnd
                                             : !m_midLine;
    // The last part begins with a whole line, or at least with a whole character.
    const std::string_view tail = std::string_view(m_record).substr(m_headEnd + drop);
    const std::size_t lf = tail.find('\n');
    if (!atLineStart && lf != std::string_view::npos && lf + 1 < tail.size()) {
        drop += lf + 1;
    } else if (!atLineStart) {
        while (drop < rest && ContinuesCharacter(m_record[m_headEnd + drop])) {
            ++drop;
        }
    }
    m_record.erase(m_headEnd, drop);
    m_omitted += drop;
    return Gap{m_headEnd, m_omitted, m_midLine};
}

std::size_t SliceEnd(std::string_view text, std::size_t from, std::size_t most) {
    if (text.size() - from <= most) {
        return text.size();
    }
    const std::size_t lf = text.substr(from, most).rfind('\n');
    if (lf != std::string_view::npos) {
        return from + lf + 1;
    }
    std::size_t end = from + most;
    while (end > from + 1 && ContinuesCharacter(text[end])) {
        --end;
    }
    // A line end is one, also for a window that takes each slice on its own.
    if (end > from + 1 && text[end - 1] == '\r' && text[end] == '\n') {
        --end;
    }
    return end;
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
            m_text.Append(chunk);
            break;
        }
        m_text.Append(chunk.substr(0, lf));
        // A CR just before the LF belongs to the line end, also when it came in the last chunk.
        if (m_text.Size() > m_lineStart && m_text.Back() == '\r') {
            m_text.PopBack();
        }
        m_text.Append("\r\n");
        m_lineStart = m_text.Size();
        chunk.remove_prefix(lf + 1);
    }
    return !m_ended;
}

void CCaptureLineReader::Finish() {
    if (m_text.Size() > m_lineStart) {
        m_text.Append("\r\n");
        m_lineStart = m_text.Size();
    }
    m_ended = true;
}

}  // namespace varlo
