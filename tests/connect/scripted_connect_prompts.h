// ScriptedConnectPrompts: the connection's dialogs answered from a script, recorded into the
// same list as the messages of a ScriptedPrompts, so a test sees everything shown in order. A
// table dialog is a list of user actions on the TableSelection; a dialog without a scripted
// answer, or actions that leave the table dialog open, fail the test and answer Cancel.
#pragma once

#include "connect/connect_prompts.h"
#include "connect/table_selection.h"
#include "document/scripted_prompts.h"

#include <deque>
#include <functional>
#include <vector>

using TableAction = std::function<void(TableSelection&)>;

// Selects the entry named `table` as a click in the list does.
inline TableAction Pick(const QString& table)
{
    return [table](TableSelection& s) { s.SelectEntry(int(s.Tables().indexOf(table))); };
}
inline TableAction TypeName(const QString& name)
{
    return [name](TableSelection& s) { s.SetNewName(name); };
}
inline const TableAction kPressSelect = [](TableSelection& s) { s.PressSelect(); };
inline const TableAction kPressCreate = [](TableSelection& s) { s.PressCreate(); };
inline const TableAction kPressDelete = [](TableSelection& s) { s.PressDelete(); };
inline const TableAction kPressCancel = [](TableSelection& s) { s.Cancel(); };

class ScriptedConnectPrompts : public ConnectPrompts {
public:
    explicit ScriptedConnectPrompts(ScriptedPrompts& messages) : m_messages(messages) {}

    std::deque<std::optional<ServerLogin>> logins;
    std::deque<std::optional<QString>> passwords;
    std::deque<std::vector<TableAction>> tableDialogs;
    // Every SetBusy call, in order.
    std::vector<bool> busy;

    bool Finished() const { return logins.empty() && passwords.empty() && tableDialogs.empty(); }

    // Shown as "[接続] HOST USER".
    std::optional<ServerLogin> RunConnectDialog(const QString& host, const QString& user) override
    {
        m_messages.shown << QStringLiteral("[接続] %1 %2").arg(host, user);
        return Next(logins, std::optional<ServerLogin>());
    }

    std::optional<QString> RunPasswordDialog() override
    {
        m_messages.shown << QStringLiteral("[パスワード入力]");
        return Next(passwords, std::optional<QString>());
    }

    // Shown as "[テーブル選択] <a><b>" with the entries in the list's order.
    int RunTableDialog(TableSelection& selection) override
    {
        m_messages.shown << QStringLiteral("[テーブル選択] <%1>").arg(selection.Tables().join(u"><"));
        for (const TableAction& action : Next(tableDialogs, std::vector<TableAction>()))
            action(selection);
        if (!selection.Result()) {
            ADD_FAILURE() << "the table dialog is still open after its scripted actions";
            selection.Cancel();
        }
        return *selection.Result();
    }

    void ShowError(const QString& text) override { m_messages.shown << QStringLiteral("[エラー] ") + text; }
    void SetBusy(bool on) override { busy.push_back(on); }

private:
    template <typename T>
    T Next(std::deque<T>& queue, T unscripted)
    {
        if (queue.empty()) {
            ADD_FAILURE() << "unscripted dialog: " << m_messages.shown.last().toStdString();
            return unscripted;
        }
        T answer = std::move(queue.front());
        queue.pop_front();
        return answer;
    }

    ScriptedPrompts& m_messages;
};
