// How the main window's controls follow it when it grows, for both windows: the log takes all the
// room there is, the path fields take the width, and what stands right of them follows the right
// edge; everything else stays where the template put it.
#pragma once

#include "res/resource.h"

namespace varlo {

// A control's place in pixels.
struct ControlBox {
    int x, y, width, height;
};

// Where the control `id` stands in a window `grownX` wider and `grownY` taller than its template,
// `box` being where the template puts it.
inline ControlBox GrownBox(int id, ControlBox box, int grownX, int grownY) {
    switch (id) {
        case IDC_LOG:
            box.height += grownY;
            [[fallthrough]];
        case IDC_INPUT:
        case IDC_OUTPUT:
        case IDC_EXEC:
            box.width += grownX;
            break;
        case IDC_BROWSE_INPUT:
        case IDC_BROWSE_OUTPUT:
        case IDC_BROWSE_EXEC:
        case IDCANCEL:
            box.x += grownX;
            break;
        default:
            break;
    }
    return box;
}

}  // namespace varlo
