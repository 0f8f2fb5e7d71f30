// The attachment folder window and its command (see attach_dialog.h).
#include "attach_dialog.h"

#include "mail/attachment_folder_command.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QListView>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

CAttach::CAttach(const QString& root, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_root(QDir::cleanPath(root))
{
    setWindowTitle(QStringLiteral("関連フォルダ"));
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    m_model->setReadOnly(false); // takes drops
    m_view = new QListView(this);
    m_view->setModel(m_model);
    m_view->setDragDropMode(QAbstractItemView::DropOnly);
    m_view->setDefaultDropAction(Qt::CopyAction);
    connect(m_view, &QListView::doubleClicked, this, &CAttach::Open);
    m_up = new QPushButton(QStringLiteral("上のフィルだへ戻る"), this);
    connect(m_up, &QPushButton::clicked, this, &CAttach::GoUp);
    auto* close = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &CAttach::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_up);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addLayout(buttons);
    resize(632, 366);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Show(m_root);
    QApplication::restoreOverrideCursor();
}

void CAttach::Show(const QString& folder)
{
    m_current = folder;
    m_view->setRootIndex(m_model->setRootPath(folder));
    m_up->setVisible(m_current.size() > m_root.size());
}

void CAttach::Open(const QModelIndex& index)
{
    const QString path = m_model->filePath(index);
    if (m_model->isDir(index))
        Show(path);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void CAttach::GoUp()
{
    if (m_current.size() > m_root.size())
        Show(QFileInfo(m_current).path());
}

void RunAttachmentFolderCommand(CQuirelDoc& doc, UserPrompts& prompts, QWidget* parent)
{
    const std::optional<QString> folder = PrepareAttachmentFolder(doc, prompts);
    if (!folder)
        return;
    CAttach(*folder, parent).exec();
    RefreshAttachCount(doc, *folder);
}
