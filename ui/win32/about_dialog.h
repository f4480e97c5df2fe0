// The about box (IDD_ABOUT): the program's icon, name and version.
#pragma once

#include <windows.h>

namespace varlo {

class CAboutDialog {
public:
    // Shows the box modally over `parent` until OK, Esc or the close box ends it.
    INT_PTR DoModal(HWND parent);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace varlo
