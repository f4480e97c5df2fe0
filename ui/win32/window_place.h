// Where the windows open: the main window in the middle of its screen's work area, the about box
// over the main window.
#pragma once

#include <windows.h>

namespace varlo {

// Moves `window`, keeping its size, so that its middle is that of `over` (of the work area of the
// screen `window` is on when `over` is nullptr or minimized), yet wholly inside that screen's work
// area, its caption first where it is the larger.
void CentreWindow(HWND window, HWND over);

// The dots per inch of the screen `window` is on, as the system scales it for this program.
UINT WindowDpi(HWND window);

}  // namespace varlo
