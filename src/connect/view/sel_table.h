// CSelTable: the table dialog "データベースファイル（テーブル）の選択・作成". It shows a
// TableSelection (the sorted table list, the new-name box, the buttons' states) and turns
// clicks, a double click, typing and Escape into its calls; it ends with the selection's result.
//
// Invariant: after every call the widgets show the selection's state (list selection, enabled
// boxes and buttons).
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class TableSelection;

class CSelTable : public QDialog {
    Q_OBJECT

public:
    // `selection` must outlive the dialog.
    explicit CSelTable(TableSelection& selection, QWidget* parent = nullptr);

    // キャンセル, Escape and the window's close button.
    void reject() override;

private:
    // Runs one of the selection's calls, then shows its state or ends the dialog.
    template <typename Call>
    void Apply(Call call);
    void ShowState();

    TableSelection& m_selection;
    QListWidget* m_list = nullptr;
    QLineEdit* m_newName = nullptr;
    QPushButton* m_select = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_create = nullptr;
};
