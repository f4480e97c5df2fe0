// A capture file: an anonymous file in the user's private temporary folder, never a name in the
// user's folders, handed to the converter as its standard output or standard error, read back,
// then closed, which deletes it. The read loop is common; creating and reading a chunk are the
// platform's.
#pragma once

#include <cstddef>
#include <string>

#include "common/native_handle.h"
#include "common/status.h"
#include "engine/core/capture_lines.h"

namespace varlo {

class CCaptureFile {
public:
    // Creates the capture for reading and writing. A failure names the folder it was to be in.
    CStatus Create();

    // The file's size now, or 0 when unknown.
    std::size_t Size() const;

    // Reads the file from its start into `reader`. A ReadFailed status names the capture's
    // folder.
    CStatus ReadInto(CCaptureLineReader& reader);

    // Closes the file; with it goes the file, once the converter and what it started have let go
    // of it too.
    void Remove();

    // The folder that holds the capture, or was to hold it.
    const std::string& Folder() const { return m_folder; }
    NativeHandle Handle() const { return m_handle.Get(); }
    bool IsOpen() const { return m_handle.Valid(); }

private:
    // The platform's part: 0, or the system error code.
    int Rewind();
    int ReadSome(char* buffer, std::size_t size, std::size_t& got);

    std::string m_folder;
    CScopedHandle m_handle;
};

}  // namespace varlo
