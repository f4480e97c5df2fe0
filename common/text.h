// Small rules about bytes of text that the settings, the engine and the windows share.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace varlo {

// The length of the valid UTF-8 sequence at `pos` and its code point, or 0 when the bytes there
// are not one (stray continuation, overlong form, surrogate, beyond U+10FFFF, cut short).
std::size_t DecodeUtf8(std::string_view text, std::size_t pos, char32_t& code);

// True when the bytes are UTF-8 throughout.
bool IsValidUtf8(std::string_view text);

// At most `limit` bytes of `text`, never ending inside a UTF-8 character. Bytes that are not
// UTF-8 are cut where they fall, as no character boundary is to be had.
std::string_view CutUtf8(std::string_view text, std::size_t limit);

// ASCII letters compared without regard to case; every other byte as it is.
bool EqualsAsciiNoCase(std::string_view a, std::string_view b);
bool StartsWithAsciiNoCase(std::string_view text, std::string_view prefix);
bool EndsWithAsciiNoCase(std::string_view text, std::string_view suffix);

// `text` with its marks %1, %2 … replaced by `values`, in whatever order the marks stand.
std::string FillPlaceholders(std::string_view text, std::initializer_list<std::string_view> values);

// True when the text holds a CR or an LF: one line of a profile cannot carry it.
bool HoldsLineBreak(std::string_view text);

}  // namespace varlo
