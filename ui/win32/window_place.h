// Where the windows open: the main window where it was last closed or in the middle of its
// screen's work area, the about box over the main window.
#pragma once

#include <windows.h>

#include <string>

#include "settings/profile_store.h"

namespace varlo {

// Moves `window`, keeping its size, so that its middle is that of `over` (of the work area of the
// screen `window` is on when `over` is nullptr or minimized), yet wholly inside that screen's work
// area, its caption first where it is the larger.
void CentreWindow(HWND window, HWND over);

// The dots per inch of the screen `window` is on, as the system scales it for this program.
UINT WindowDpi(HWND window);

// Gives `window` the size and place stored under `section` of `profile`, at least `least` large;
// false when none is stored or the stored place is on no screen now, the window then standing
// where it stood.
bool RestoreWindowPlace(HWND window, const CProfileStore& profile, const std::string& section,
                        SIZE least);
// Stores under `section` of `profile` the size and place `window` comes back to.
void SaveWindowPlace(HWND window, CProfileStore& profile, const std::string& section);

}  // namespace varlo
