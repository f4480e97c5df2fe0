// Turning a capture file's bytes into record lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace varlo {

// A record keeps every byte of what its converter printed up to kKeepWhole bytes; above that, the
// first and the last kKeepEnd bytes, cut at line ends. A log control is not made for more.
inline constexpr std::size_t kKeepWhole = 8 * 1024 * 1024;
inline constexpr std::size_t kKeepEnd = 4 * 1024 * 1024;

// The lines a converter printed, appended to its record as they come. Once they pass `keepWhole`
// bytes, the first `keepEnd` stay and the middle is let go as it comes, so that memory stays near
// what is kept however much was printed.
class CPrintedText {
public:
    explicit CPrintedText(std::string& record, std::size_t keepWhole = kKeepWhole,
                          std::size_t keepEnd = kKeepEnd);

    void Append(std::string_view text);
    // The last byte and its removal; only for a byte printed and not let go.
    char Back() const { return m_record.back(); }
    void PopBack() { m_record.pop_back(); }
    // Bytes printed so far, those let go included.
    std::size_t Size() const { return m_record.size() - m_start + m_omitted; }

    // Where the middle was left out, and how many bytes.
    struct Gap {
        std::size_t at;       // in the record: a line start, unless `midLine`
        std::size_t omitted;  // bytes of printed text
        bool midLine;         // the first part had no line end to be cut at
    };
    // Once everything has been appended: keeps the last `keepEnd` bytes from a line start, and
    // tells where the gap is; nothing when every byte was kept.
    std::optional<Gap> Finish();

private:
    // Lets go of the middle but for the last keepEnd bytes, and more once they are twice that.
    void LetGo();

    std::string& m_record;
    std::size_t m_start;  // where the printed text begins in the record
    std::size_t m_keepWhole;
    std::size_t m_keepEnd;
    std::size_t m_headEnd = std::string::npos;  // where the first part ends, once cut
    bool m_midLine = false;
    bool m_letGoAtLineEnd = false;  // the last byte let go ended a line
    std::size_t m_omitted = 0;
};

// Where the slice of `text` that begins at `from` ends, for a window that takes a long record a
// slice at a time: after the last line end within `most` bytes, or between two characters (and
// never inside a CR LF) when there is none; the end of the text when it is nearer.
std::size_t SliceEnd(std::string_view text, std::size_t from, std::size_t most);

// Reads a capture as text, in chunks of any size, and appends each of its lines to a record,
// followed by "\r\n". A CR LF pair or a lone LF ends a line; a lone CR stays inside its line;
// a Ctrl-Z byte ends the file; a last line without a line end is still a line. Every other byte,
// NUL included, is kept.
class CCaptureLineReader {
public:
    // Every line kept, however many.
    explicit CCaptureLineReader(std::string& record)
        : m_own(std::in_place, record, std::string::npos, 0),
          m_text(*m_own),
          m_lineStart(m_text.Size()) {}
    // Into printed text that several captures share.
    explicit CCaptureLineReader(CPrintedText& text) : m_text(text), m_lineStart(text.Size()) {}
    CCaptureLineReader(const CCaptureLineReader&) = delete;
    CCaptureLineReader& operator=(const CCaptureLineReader&) = delete;

    // Takes the next bytes of the file. Returns false once the end-of-file byte has been seen;
    // further bytes are then ignored.
    bool Feed(std::string_view chunk);

    // The file has ended: closes a last line that has no line end.
    void Finish();

private:
    std::optional<CPrintedText> m_own;
    CPrintedText& m_text;
    std::size_t m_lineStart;  // where the current line begins, in printed bytes
    bool m_ended = false;
};

}  // namespace varlo
