#include "ren_import_widget.h"

#include "import/import_texts.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kPaintEveryMs = 50;

} // namespace

RenImportWidget::RenImportWidget(QWidget* parent)
    : QDialog(parent),
      m_counter(new QLabel(ImportCounterText(0, 0), this)),
      m_start(new QPushButton(QStringLiteral("開始"), this)),
      m_cancel(new QPushButton(QStringLiteral("キャンセル"), this))
{
    setWindowTitle(ImportDialogCaption());
    setModal(true);
    auto* explanation = new QLabel(ImportDialogExplanation(), this);
    explanation->setWordWrap(true);
    auto* counterRow = new QHBoxLayout;
    counterRow->addWidget(new QLabel(ImportCounterLabel(), this));
    counterRow->addWidget(m_counter, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(counterRow);
    layout->addLayout(buttons);
    m_start->setDefault(true);
    connect(m_start, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
}

bool RenImportWidget::WaitForStart()
{
    // The dialog stays on screen after 開始: the run paints into it.
    QEventLoop loop;
    bool started = false;
    const auto connection = connect(this, &QDialog::finished, &loop, [&](int result) {
        started = result == QDialog::Accepted;
        loop.quit();
    });
    open();
    loop.exec();
    disconnect(connection);
    if (started)
        show();
    m_sincePaint.start();
    return started;
}

void RenImportWidget::DisableButtons()
{
    m_start->setEnabled(false);
    m_cancel->setEnabled(false);
}

void RenImportWidget::ShowCounter(const QString& text)
{
    m_counter->setText(text);
    if (m_sincePaint.isValid() && m_sincePaint.elapsed() < kPaintEveryMs)
        return;
    m_sincePaint.restart();
    // The buttons are disabled, so what the user can do meanwhile cannot reach the import.
    QCoreApplication::processEvents();
}

void RenImportWidget::Close(int result)
{
    done(result == 1 ? QDialog::Accepted : QDialog::Rejected);
}

void RenImportWidget::reject()
{
    if (m_cancel->isEnabled())
        QDialog::reject();
}
