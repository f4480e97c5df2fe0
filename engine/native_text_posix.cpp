#include "native_text.h"

namespace varlo {

std::string NativeText(std::string_view utf8) {
    return std::string(utf8);  // names and texts are UTF-8 here already
}

}  // namespace varlo
