#include "convert_app.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "common/texts.h"
#include "convert_dialog.h"
#include "file_chooser.h"
#include "settings/profile_store.h"

namespace varlo {

int CConvertApp::Run() {
    // Japanese for a Japanese user, English for everyone else, as the system would pick the
    // resources: the user's UI language decides.
    SetLanguage(PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? Language::Japanese
                                                                           : Language::English);
    // The tooltip control's window class.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    // The task bar button's progress is one of the shell's COM objects.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    {
        CProfileStore profile(CProfileStore::DefaultPath());  // WIN.INI
        CFileDialogChooser chooser;
        CConvertDialog dialog(profile, chooser);
        dialog.SetCommandLine(GetCommandLineA());
        dialog.DoModal();  // how it ended does not matter
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return 0;
}

}  // namespace varlo
