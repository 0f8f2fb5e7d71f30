// Attachment file names: names from outside made safe for the attachment folder, which Windows
// clients of the same share also use, and made distinct within one message.
// Invariants of every name given out: one path component (no "/" or "\"), not "", "." or "..",
// no control character, none of : * ? " < > |, no trailing dot or space, no reserved device
// name, at most 255 bytes in UTF-8; and a namer never gives out the same name twice.
#pragma once

#include <QSet>
#include <QString>

// The name an attachment gets from its own name `raw`. `position` (1-based among the message's
// attachments) names it "添付N" when nothing usable is left; `extension` (".png", or empty) is
// added to such a name.
QString SafeAttachmentName(const QString& raw, int position, const QString& extension);

// The extension (".pdf") that a MIME type's files usually carry; empty when unknown.
QString ExtensionOfMimeType(const QString& mimeType);

// Hands out the file names of one message's attachments: a name already given out becomes
// "name (2).ext", "name (3).ext" and so on.
class AttachmentNamer {
public:
    QString Claim(const QString& raw, int position, const QString& extension);

private:
    QSet<QString> m_taken; // case-folded
};

// Creates `name` (from an AttachmentNamer) afresh in `folder`: whatever was there under that
// name, a symbolic link included, is removed first, so the data never lands elsewhere.
// Returns the file's path, or an empty string when it cannot be created.
QString CreateAttachmentFile(const QString& folder, const QString& name);
