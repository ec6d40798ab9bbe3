#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Changes environment variables for a scope and puts back what each held
// before (set or unset) when it ends, so a test leaves the process's private
// folders as it found them.
class ScopedEnv {
public:
    ScopedEnv() = default;
    ~ScopedEnv() { Restore(); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void Set(const char* name, const std::string& value) {
        Remember(name);
        setenv(name, value.c_str(), 1);
    }
    void Unset(const char* name) {
        Remember(name);
        unsetenv(name);
    }
    // Puts every changed variable back (in reverse order of first change).
    void Restore() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
        m_saved.clear();
    }

private:
    void Remember(const char* name) {
        for (const auto& saved : m_saved)
            if (saved.first == name) return;
        const char* value = std::getenv(name);
        m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};
