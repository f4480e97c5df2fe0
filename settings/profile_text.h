// Reading and editing the text of an INI profile, without touching any file.
//
// The rules are those that users of the Windows profile functions rely on: section and key names
// match without regard to case, blanks around names and values are dropped, a value inside
// matching quotes reads without them, ';' starts a comment line, CR LF, LF and a lone CR end
// lines, a UTF-8 byte-order mark is accepted, and with duplicate sections or keys the first wins.
// An edit changes the one line it must change (or adds one) and keeps every other byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varlo {

// The value of `key` in `section`, or nothing when the section or the key is missing.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// The text with `key` in `section` set to `value`: an existing key is replaced in place, a new
// key goes at the end of its section, a new section at the end of the text. Nothing when the
// section, key or value holds a line break, which would otherwise add lines of its own.
std::optional<std::string> SetProfileValue(std::string_view text, std::string_view section,
                                           std::string_view key, std::string_view value);

// An integer as the Windows profile functions read one: an optional sign and the leading decimal
// digits ("12abc" is 12, "abc" is 0), clamped to int; an empty value gives `fallback`.
int ParseProfileInt(std::string_view value, int fallback);

// The value as it must be written so that reading gives it back: inside one more pair of double
// quotes when reading would change it (blanks at its ends, matching quotes around it).
std::string EncodeProfileValue(std::string_view value);

}  // namespace varlo
