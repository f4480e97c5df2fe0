// Names on disk: how the system resolves, finds, classifies and deletes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace varlo {

// The path as the same file is named however it was written: its folder as the system resolves
// it (links followed; on Windows its final path), then the name; where the folder cannot be
// resolved, made absolute against the current folder and cleaned of ".", ".." and doubled
// separators. On Windows also upper-cased, as its file names match without regard to case. Two
// paths of one file give the same key. Empty for an empty path.
std::string FileKey(const std::string& path);

// True when the path names something that exists, a file or a folder alike. On Windows also when
// the name cannot be looked at for any reason but "not found".
bool PathExists(const std::string& path);

// What a name itself is, links not followed: nothing, a link (a dangling one too; on Windows any
// reparse point), or anything else.
enum class NameKind { None, Link, Other };
NameKind KindOfName(const std::string& path);

// A path as typed or pasted into a field. On Windows, where no name holds '"', a text wrapped in
// one pair of double quotes (Explorer's "Copy as path") is read without them; elsewhere a '"' is a
// character of the name like any other.
std::string PathFromField(const std::string& text);

// Deletes a file; false when it could not be deleted.
bool RemoveFile(const std::string& path);

// A file's size on disk, links followed; none for a name that is no file or cannot be looked at.
std::optional<std::uint64_t> FileSize(const std::string& path);

}  // namespace varlo
