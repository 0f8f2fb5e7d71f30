// ConnectPrompts: the dialogs of connecting to a server, beside the document's UserPrompts
// (which shows the messages). The widget layer answers with the dialogs CConnectBH, CBHPass and
// CSelTable; tests answer from a script.
#pragma once

#include <QString>
#include <optional>

class TableSelection;

// What the connect dialog hands on at OK, as typed (no trimming, no checks).
struct ServerLogin {
    QString host, user, password;
};

class ConnectPrompts {
public:
    virtual ~ConnectPrompts() = default;

    // The connect dialog, its boxes filled with `host`, `user` and an empty password; the three
    // boxes at OK, nothing at cancel.
    virtual std::optional<ServerLogin> RunConnectDialog(const QString& host, const QString& user) = 0;
    // The password dialog of a server shortcut (at most 80 characters); nothing at cancel.
    virtual std::optional<QString> RunPasswordDialog() = 0;
    // The table dialog on `selection` until it ends; returns its result (TableSelection::Result).
    virtual int RunTableDialog(TableSelection& selection) = 0;
    // A message in a box titled "エラー".
    virtual void ShowError(const QString& text) = 0;
    // The wait cursor while a connection is tried (true) and after it (false).
    virtual void SetBusy(bool busy) = 0;
};
