// quirel-db add-mail mariadb://USER@HOST[:PORT]/TABLE FILES...: each file registered as the
// drop registers it (mail_registration.h), a progress line on a terminal's standard error, one
// summary line "registered N, duplicates M, unreadable K, failed F", and a line on standard
// error for each file that was unreadable or failed. Exit 1 when K + F > 0, 2 for a usage error.
// The table is opened as quirel-db opens every server store (server_tool_store.h); the share's
// mount folder comes from QUIREL_SHARE_MOUNT.
#include "add_mail_command.h"

#include "mail/mail_registration.h"
#include "store/server_store.h"
#include "tools/server_tool_store.h"
#include "tools/tool_store.h"

#include <unistd.h>

namespace {

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
    if (!IsServerStore(arguments[0]))
        return Fail(QStringLiteral("'%1' does not name a server table (mariadb://USER@HOST[:PORT]/TABLE)").arg(arguments[0]));
    const std::unique_ptr<ToolStore> opened = OpenServerStore(arguments[0]);
    if (!opened)
        return kFailure;
    auto& store = static_cast<CServerStore&>(opened->Store()); // a server table's store
    int needsMailId = 0;
    if (store.CheckTable(store.GetTableName(), needsMailId) != 1)
        return Fail(QStringLiteral("table %1 is not a memo table").arg(store.GetTableName()));
    if (needsMailId)
        store.AddMailIdColumn(store.GetTableName()); // as listing the tables upgrades it

    ToolPrompts prompts(true);
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
    WriteLine(stdout, QStringLiteral("registered %1, duplicates %2, unreadable %3, failed %4")
                          .arg(summary.Count(MailOutcome::kRegistered))
                          .arg(summary.Count(MailOutcome::kDuplicate))
                          .arg(unreadable)
                          .arg(failed));
    return unreadable + failed > 0 ? kFailure : kSuccess;
}
