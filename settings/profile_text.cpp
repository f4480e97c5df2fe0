#include "profile_text.h"

#include "common/text.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace varlo {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

std::string_view Trim(std::string_view s) {
    s = TrimLeft(s);
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    return EqualsAsciiNoCase(Trim(a), Trim(b));
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

std::string EncodeProfileValue(std::string_view value) {
    const bool changedByReading =
        !value.empty() &&
        (IsBlank(value.front()) || IsBlank(value.back()) ||
         (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()));
    if (changedByReading) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

namespace {

struct Line {
    std::size_t begin;  // first byte of the content
    std::size_t end;    // first byte of the line end, or the end of the text
    std::size_t next;   // first byte after the line end
};

enum class Kind { Blank, Comment, Section, Key, Other };

struct Entry {
    Kind kind = Kind::Other;
    std::string_view name;    // section or key name, untrimmed inside the brackets
    std::string_view value;   // key value, trimmed
    std::size_t valueAt = 0;  // where the value starts within the content
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t pos = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (pos < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.push_back({pos, text.size(), text.size()});
            break;
        }
        std::size_t next = end + 1;
        if (text[end] == '\r' && next < text.size() && text[next] == '\n') {
            ++next;
        }
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

Entry Classify(std::string_view content) {
    Entry entry;
    const std::string_view t = TrimLeft(content);
    if (t.empty()) {
        entry.kind = Kind::Blank;
    } else if (t.front() == ';') {
        entry.kind = Kind::Comment;
    } else if (t.front() == '[') {
        entry.kind = Kind::Section;
        // Up to the last ']', so a name may hold ']' itself.
        const std::size_t close = t.rfind(']');
        entry.name = t.substr(1, close == std::string_view::npos ? close : close - 1);
    } else if (const std::size_t eq = content.find('='); eq != std::string_view::npos) {
        entry.kind = Kind::Key;
        entry.name = content.substr(0, eq);
        entry.value = Trim(content.substr(eq + 1));
        entry.valueAt = content.size() - TrimLeft(content.substr(eq + 1)).size();
    }
    return entry;
}

// The parsed text, with the first section of a name located.
class CProfileLines {
public:
    explicit CProfileLines(std::string_view text) : m_text(text), m_lines(SplitLines(text)) {
        m_entries.reserve(m_lines.size());
        for (const Line& line : m_lines) {
            m_entries.push_back(Classify(Content(line)));
        }
    }

    // Index of the section's header line, or npos.
    std::size_t FindSection(std::string_view section) const {
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            if (m_entries[i].kind == Kind::Section && SameName(m_entries[i].name, section)) {
                return i;
            }
        }
        return npos;
    }

    // Index of the line after the section that starts at `header`.
    std::size_t SectionEnd(std::size_t header) const {
        std::size_t i = header + 1;
        while (i < m_entries.size() && m_entries[i].kind != Kind::Section) {
            ++i;
        }
        return i;
    }

    std::size_t FindKey(std::size_t header, std::string_view key) const {
        for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i) {
            if (m_entries[i].kind == Kind::Key && SameName(m_entries[i].name, key)) {
                return i;
            }
        }
        return npos;
    }

    std::string_view Content(const Line& line) const {
        return m_text.substr(line.begin, line.end - line.begin);
    }

    // The first line end in the text, so that added lines match the file's own.
    std::string_view LineEnd() const {
        for (const Line& line : m_lines) {
            if (line.next > line.end) {
                return m_text.substr(line.end, line.next - line.end);
            }
        }
        return "\n";
    }

    const std::vector<Line>& Lines() const { return m_lines; }
    const std::vector<Entry>& Entries() const { return m_entries; }

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

private:
    std::string_view m_text;
    std::vector<Line> m_lines;
    std::vector<Entry> m_entries;
};

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
    const CProfileLines profile(text);
    const std::size_t header = profile.FindSection(section);
    if (header == CProfileLines::npos) {
        return std::nullopt;
    }
    const std::size_t at = profile.FindKey(header, key);
    if (at == CProfileLines::npos) {
        return std::nullopt;
    }
    return std::string(Unquote(profile.Entries()[at].value));
}

std::optional<std::string> SetProfileValue(std::string_view text, std::string_view section,
                                           std::string_view key, std::string_view value) {
    if (HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value)) {
        return std::nullopt;
    }
    const CProfileLines profile(text);
    const std::string_view eol = profile.LineEnd();
    const std::string encoded = EncodeProfileValue(value);
    std::string result;
    result.reserve(text.size() + section.size() + key.size() + encoded.size() + 8);

    const std::size_t header = profile.FindSection(section);
    if (header == CProfileLines::npos) {
        result.append(text);
        const bool endsOpen = !result.empty() && result != kByteOrderMark &&
                              result.back() != '\n' && result.back() != '\r';
        if (endsOpen) {
            result.append(eol);
        }
        result.append("[").append(section).append("]").append(eol);
        result.append(key).append("=").append(encoded).append(eol);
        return result;
    }

    const std::size_t at = profile.FindKey(header, key);
    if (at != CProfileLines::npos) {
        // Keep the key, its '=' and the blanks after it as they stand; only the value changes.
        const Line& line = profile.Lines()[at];
        const std::size_t valueStart = line.begin + profile.Entries()[at].valueAt;
        result.append(text.substr(0, valueStart)).append(encoded).append(text.substr(line.end));
        return result;
    }

    // After the section's last line that is not blank, so the blank lines that set it apart
    // from the next section stay where they are.
    std::size_t last = header;
    for (std::size_t i = header + 1, end = profile.SectionEnd(header); i < end; ++i) {
        if (profile.Entries()[i].kind != Kind::Blank) {
            last = i;
        }
    }
    const Line& line = profile.Lines()[last];
    result.append(text.substr(0, line.next));
    if (line.next == line.end) {
        result.append(eol);
    }
    result.append(key).append("=").append(encoded).append(eol);
    result.append(text.substr(line.next));
    return result;
}

int ParseProfileInt(std::string_view value, int fallback) {
    if (value.empty()) {
        return fallback;
    }
    bool negative = false;
    if (value.front() == '+' || value.front() == '-') {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    long long magnitude = 0;
    constexpr long long kMax = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    for (char c : value) {
        if (c < '0' || c > '9') {
            break;
        }
        magnitude = std::min(kMax, magnitude * 10 + (c - '0'));
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<long long>(signedValue, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

}  // namespace varlo
