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
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <utility>

enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

inline void WriteLine(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// Tabs and line breaks would split a list line (or an error line): they become spaces.
inline char16_t OneLineChar(char16_t c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' ? u' ' : c;
}

inline QString OneLine(QString text)
{
    char16_t* const units = reinterpret_cast<char16_t*>(text.data());
    std::transform(units, units + text.size(), units, OneLineChar);
    return text;
}

// The lines of `list`: tab-separated columns, each made one line, written as UTF-8 in large
// pieces. A conversion and a write per line would cost more than reading the memo's header.
class ListLines {
public:
    explicit ListLines(FILE* stream) : m_stream(stream) { m_text.reserve(kPieceChars + kLongestLine); }
    ListLines(const ListLines&) = delete;
    ListLines& operator=(const ListLines&) = delete;
    ~ListLines() { Flush(); }

    ListLines& operator<<(QStringView text)
    {
        StartColumn();
        std::transform(text.utf16(), text.utf16() + text.size(), Append(text.size()), OneLineChar);
        return *this;
    }
    ListLines& operator<<(qint64 number)
    {
        StartColumn();
        char digits[24];
        const char* const end = std::to_chars(std::begin(digits), std::end(digits), number).ptr;
        std::copy(static_cast<const char*>(digits), end, Append(end - digits));
        return *this;
    }
    void EndLine()
    {
        m_text += u'\n';
        m_columns = 0;
        if (m_text.size() >= kPieceChars)
            Flush();
    }

private:
    static constexpr qsizetype kPieceChars = 1 << 16;
    static constexpr qsizetype kLongestLine = 1024; // a local list line; longer ones only grow the piece

    void StartColumn()
    {
        if (m_columns++ > 0)
            m_text += u'\t';
    }
    // Room for `units` more units at the end of the piece.
    char16_t* Append(qsizetype units)
    {
        const qsizetype start = m_text.size();
        m_text.resize(start + units);
        return reinterpret_cast<char16_t*>(m_text.data()) + start;
    }
    void Flush()
    {
        const QByteArray bytes = m_text.toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_stream);
        m_text.resize(0); // keeps the capacity for the next piece
    }

    FILE* m_stream;
    QString m_text;
    int m_columns = 0;
};

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

    // Every memo in display order: its list line (`list` reads no bodies), or its fields and
    // body. A memo that cannot be read is named on standard error and skipped; a memo read with
    // a warning is named and still visited. Either makes the result kFailure.
    virtual int ListMemos(ListLines& lines) = 0;
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
