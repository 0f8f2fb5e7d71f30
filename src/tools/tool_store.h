// What quirel-db's commands need of a store, whether a local database file or a server table,
// and the tool's way of reporting: every failure is one line on standard error that starts with
// "quirel-db: ", and a non-zero exit (2 for a usage error, 1 otherwise).
#pragma once

#include "document/memo_store.h"
#include "document/user_prompts.h"

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <utility>

enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

inline void WriteLine(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// Tabs and line breaks would split a list line (or an error line).
inline QString OneLine(QString text)
{
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return text;
}

inline int Fail(const QString& message, int code = kFailure)
{
    WriteLine(stderr, QStringLiteral("quirel-db: ") + OneLine(message));
    return code;
}

inline int UsageError(const QString& message)
{
    return Fail(message + QStringLiteral(" (see quirel-db --help)"), kUsage);
}

// The stores' messages (a refused login, a lost connection, an unreachable share) reach the tool
// here: kept as the reason for the error line, or written at once as error lines. Questions are
// answered as a closed box answers them.
class ToolPrompts : public UserPrompts {
public:
    explicit ToolPrompts(bool writeAtOnce = false) : m_writeAtOnce(writeAtOnce) {}

    int Ask(const QString& text, PromptButtons buttons, const QString& = {}) override
    {
        if (m_writeAtOnce)
            Fail(text);
        else
            m_text = text;
        if (buttons == PromptButtons::kOk)
            return kAnswerOk;
        const bool yesNo = buttons == PromptButtons::kYesNo || buttons == PromptButtons::kYesNoDefaultNo;
        return yesNo ? kAnswerNo : kAnswerCancel;
    }
    int RunSaveDialog(MemoHeader&, bool) override { return kSaveDialogCancel; }
    std::optional<QString> ChooseOpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseSaveFile(const FileDialogRequest&) override { return std::nullopt; }

    // The last message kept, once.
    QString TakeText() { return std::exchange(m_text, QString()); }

private:
    bool m_writeAtOnce;
    QString m_text;
};

// One field of a memo as `export` (key) and `show` (label) print it.
struct MemoField {
    const char* key;
    const char* label;
    QJsonValue value; // a string or an integer
};

// Memo numbers are positions in a local file and nIDs in a server table.
class ToolStore {
public:
    virtual ~ToolStore() = default;

    // Every memo in display order: its list columns (`list` reads no bodies), or its fields
    // and body. A memo that cannot be read is named on standard error and skipped; a memo read
    // with a warning is named and still visited. Either makes the result kFailure.
    virtual int ListMemos(const std::function<void(const QStringList&)>& line) = 0;
    virtual int ExportMemos(const std::function<void(const QList<MemoField>&, const QString&)>& memo) = 0;

    // The editor's store, for saves and deletes.
    virtual MemoStore& Store() = 0;
    // Makes memo `number` current in Store(); kFailure with a message when there is no such memo.
    virtual int SelectMemo(int number) = 0;
    // The fields of Store()'s current memo, and a warning about its header (empty when sound).
    // Fields are empty after a message when they cannot be read.
    virtual QList<MemoField> CurrentFields() = 0;
    virtual QString CurrentWarning() = 0;
    // The line that names the memo Store() has just added.
    virtual QString AddedLine() = 0;
    // Why Store() has just failed to save, for the error line.
    virtual QString WhyNotStored() = 0;
};
