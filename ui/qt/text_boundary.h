// The one place where the engine's byte strings meet Qt's text.
//
// A file name is whatever bytes the file system holds, and they need not be UTF-8. Valid UTF-8
// decodes as usual; every other byte becomes a lone surrogate U+DC80 to U+DCFF and goes back to
// the same byte, so that any byte string survives the trip through a text field unchanged.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "common/texts.h"

namespace varlo {

QString ToQString(std::string_view bytes);
std::string ToBytes(const QString& text);

// A text of the program's catalogue, for a widget.
QString ToQString(TextId id);

}  // namespace varlo
