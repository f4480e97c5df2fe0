// The application: starts Qt, shows the main window modally, and ends when it closes.
#pragma once

#include <QApplication>
#include <QTranslator>
#include <string>
#include <vector>

#include "common/texts.h"

namespace varlo {

// Japanese for a Japanese user, English for everyone else: the first of the languages the
// desktop names (LANGUAGE, LC_ALL, LC_MESSAGES, LANG, as Qt reads them) decides.
Language DesktopLanguage();

class CConvertApp {
public:
    CConvertApp(int argc, char** argv);

    // Runs the main window until it closes; the process's exit status.
    int Run();

private:
    // Every argument is an input file, so Qt sees none of them: a file named "-style" must
    // reach the queue, not restyle the window.
    std::vector<std::string> m_arguments;
    int m_qtArgc = 1;
    char* m_qtArgv[2];
    QApplication m_app;
    QTranslator m_qtTexts;  // Qt's own dialogs in the window's language
};

}  // namespace varlo
