// ScriptedConnectPrompts: the connection's dialogs answered from a script and recorded in the
// `shown` list of a ScriptedPrompts, so a test sees messages and dialogs in one order. A table
// dialog's script is a list of user actions; an unscripted dialog, or actions that leave the
// table dialog open, fail the test and answer Cancel.
#pragma once

#include "connect/connect_prompts.h"
#include "connect/table_selection.h"
#include "document/scripted_prompts.h"

#include <functional>

using TableAction = std::function<void(TableSelection&)>;

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
    std::vector<bool> busy; // every SetBusy call

    bool Finished() const { return logins.empty() && passwords.empty() && tableDialogs.empty(); }

    // "[接続] HOST USER", "[パスワード入力]", "[テーブル選択] <a><b>" (the list's order), "[エラー] TEXT".
    std::optional<ServerLogin> RunConnectDialog(const QString& host, const QString& user) override
    {
        return Next(QStringLiteral("[接続] %1 %2").arg(host, user), logins, {});
    }
    std::optional<QString> RunPasswordDialog() override { return Next(QStringLiteral("[パスワード入力]"), passwords, {}); }
    int RunTableDialog(TableSelection& selection) override
    {
        const QString shown = QStringLiteral("[テーブル選択] <%1>").arg(selection.Tables().join(u"><"));
        for (const TableAction& action : Next(shown, tableDialogs, {}))
            action(selection);
        EXPECT_TRUE(selection.Result()) << "the table dialog is still open after its script";
        selection.Cancel();
        return *selection.Result();
    }
    void ShowError(const QString& text) override { m_messages.shown << QStringLiteral("[エラー] ") + text; }
    void SetBusy(bool on) override { busy.push_back(on); }

private:
// GCC 12 reports a false "maybe uninitialized" for the strings inside an optional taken out of
// the queue (as in ScriptedPrompts).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
    template <typename T>
    T Next(const QString& shown, std::deque<T>& queue, T unscripted)
    {
        m_messages.shown << shown;
        if (queue.empty()) {
            ADD_FAILURE() << "unscripted dialog: " << shown.toStdString();
            return unscripted;
        }
        T answer = std::move(queue.front());
        queue.pop_front();
        return answer;
    }
#pragma GCC diagnostic pop

    ScriptedPrompts& m_messages;
};
