// CQuirelDoc: the single document. It owns the text store of the memo or file in the editor
// and at most one open database (MemoStore), and carries out every command that concerns a
// store: opening and closing, new memo, moves, saving, deletion, and text files.
//
// Modes: text-file mode without a store; local database mode or server mode with one.
// Invariants: the text store always exists (replaced, never emptied in place, when another memo
// or file is loaded or a new memo begins, and always announced with an update hint); in database
// mode the store's encoding is UTF-8 and the title is "PATH データ数 N " ("(読み取り専用) " added for a
// file opened read-only); the document reports itself modified while the modified flag or the
// text store's edited flag is set, and a failed or refused save never clears either. No save
// writes over a memo that could not be read whole, or into a file opened read-only. The user is
// reached only through UserPrompts, the views only through DocumentViews.
#pragma once

#include "document/local_database.h"
#include "document/memo_header.h"
#include "platform/code_page.h"

#include <QString>
#include <functional>
#include <memory>

class CTextStore;
class DocumentViews;
class MemoStore;
class UserPrompts;
struct ServerShortcut;

enum class DocumentMode { kTextFile, kLocalDatabase, kServer };

// The two parts of the window title in database mode, and the current memo's place.
struct StoreStatus {
    QString name;      // the .qrl path, or host:database:table
    QString countText; // "データ数 N"
    QString placeText; // "n / N"; empty when the store cannot tell
};

class CQuirelDoc {
public:
    CQuirelDoc(UserPrompts& prompts, DocumentViews& views, CodePage ansi = CodePage::System());
    ~CQuirelDoc();
    CQuirelDoc(const CQuirelDoc&) = delete;
    CQuirelDoc& operator=(const CQuirelDoc&) = delete;

    // ---- State
    DocumentMode Mode() const;
    bool IsDatabaseOpen() const { return m_store != nullptr; }
    CTextStore& TextStore() const { return *m_textStore; }
    // The local database in local database mode, else null.
    CLocalDatabase* LocalDatabase() const;
    // True while the local database is open read-only (the user may not write the file).
    bool IsReadOnly() const;
    bool IsModified() const;
    // Views set it on every edit (the text store's edited flag counts as well).
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    const QString& PathName() const { return m_pathName; }
    const QString& Title() const { return m_title; }
    // The current memo's place in database mode ("n / N", see StoreStatus), as of the last
    // title change; empty in text-file mode.
    const QString& PlaceText() const { return m_placeText; }
    // Text-file mode takes the title as given; database mode shows the store's status instead.
    void SetTitle(const QString& title);
    // The current record of the open database; -1 for a new memo or without a database.
    int CurrentRecord() const;
    // The open database's current header (a reset header without a database); setting it
    // without a database does nothing.
    MemoHeader CurrentHeader() const;
    void SetCurrentHeader(const MemoHeader& header);
    // The title offered for a memo saved with an empty title.
    QString SuggestedTitle() const;
    // Tells the views about a change: the hint, then the mode, then (database mode) the title.
    void UpdateAllViews(int hint);

    // ---- Documents
    // Empties the text store (text-file mode: untitled, no path) or begins a new memo in the
    // open database. Always succeeds.
    bool OnNewDocument();
    // Opens by path: a path containing ".qrl" (any case) opens a local database, ".nbk" a
    // server shortcut, anything else a text file. False when nothing was opened.
    bool OnOpenDocument(const QString& path);
    // The open sequence of the open command, the recent-file list, drops and the command line:
    // ask about unsaved work, then open by path.
    bool OpenDocumentFile(const QString& path);
    // Writes the text to `path`: refused for ".qrl" paths. In text-file mode the path becomes
    // the document's and the modified flags are cleared; with a database open the memo's text
    // is exported and the memo stays as it was. False (the user told why) when nothing was
    // written.
    bool OnSaveDocument(const QString& path);
    // Asks about unsaved work before the document is left or closed: true to go on.
    bool SaveModified();

