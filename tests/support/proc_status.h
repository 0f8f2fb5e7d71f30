// ProcStatusKiB: a memory figure of a process (VmRSS, VmHWM, ...) from /proc/PID/status, in
// KiB; -1 when the process or the field is not there.
#pragma once

#include <QByteArray>
#include <QFile>

inline qint64 ProcStatusKiB(const QByteArray& field, const QByteArray& pid = "self")
{
    QFile status("/proc/" + pid + "/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Makes VmHWM start again from the current VmRSS (Linux 4.0 and later).
inline void ResetPeakRss()
{
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}
