// Registration of mail messages as server memos (see mail_registration.h).
#include "mail_registration.h"

#include "document/attach_id.h"
#include "document/memo_header.h"
#include "mail/attachment_folders.h"
#include "mail/message_file.h"
#include "mail/outlook_message.h"
#include "platform/text_cut.h"
#include "store/server_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// The MailID column's width.
constexpr qsizetype kMailIdChars = 127;

// A stored memo's nID is never negative: a mark still at this value after an INSERT that
// reported success means the store found the MailID and stored nothing.
constexpr int32_t kNotInserted = -1;

MemoHeader MemoOfMessage(const OutlookMessage& message)
{
    MemoHeader memo;
    ResetMemoHeader(memo);
    memo.title = LeftWhole(message.subject, MemoHeader::kTitleChars);
    const QStringList keys{message.senderName, message.senderAddress, message.recipientName, message.recipientAddress};
    memo.theKeys = LeftWhole(keys.join(u' '), MemoHeader::kKeysChars);
    memo.attachId = NewAttachId();
    memo.attachCount = int32_t(message.attachmentNames.size());
    memo.mark = kNotInserted;
    return memo;
}

} // namespace

int RegistrationSummary::Count(MailOutcome::Kind kind) const
{
    return int(std::count_if(outcomes.begin(), outcomes.end(), [&](const MailOutcome& o) { return o.kind == kind; }));
}

MailRegistration::MailRegistration(CServerStore& store, UserPrompts& prompts, RegistrationProgress& progress,
                                   const QString& shareMount)
    : m_store(store), m_prompts(prompts), m_progress(progress), m_shareMount(shareMount)
{
}

RegistrationSummary MailRegistration::Register(const QStringList& paths)
{
    RegistrationSummary summary;
    // (1): one folder for the batch rather than one a message: making and removing a folder
    // costs about as much as storing a memo.
    const QTemporaryDir work;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        m_progress.Progress(int(i + 1), int(paths.size()));
        summary.outcomes << (work.isValid() ? RegisterOne(paths[i], work.path()) : MailOutcome{paths[i], MailOutcome::kUnreadable, {}});
    }
    return summary;
}

MailOutcome MailRegistration::RegisterOne(const QString& path, const QString& work)
{
    OutlookMessage message;
    const MailOutcome outcome = ReadMessageFile(path, work, message) ? StoreMessage(path, message, work)
                                                                      : MailOutcome{path, MailOutcome::kUnreadable, {}};
    // (1): whatever this message left (a duplicate's files, a failed copy's rest) goes now.
    const QDir folder(work);
    for (const QFileInfo& left : folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        left.isDir() && !left.isSymLink() ? QDir(left.filePath()).removeRecursively() : QFile::remove(left.filePath());
    return outcome;
}

MailOutcome MailRegistration::StoreMessage(const QString& path, const OutlookMessage& message, const QString& folder)
{
    const QString& mailId = message.messageId;
    if (mailId.size() > kMailIdChars)
        return {path, MailOutcome::kIdTooLong, QString::number(mailId.size())};
    // (2), and asked before the share is reached, so that a duplicate never mounts it.
    if (!mailId.isEmpty() && (m_storedIds.contains(mailId) || m_store.MailIdExists(m_store.GetTableName(), mailId) == 1))
        return {path, MailOutcome::kDuplicate, {}};
    const bool withFiles = !message.attachmentNames.isEmpty();
    const QString root = withFiles ? AttachmentRoot() : QString();
    if (withFiles && root.isEmpty())
        return {path, MailOutcome::kShareUnreachable, {}};

    MemoHeader memo = MemoOfMessage(message);
    if (!m_store.InsertRecord(memo, message.body, mailId))
        return {path, MailOutcome::kStoreFailed, m_store.LastFailureText()};
    if (!mailId.isEmpty())
        m_storedIds.insert(mailId);
    if (memo.mark == kNotInserted) // another client stored it since the check above
        return {path, MailOutcome::kDuplicate, {}};
    if (!withFiles)
        return {path, MailOutcome::kRegistered, {}};

    const QString target = AttachmentFolder(root, memo.attachId);
    if (!QDir().mkpath(target))
        return {path, MailOutcome::kCopyFailed, message.attachmentNames.first()};
    for (const QString& name : message.attachmentNames) {
        const QString copy = target + u'/' + name;
        // The folder is new; should a file be there all the same, the attachment replaces it.
        QFile::remove(copy);
        // A move where the folders share a file system, else a copy; either empties the
        // temporary folder.
        if (!QFile::rename(folder + u'/' + name, copy))
            return {path, MailOutcome::kCopyFailed, name};
    }
    return {path, MailOutcome::kRegistered, {}};
}

QString MailRegistration::AttachmentRoot()
{
    if (!m_root)
        m_root = ReachServerAttachmentRoot(m_store, m_prompts, m_shareMount);
    return *m_root;
}
