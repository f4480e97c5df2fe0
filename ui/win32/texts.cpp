#include "texts.h"

#include "common/code_page.h"

namespace varlo {

std::wstring UiText(TextId id) {
    return ToWide(Text(id), CP_UTF8);
}

std::wstring AnsiToWide(const std::string& text) {
    return ToWide(text, CP_ACP);
}

}  // namespace varlo
