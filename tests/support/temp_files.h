// Small file helpers for tests: a private folder per test, whole-file reads and writes, and
// stand-in programs written as shell scripts.
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
// Writes `script` (starting "#!/bin/sh") as a program its owner may run.
void WriteScript(const QString& path, const QByteArray& script);
