#include "convert_app.h"

#include <QLocale>

#include "convert_dialog.h"
#include "file_chooser.h"
#include "qt_translations.h"
#include "quit_signals.h"
#include "settings/profile_store.h"
#include "window_style.h"

namespace varlo {

CConvertApp::CConvertApp(int argc, char** argv)
    : m_arguments(argv, argv + argc),
      m_qtArgv{argc > 0 ? argv[0] : const_cast<char*>("varloGui"), nullptr},
      m_app(m_qtArgc, m_qtArgv) {
    QApplication::setApplicationName(QStringLiteral("varloGui"));
    QApplication::setDesktopFileName(QStringLiteral("varloGui"));
    QApplication::setWindowIcon(ApplicationIcon());
    SetLanguage(DesktopLanguage());
    InstallQtTranslation(m_qtTexts, CurrentLanguage());
}

Language DesktopLanguage() {
    return LanguageOfTag(QLocale::system().uiLanguages().value(0).toStdString());
}

int CConvertApp::Run() {
    CProfileStore profile(CProfileStore::DefaultPath());
    CFileDialogChooser chooser;
    CConvertDialog dialog(profile, chooser);
    dialog.SetArguments(m_arguments);

    CQuitSignals quit;
    QObject::connect(&quit, &CQuitSignals::QuitRequested, &dialog, &CConvertDialog::Quit);

    dialog.exec();  // how it ended does not matter
    return 0;
}

}  // namespace varlo
