#include "qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace varlo {

bool InstallQtTranslation(QTranslator& translator, Language language) {
    if (language != Language::Japanese ||
        !translator.load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    return QCoreApplication::installTranslator(&translator);
}

}  // namespace varlo
