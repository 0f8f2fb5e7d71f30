// CTextHostWindow: a plain main window around the editor view for one text file, so that the
// editor can be used before the full main window exists. It owns the text store, shows the
// view's status texts in its status bar, saves with the editor's save command (in the file's
// own encoding), and asks before unsaved changes are lost.
//
// Invariants: the view always shows the window's store; the title names the file ("無題"
// without one) and carries "*" exactly while the store is edited.
#pragma once

#include "editor/text_store.h"
#include "platform/code_page.h"

#include <QMainWindow>
#include <memory>

class CQuirelView;
class QLabel;

class CTextHostWindow : public QMainWindow {
    Q_OBJECT

public:
    // Opens `path` when given (a file that does not exist yet is created by the first save),
    // otherwise an empty untitled text.
    explicit CTextHostWindow(const QString& path = {}, QWidget* parent = nullptr);
    ~CTextHostWindow() override;

    CQuirelView* View() const { return m_view; }
    const QString& FilePath() const { return m_path; }
    // Writes the text to its file, asking for a path when it has none; false when nothing was
    // written (the user was told why, or cancelled).
    bool Save();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Open(const QString& path);
    void OnHostCommand(int command);
    void UpdateTitle();

    CodePage m_ansi;
    std::unique_ptr<CTextStore> m_store;
    QString m_path;
    CQuirelView* m_view = nullptr;
    QLabel* m_positionLabel = nullptr;
    QLabel* m_changedLabel = nullptr;
};
