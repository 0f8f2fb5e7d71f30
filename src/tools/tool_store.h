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
#include <memory>
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

// The lines of `list`: tab-separated columns, each made one line, encoded as UTF-8 straight into
// a buffer that is written in large pieces. A conversion and a write per line, or a UTF-16 copy
// of every line, would cost more than reading the memo's header.
class ListLines {
public:
    explicit ListLines(FILE* stream) : m_stream(stream) {}
    ListLines(const ListLines&) = delete;
    ListLines& operator=(const ListLines&) = delete;
    ~ListLines() { Flush(); }

    // UTF-8 as QString::toUtf8 writes it (a lone surrogate becomes '?'), folded as OneLine folds,
    // in one pass: Qt's encoder and a second pass to fold cost three times as much here.
    ListLines& operator<<(QStringView text)
    {
        auto* out = reinterpret_cast<unsigned char*>(StartColumn(3 * text.size())); // three bytes a unit at most
        const char16_t* const end = text.utf16() + text.size();
        for (const char16_t* at = text.utf16(); at != end; ++at) {
            const char32_t c = *at;
            if (c < 0x80) {
                *out++ = static_cast<unsigned char>(OneLineChar(char16_t(c)));
            } else if (c < 0x800) {
                *out++ = static_cast<unsigned char>(0xC0 | c >> 6);
                *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            } else if (!QChar::isSurrogate(c)) {
                *out++ = static_cast<unsigned char>(0xE0 | c >> 12);
                *out++ = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
                *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            } else if (QChar::isHighSurrogate(c) && at + 1 != end && QChar::isLowSurrogate(at[1])) {
                const char32_t full = QChar::surrogateToUcs4(char16_t(c), *++at);
                *out++ = static_cast<unsigned char>(0xF0 | full >> 18);
                *out++ = static_cast<unsigned char>(0x80 | (full >> 12 & 0x3F));
                *out++ = static_cast<unsigned char>(0x80 | (full >> 6 & 0x3F));
                *out++ = static_cast<unsigned char>(0x80 | (full & 0x3F));
            } else {
                *out++ = '?';
            }
        }
        m_used = reinterpret_cast<char*>(out) - m_buffer.get();
        return *this;
    }
    ListLines& operator<<(qint64 number)
    {
        char* const start = StartColumn(20);
        m_used = std::to_chars(start, start + 20, number).ptr - m_buffer.get();
        return *this;
    }
    void EndLine()
    {
        *Room(1) = '\n';
        ++m_used;
        m_columns = 0;
        if (m_used >= kPieceBytes)
            Flush();
    }

private:
    static constexpr qsizetype kPieceBytes = 1 << 16;
    static constexpr qsizetype kSlackBytes = 4096; // a local list line; longer ones flush early

    // Room for a column of at most `bytes` bytes, after its tab.
    char* StartColumn(qsizetype bytes)
    {
        char* at = Room(bytes + 1);
        if (m_columns++ > 0) {
            *at++ = '\t';
            ++m_used;
        }
        return at;
    }
    char* Room(qsizetype bytes)
    {
        if (m_used + bytes > m_capacity) {
            Flush();
            if (!m_buffer || bytes > m_capacity) {
                m_capacity = std::max(bytes, kPieceBytes + kSlackBytes);
                m_buffer = std::make_unique_for_overwrite<char[]>(size_t(m_capacity));
            }
        }
        return m_buffer.get() + m_used;
    }
    void Flush()
    {
        if (m_used > 0)
            std::fwrite(m_buffer.get(), 1, size_t(m_used), m_stream);
        m_used = 0;
    }

    FILE* m_stream;
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_capacity = 0;
    qsizetype m_used = 0;
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
