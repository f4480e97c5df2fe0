// What the program's two dialogs share: their font, frame and icon.
#pragma once

#include <QFont>
#include <QIcon>

namespace varlo {

// A frame with a caption and a close box, and no minimise, maximise or help button. The main
// window may still be enlarged by its border (its log takes the room).
inline constexpr Qt::WindowFlags kFrameHints = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
// The main window is the application's own window (in the task bar and the window switcher);
// the about box is a dialog over it.
inline constexpr Qt::WindowFlags kMainWindowFlags = Qt::Window | kFrameHints;
inline constexpr Qt::WindowFlags kDialogWindowFlags = Qt::Dialog | kFrameHints;

// The dialog font, 9 points, with Japanese fonts standing in where it is missing.
QFont DialogFont();

// The application icon, from 16 by 16 pixels up.
QIcon ApplicationIcon();

}  // namespace varlo
