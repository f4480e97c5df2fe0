// A capture file: created in the current folder, handed to the converter as its standard output
// or standard error, read back, then deleted. The read loop is common; creating, reading a chunk
// and deleting are the platform's.
#pragma once

#include <cstddef>
#include <string>

#include "capture_lines.h"
#include "common/native_handle.h"
#include "status.h"

namespace varlo {

class CCaptureFile {
public:
    // Creates `name` in the current folder for reading and writing, exclusively (a NameTaken
    // status when it exists); with `overwrite` an existing file of that name is emptied instead.
    CStatus Create(const std::string& name, bool overwrite);

    // The file's size now, or 0 when unknown.
    std::size_t Size() const;

    // Reads the file from its start into `reader`. A ReadFailed status names the capture's full
    // path.
    CStatus ReadInto(CCaptureLineReader& reader);

    // Closes and deletes the file; a failed delete is ignored. Only this capture is deleted: a file
    // that has taken its name meanwhile stays.
    void Remove();

    // Deletes the capture `name` in the current folder when a run that was killed left it behind:
    // one that a running copy of the program still holds stays.
    static void RemoveIfAbandoned(const std::string& name);

    const std::string& Name() const { return m_name; }
    NativeHandle Handle() const { return m_handle.Get(); }
    bool IsOpen() const { return m_handle.Valid(); }

private:
    // The platform's part: 0, or the system error code.
    int Rewind();
    int ReadSome(char* buffer, std::size_t size, std::size_t& got);
    void DeleteOwn();

    std::string m_name;
    CScopedHandle m_handle;
};

// A name in the current folder as a full path; the name alone when the folder is unknown.
std::string FullPathInCurrentFolder(const std::string& name);

}  // namespace varlo
