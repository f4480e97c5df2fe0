#include "texts.h"

#include "common/code_page.h"

namespace varlo {

std::wstring UiText(TextId id) {
    return ToWide(Text(id), CP_UTF8);
}

std::wstring AnsiToWide(const std::string& text) {
    return ToWide(text, CP_ACP);
}

WORD ResourceLanguage(Language language) {
    return language == Language::Japanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                          : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
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
