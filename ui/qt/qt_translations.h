// Qt's own texts (the file dialogs' labels and buttons, the fields' context menu) in the language
// of the program's window.
#pragma once

#include <QTranslator>

#include "common/texts.h"

namespace varlo {

// Loads Qt's translation for `language` from where the system keeps Qt's translations and
// installs it; English needs none. False when there is none to load.
bool InstallQtTranslation(QTranslator& translator, Language language);

}  // namespace varlo
