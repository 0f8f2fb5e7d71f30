// The table dialog (see sel_table.h).
#include "sel_table.h"

#include "connect/table_selection.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

CSelTable::CSelTable(TableSelection& selection, QWidget* parent) : QDialog(parent), m_selection(selection)
{
    setWindowTitle(QStringLiteral("データベースファイル（テーブル）の選択・作成"));
    auto* layout = new QGridLayout(this);
    auto* listLabel = new QLabel(QStringLiteral("データベースファイル（テーブル）選択(&S)"));
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("tables"));
    m_list->addItems(selection.Tables());
    listLabel->setBuddy(m_list);
    layout->addWidget(listLabel, 0, 0);
    layout->addWidget(m_list, 1, 0);

    auto* buttons = new QVBoxLayout;
    m_select = new QPushButton(QStringLiteral("選択"));
    m_select->setObjectName(QStringLiteral("select"));
    m_select->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"));
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    m_delete = new QPushButton(QStringLiteral("削除(&D)"));
    m_delete->setObjectName(QStringLiteral("delete"));
    m_delete->setAutoDefault(false);
    buttons->addWidget(m_select);
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(m_delete);
    layout->addLayout(buttons, 1, 1);

    auto* group = new QGroupBox(QStringLiteral("新規データベースファイル名（ テーブル）(&T)"));
    auto* groupLayout = new QHBoxLayout(group);
    m_newName = new QLineEdit;
    m_newName->setObjectName(QStringLiteral("newName"));
    m_create = new QPushButton(QStringLiteral("新規作成(&C)"));
    m_create->setObjectName(QStringLiteral("create"));
    m_create->setAutoDefault(false);
    groupLayout->addWidget(m_newName);
    groupLayout->addWidget(m_create);
    layout->addWidget(group, 2, 0, 1, 2);

    connect(m_list, &QListWidget::currentRowChanged, this,
            [this](int row) { Apply([row](TableSelection& s) { s.SelectEntry(row); }); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        Apply([row = m_list->row(item)](TableSelection& s) { s.ActivateEntry(row); });
    });
    connect(m_newName, &QLineEdit::textEdited, this,
            [this](const QString& text) { Apply([&text](TableSelection& s) { s.SetNewName(text); }); });
    connect(m_select, &QPushButton::clicked, this, [this] { Apply([](TableSelection& s) { s.PressSelect(); }); });
    connect(m_delete, &QPushButton::clicked, this, [this] { Apply([](TableSelection& s) { s.PressDelete(); }); });
    connect(cancel, &QPushButton::clicked, this, &CSelTable::reject);
    connect(m_create, &QPushButton::clicked, this, [this] {
        Apply([](TableSelection& s) { s.PressCreate(); });
        m_newName->setFocus();
    });

    ShowState();
    if (m_list->count() > 0)
        m_list->setFocus();
    else
        m_create->setFocus(); // the name box opens with the first press
}

void CSelTable::reject()
{
    Apply([](TableSelection& s) { s.Cancel(); });
}

template <typename Call>
void CSelTable::Apply(Call call)
{
    call(m_selection);
    if (const std::optional<int> result = m_selection.Result())
        done(*result);
    else
        ShowState();
}

void CSelTable::ShowState()
{
    {
        const QSignalBlocker quiet(m_list);
        m_list->setCurrentRow(m_selection.Selected());
        if (m_selection.Selected() < 0)
            m_list->clearSelection();
    }
    m_select->setEnabled(m_selection.SelectEnabled());
    m_delete->setEnabled(m_selection.DeleteEnabled());
    m_newName->setEnabled(m_selection.NewNameEnabled());
}
