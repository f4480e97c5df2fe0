// %NAME% in a converter text, as the command interpreter would have read it. Windows only: a
// converter text stored for the interpreter may name its folder through an environment variable.
#pragma once

#include <string>

namespace varlo {

// The text with every %NAME% of a set environment variable replaced by its value; an unknown
// name stays as written. Only ever applied to the converter text, never to a file name.
std::string ExpandEnvironmentNames(const std::string& text);

}  // namespace varlo
