#include "about_dialog.h"

#include "res/resource.h"
#include "texts.h"
#include "window_place.h"

namespace varlo {

INT_PTR CAboutDialog::DoModal(HWND parent) {
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), DialogTemplate(IDD_ABOUT), parent,
                                   &CAboutDialog::DialogProc, 0);
}

INT_PTR CALLBACK CAboutDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            CentreWindow(hwnd, GetWindow(hwnd, GW_OWNER));
            return TRUE;  // the focus goes to OK
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(hwnd, LOWORD(wParam));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace varlo
