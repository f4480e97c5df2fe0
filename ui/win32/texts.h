// The window's texts: fixed ones come from the catalogue in UTF-16, so that they read right
// whatever the system's code page; paths and field texts stay in the ANSI code page.
#pragma once

#include <windows.h>

#include <string>

#include "common/texts.h"

namespace varlo {

// A text of the program's catalogue, as the wide window functions take it.
std::wstring UiText(TextId id);

// The dialog template `id` in the language of the program's texts (the Japanese one where there
// is no other), for the Indirect dialog functions.
const DLGTEMPLATE* DialogTemplate(int id);

// The resource language of a language of the program's texts.
WORD ResourceLanguage(Language language);
// The language for the user's UI language: the one whose resources share its primary language,
// English for any other.
Language LanguageOfUiLanguage(LANGID uiLanguage);

// ANSI (code page CP_ACP) bytes as UTF-16, as the A functions would read them.
std::wstring AnsiToWide(const std::string& text);

}  // namespace varlo
