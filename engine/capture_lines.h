// Turning a capture file's bytes into record lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varlo {

// Reads a capture as text, in chunks of any size, and appends each of its lines to a record,
// followed by "\r\n". A CR LF pair or a lone LF ends a line; a lone CR stays inside its line;
// a Ctrl-Z byte ends the file; a last line without a line end is still a line. Every other byte,
// NUL included, is kept.
class CCaptureLineReader {
public:
    explicit CCaptureLineReader(std::string& record)
        : m_record(record), m_lineStart(record.size()) {}

    // Takes the next bytes of the file. Returns false once the end-of-file byte has been seen;
    // further bytes are then ignored.
    bool Feed(std::string_view chunk);

    // The file has ended: closes a last line that has no line end.
    void Finish();

private:
    std::string& m_record;
    std::size_t m_lineStart;  // where the current line begins in m_record
    bool m_ended = false;
};

}  // namespace varlo
