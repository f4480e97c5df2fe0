#include "engine/platform/capture_file.h"

#include <vector>

namespace varlo {

CStatus CCaptureFile::ReadInto(CCaptureLineReader& reader) {
    const auto failed = [this](int error) {
        return CStatus::Error(CStatus::Code::ReadFailed, m_folder, error);
    };
    // The converter wrote through a duplicate that shares our file position: start over.
    if (int error = Rewind(); error != 0) {
        return failed(error);
    }
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        std::size_t got = 0;
        if (int error = ReadSome(buffer.data(), buffer.size(), got); error != 0) {
            return failed(error);
        }
        if (got == 0 || !reader.Feed(std::string_view(buffer.data(), got))) {
            break;
        }
    }
    reader.Finish();
    return {};
}

void CCaptureFile::Remove() {
    m_handle.Reset();
}

}  // namespace varlo
