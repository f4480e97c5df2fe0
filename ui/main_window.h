// The main window, described once for both windows: its controls in tab order, each with its box
// in dialog units, its text and tooltip, and how it follows the window when that grows. The
// Windows resource script holds the same template; a test reads it back against this table.
#pragma once

#include <algorithm>
#include <array>
#include <iterator>

#include "common/texts.h"
#include "engine/convert_view.h"
#include "res/resource.h"

namespace varlo {

enum class ControlKind { DefaultButton, Button, Label, PathField, Log, CheckBox, ProgressBar };

// How a control follows the window when it grows: the log takes all the room there is, the path
// fields take the width, what stands right of them follows the right edge, and what stands below
// the log follows the bottom edge and takes the width.
enum class Growth { Stays, TakesWidth, TakesAll, FollowsRight, FollowsBottom };

// The id of a control that nothing refers to (a label).
inline constexpr int kNoControlId = -1;

struct ControlEntry {
    int id;
    ControlKind kind;
    int x, y, width, height;  // dialog units
    TextId text;
    TextId tip;
    Growth growth;
};

// The template's size in dialog units: the window's least.
inline constexpr int kMainWidth = 214;
inline constexpr int kMainHeight = 144;

inline constexpr ControlEntry kMainControls[] = {
    {IDOK, ControlKind::DefaultButton, 5, 70, 50, 14, TextId::Convert, TextId::ConvertTip,
     Growth::Stays},
    {IDCANCEL, ControlKind::Button, 160, 70, 50, 14, TextId::Exit, TextId::ExitTip,
     Growth::FollowsRight},
    {kNoControlId, ControlKind::Label, 10, 10, 15, 8, TextId::InputLabel, TextId::None,
     Growth::Stays},
    {IDC_INPUT, ControlKind::PathField, 25, 5, 155, 14, TextId::None, TextId::InputTip,
     Growth::TakesWidth},
    {IDC_BROWSE_INPUT, ControlKind::Button, 180, 5, 25, 14, TextId::Browse, TextId::None,
     Growth::FollowsRight},
    {kNoControlId, ControlKind::Label, 10, 30, 15, 8, TextId::OutputLabel, TextId::None,
     Growth::Stays},
    {IDC_OUTPUT, ControlKind::PathField, 25, 25, 155, 14, TextId::None, TextId::OutputTip,
     Growth::TakesWidth},
    {IDC_BROWSE_OUTPUT, ControlKind::Button, 180, 25, 25, 14, TextId::Browse, TextId::None,
     Growth::FollowsRight},
    {kNoControlId, ControlKind::Label, 10, 50, 15, 8, TextId::ConverterLabel, TextId::None,
     Growth::Stays},
    {IDC_EXEC, ControlKind::PathField, 25, 45, 155, 14, TextId::None, TextId::ConverterTip,
     Growth::TakesWidth},
    {IDC_BROWSE_EXEC, ControlKind::Button, 180, 45, 25, 14, TextId::Browse, TextId::None,
     Growth::FollowsRight},
    {IDC_LOG, ControlKind::Log, 5, 90, 205, 50, TextId::None, TextId::LogTip, Growth::TakesAll},
    {IDC_AUTO, ControlKind::CheckBox, 60, 75, 43, 10, TextId::AutoConvert, TextId::AutoConvertTip,
     Growth::Stays},
    // In the margin below the log, shown only while conversions run: the idle window is as ever.
    // Its tip, the count and the time left, changes as they run.
    {IDC_PROGRESS, ControlKind::ProgressBar, 5, 140, 205, 3, TextId::None, TextId::None,
     Growth::FollowsBottom},
};

// Where a language's texts need their columns to stand, in dialog units: the labels left of the
// path fields, the fields, the browse buttons right of them, and the auto-convert box. The English
// labels are longer, so their column grows into the fields, and the browse buttons and the
// auto-convert box widen.
struct Span {
    int x, width;
};
struct LanguageColumns {
    Span label, field, browse, checkBox;
};
// Indexed by Language.
inline constexpr LanguageColumns kLanguageColumns[] = {
    /* Japanese */ {{10, 15}, {25, 155}, {180, 25}, {60, 43}},
    /* English */ {{5, 30}, {37, 136}, {175, 32}, {60, 60}},
};
static_assert(std::size(kLanguageColumns) == kLanguageCount, "every language has its columns");

// The table as a window in `language` lays it out: each control of a column takes the language's
// place and width for it.
inline constexpr std::array<ControlEntry, std::size(kMainControls)> MainControls(
    Language language) {
    const LanguageColumns& columns = kLanguageColumns[static_cast<std::size_t>(language)];
    std::array<ControlEntry, std::size(kMainControls)> controls{};
    for (std::size_t i = 0; i < controls.size(); ++i) {
        ControlEntry entry = kMainControls[i];
        const Span* span = nullptr;
        switch (entry.kind) {
            case ControlKind::Label:
                span = &columns.label;
                break;
            case ControlKind::PathField:
                span = &columns.field;
                break;
            case ControlKind::CheckBox:
                span = &columns.checkBox;
                break;
            case ControlKind::Button:
                span = entry.text == TextId::Browse ? &columns.browse : nullptr;
                break;
            default:
                break;
        }
        if (span != nullptr) {
            entry.x = span->x, entry.width = span->width;
        }
        controls[i] = entry;
    }
    return controls;
}

// The table itself is the Japanese layout.
constexpr bool TableIsJapaneseLayout() {
    const auto japanese = MainControls(Language::Japanese);
    for (std::size_t i = 0; i < japanese.size(); ++i) {
        if (japanese[i].x != kMainControls[i].x || japanese[i].width != kMainControls[i].width) {
            return false;
        }
    }
    return true;
}
static_assert(TableIsJapaneseLayout(), "the Japanese columns match the table");

// A control's place in pixels.
struct ControlBox {
    int x, y, width, height;
};

// Where a control with `growth` stands in a window `grownX` wider and `grownY` taller than its
// template, `box` being where the template puts it.
inline ControlBox GrownBox(Growth growth, ControlBox box, int grownX, int grownY) {
    switch (growth) {
        case Growth::TakesAll:
            box.height += grownY;
            box.width += grownX;
            break;
        case Growth::TakesWidth:
            box.width += grownX;
            break;
        case Growth::FollowsRight:
            box.x += grownX;
            break;
        case Growth::FollowsBottom:
            box.y += grownY;
            box.width += grownX;
            break;
        case Growth::Stays:
            break;
    }
    return box;
}

// The growth of the control `id`; Stays for one the table does not name.
inline Growth GrowthOf(int id) {
    for (const ControlEntry& entry : kMainControls) {
        if (entry.id == id && id != kNoControlId) {
            return entry.growth;
        }
    }
    return Growth::Stays;
}

// True when a window whose outer box is `window` could be grabbed by its title bar: the top
// strip of it lies on one of the `screens` (their work areas), wide enough to take hold of. A
// stored place that fails this (a screen since taken away) is not used.
template <class Screens>
bool CanBeGrabbed(ControlBox window, const Screens& screens) {
    constexpr int kTitleStrip = 24;  // high enough to hold in every window manager
    constexpr int kGrip = 48;        // the least width of the title bar that must show
    for (const ControlBox& screen : screens) {
        const int left = std::max(window.x, screen.x);
        const int right = std::min(window.x + window.width, screen.x + screen.width);
        if (right - left >= std::min(kGrip, window.width) && window.y >= screen.y &&
            window.y + kTitleStrip <= screen.y + screen.height) {
            return true;
        }
    }
    return false;
}

// The three file dialogs, one for each path field.
struct FileDialogTraits {
    bool save;
    TextId filter;            // the filter for the field's own files; "All Files" follows
    const char* extension;    // of the field's own files, without the dot
    const char* initialName;  // or nullptr
    const char* patterns;     // the field's own files as Windows names them
};

inline constexpr FileDialogTraits FileDialogOf(FileDialogKind kind) {
    switch (kind) {
        case FileDialogKind::Input:
            return {false, TextId::WavFiles, "wav", nullptr, "*.wav"};
        case FileDialogKind::Output:
            return {true, TextId::AacFiles, "aac", nullptr, "*.aac"};
        case FileDialogKind::Converter:
            // A batch file runs as a converter too.
            return {false, TextId::ProgramFiles, "exe", "varlo.exe", "*.exe;*.bat;*.cmd;*.com"};
    }
    return {false, TextId::AllFiles, "", nullptr, "*.*"};
}

}  // namespace varlo
