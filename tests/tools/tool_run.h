// Runs a command-line tool (quirel-db, quirel-mail) as a separate process, in a session of its
// own, so that it never has a terminal to ask a password on.
#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>

struct ToolRun {
    int exitCode = -1; // -1 when the tool crashed
    QString out;
    QString err;
};

inline ToolRun RunProgram(const QString& program, const QStringList& arguments, const QByteArray& input = {},
                          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([] { ::setsid(); });
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForStarted());
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished());
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

#ifdef QUIREL_DB_PATH
inline ToolRun RunTool(const QStringList& arguments, const QByteArray& input = {},
                       const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    return RunProgram(QStringLiteral(QUIREL_DB_PATH), arguments, input, environment);
}
#endif

inline QJsonObject JsonLine(const QString& line)
{
    return QJsonDocument::fromJson(line.toUtf8()).object();
}
