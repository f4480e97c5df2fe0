#include "texts.h"

#include "common/code_page.h"

namespace varlo {

std::wstring ResourceString(UINT id) {
    // With no buffer, LoadStringW hands out the resource itself, which holds no NUL.
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

std::wstring AnsiToWide(const std::string& text) {
    return ToWide(text, CP_ACP);
}

}  // namespace varlo
