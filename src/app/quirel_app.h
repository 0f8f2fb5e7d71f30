// CQuirelApp: the application object. It starts the program in order (the settings identity,
// Qt's Japanese texts, the main window with its document and view at its last size and place,
// the command line, the window shown, file drops, the editor options), holds the editor options
// while the program runs, and carries out the commands the main window leaves to it: opening a
// text file and the options dialog.
//
// Invariant: the options members hold what section "Options" held when they were last loaded
// (at start-up and after each OK of the options dialog), and the editor wraps with those
// kinsoku sets.
#pragma once

#include "platform/settings.h"

#include <QString>
#include <QStringList>
#include <memory>

class CMainFrame;
class UserPrompts;

class CQuirelApp {
public:
    // `prompts` answers the document's questions (it must outlive the application); without it
    // the main window asks with message boxes and dialogs.
    explicit CQuirelApp(UserPrompts* prompts = nullptr);
    ~CQuirelApp();
    CQuirelApp(const CQuirelApp&) = delete;
    CQuirelApp& operator=(const CQuirelApp&) = delete;

    // Start-up; `arguments` as the program was given them (its name, then an optional path).
    // Without a path the document starts an untitled text, with one it opens the path; a path
    // the user chose not to open (a missing database not created) or that could not be opened
    // (the user was told why) leaves the untitled text. The window is then shown.
    void InitInstance(const QStringList& arguments);

    CMainFrame* MainFrame() const { return m_frame.get(); }
    const EditorOptions& Options() const { return m_options; }
    // Reads the four options from section "Options" and gives them to the view, which rewraps
    // the text shown with the kinsoku sets, and the web search host to the search bar.
    void LoadOptions();

    // テキストファイルを開く (57601) and オプション設定 (32805).
    void OnCommand(int command);

private:
    void OpenTextFile();
    void EditOptions();

    UserPrompts* m_prompts;
    std::unique_ptr<CMainFrame> m_frame;
    EditorOptions m_options;
};
