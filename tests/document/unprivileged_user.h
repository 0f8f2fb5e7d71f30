// While an UnprivilegedUser lives, a test run as root acts as the user and group "nobody", so
// file permissions bind it as they bind a user (CI runs as root, where they do not). The saved
// user id stays root, so the destructor switches back. A test run by a user changes nothing.
#pragma once

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <unistd.h>

class UnprivilegedUser {
public:
    static constexpr uid_t kNobody = 65534;

    UnprivilegedUser()
    {
        // The group first: once the user id is not root, it could no longer be changed.
        m_active = m_root && setresgid(kNobody, kNobody, 0) == 0 && setresuid(kNobody, kNobody, 0) == 0;
    }
    ~UnprivilegedUser()
    {
        if (m_root && setresuid(0, 0, 0) == 0)
            setresgid(0, 0, 0);
    }
    UnprivilegedUser(const UnprivilegedUser&) = delete;
    UnprivilegedUser& operator=(const UnprivilegedUser&) = delete;

    // False when permissions do not bind this process (root that could not switch).
    bool Binds() const { return !m_root || m_active; }

    // Read for everyone, written by nobody (folders can still be entered).
    static bool MakeReadOnly(const QString& path)
    {
        const QFile::Permissions read = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        const QFile::Permissions enter = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        return QFile::setPermissions(path, QFileInfo(path).isDir() ? read | enter : read);
    }

private:
    bool m_root = geteuid() == 0;
    bool m_active = false;
};
