// The 添付フォルダ command on the document (command 32817): the current memo's attachment
// folder is made ready before the folder window opens, and the memo's AttachCount follows what
// the folder holds once the window has closed.
//
// Invariant: the memo is marked modified only when the count changed, so that looking into a
// folder never makes a memo ask to be saved.
#pragma once

#include <QString>
#include <optional>

class CQuirelDoc;
class UserPrompts;

// The current memo's folder, made with its parents: under the local root beside the database
// file, or under the server table's root on the mounted share (`shareMount` as
// ReachShareMount takes it). Nothing when no database is open, when the user declines to store
// a memo never stored (message 120) or its save fails, or when the share cannot be reached
// (after message 150).
std::optional<QString> PrepareAttachmentFolder(CQuirelDoc& doc, UserPrompts& prompts, const QString& shareMount = {});

// Files and subfolders in `folder`, hidden ones included; 0 when it cannot be listed.
int CountFolderEntries(const QString& folder);

// After the folder window: the current header takes the folder's count when it differs, and
// the memo is marked modified so that the next save stores it.
void RefreshAttachCount(CQuirelDoc& doc, const QString& folder);
