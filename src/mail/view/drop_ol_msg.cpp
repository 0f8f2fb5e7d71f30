// The registration dialog of a message drop (see drop_ol_msg.h).
#include "drop_ol_msg.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CDropOLMsg::CDropOLMsg(std::function<void(RegistrationProgress&)> run, QWidget* parent)
    : QDialog(parent), m_run(std::move(run))
{
    setWindowTitle(QStringLiteral("Outlook メッセージ登録"));
    auto* text = new QLabel(QStringLiteral("ドロップされたOutlook のメッセージを添付ファイルと共に Brindle Hub "
                                           "データベースに登録します。\n\n【注意】既に登録されているメールは重複登録されません。"),
                            this);
    text->setWordWrap(true);
    m_progress = new QLabel(this);
    m_progress->setAlignment(Qt::AlignCenter);
    auto* buttons = new QDialogButtonBox(this);
    m_start = buttons->addButton(QStringLiteral("開始"), QDialogButtonBox::AcceptRole);
    m_start->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDropOLMsg::Start);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDropOLMsg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_progress);
    layout->addWidget(buttons);
}

void CDropOLMsg::Progress(int item, int count)
{
    m_progress->setText(QStringLiteral("%1 / %2").arg(item).arg(count));
    QCoreApplication::processEvents();
}

void CDropOLMsg::reject()
{
    if (!m_running)
        QDialog::reject();
}

void CDropOLMsg::Start()
{
    if (m_running)
        return;
    m_running = true;
    m_start->setEnabled(false);
    m_run(*this);
    m_running = false;
    accept();
}
