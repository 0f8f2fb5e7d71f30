// The ways to a server table (see server_connector.h).
#include "server_connector.h"

#include "connect/connect_prompts.h"
#include "connect/table_selection.h"
#include "connect/vpn_manager.h"
#include "document/quirel_doc.h"
#include "document/server_shortcut.h"
#include "document/string_table.h"
#include "document/user_prompts.h"
#include "store/host_field.h"
#include "store/server_store.h"
#include "store/table_name.h"

#include <QSettings>
#include <memory>
#include <utility>

namespace {

const QString kHostNameKey = QStringLiteral("Brindle Hub/HostName");
const QString kUserIdKey = QStringLiteral("Brindle Hub/UserID");

QString Remembered(const QString& key)
{
    return QSettings().value(key).toString();
}

} // namespace

ServerConnector::ServerConnector(CQuirelDoc& doc, UserPrompts& prompts, ConnectPrompts& dialogs,
                                 ConnectEnvironment environment)
    : m_doc(doc), m_prompts(prompts), m_dialogs(dialogs), m_environment(std::move(environment))
{
}

void ServerConnector::OnOpenServerDb()
{
    if (m_doc.IsModified()) {
        if (m_doc.IsDatabaseOpen()) {
            if (m_doc.AskSaveMemo() == 0)
                return;
        } else {
            m_doc.New(); // whatever the user answers, the command goes on
        }
    }
    // Only the host used last time is probed; one typed in the dialog below is not.
    const QString lastHost = Remembered(kHostNameKey);
    if (!lastHost.isEmpty() && !HostAnswers(lastHost) &&
        m_prompts.Ask(MessageText(kMsgVpnNotConnected).arg(lastHost), PromptButtons::kYesNo) == kAnswerYes) {
        if (const std::optional<QString> failure = StartVpnManager(m_environment.programFolder))
            Tell(*failure);
        return;
    }
    const std::optional<ServerLogin> login = m_dialogs.RunConnectDialog(Remembered(kHostNameKey), Remembered(kUserIdKey));
    if (!login)
        return;
    // Remembered before connecting, so that a failed connection keeps what was typed.
    QSettings settings;
    settings.setValue(kHostNameKey, login->host);
    settings.setValue(kUserIdKey, login->user);
    settings.sync();
    OpenServerDatabase(login->user, login->password, login->user, login->host, {});
}

bool ServerConnector::HostAnswers(const QString& hostField)
{
    switch (ProbeHost(ParseHostField(hostField).name, m_environment.probeMethods)) {
    case ProbeResult::kReachable:
        return true;
    case ProbeResult::kNoEchoMethod:
        m_dialogs.ShowError(NoEchoMethodText());
        return false;
    case ProbeResult::kUnreachable:
        break;
    }
    return false;
}

bool ServerConnector::OpenServerShortcut(const ServerShortcut& shortcut)
{
    if (!IsPlainTableName(shortcut.table)) {
        Tell(ShortcutTableRefusedText(shortcut.table));
        return false;
    }
    const std::optional<QString> password = m_dialogs.RunPasswordDialog();
    return password && OpenServerDatabase(shortcut.user, *password, shortcut.user, shortcut.host, shortcut.table) == 1;
}

int ServerConnector::OpenServerDatabase(const QString& user, const QString& password, const QString& database,
                                        const QString& host, const QString& table)
{
    if (m_doc.Mode() == DocumentMode::kServer)
        m_doc.CloseDatabase();
    auto store = std::make_unique<CServerStore>(m_prompts);
    m_dialogs.SetBusy(true);
    const int connected = store->Connect(user, password, database, host);
    m_dialogs.SetBusy(false);
    if (!connected)
        return 0;

    QString chosen = table;
    if (chosen.isEmpty()) {
        TableSelection selection(m_prompts, store->ListTables(),
                                 [&store](const QString& name) { return store->CountTableRecords(name); });
        const int result = m_dialogs.RunTableDialog(selection);
        chosen = selection.ChosenTable();
        if (result == TableSelection::kCreate && !store->CreateTable(chosen)) {
            Tell(MessageText(kMsgTableCreateFailed));
            return 0;
        }
        if (result != TableSelection::kSelect && result != TableSelection::kCreate) {
            if (result == TableSelection::kDelete && !store->DropTable(chosen))
                Tell(TableDropFailedText(chosen));
            // Without a table the connection ends, and so does whatever was open before.
            store.reset();
            if (m_doc.IsDatabaseOpen())
                m_doc.CloseDatabase();
            else
                m_doc.OnNewDocument();
            return 0;
        }
    }
    store->SetTableName(chosen);
    store->CountRecords();
    m_doc.AttachServerStore(std::move(store));
    return 1;
}

void ServerConnector::KeepAlive()
{
    auto* server = dynamic_cast<CServerStore*>(m_doc.Store());
    if (server && server->IsConnected() && server->Ping() != 0)
        server->ReportLostConnection();
}

void ServerConnector::Tell(const QString& text)
{
    m_prompts.Ask(text, PromptButtons::kOk);
}
