// Attachment folders: where the files of a memo live, one folder per memo named after its
// AttachID under an attachment root.
// - A local database keeps its root beside the file: the path with every ".qrl" replaced by
//   ".atc", or with ".atc" appended when it holds no ".qrl", so the root is never the file.
// - A server table keeps its root on the share smb://HOST/DATABASE of its host, reached through
//   the folder where the share is mounted: MOUNT/Quirel/TABLE.
// The mount folder is the one the caller gives (the tools take QUIREL_SHARE_MOUNT), else the
// one remembered in the setting "Brindle Hub/ShareMounts/HOST/DATABASE", else the one a
// `gio mount` of the share yields. gio reads the user, the domain and the password on its
// standard input, so the password never appears on a command line.
#pragma once

#include <QString>

class CServerStore;
class UserPrompts;

QString LocalAttachmentRoot(const QString& databasePath);
QString ServerAttachmentRoot(const QString& mountFolder, const QString& table);
QString AttachmentFolder(const QString& root, const QString& attachId);

// Who opens the share: the database's login (its user name is the database name).
struct ShareLogin {
    QString host; // without port or brackets
    QString database;
    QString password;
};

// The folder where the login's share is mounted: `given` when not empty, else the remembered
// folder, else the share mounted through gio. Empty when none of them is a folder that exists
// (the callers show message 150).
QString ReachShareMount(const ShareLogin& login, const QString& given);

// The root of the server table's folders on its mounted share (`shareMount` as above);
// empty after message 150 when the share cannot be reached.
QString ReachServerAttachmentRoot(const CServerStore& table, UserPrompts& prompts, const QString& shareMount);