    // ---- Databases (opening and closing replace the current memo or text: callers ask
    // SaveModified first)
    // Opens (an empty path: after notice 119, chooses) a local database file, offering to
    // create a missing one (103); a file that cannot be opened is reported (104, with the
    // reason as its detail).
    bool OpenLocalDatabase(const QString& path = {});
    // Begins a new memo, closes any open database and opens the file, read-only when the user
    // may read but not write it; false when it cannot be opened (the document then has no
    // database, and `failure`, when given, says why).
    bool AttachLocalDatabase(const QString& path, CLocalDatabase::OpenFailure* failure = nullptr);
    // Closes the open database and starts an untitled text.
    void CloseDatabase();
    StoreStatus GetStoreStatus() const;
    void UpdateStoreTitle();
    // The open database (null in text-file mode).
    MemoStore* Store() const { return m_store.get(); }
    // Opens a connected server table: any open database is closed, the store becomes the
    // document's and its current memo is shown.
    void AttachServerStore(std::unique_ptr<MemoStore> store);
    // What opens a server shortcut once it is read (the password and the connection); without
    // one a shortcut opens nothing. True when its table was opened.
    void SetServerShortcutOpener(std::function<bool(const ServerShortcut&)> opener);

    // ---- Commands
    // 新規作成: asks about unsaved work, then a new memo (database) or an untitled text.
    void New();
    // 上書き保存: the save dialog (database) or a write of the text file, asking for a path
    // when there is none. True when saved.
    bool Save();
    // 名前を付けてテキストへ保存.
    bool SaveAsText();
    // The encoding button (text-file mode): after question 102 the encoding advances one step
    // UNICODE -> ANSI -> UTF-8 -> UNICODE. True when it changed.
    bool ChangeEncoding();
    // A font chosen in the view: with a database open it goes into the current header and the
    // memo is marked modified, so it is saved with the memo.
    void SetMemoFont(const LogFontW& font);

    // ---- The current memo of an open database (nothing happens without one)
    void BeginNewMemo();
    void StepMemo(bool next);
    void JumpMemo(bool first);
    void ReloadCurrentMemo();
    // Writes the current header and the text. Refused, with a message, for a body holding NUL
    // and in a database opened read-only; over a memo that could not be read whole it offers to
    // store a new memo instead. A failure or refusal keeps the memo modified. True when saved
    // (or without a database).
    bool SaveCurrentMemo();
    // The save-before-leaving dialog: 1 go on (saved, or without saving), 0 stop.
    int AskSaveMemo();
    // The check before a move: 1 saved, 0 go on without saving (or nothing to save), -1 stop.
    int SaveCheck();
    // プロパティ: title and keywords in the save dialog; 保存 stores the memo.
    void Properties();
    // 削除: asks 109, deletes the current record, then shows the first remaining record, or a
    // new memo when at most one is left (refused in a database opened read-only). True when a
    // record was deleted.
    bool DeleteCurrentMemo();

private:
    struct SaveDialogOutcome {
        int result = 0;
        bool saved = false;
    };
    SaveDialogOutcome RunSaveDialog(bool goOnEnabled);
    bool OpenServerShortcut(const QString& path);
    bool LoadTextFile(const QString& path);
    bool WriteText(const QString& path);
    // The text as a new memo with the shown memo's title, keywords and font.
    bool SaveAsNewMemo(const QString& body);
    void CloseStore();
    void ReplaceTextStore(std::unique_ptr<CTextStore> store, int hint);
    void ClearModified();
    void SetPathName(const QString& path);
    // The path, or "無題" for a text without one.
    QString DocumentName() const;
    void Tell(const QString& text, const QString& detail = {});

    UserPrompts& m_prompts;
    DocumentViews& m_views;
    CodePage m_ansi;
    std::unique_ptr<CTextStore> m_textStore;
    // The open database; its one place for the server store as well.
    std::unique_ptr<MemoStore> m_store;
    std::function<bool(const ServerShortcut&)> m_shortcutOpener;
    bool m_modified = false;
    QString m_pathName;
    QString m_title;
    QString m_placeText;
};
