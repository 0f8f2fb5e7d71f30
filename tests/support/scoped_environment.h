// ScopedEnvironment: the environment variables a test changes, each given back its value (or
// unset again) when the object dies, so no test leaves its PATH or TMPDIR to the next.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <utility>
#include <vector>

class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment()
    {
        for (auto saved = m_saved.rbegin(); saved != m_saved.rend(); ++saved)
            saved->second.isNull() ? qunsetenv(saved->first) : qputenv(saved->first, saved->second);
    }

    // Sets `name` to `value`, or unsets it when `value` is empty.
    void Set(const char* name, const QByteArray& value)
    {
        m_saved.emplace_back(name, qgetenv(name));
        value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
    }
    // Puts `folder` first on PATH, so that its programs stand in for the system's.
    void PrependToPath(const QString& folder) { Set("PATH", QFile::encodeName(folder) + ':' + qgetenv("PATH")); }

private:
    std::vector<std::pair<const char*, QByteArray>> m_saved; // in the order set
};
