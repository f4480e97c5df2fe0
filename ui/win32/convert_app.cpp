#include "convert_app.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "common/texts.h"
#include "convert_dialog.h"
#include "engine/core/arguments.h"
#include "file_chooser.h"
#include "queue_handoff.h"
#include "settings/profile_store.h"
#include "texts.h"

namespace varlo {

int CConvertApp::Run() {
    // Japanese for a Japanese user, English for everyone else, as the system would pick the
    // resources: the user's UI language decides.
    SetLanguage(LanguageOfUiLanguage(GetUserDefaultUILanguage()));
    // The tooltip control's window class.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    // Started with /queue (the shell's "Open with"): the files go to the copy that was started
    // so first, and this one ends; or it is that copy. Its window sees the files alone, each in
    // double quotes, which no Windows path holds.
    std::string commandLine = GetCommandLineA();
    std::vector<std::string> words = SplitArguments(commandLine);
    const bool queue = words.size() >= 2 && EqualsAsciiNoCase(words[1], CQueueHandoff::kSwitch);
    CQueueHandoff handoff(words.empty() ? std::string() : words[0]);
    if (queue) {
        words.erase(words.begin() + 1);
        if (handoff.HandOver({words.begin() + 1, words.end()})) {
            return 0;
        }
        commandLine.clear();
        for (const std::string& word : words) {
            commandLine += (commandLine.empty() ? "\"" : " \"") + word + "\"";
        }
    }

    // The task bar button's progress is one of the shell's COM objects.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    {
        CProfileStore profile(CProfileStore::DefaultPath());  // WIN.INI
        CFileDialogChooser chooser;
        CConvertDialog dialog(profile, chooser);
        dialog.SetCommandLine(commandLine);
        dialog.SetQueueHandoff(queue ? &handoff : nullptr);
        dialog.DoModal();  // how it ended does not matter
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return 0;
}

}  // namespace varlo
