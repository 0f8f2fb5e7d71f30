#include "temp_files.h"

#include <QFile>
#include <gtest/gtest.h>

TempFolder::TempFolder()
{
    EXPECT_TRUE(m_dir.isValid());
}

QString TempFolder::Path(const QString& name) const
{
    return m_dir.filePath(name);
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void WriteScript(const QString& path, const QByteArray& script)
{
    WriteBytes(path, script);
    EXPECT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner)) << path.toStdString();
}
