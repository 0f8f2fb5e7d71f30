// Small file helpers for tests: a private folder per test and whole-file reads and writes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TempFolder {
public:
    TempFolder();
    QString Path(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);
