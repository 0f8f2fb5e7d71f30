// TableSelection: what the table dialog (CSelTable) does, without its widgets: the memo tables
// of the server sorted by name, the chosen table, the new-name box, the answers of the buttons,
// and the result the dialog ends with. The widget shows this state and turns clicks into calls.
//
// Invariants: the entries are the names of the table list text, sorted; Selected() is an entry
// or -1; Result() is set at most once and nothing changes after it; a result of 1 or 138 names
// an entry and 137 a non-empty new name as ChosenTable().
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class UserPrompts;

class TableSelection {
public:
    enum Result : int { kSelect = 1, kCancel = 2, kCreate = 137, kDelete = 138 };

    // `tableList` is the store's "<name><name>..." text; `countRecords` counts a table's records
    // for the delete questions (-1 when it fails; null when there is no store).
    TableSelection(UserPrompts& prompts, const QString& tableList, std::function<int(const QString&)> countRecords);

    const QStringList& Tables() const { return m_tables; }
    int Selected() const { return m_selected; }
    bool SelectEnabled() const { return m_selectEnabled; }
    bool DeleteEnabled() const { return m_deleteEnabled; }
    bool NewNameEnabled() const { return m_newNameEnabled; }
    const QString& NewName() const { return m_newName; }
    const QString& ChosenTable() const { return m_chosen; }
    std::optional<int> Result() const { return m_result; }

    // The list's selection changed to `index` (-1: none).
    void SelectEntry(int index);
    // A double click on an entry: as selecting it and pressing 選択.
    void ActivateEntry(int index);
    void SetNewName(const QString& name);
    // 選択 (also Enter): the selected entry, else the new name as 新規作成 would, else 113.
    void PressSelect();
    // 新規作成: the first press opens the name box; with a name, question 117.
    void PressCreate();
    // 削除: questions 115 and 116 with the table's record count ("N/A" when unknown).
    void PressDelete();
    // キャンセル, Escape, closing the window.
    void Cancel();

private:
    void End(int result);

    UserPrompts& m_prompts;
    std::function<int(const QString&)> m_countRecords;
    QStringList m_tables;
    int m_selected = -1;
    bool m_selectEnabled = true;
    bool m_deleteEnabled = true;
    bool m_newNameEnabled = false;
    QString m_newName;
    QString m_chosen;
    std::optional<int> m_result;
};
