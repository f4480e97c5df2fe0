#include "settings.h"

#include <limits>

namespace varlo {

namespace {

// No window stands at this place, nor is this a size.
constexpr int kMissing = std::numeric_limits<int>::min();

}  // namespace

Settings ReadSettings(const CProfileStore& store, const std::string& section) {
    Settings settings;
    settings.execFile = store.ReadString(section, std::string(kExecFileKey),
                                         std::string(kDefaultExecFile), kExecFileLimit + 1);
    settings.autoExec = store.ReadInt(section, std::string(kAutoExecKey), 0);
    const int jobs = store.ReadInt(section, std::string(kJobsKey), kDefaultJobs);
    settings.jobs = jobs >= 1 && jobs <= kMaxJobs ? jobs : kDefaultJobs;
    return settings;
}

void WriteExecFile(CProfileStore& store, const std::string& section, const std::string& path) {
    store.WriteValue(section, std::string(kExecFileKey), path);
}

void WriteAutoExec(CProfileStore& store, const std::string& section, int value) {
    store.WriteValue(section, std::string(kAutoExecKey), std::to_string(value));
}

std::optional<WindowPlace> ReadWindowPlace(const CProfileStore& store, const std::string& section) {
    const auto read = [&](std::string_view key) {
        return store.ReadInt(section, std::string(key), kMissing);
    };
    WindowPlace place;
    place.width = read(kWindowWidthKey);
    place.height = read(kWindowHeightKey);
    if (place.width <= 0 || place.height <= 0) {
        return std::nullopt;
    }
    place.left = read(kWindowLeftKey);
    place.top = read(kWindowTopKey);
    place.placed = place.left != kMissing && place.top != kMissing;
    return place;
}

void WriteWindowPlace(CProfileStore& store, const std::string& section, const WindowPlace& place) {
    const auto write = [&](std::string_view key, int value) {
        store.WriteValue(section, std::string(key), std::to_string(value));
    };
    if (place.placed) {
        write(kWindowLeftKey, place.left);
        write(kWindowTopKey, place.top);
    }
    write(kWindowWidthKey, place.width);
    write(kWindowHeightKey, place.height);
}

void WriteJobs(CProfileStore& store, const std::string& section, int jobs) {
    store.WriteValue(section, std::string(kJobsKey), std::to_string(jobs));
}

}  // namespace varlo
