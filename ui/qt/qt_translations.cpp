#include "qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include <cstddef>
#include <iterator>

namespace varlo {

namespace {

// The name of Qt's own translation for each language, indexed by Language; English needs none.
constexpr const char* kQtTranslations[] = {"qtbase_ja", nullptr};
static_assert(std::size(kQtTranslations) == kLanguageCount, "every language names its translation");

}  // namespace

bool InstallQtTranslation(QTranslator& translator, Language language) {
    const char* name = kQtTranslations[static_cast<std::size_t>(language)];
    if (name == nullptr || !translator.load(QString::fromLatin1(name),
                                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    return QCoreApplication::installTranslator(&translator);
}

}  // namespace varlo
