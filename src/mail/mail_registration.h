// Registration of saved mail messages (.msg, .eml) as memos of the open server table: what a
// drop of messages on the view and `quirel-db add-mail` both do. A memo takes the subject as
// its title, the sender's and the recipient's names and addresses as its keywords, the body,
// a new AttachID, the number of attachments as its AttachCount, and the message id (with its
// angle brackets) as its MailID; its attachments go into MOUNT/Quirel/TABLE/AttachID.
//
// Invariants:
// (1) Each batch reads its messages into a temporary folder of its own, emptied when a message
//     is done and removed with the batch, so that two registrations never meet and no extracted
//     file is left behind.
// (2) A message is stored once: one whose id is in the table already, or that an earlier
//     message of the same batch stored, is a duplicate; no memo is made and none of its
//     attachments is copied.
// (3) A message id longer than the MailID column is refused, never cut: a cut id could match
//     another mail.
// (4) A message with attachments is stored only when the share can be reached, so that a memo
//     never stands without files that a second registration could not add (it is a duplicate).
// (5) One message's failure never stops the batch, and an outcome says kRegistered only for a
//     memo the server stored with all its attachments.
#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

class CServerStore;
class UserPrompts;
struct OutlookMessage;

// Told before each message is read.
class RegistrationProgress {
public:
    virtual ~RegistrationProgress() = default;
    // `item` is 1-based; the text shown is "%d / %d" from (item, count).
    virtual void Progress(int item, int count) = 0;
};

struct MailOutcome {
    enum Kind {
        kRegistered,
        kDuplicate,
        kUnreadable,     // not a readable message
        kIdTooLong,      // not stored (3)
        kShareUnreachable, // not stored (4)
        kStoreFailed,    // not stored: the server refused the memo (detail: why)
        kCopyFailed,     // stored, but an attachment was not copied (detail: its name)
    };
    QString path;
    Kind kind = kUnreadable;
    QString detail;
};

struct RegistrationSummary {
    QList<MailOutcome> outcomes;
    int Count(MailOutcome::Kind kind) const;
};

class MailRegistration {
public:
    // `shareMount` is the mount folder given by the caller (empty: remembered or mounted, see
    // attachment_folders.h). Message 150 goes to `prompts` when the share cannot be reached.
    MailRegistration(CServerStore& store, UserPrompts& prompts, RegistrationProgress& progress,
                     const QString& shareMount);

    // Registers the files in order; the store's current memo is the last one stored.
    RegistrationSummary Register(const QStringList& paths);

private:
    MailOutcome RegisterOne(const QString& path, const QString& work);
    MailOutcome StoreMessage(const QString& path, const OutlookMessage& message, const QString& folder);
    // The table's attachment root, mounting the share at the first need of the batch; empty
    // (after message 150, once) when it cannot be reached.
    QString AttachmentRoot();

    CServerStore& m_store;
    UserPrompts& m_prompts;
    RegistrationProgress& m_progress;
    QString m_shareMount;
    std::optional<QString> m_root;
    QSet<QString> m_storedIds;
};
