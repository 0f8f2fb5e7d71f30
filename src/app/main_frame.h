// CMainFrame: the main window. It owns the document and the editor view and carries the menu,
// the tool bar, the search bar and the status bar around the view. Menu, tool-bar and editor
// key commands are routed to the view first, then to the document, then to the frame; what is
// left goes to the application (ApplicationCommand). As the document's DocumentViews it shows
// each new text store in the view (a database memo in its header's font), switches the search
// bar between text-file and database mode, and keeps the caption and the memo's place "n / N".
// Its size and place are saved whenever it closes; long commands show the wait cursor.
//
// Invariants: the view always shows the document's current text store; every command's action
// is enabled exactly while the command may run, and a disabled command does nothing however it
// arrives; the encoding button is enabled only in text-file mode and names the text's encoding,
// 検索 only in database mode; the window closes only after the document agreed (unsaved work
// is always asked about).
#pragma once

#include "app/recent_file_list.h"
#include "browser/list_requests.h"
#include "connect/server_connector.h"
#include "document/document_views.h"
#include "editor/view/print_commands.h"

#include <QHash>
#include <QMainWindow>
#include <memory>

class CQuirelDoc;
class CQuirelView;
class CSabrelList;
class CSearchDialogBar;
class ConnectPrompts;
class QLabel;
class QMenu;
class QToolBar;
class UserPrompts;

// Commands of menu 128 besides the view's editing commands (ViewCommand) and printing
// (PrintCommand).
namespace FrameCommand {
inline constexpr int kImport = 138;
inline constexpr int kOpenLocalDatabase = 32782;
inline constexpr int kReplace = 32780;
inline constexpr int kPrevious = 32786;
inline constexpr int kNext = 32787;
inline constexpr int kFirst = 32789;
inline constexpr int kLast = 32790;
inline constexpr int kNewMemo = 32792;
inline constexpr int kDeleteMemo = 32793;
inline constexpr int kTitleList = 32798;
inline constexpr int kCloseDatabase = 32801;
inline constexpr int kProperties = 32802;
inline constexpr int kOptions = 32805;
inline constexpr int kOpenServer = 32807;
inline constexpr int kAttachmentFolder = 32817;
inline constexpr int kSendMail = 32819;
inline constexpr int kNew = 57600;
inline constexpr int kOpenTextFile = 57601;
inline constexpr int kSave = 57603;
inline constexpr int kSaveAsText = 57604;
inline constexpr int kPrinterSetup = 57606;
inline constexpr int kRecentFile = 57616; // the first entry; the others follow
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;
inline constexpr int kToolBar = 59392;
inline constexpr int kStatusBar = 59393;
} // namespace FrameCommand

class CMainFrame : public QMainWindow, public DocumentViews {
    Q_OBJECT

public:
    // `prompts` answers the document's questions (it must outlive the frame); without it the
    // frame asks with message boxes and dialogs.
    explicit CMainFrame(UserPrompts* prompts = nullptr, QWidget* parent = nullptr);
    // Writes the search history, then lets the view go before the document it shows.
    ~CMainFrame() override;

    CQuirelDoc& Document() const { return *m_doc; }
    CQuirelView* View() const { return m_view; }
    CSearchDialogBar* SearchBar() const { return m_searchBar; }
    UserPrompts& Prompts() const { return m_prompts; }
    // The connection's dialogs and surroundings (tests answer them from a script); by default
    // widgets, and the VPN manager is looked for beside the program.
    void SetConnectPrompts(ConnectPrompts& dialogs, const ConnectEnvironment& environment);
    ServerConnector& Connector() const { return *m_connector; }
    // The action of a command of menu 128 (null for none); the tool bar shares these.
    QAction* Action(int command) const { return m_actions.value(command); }
    QToolBar* ToolBar() const { return m_toolBar; }

    void RunCommand(int command);
    bool CommandEnabled(int command) const;
    // Enables each action as its command allows, all but paste: reading the clipboard may wait
    // on another program, so paste follows the clipboard's changes and the opening of menus.
    void UpdateCommandStates();
    void UpdatePasteState();
    // The ファイル menu's recent-file entries, from the recent-file list.
    void UpdateRecentFileEntries();
    // Opens by path after asking about unsaved work (recent files, drops, the open command).
    bool OpenDocumentFile(const QString& path);

    // DocumentViews
    void OnUpdate(int hint) override;
    // The mode switch: the encoding button and 検索 follow the mode; the button names the text's
    // encoding.
    void OnModeChanged(bool databaseOpen) override;
    void OnTitleChanged(const QString& title) override;
    void AddRecentFile(const QString& path) override;
    void ShowStatusMessage(const QString& text) override;

Q_SIGNALS:
    // A command none of view, document and frame carries out (open text file, options).
    void ApplicationCommand(int command);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateSearchBar();
    void CreateStatusBar();
    QAction* AddCommandAction(QMenu* menu, int command, const QString& text);

    bool RunDocumentCommand(int command);
    bool RunFrameCommand(int command);
    void OnHostCommand(int command);
    void SetUpPrinter();
    void ChangeEncoding();
    void ShowStatus(const QString& position, const QString& changed);
    // The search word (the view's selection, its first 32 characters) into the search box.
    void PutSelectedWordIntoSearchBox();
    // Enter in the search box: 検索 while it is enabled, otherwise ↓.
    void OnSearchEnter();
    // After a list request: a fresh page goes into the list window,
    // which takes the focus; with nothing to show the view keeps it.
    void ShowListOutcome(CListPages::Outcome outcome);

    std::unique_ptr<UserPrompts> m_ownPrompts;
    UserPrompts& m_prompts;
    std::unique_ptr<CQuirelDoc> m_doc;
    std::unique_ptr<CListPages> m_listPages; // the view's page file and list requests
    std::unique_ptr<ConnectPrompts> m_ownConnectPrompts;
    std::unique_ptr<ServerConnector> m_connector;
    CQuirelView* m_view = nullptr;
    CSabrelList* m_listWindow = nullptr; // owned by the view
    CSearchDialogBar* m_searchBar = nullptr;
    QToolBar* m_toolBar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentPlaceholder = nullptr;
    QList<QAction*> m_recentEntries;
    QLabel* m_changedPane = nullptr;
    QLabel* m_positionPane = nullptr;
    QLabel* m_placePane = nullptr; // "n / N" in database mode
    QHash<int, QAction*> m_actions;
    RecentFileList m_recentFiles;
    // Print, preview and printer setup, on one printer.
    CPrintCommands m_printing{this};
};
