#include <windows.h>

#include <cstdlib>

#include "common/code_page.h"
#include "common/text.h"
#include "engine/platform/console_text.h"

namespace varlo {

namespace {

// The code page console programs print in: the system's, which the program's UTF-8 manifest hides
// from GetOEMCP() (and, under Wine, from the locale functions too); the registry keeps it.
UINT SystemOemCodePage() {
    wchar_t value[16] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage",
                     L"OEMCP", RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS) {
        if (const UINT codePage = static_cast<UINT>(_wtoi(value)); codePage != 0) {
            return codePage;
        }
    }
    DWORD codePage = 0;
    if (GetLocaleInfoEx(LOCALE_NAME_SYSTEM_DEFAULT, LOCALE_IDEFAULTCODEPAGE | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&codePage),
                        sizeof codePage / sizeof(wchar_t)) == 0) {
        return GetOEMCP();
    }
    return codePage;
}

}  // namespace

std::string ConsoleLinesToUtf8(std::string_view text, unsigned codePage) {
    std::string utf8;
    utf8.reserve(text.size());
    // No byte of a double-byte code page's character is an LF, so the lines split alike in both.
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t lf = text.find('\n', start);
        const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
        const std::string_view line = text.substr(start, end - start);
        if (IsValidUtf8(line)) {
            utf8 += line;
        } else {
            utf8 += FromWide(ToWide(line, codePage), CP_UTF8);
        }
        start = end;
    }
    return utf8;
}

void ConvertConsoleText(std::string& record, std::size_t from) {
    const std::string_view text = std::string_view(record).substr(from);
    if (text.empty() || GetACP() != CP_UTF8 || IsValidUtf8(text)) {
        return;
    }
    const UINT codePage = SystemOemCodePage();
    if (codePage == CP_UTF8) {
        return;
    }
    record.replace(from, std::string::npos, ConsoleLinesToUtf8(text, codePage));
}

}  // namespace varlo
