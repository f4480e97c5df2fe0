// The values that outlive a run: the converter, the auto-convert flag and how many conversions
// may run at once.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "profile_store.h"

namespace varlo {

inline constexpr std::string_view kExecFileKey = "ExecFile";
inline constexpr std::string_view kAutoExecKey = "AutoExec";
inline constexpr std::string_view kJobsKey = "Jobs";
inline constexpr std::string_view kWindowLeftKey = "WindowLeft";
inline constexpr std::string_view kWindowTopKey = "WindowTop";
inline constexpr std::string_view kWindowWidthKey = "WindowWidth";
inline constexpr std::string_view kWindowHeightKey = "WindowHeight";
// A converter need not be safe to run twice at once, so one at a time unless the user says more.
inline constexpr int kDefaultJobs = 1;
inline constexpr int kMaxJobs = 64;
inline constexpr std::string_view kDefaultExecFile = "varlo.exe";
// The converter path comes back in a 1024-byte buffer: at most 1023 bytes.
inline constexpr std::size_t kExecFileLimit = 1023;

struct Settings {
    std::string execFile;
    int autoExec = 0;
    int jobs = kDefaultJobs;
};

// Reads the converter (default "varlo.exe", cut to 1023 bytes) and the auto-convert value
// (default 0) of a section, and the conversions that may run at once (1 to 64; anything else,
// missing or not a number, is 1).
Settings ReadSettings(const CProfileStore& store, const std::string& section);

void WriteExecFile(CProfileStore& store, const std::string& section, const std::string& path);

// Stores the value as its decimal text.
void WriteAutoExec(CProfileStore& store, const std::string& section, int value);

void WriteJobs(CProfileStore& store, const std::string& section, int jobs);

// The main window as it was when it last closed, in pixels: its size, and its place on the
// screen where the platform tells it (not on Wayland).
struct WindowPlace {
    int width = 0;
    int height = 0;
    bool placed = false;  // left and top hold the outer top left corner
    int left = 0;
    int top = 0;
};

// Nothing when no size is stored (the first start) or a stored one is not above zero.
std::optional<WindowPlace> ReadWindowPlace(const CProfileStore& store, const std::string& section);
// Writes the size, and the place when the window has one.
void WriteWindowPlace(CProfileStore& store, const std::string& section, const WindowPlace& place);

}  // namespace varlo
