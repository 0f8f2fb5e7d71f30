#include "text_host_window.h"

#include "document/text_file.h"
#include "editor/view/quirel_view.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

namespace {
constexpr int kSaveCommand = 402;
}

CTextHostWindow::CTextHostWindow(const QString& path, QWidget* parent)
    : QMainWindow(parent),
      m_ansi(CodePage::System()),
      m_store(std::make_unique<CTextStore>()),
      m_view(new CQuirelView(this)),
      m_positionLabel(new QLabel(this)),
      m_changedLabel(new QLabel(this))
{
    setCentralWidget(m_view);
    statusBar()->addPermanentWidget(m_positionLabel);
    statusBar()->addPermanentWidget(m_changedLabel);
    connect(m_view, &CQuirelView::StatusChanged, this, [this](const QString& position, const QString& changed) {
        m_positionLabel->setText(position);
        m_changedLabel->setText(changed);
        UpdateTitle();
    });
    connect(m_view, &CQuirelView::HostCommand, this, &CTextHostWindow::OnHostCommand);

    // No shortcuts: every key belongs to the editor's key table (save is its command 402).
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(QStringLiteral("上書き保存(&S)"), this, &CTextHostWindow::Save);
    file->addSeparator();
    file->addAction(QStringLiteral("終了(&X)"), this, &QWidget::close);
    menuBar()->addMenu(QStringLiteral("書式(&O)"))->addAction(QStringLiteral("フォント変更(&F)"), this, [this] {
        m_view->RunMenuCommand(ViewCommand::kChangeFont);
    });
    menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"))->addAction(QStringLiteral("キー割り当てと機能一覧(&C)..."), this, [this] {
        m_view->RunMenuCommand(ViewCommand::kKeyList);
    });

    Open(path);
}

CTextHostWindow::~CTextHostWindow() = default;

void CTextHostWindow::Open(const QString& path)
{
    m_path = path;
    QString error;
    if (!path.isEmpty() && QFileInfo::exists(path) && !ReadTextFile(path, *m_store, m_ansi, &error)) {
        QMessageBox::warning(this, QCoreApplication::applicationName(),
                             QStringLiteral("ファイルを開けません。\n%1").arg(error));
        m_path.clear();
    }
    m_view->ShowStore(m_store.get());
    UpdateTitle();
}

bool CTextHostWindow::Save()
{
    QString target = m_path;
    if (target.isEmpty()) {
        target = QFileDialog::getSaveFileName(this, QStringLiteral("名前を付けて保存"), {},
                                              QStringLiteral("テキスト ファイル (*.txt);;すべてのファイル (*)"));
        if (target.isEmpty())
            return false;
    }
    QString error;
    if (!WriteTextFile(*m_store, target, m_ansi, &error)) {
        QMessageBox::warning(this, QCoreApplication::applicationName(),
                             QStringLiteral("保存できませんでした。\n%1").arg(error));
        return false;
    }
    m_path = target;
    m_store->SetEdited(false);
    m_view->Refresh();
    UpdateTitle();
    return true;
}

void CTextHostWindow::OnHostCommand(int command)
{
    if (command == kSaveCommand)
        Save();
}

void CTextHostWindow::UpdateTitle()
{
    const QString name = m_path.isEmpty() ? QStringLiteral("無題") : QFileInfo(m_path).fileName();
    setWindowTitle(name + QStringLiteral("[*] - ") + QCoreApplication::applicationName());
    setWindowModified(m_store->Edited());
}

void CTextHostWindow::closeEvent(QCloseEvent* event)
{
    if (!m_store->Edited())
        return event->accept();
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(),
                    QStringLiteral("変更を保存しますか？"), QMessageBox::NoButton, this);
    QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("破棄"), QMessageBox::DestructiveRole);
    box.setEscapeButton(box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole));
    box.exec();
    const bool mayClose = box.clickedButton() == discard || (box.clickedButton() == save && Save());
    mayClose ? event->accept() : event->ignore();
}
