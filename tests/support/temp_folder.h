// A fresh folder for one test, by default made the current folder while the test runs.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <stdexcept>
#include <string>

namespace varlo::test {

class CTempFolder {
public:
    explicit CTempFolder(bool makeCurrent = true) {
        namespace fs = std::filesystem;
        std::random_device seed;
        std::mt19937_64 random(seed());
        for (int attempt = 0; m_path.empty(); ++attempt) {
            if (attempt == 100) {
                throw std::runtime_error("cannot make a temporary folder");
            }
            const fs::path candidate =
                fs::temp_directory_path() / ("varlo-test-" + std::to_string(random() % 1000000000));
            if (fs::create_directory(candidate)) {
                m_path = candidate.string();
            }
        }
        if (makeCurrent) {
            m_previous = fs::current_path();
            fs::current_path(m_path);
        }
    }

    ~CTempFolder() {
        namespace fs = std::filesystem;
        std::error_code ignored;
        if (!m_previous.empty()) {
            fs::current_path(m_previous, ignored);
        }
        // Tests may leave read-only folders behind; open them up so that everything goes.
        for (auto it = fs::recursive_directory_iterator(m_path, ignored);
             it != fs::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
            }
        }
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_path, ignored);
    }

    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_path; }

    // Every name in the folder, sorted.
    std::set<std::string> Names() const { return NamesIn(m_path); }

    static std::set<std::string> NamesIn(const std::string& folder) {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

private:
    std::string m_path;
    std::filesystem::path m_previous;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace varlo::test
