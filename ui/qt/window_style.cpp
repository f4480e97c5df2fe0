#include "window_style.h"

#include <QStringList>

#include "dialog_texts.h"

// The icons live in a static library, whose resources are only linked when asked for.
static void LoadResources() {
    Q_INIT_RESOURCE(varloGui);
}

namespace varlo {

QFont DialogFont() {
    QFont font;
    QStringList families;
    for (const char* family : texts::kFontFamilies) {
        families << QString::fromUtf8(family);
    }
    font.setFamilies(families);
    font.setPointSize(texts::kFontPointSize);
    return font;
}

QIcon ApplicationIcon() {
    static const bool loaded = (LoadResources(), true);
    (void)loaded;
    QIcon icon;
    for (int size : {16, 32, 48, 256}) {
        icon.addFile(QStringLiteral(":/icons/varloGui-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace varlo
