#include "replace_dialog.h"

#include "editor/view/quirel_view.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPointer<CReplaceDlg> g_openDialog;
} // namespace

CReplaceDlg* CReplaceDlg::Open(CQuirelView& view)
{
    if (!g_openDialog)
        g_openDialog = new CReplaceDlg(view);
    g_openDialog->show();
    g_openDialog->raise();
    g_openDialog->activateWindow();
    return g_openDialog;
}

CReplaceDlg::CReplaceDlg(CQuirelView& view) : QDialog(&view), m_view(view), m_session(view.Editor())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("置換"));
    m_before = new QLineEdit(m_session.Strings().before);
    m_before->setObjectName(QStringLiteral("before"));
    m_after = new QLineEdit(m_session.Strings().after);
    m_after->setObjectName(QStringLiteral("after"));
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("検索する文字列(&N):"), m_before);
    fields->addRow(QStringLiteral("置換後の文字列(&P):"), m_after);

    auto* buttons = new QDialogButtonBox(Qt::Vertical);
    QPushButton* findNext = buttons->addButton(QStringLiteral("次を検索(&F)"), QDialogButtonBox::ActionRole);
    QPushButton* replace = buttons->addButton(QStringLiteral("置換して次に(&R)"), QDialogButtonBox::ActionRole);
    QPushButton* replaceAll = buttons->addButton(QStringLiteral("すべて置換(&A)"), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    findNext->setDefault(true);
    connect(findNext, &QPushButton::clicked, this, &CReplaceDlg::FindNext);
    connect(replace, &QPushButton::clicked, this, &CReplaceDlg::Replace);
    connect(replaceAll, &QPushButton::clicked, this, &CReplaceDlg::ReplaceAll);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Nothing can be found without a search text.
    const auto enableActions = [=](const QString& text) {
        for (QPushButton* button : {findNext, replace, replaceAll})
            button->setEnabled(!text.isEmpty());
    };
    connect(m_before, &QLineEdit::textChanged, this, enableActions);
    enableActions(m_before->text());

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addWidget(buttons);
}

CReplaceDlg::~CReplaceDlg()
{
    m_session.Save();
}

void CReplaceDlg::FindNext()
{
    ShowResult(m_session.FindNext(Fields()));
}

void CReplaceDlg::Replace()
{
    ShowResult(m_session.Replace(Fields()));
}

void CReplaceDlg::ReplaceAll()
{
    m_session.ReplaceAll(Fields());
    ShowResult(false);
}

void CReplaceDlg::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    if (isVisible())
        activateWindow(); // a find hands the focus to the view; a moved dialog takes it back
}

ReplaceStrings CReplaceDlg::Fields() const
{
    return {m_before->text(), m_after->text()};
}

void CReplaceDlg::ShowResult(bool found)
{
    m_view.Refresh();
    if (found) {
        m_view.activateWindow();
        m_view.setFocus(Qt::OtherFocusReason);
    }
}
