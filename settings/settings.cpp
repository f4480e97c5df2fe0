#include "settings.h"

namespace varlo {

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

void WriteJobs(CProfileStore& store, const std::string& section, int jobs) {
    store.WriteValue(section, std::string(kJobsKey), std::to_string(jobs));
}

}  // namespace varlo
