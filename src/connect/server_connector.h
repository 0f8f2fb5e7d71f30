// ServerConnector: every way from the user to a server table. The command "Brindle Hub DBを
// 開く" (OnOpenServerDb), server shortcut files, and OpenServerDatabase, which connects a new
// CServerStore, lets the user choose, create or delete a table and hands the open table to the
// document. It also keeps the open connection alive.
//
// Invariants: the password is never written anywhere (host and user are remembered in the
// settings, "Brindle Hub"/"HostName" and "UserID", at OK, before connecting); the document gets
// a server store only when it is connected and its table is set; after a cancelled or deleting
// table dialog the document has no database and is an untitled text.
#pragma once

#include "connect/icmp_probe.h"

#include <QString>

class CQuirelDoc;
class ConnectPrompts;
class UserPrompts;
struct ServerShortcut;

struct ConnectEnvironment {
    QString programFolder;                // where the VPN manager is looked for
    unsigned probeMethods = kProbeAllMethods;
};

class ServerConnector {
public:
    ServerConnector(CQuirelDoc& doc, UserPrompts& prompts, ConnectPrompts& dialogs, ConnectEnvironment environment);

    // Command 32807: unsaved work, the reachability probe of the host used last time (with
    // the VPN manager offered when it is silent), the connect dialog, then OpenServerDatabase.
    void OnOpenServerDb();
    // A .nbk file read by the document: the password dialog, then its table opens directly. A
    // table name the server could not take is refused with a message first.
    bool OpenServerShortcut(const ServerShortcut& shortcut);
    // Connects (with the wait cursor) and opens `table`, or the table the user chooses when it is
    // empty. 1 when a table was opened, 0 otherwise (the user has been told why).
    int OpenServerDatabase(const QString& user, const QString& password, const QString& database,
                           const QString& host, const QString& table);
    // The view's keep-alive tick: pings an open server connection and reports a lost one.
    void KeepAlive();

private:
    bool HostAnswers(const QString& hostField);
    void Tell(const QString& text);

    CQuirelDoc& m_doc;
    UserPrompts& m_prompts;
    ConnectPrompts& m_dialogs;
    ConnectEnvironment m_environment;
};
