// A capture file: created in the current folder, handed to the converter as its standard output
// or standard error, read back, then deleted. One implementation per platform.
#pragma once

#include <string>

#include "capture_lines.h"
#include "interpreter.h"

namespace varlo {

class CCaptureFile {
public:
    enum class CreateResult { Created, NameTaken, Failed };

    CCaptureFile() = default;
    ~CCaptureFile();
    CCaptureFile(const CCaptureFile&) = delete;
    CCaptureFile& operator=(const CCaptureFile&) = delete;

    // Creates `name` in the current folder for reading and writing, exclusively; with
    // `overwrite` an existing file of that name is emptied and used instead.
    CreateResult Create(const std::string& name, bool overwrite);

    // The file's size now, or 0 when unknown.
    std::size_t Size() const;

    // Reads the file from its start into `reader`. False on a read error (see Error()).
    bool ReadInto(CCaptureLineReader& reader);

    // Closes and deletes the file; a failed delete is ignored.
    void Remove();

    const std::string& Name() const { return m_name; }
    NativeHandle Handle() const { return m_handle; }
    bool IsOpen() const;
    // The system error code of the last failed Create or ReadInto.
    int Error() const { return m_error; }

private:
    void Close();

    std::string m_name;
    NativeHandle m_handle = -1;
    int m_error = 0;
};

// The system's text for an error code, such as "Permission denied".
std::string SystemErrorText(int error);

// A name in the current folder as a full path; the name alone when the folder is unknown.
std::string FullPathInCurrentFolder(const std::string& name);

}  // namespace varlo
