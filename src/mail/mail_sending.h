// Sending the memo shown as a new mail (メール送信, command 32819), the document's side: the
// memo's title becomes the subject, the editor's text (unsaved edits included) the body, and
// the files of the memo's attachment folder the attachments; the user's mail program opens
// its compose window with them (mail_composer.h says how).
//
// Invariants:
// (1) Only a memo of a connected server table is sent.
// (2) The folder is read only while the memo's AttachCount is above 0; then a folder that cannot
//     be reached (message 150) or listed (message 153) sends no mail, and neither does a mail
//     the mail program cannot take whole: nothing is ever cut from a mail.
// (3) Nothing of the memo, its header or its folder changes.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class CQuirelDoc;
class UserPrompts;

// The command's state (1).
bool CanSendMemoAsMail(const CQuirelDoc& doc);

// The files of `folder` that a mail carries: files only (hidden and system files too, never a
// subfolder's), by name, at most 128; nothing when the folder cannot be listed.
std::optional<QStringList> MailAttachmentFiles(const QString& folder);

// Hands the current memo to the mail program, after the notice the caller shows; returns once
// the mail program has the mail. `shareMount` as ReachShareMount takes it. True when a mail
// was handed over; every failure has been told through `prompts`.
bool SendMemoAsMail(CQuirelDoc& doc, UserPrompts& prompts, const QString& shareMount = {});
