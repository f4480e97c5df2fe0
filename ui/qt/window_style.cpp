#include "window_style.h"

#include <QStringList>

// The icons live in a static library, whose resources are only linked when asked for.
static void LoadResources() {
    Q_INIT_RESOURCE(varloGui);
}

namespace varlo {

namespace {

// The dialog font and the Japanese fonts that stand in for it where it is missing.
constexpr const char* kFontFamilies[] = {"MS PGothic",  "ＭＳ Ｐゴシック", "IPAPGothic",
                                         "IPAexGothic", "VL PGothic",      "Noto Sans CJK JP"};
constexpr int kFontPointSize = 9;

}  // namespace

QFont DialogFont() {
    QFont font;
    QStringList families;
    for (const char* family : kFontFamilies) {
        families << QString::fromUtf8(family);
    }
    font.setFamilies(families);
    font.setPointSize(kFontPointSize);
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
