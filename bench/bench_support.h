// What the window benchmarks share: the failure that stops them, a scratch folder that keeps their
// captures and settings away from the user's, and the summaries of a series of samples.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace varlo::bench {

// Anything that makes the numbers meaningless; reported, then the benchmark stops.
class CBenchFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline std::string ErrorText(int error) {
    return std::generic_category().message(error);
}

// A positive decimal number, or nothing.
inline bool ParsePositive(std::string_view text, int& value) {
    int parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size() || parsed <= 0) {
        return false;
    }
    value = parsed;
    return true;
}

// A fresh folder under $TMPDIR (or /tmp) holding "work", the current folder for the scratch
// folder's lifetime (captures are made in the current folder), and "config", meant for
// XDG_CONFIG_HOME so that the user's own profile is never read or written. Everything goes at
// the end.
class CScratchFolder {
public:
    explicit CScratchFolder(const char* owner) : m_owner(owner) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = (base != nullptr && *base != '\0') ? base : "/tmp";
        pattern += "/varloBench.XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw CBenchFailure("mkdtemp " + pattern + ": " + ErrorText(errno));
        }
        m_path = pattern;
        std::error_code ec;
        std::filesystem::create_directory(Work(), ec);
        if (!ec) {
            std::filesystem::create_directory(Config(), ec);
        }
        m_previous = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (ec || m_previous < 0 || ::chdir(Work().c_str()) != 0) {
            const std::string reason = ec ? ec.message() : ErrorText(errno);
            Leave();
            throw CBenchFailure("cannot set up " + m_path + ": " + reason);
        }
    }

    ~CScratchFolder() { Leave(); }

    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string Work() const { return m_path + "/work"; }
    std::string Config() const { return m_path + "/config"; }

    // Every conversion cleans up after itself; a capture left over would also slow down the
    // next run's search for a free capture name.
    void CheckWorkEmpty() const {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(Work(), ec)) {
            throw CBenchFailure("left behind in the work folder: " +
                                entry.path().filename().string());
        }
        if (ec) {
            throw CBenchFailure("cannot list " + Work() + ": " + ec.message());
        }
    }

private:
    void Leave() {
        if (m_previous >= 0) {
            if (::fchdir(m_previous) != 0) {
                std::fprintf(stderr, "%s: cannot return to the first folder\n", m_owner);
            }
            ::close(m_previous);
            m_previous = -1;
        }
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
        if (ec) {
            std::fprintf(stderr, "%s: cannot remove %s: %s\n", m_owner, m_path.c_str(),
                         ec.message().c_str());
        }
    }

    const char* m_owner;
    std::string m_path;
    int m_previous = -1;
};

// The middle sample, or the mean of the two middle ones; `samples` is not empty.
inline double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t half = samples.size() / 2;
    return samples.size() % 2 != 0 ? samples[half] : (samples[half - 1] + samples[half]) / 2;
}

inline double Mean(const std::vector<double>& samples) {
    return std::accumulate(samples.begin(), samples.end(), 0.0) /
           static_cast<double>(samples.size());
}

inline double Min(const std::vector<double>& samples) {
    return *std::min_element(samples.begin(), samples.end());
}

inline double Max(const std::vector<double>& samples) {
    return *std::max_element(samples.begin(), samples.end());
}

}  // namespace varlo::bench
