#include <string.h>

#include "system_text.h"
#include "text.h"

namespace varlo {

namespace {

// strerror_r comes in two forms: the GNU one returns the text, the XSI one fills the buffer.
[[maybe_unused]] std::string ErrorTextFrom(const char* text, const char*) {
    return text;
}
[[maybe_unused]] std::string ErrorTextFrom(int, const char* buffer) {
    return buffer;
}

}  // namespace

std::string NativeText(std::string_view utf8) {
    return std::string(utf8);  // names and texts are UTF-8 here already
}

std::string NativeText(TextId id, std::initializer_list<std::string_view> values) {
    return FillPlaceholders(NativeText(Text(id)), values);
}

std::string SystemErrorText(int error) {
    char buffer[256] = "";
    return ErrorTextFrom(::strerror_r(error, buffer, sizeof buffer), buffer);
}

}  // namespace varlo
