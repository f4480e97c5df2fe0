#include "texts.h"

#include <cstddef>
#include <iterator>

#include "common/code_page.h"

namespace varlo {

std::wstring UiText(TextId id) {
    return ToWide(Text(id), CP_UTF8);
}

std::wstring AnsiToWide(const std::string& text) {
    return ToWide(text, CP_ACP);
}

namespace {

// Each language's resources, indexed by Language.
constexpr WORD kResourceLanguages[] = {
    MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT),
    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
};
static_assert(std::size(kResourceLanguages) == kLanguageCount, "every language has its resources");

}  // namespace

WORD ResourceLanguage(Language language) {
    return kResourceLanguages[static_cast<std::size_t>(language)];
}

Language LanguageOfUiLanguage(LANGID uiLanguage) {
    for (std::size_t i = 0; i < std::size(kResourceLanguages); ++i) {
        if (PRIMARYLANGID(kResourceLanguages[i]) == PRIMARYLANGID(uiLanguage)) {
            return static_cast<Language>(i);
        }
    }
    return Language::English;
}

const DLGTEMPLATE* DialogTemplate(int id) {
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(id),
                                  ResourceLanguage(CurrentLanguage()));
    if (found == nullptr) {
        found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
    }
    const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    return loaded != nullptr ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

}  // namespace varlo
