// quirel-db add-mail mariadb://USER@HOST[:PORT]/TABLE FILES...: each file registered as the
// drop registers it (mail_registration.h), a progress line on a terminal's standard error, one
// summary line "registered N, duplicates M, unreadable K, failed F", and a line on standard
// error for each file that was unreadable or failed. Exit 1 when K + F > 0, 2 for a usage error.
// The password comes from QUIREL_PASSWORD; the share's mount folder from QUIREL_SHARE_MOUNT.
#include "add_mail_command.h"

#include "document/user_prompts.h"
#include "mail/mail_registration.h"
#include "store/server_store.h"
#include "store/table_name.h"

#include <cstdio>
#include <unistd.h>

namespace {

enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

int Fail(const QString& message, int code = kFailure)
{
    std::fputs((QStringLiteral("quirel-db: ") + message + u'\n').toUtf8().constData(), stderr);
    return code;
}

// The store's messages (a refused login, a lost connection, an unreachable share) go to
// standard error; questions are answered as a closed box answers them.
class ErrorLinePrompts : public UserPrompts {
public:
    int Ask(const QString& text, PromptButtons buttons) override
    {
        Fail(QString(text).replace(u'\n', u' '));
        return buttons == PromptButtons::kOkCancel || buttons == PromptButtons::kYesNoCancel ? kAnswerCancel
                                                                                             : kAnswerNo;
    }
    int RunSaveDialog(MemoHeader&, bool) override { return kSaveDialogCancel; }
    std::optional<QString> ChooseOpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseSaveFile(const FileDialogRequest&) override { return std::nullopt; }
};

class TerminalProgress : public RegistrationProgress {
public:
    void Progress(int item, int count) override
    {
        if (m_shown)
            std::fprintf(stderr, "\r%d / %d%s", item, count, item == count ? "\n" : "");
    }

private:
    bool m_shown = isatty(STDERR_FILENO) == 1;
};

struct TableAddress {
    QString user; // also the database
    QString host; // a host field, with its port when one was given
    QString table;
};

// mariadb://USER@HOST[:PORT]/TABLE; nothing when the text is not of that form.
std::optional<TableAddress> ParseTableAddress(const QString& text)
{
    static const QString kScheme = QStringLiteral("mariadb://");
    if (!text.startsWith(kScheme))
        return std::nullopt;
    const QString rest = text.mid(kScheme.size());
    const qsizetype at = rest.indexOf(u'@');
    const qsizetype slash = rest.indexOf(u'/', at + 1);
    if (at <= 0 || slash <= at + 1)
        return std::nullopt;
    return TableAddress{rest.left(at), rest.mid(at + 1, slash - at - 1), rest.mid(slash + 1)};
}

QString FailureLine(const MailOutcome& outcome)
{
    switch (outcome.kind) {
    case MailOutcome::kUnreadable:
        return QStringLiteral("%1: not a readable .msg or .eml message").arg(outcome.path);
    case MailOutcome::kIdTooLong:
        return QStringLiteral("%1: its message id has %2 characters, more than the 127 a MailID holds; not stored")
            .arg(outcome.path, outcome.detail);
    case MailOutcome::kShareUnreachable:
        return QStringLiteral("%1: the share for its attachments cannot be reached; not stored").arg(outcome.path);
    case MailOutcome::kStoreFailed:
        return QStringLiteral("%1: the server did not store it%2")
            .arg(outcome.path, outcome.detail.isEmpty() ? QString() : QStringLiteral(": ") + outcome.detail);
    case MailOutcome::kCopyFailed:
        return QStringLiteral("%1: stored, but its attachment %2 could not be copied into the memo's folder")
            .arg(outcome.path, outcome.detail);
    case MailOutcome::kRegistered:
    case MailOutcome::kDuplicate:
        break;
    }
    return {};
}

} // namespace

int AddMailCommand(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return Fail(QStringLiteral("'add-mail' takes mariadb://USER@HOST[:PORT]/TABLE FILES... (see quirel-db --help)"),
                    kUsage);
    const std::optional<TableAddress> address = ParseTableAddress(arguments[0]);
    if (!address)
        return Fail(QStringLiteral("'%1' does not name a server table (mariadb://USER@HOST[:PORT]/TABLE)").arg(arguments[0]));
    if (!IsPlainTableName(address->table))
        return Fail(QStringLiteral("'%1' is not a plain table name; nothing was sent to the server").arg(address->table));
    if (!qEnvironmentVariableIsSet("QUIREL_PASSWORD"))
        return Fail(QStringLiteral("no password: set QUIREL_PASSWORD"));

    ErrorLinePrompts prompts;
    CServerStore store(prompts);
    if (store.Connect(address->user, qEnvironmentVariable("QUIREL_PASSWORD"), address->user, address->host) != 1)
        return kFailure;
    int needsMailId = 0;
    if (store.CheckTable(address->table, needsMailId) != 1)
        return Fail(QStringLiteral("'%1' is not a memo table of %2").arg(address->table, address->user));
    if (needsMailId)
        store.AddMailIdColumn(address->table); // as listing the tables upgrades it
    store.SetTableName(address->table);

    TerminalProgress progress;
    MailRegistration registration(store, prompts, progress, qEnvironmentVariable("QUIREL_SHARE_MOUNT"));
    const RegistrationSummary summary = registration.Register(arguments.mid(1));
    for (const MailOutcome& outcome : summary.outcomes) {
        if (const QString line = FailureLine(outcome); !line.isEmpty())
            Fail(line);
    }
    const int unreadable = summary.Count(MailOutcome::kUnreadable);
    const int failed = int(summary.outcomes.size()) - unreadable - summary.Count(MailOutcome::kRegistered)
        - summary.Count(MailOutcome::kDuplicate);
    std::printf("registered %d, duplicates %d, unreadable %d, failed %d\n", summary.Count(MailOutcome::kRegistered),
                summary.Count(MailOutcome::kDuplicate), unreadable, failed);
    return unreadable + failed > 0 ? kFailure : kSuccess;
}
