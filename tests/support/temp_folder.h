// A fresh folder for one test, by default made the current folder while the test runs.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>

namespace varlo::test {

class CTempFolder {
public:
    explicit CTempFolder(bool makeCurrent = true) {
        std::string base = std::filesystem::temp_directory_path() / "varlo-test-XXXXXX";
        if (::mkdtemp(base.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        m_path = base;
        if (makeCurrent) {
            m_previous = std::filesystem::current_path();
            std::filesystem::current_path(m_path);
        }
    }

    ~CTempFolder() {
        std::error_code ignored;
        if (!m_previous.empty()) {
            std::filesystem::current_path(m_previous, ignored);
        }
        // Tests may leave read-only folders behind; open them up so that everything goes.
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
            }
        }
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_path, ignored);
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
