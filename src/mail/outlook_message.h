// OutlookMessage: what a memo takes from one mail message, whichever file it came from (an
// Outlook .msg or an RFC 5322 .eml). Every text is already decoded to UTF-16.
// Invariant after a successful read: each entry of attachmentNames names a file that exists in
// the attachment folder the reader was given, each name once (compared case-insensitively, as
// the share's Windows clients do), in the order of the message's attachments.
#pragma once

#include <QString>
#include <QStringList>

struct OutlookMessage {
    QString senderAddress;
    QString senderName;
    QString recipientAddress;
    QString recipientName;
    QString subject;
    QString body;
    QStringList attachmentNames;
    // With its angle brackets, as Outlook stores it; empty when the mail has none.
    QString messageId;

    void Clear() { *this = OutlookMessage(); }
};
