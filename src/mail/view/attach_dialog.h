// CAttach ("関連フォルダ"): the folder window of a memo's attachments. A file view rooted at
// the memo's folder: a double click opens a file with the desktop's application and a
// subfolder in place; "上のフィルだへ戻る" shows only below the root and goes up one folder;
// files dropped on the view are copied in (never moved); 閉じる(C) and Escape close it.
#pragma once

#include <QDialog>

class CQuirelDoc;
class QFileSystemModel;
class QListView;
class QModelIndex;
class QPushButton;
class UserPrompts;

class CAttach : public QDialog {
    Q_OBJECT

public:
    explicit CAttach(const QString& root, QWidget* parent = nullptr);
    // The folder shown now.
    QString CurrentLocation() const { return m_current; }
    void Open(const QModelIndex& index);
    void GoUp();

private:
    void Show(const QString& folder);

    QString m_root;
    QString m_current;
    QFileSystemModel* m_model = nullptr;
    QListView* m_view = nullptr;
    QPushButton* m_up = nullptr;
};

// Command 32817: the current memo's folder in CAttach, then its AttachCount refreshed.
void RunAttachmentFolderCommand(CQuirelDoc& doc, UserPrompts& prompts, QWidget* parent);
