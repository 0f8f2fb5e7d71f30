// CRenImportDialog: dialog 138, the import of a tagged text export into the open store. The
// local database's dialog (CSabrelRen) and the server table's (CBrindleRen) differ only in their
// ImportTarget, so both are this class over the document's MemoStore.
// The window is behind RenImportWindow: the widget shows it, tests script it. Flow: the window
// waits for 開始 or キャンセル; 開始 disables both buttons, runs the import showing the counter
// ("lines / stored") after every line, tells the outcome in a message box and closes the window.
// A file that cannot be read, and notes that could not be stored, are told as such, never as
// "登録が終わりました" alone.
#pragma once

#include <QString>

class MemoStore;
class UserPrompts;

class RenImportWindow {
public:
    virtual ~RenImportWindow() = default;
    // Shows the dialog and waits: true for 開始, false for キャンセル or a closed window.
    virtual bool WaitForStart() = 0;
    // Disables 開始 and キャンセル for the rest of the run.
    virtual void DisableButtons() = 0;
    // Sets the counter static and keeps the window painted and responsive.
    virtual void ShowCounter(const QString& text) = 0;
    // Closes the window with a dialog result (1 as with OK, 2 cancelled).
    virtual void Close(int result) = 0;
};

class CRenImportDialog {
public:
    CRenImportDialog(MemoStore& store, const QString& path, UserPrompts& prompts)
        : m_store(store), m_path(path), m_prompts(prompts)
    {
    }
    // 1 after a run (whatever it stored), 2 when cancelled before the start.
    int DoModal(RenImportWindow& window);

private:
    MemoStore& m_store;
    QString m_path;
    UserPrompts& m_prompts;
};
