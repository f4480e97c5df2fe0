#include <windows.h>

#include "code_page.h"
#include "system_text.h"
#include "text.h"

namespace varlo {

std::string NativeText(std::string_view utf8) {
    return FromWide(ToWide(utf8, CP_UTF8), CP_ACP);
}

std::string NativeText(TextId id, std::initializer_list<std::string_view> values) {
    return FillPlaceholders(NativeText(Text(id)), values);
}

std::string SystemErrorText(int error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 ? std::string(text, length) : "Error " + std::to_string(error);
    LocalFree(text);
    // The system's texts end in a line break, which would add an empty line to the record.
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}

}  // namespace varlo
