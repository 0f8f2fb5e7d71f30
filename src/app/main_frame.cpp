// The main window: menus, bars, command routing and enabling (see main_frame.h).
#include "main_frame.h"

#include "app/app_icons.h"
#include "app/replace_dialog.h"
#include "app/search_dialog_bar.h"
#include "app/suppressible_message.h"
#include "app/text_cut.h"
#include "app/wait_cursor.h"
#include "app/widget_prompts.h"
#include "browser/view/sabrel_list.h"
#include "connect/view/widget_connect_prompts.h"
#include "document/quirel_doc.h"
#include "document/string_table.h"
#include "document/text_file.h"
#include "editor/view/print_commands.h"
#include "editor/view/quirel_view.h"
#include "import/ren_import_command.h"
#include "import/view/ren_import_widget.h"
#include "mail/mail_sending.h"
#include "mail/view/attach_dialog.h"
#include "mail/view/message_drop_view.h"
#include "platform/settings.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <span>

using namespace FrameCommand;

namespace {

// Commands of the editor's key table that the view hands to the window.
constexpr int kKeyFind = 302;
constexpr int kKeyReplace = 306;
constexpr int kKeySave = 402;
constexpr int kKeyPreviousMemo = 701;
constexpr int kKeyNextMemo = 702;
constexpr int kKeyFindInDatabase = 704;

constexpr int kSearchWordChars = 32;

// A menu item: command 0 with no text is a separator, command 0 with a submenu a submenu.
struct MenuItem {
    int command;
    const char16_t* text;
    std::span<const MenuItem> submenu = {};
};
constexpr MenuItem kSeparator{0, nullptr};

constexpr MenuItem kOpenMenu[] = {
    {kOpenServer, u"Brindle Hub DBを開く(&W)..."},
    {kOpenLocalDatabase, u"ローカルDBを開く(&D)..."},
    kSeparator,
    {kOpenTextFile, u"テキストファイルを開く(&O)..."},
};
constexpr MenuItem kFileMenu[] = {
    {0, u"開く(&O)", kOpenMenu},
    {kCloseDatabase, u"DBを閉じる(&E)"},
    kSeparator,
    {kNew, u"新規作成(&N)"},
    {kSave, u"上書き保存(&S)"},
    {kSaveAsText, u"名前を付けてテキストへ保存(&A)..."},
    kSeparator,
    {PrintCommand::kPrint, u"印刷(&P)..."},
    {PrintCommand::kPrintPreview, u"印刷プレビュー(&V)"},
    {kPrinterSetup, u"プリンタの設定(&R)..."},
    kSeparator,
    {kSendMail, u"メール送信(&M)"},
    kSeparator,
    {kRecentFile, u"最近使ったファイル"},
    kSeparator,
    {kExit, u"Quirelの終了(&X)"},
};
constexpr MenuItem kEditMenu[] = {
    {ViewCommand::kUndo, u"元に戻す(&U)"},
    kSeparator,
    {ViewCommand::kCut, u"切り取り(&T)"},
    {ViewCommand::kCopy, u"コピー(&C)"},
    {ViewCommand::kPaste, u"貼り付け(&P)"},
    {ViewCommand::kDelete, u"削除(&D)"},
    kSeparator,
    {ViewCommand::kSelectAll, u"すべて選択(&A)"},
    kSeparator,
    {kReplace, u"文字置換(&R)"},
};
constexpr MenuItem kViewMenu[] = {
    {kToolBar, u"ツール バー(&T)"},
    {kStatusBar, u"ステータス バー(&S)"},
    kSeparator,
    {ViewCommand::kChangeFont, u"フォント変更(&F)"},
    {kOptions, u"オプション設定(&O)..."},
};
constexpr MenuItem kDatabaseMenu[] = {
    {kNewMemo, u"新規入力(&W)"},
    kSeparator,
    {kFirst, u"先頭データ(&T)"},
    {kPrevious, u"前のデータ(&P)"},
    {kNext, u"次のデータ(&N)"},
    {kLast, u"末尾データ(&B)"},
    kSeparator,
    {kTitleList, u"表題一覧(&L)..."},
    kSeparator,
    {kAttachmentFolder, u"添付フォルダ(&A)..."},
    {kProperties, u"プロパティ(&P)..."},
    kSeparator,
    {kDeleteMemo, u"削除(&D)..."},
    kSeparator,
    {kImport, u"Sabrelテキストからの取り込み(&T)...."},
};
constexpr MenuItem kHelpMenu[] = {
    {ViewCommand::kKeyList, u"キー割り当てと機能一覧(&C)..."},
    {kAbout, u"バージョン情報 Quirel(&A)..."},
};
constexpr MenuItem kMenuBar[] = {
    {0, u"ファイル(&F)", kFileMenu}, {0, u"編集(&E)", kEditMenu},   {0, u"表示(&V)", kViewMenu},
    {0, u"DB(&D)", kDatabaseMenu},   {0, u"ヘルプ(&H)", kHelpMenu},
};

// Tool bar 128: command 0 is a separator.
struct ToolBarButton {
    int command;
    const char16_t* tip;
};
constexpr ToolBarButton kToolBarButtons[] = {
    {kNew, u"新規作成"},
    {kOpenTextFile, u"開く"},
    {0, nullptr},
    {kSave, u"上書き保存"},
    {0, nullptr},
    {PrintCommand::kPrint, u"印刷"},
    {0, nullptr},
    {ViewCommand::kCut, u"切り取り"},
    {ViewCommand::kCopy, u"コピー"},
    {ViewCommand::kPaste, u"貼り付け"},
    {0, nullptr},
    {kDeleteMemo, u"データの削除"},
    {0, nullptr},
    {kFirst, u"先頭データ"},
    {kPrevious, u"前のデータ"},
    {kNext, u"次のデータ"},
    {kLast, u"末尾データ"},
    {0, nullptr},
    {kProperties, u"プロパティ"},
    {kTitleList, u"表題一覧"},
    {kAttachmentFolder, u"添付フォルダ"},
};

// The commands the view carries out itself.
constexpr int kViewCommands[] = {
    ViewCommand::kCopy,      ViewCommand::kCut,        ViewCommand::kPaste,      ViewCommand::kUndo,    ViewCommand::kDelete,
    ViewCommand::kSelectAll, ViewCommand::kSearchWord, ViewCommand::kChangeFont, ViewCommand::kKeyList,
};

// Commands that may take a while (loading, saving, laying out or printing): the wait cursor
// shows while they run.
constexpr int kLongCommands[] = {
    kOpenLocalDatabase, kOpenServer, kSave, kSaveAsText, kNewMemo, kFirst, kPrevious, kNext, kLast, kDeleteMemo,
    kTitleList, kPrinterSetup, ViewCommand::kChangeFont, PrintCommand::kPrint, PrintCommand::kPrintPreview,
};

bool IsViewCommand(int command)
{
    return std::ranges::find(kViewCommands, command) != std::end(kViewCommands);
}

bool IsRecentFileCommand(int command)
{
    return command >= kRecentFile && command < kRecentFile + RecentFileList::kMaxFiles;
}

// A status bar pane as wide as its template text.
QLabel* Pane(const QString& templateText)
{
    auto* pane = new QLabel;
    pane->setAlignment(Qt::AlignCenter);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(templateText) + 2 * pane->fontMetrics().averageCharWidth());
    return pane;
}

void ShowAboutBox(QWidget* parent)
{
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("バージョン情報 Quirel"));
    auto* layout = new QVBoxLayout(&box);
    auto* icon = new QLabel;
    icon->setPixmap(QuirelIcon().pixmap(32));
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    layout->addWidget(new QLabel(QStringLiteral("%1 バージョン %2")
                                     .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion())));
    layout->addWidget(new QLabel(QStringLiteral("日本語のメモを書きため、探し、読み返すためのエディタ")));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    box.exec();
}

} // namespace

CMainFrame::CMainFrame(UserPrompts* prompts, QWidget* parent)
    : QMainWindow(parent),
      m_ownPrompts(prompts ? nullptr : std::make_unique<WidgetPrompts>(this)),
      m_prompts(prompts ? *prompts : *m_ownPrompts),
      m_doc(std::make_unique<CQuirelDoc>(m_prompts, *this)),
      m_listPages(std::make_unique<CListPages>(*m_doc, m_prompts)),
      m_ownConnectPrompts(std::make_unique<WidgetConnectPrompts>(this)),
      m_connector(std::make_unique<ServerConnector>(*m_doc, m_prompts, *m_ownConnectPrompts,
                                                    ConnectEnvironment{QCoreApplication::applicationDirPath()})),
      m_view(new CQuirelView(this))
{
    setWindowIcon(QuirelIcon());
    setCentralWidget(m_view);
    CreateMenus();
    CreateToolBar();
    CreateSearchBar();
    CreateStatusBar();

    connect(m_view, &CQuirelView::StatusChanged, this, &CMainFrame::ShowStatus);
    connect(m_view, &CQuirelView::Modified, this, [this] { m_doc->SetModifiedFlag(); });
    connect(m_view, &CQuirelView::HostCommand, this, &CMainFrame::OnHostCommand);
    connect(m_view, &CQuirelView::FontChosen, this, [this](const LogFontW& font) {
        m_doc->SetMemoFont(font);
        m_view->Refresh();
    });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdatePasteState);
    connect(m_view, &CQuirelView::KeepAliveTick, this, [this] { m_connector->KeepAlive(); });
    m_listWindow = new CSabrelList(m_view);
    connect(m_listWindow, &CSabrelList::LinkClicked, this,
            [this](const ListLink& link) { ShowListOutcome(m_listPages->Follow(link)); });
    m_doc->SetServerShortcutOpener([this](const ServerShortcut& shortcut) {
        return m_connector->OpenServerShortcut(shortcut);
    });

    // The document as it is now: its text in the view, its mode and its title.
    OnUpdate(kHintNewMemo);
    OnModeChanged(m_doc->IsDatabaseOpen());
    OnTitleChanged(m_doc->Title());
    UpdatePasteState();
    m_view->setFocus();
}

void CMainFrame::SetConnectPrompts(ConnectPrompts& dialogs, const ConnectEnvironment& environment)
{
    m_connector = std::make_unique<ServerConnector>(*m_doc, m_prompts, dialogs, environment);
}

CMainFrame::~CMainFrame()
{
    m_searchBar->SaveHistory();
    delete m_view; // it shows the document's text store, so it goes first
}

// ---- Building the window

QAction* CMainFrame::AddCommandAction(QMenu* menu, int command, const QString& text)
{
    QAction* action = menu->addAction(text);
    action->setData(command);
    action->setIconVisibleInMenu(false);
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    m_actions.insert(command, action);
    return action;
}

void CMainFrame::CreateMenus()
{
    // Only the menus and the key table take keys: no command has a shortcut of its own.
    auto fill = [this](auto& self, QMenu* menu, std::span<const MenuItem> items) -> void {
        for (const MenuItem& item : items) {
            const QString text = item.text ? QString::fromUtf16(item.text) : QString();
            if (!item.submenu.empty()) {
                self(self, menu->addMenu(text), item.submenu);
            } else if (item.command == 0) {
                menu->addSeparator();
            } else if (item.command == kRecentFile) {
                m_recentPlaceholder = menu->addAction(text);
                m_recentPlaceholder->setData(kRecentFile);
                m_recentPlaceholder->setEnabled(false);
            } else {
                AddCommandAction(menu, item.command, text);
            }
        }
    };
    for (const MenuItem& top : kMenuBar) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf16(top.text));
        fill(fill, menu, top.submenu);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdatePasteState);
        if (top.submenu.data() == kFileMenu)
            m_fileMenu = menu;
    }
    connect(m_fileMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateRecentFileEntries);
    Action(kToolBar)->setCheckable(true);
    Action(kStatusBar)->setCheckable(true);
    Action(kAttachmentFolder)->setCheckable(true);
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("ツール バー"));
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(kToolBarImageSize);
    for (const ToolBarButton& button : kToolBarButtons) {
        if (button.command == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = Action(button.command);
        action->setIcon(ToolBarIcon(button.command));
        action->setToolTip(QString::fromUtf16(button.tip));
        action->setStatusTip(QString::fromUtf16(button.tip));
        m_toolBar->addAction(action);
    }
}

void CMainFrame::CreateSearchBar()
{
    m_searchBar = new CSearchDialogBar;
    m_searchBar->SetView(m_view);
    addToolBarBreak(); // a row of its own: the search box wants the width
    QToolBar* band = addToolBar(QStringLiteral("検索バー"));
    band->setObjectName(QStringLiteral("searchBar"));
    band->addWidget(m_searchBar);
    // Enter is handled once the search box's own handling is over (a posted message).
    connect(m_searchBar, &CSearchDialogBar::EnterPressed, this, &CMainFrame::OnSearchEnter, Qt::QueuedConnection);
    connect(m_searchBar, &CSearchDialogBar::DatabaseSearchRequested, this,
            [this](const QString& words) {
                WaitCursor wait;
                ShowListOutcome(m_listPages->Search(words));
            });
    connect(m_searchBar->EncodingButton(), &QPushButton::clicked, this, &CMainFrame::ChangeEncoding);
}

void CMainFrame::CreateStatusBar()
{
    m_changedPane = Pane(QStringLiteral("変更"));
    m_changedPane->setObjectName(QStringLiteral("changedPane"));
    m_positionPane = Pane(QStringLiteral("00000:000 Page 0000"));
    m_positionPane->setObjectName(QStringLiteral("positionPane"));
    m_placePane = Pane(QStringLiteral("00000 / 00000"));
    m_placePane->setObjectName(QStringLiteral("placePane"));
    statusBar()->addPermanentWidget(m_placePane);
    statusBar()->addPermanentWidget(m_changedPane);
    statusBar()->addPermanentWidget(m_positionPane);
}

// ---- Commands

void CMainFrame::RunCommand(int command)
{
    if (!CommandEnabled(command))
        return;
    std::optional<WaitCursor> wait;
    if (std::ranges::find(kLongCommands, command) != std::end(kLongCommands))
        wait.emplace();
    if (IsViewCommand(command))
        m_view->RunMenuCommand(command);
    else if (!RunDocumentCommand(command) && !RunFrameCommand(command))
        Q_EMIT ApplicationCommand(command);
    // Commands may change what the status panes and the enabling show (a save clears 変更).
    m_view->Refresh();
}

bool CMainFrame::CommandEnabled(int command) const
{
    if (IsViewCommand(command))
        return m_view->MenuCommandEnabled(command);
    if (IsRecentFileCommand(command))
        return command - kRecentFile < m_recentFiles.Files().size();
    const bool database = m_doc->IsDatabaseOpen();
    switch (command) {
    case kCloseDatabase:
    case kFirst:
    case kPrevious:
    case kNext:
    case kLast:
    case kProperties:
    case kTitleList:
    case kAttachmentFolder:
    case kImport:
        return database;
    case kSendMail:
        return CanSendMemoAsMail(*m_doc);
    case kNewMemo: // a server table begins a new memo with 新規作成
        return m_doc->Mode() == DocumentMode::kLocalDatabase;
    case kDeleteMemo:
        return database && m_doc->CurrentRecord() != -1;
    case kSave:
        return m_doc->IsModified();
    default:
        return true;
    }
}

void CMainFrame::UpdatePasteState()
{
    Action(ViewCommand::kPaste)->setEnabled(CommandEnabled(ViewCommand::kPaste));
}

void CMainFrame::UpdateCommandStates()
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        if (it.key() != ViewCommand::kPaste) // reading the clipboard may wait on another program
            it.value()->setEnabled(CommandEnabled(it.key()));
    Action(kToolBar)->setChecked(!m_toolBar->isHidden());
    Action(kStatusBar)->setChecked(!statusBar()->isHidden());
    Action(kAttachmentFolder)->setChecked(m_doc->IsDatabaseOpen() && m_doc->CurrentHeader().attachCount > 0);
}

// Store commands. Moves and a new memo first run the save check; commands that leave the
// memo or text for another first ask about unsaved work.
bool CMainFrame::RunDocumentCommand(int command)
{
    CQuirelDoc& doc = *m_doc;
    switch (command) {
    case kNew:
        doc.New();
        return true;
    case kSave:
        doc.Save();
        return true;
    case kSaveAsText:
        doc.SaveAsText();
        return true;
    case kOpenLocalDatabase:
        if (doc.SaveModified())
            doc.OpenLocalDatabase();
        return true;
    case kCloseDatabase:
        if (doc.SaveModified())
            doc.CloseDatabase();
        return true;
    case kProperties:
        doc.Properties();
        return true;
    case kImport: {
        RenImportWidget window(this);
        RunRenImportCommand(doc, m_prompts, window);
        return true;
    }
    case kDeleteMemo:
        doc.DeleteCurrentMemo();
        return true;
    case kAttachmentFolder:
        RunAttachmentFolderCommand(doc, m_prompts, this);
        UpdateCommandStates(); // the check mark follows the count
        return true;
    case kSendMail:
        if (CanSendMemoAsMail(doc)) {
            ShowSuppressibleMessage(kMsgMailNotice, m_prompts);
            SendMemoAsMail(doc, m_prompts);
            m_view->setFocus();
        }
        return true;
    case kNewMemo:
    case kFirst:
    case kLast:
    case kPrevious:
    case kNext:
        break;
    default:
        return false;
    }
    if (doc.SaveCheck() < 0)
        return true;
    if (command == kNewMemo)
        doc.BeginNewMemo();
    else if (command == kFirst || command == kLast)
        doc.JumpMemo(command == kFirst);
    else
        doc.StepMemo(command == kNext);
    return true;
}

bool CMainFrame::RunFrameCommand(int command)
{
    if (IsRecentFileCommand(command)) {
        const QString path = m_recentFiles.Files().value(command - kRecentFile);
        // An entry whose file is gone is dropped; one that failed otherwise may work next time.
        if (!OpenDocumentFile(path) && !QFileInfo::exists(path))
            m_recentFiles.Remove(path);
        return true;
    }
    switch (command) {
    case kOpenServer:
        m_connector->OnOpenServerDb();
        return true;
    case kTitleList:
        ShowListOutcome(m_listPages->TitleList(CListPages::kFromCurrent));
        return true;
    case PrintCommand::kPrint:
        m_printing.Print(m_doc->TextStore(), m_view->Format());
        return true;
    case PrintCommand::kPrintPreview:
        m_printing.Preview(m_doc->TextStore(), m_view->Format());
        return true;
    case kPrinterSetup:
        SetUpPrinter();
        return true;
    case kReplace:
        CReplaceDlg::Open(*m_view);
        return true;
    case kToolBar:
        m_toolBar->setVisible(m_toolBar->isHidden());
        return true;
    case kStatusBar:
        statusBar()->setVisible(statusBar()->isHidden());
        return true;
    case kAbout:
        ShowAboutBox(this);
        return true;
    case kExit:
        close();
        return true;
    default:
        return false;
    }
}

void CMainFrame::OnHostCommand(int command)
{
    switch (command) {
    case kKeyFind:
    case kKeyFindInDatabase:
        m_searchBar->FocusSearchBox();
        break;
    case kKeyReplace:
        RunCommand(kReplace);
        break;
    case kKeySave:
        RunCommand(kSave);
        break;
    case kKeyPreviousMemo:
        RunCommand(kPrevious);
        break;
    case kKeyNextMemo:
        RunCommand(kNext);
        break;
    case ViewCommand::kSearchWord:
        // Posted: it runs after the view's handler that asked for it.
        QMetaObject::invokeMethod(this, &CMainFrame::PutSelectedWordIntoSearchBox, Qt::QueuedConnection);
        break;
    default:
        break;
    }
}

bool CMainFrame::OpenDocumentFile(const QString& path)
{
    WaitCursor wait;
    const bool opened = m_doc->OpenDocumentFile(path);
    m_view->Refresh();
    return opened;
}

void CMainFrame::SetUpPrinter()
{
    if (!m_printing.SetUp())
        return;
    m_view->SetPaper(m_printing.Paper());
    // The memo keeps its layout with its font: it has to be saved again.
    if (m_doc->IsDatabaseOpen())
        m_doc->SetMemoFont(m_view->Format().font);
}

void CMainFrame::ChangeEncoding()
{
    if (m_doc->ChangeEncoding())
        m_searchBar->EncodingButton()->setText(EncodingName(m_doc->TextStore().Encoding()));
}

void CMainFrame::ShowStatus(const QString& position, const QString& changed)
{
    m_positionPane->setText(position);
    m_changedPane->setText(changed);
    UpdateCommandStates();
}

void CMainFrame::PutSelectedWordIntoSearchBox()
{
    m_searchBar->FocusSearchBox();
    const QString word = LeftWhole(m_view->Editor().SelectedText(), kSearchWordChars);
    if (!word.isEmpty())
        m_searchBar->SetText(word);
}

void CMainFrame::OnSearchEnter()
{
    if (m_searchBar->DatabaseSearchEnabled())
        m_searchBar->SearchDatabase();
    else
        m_searchBar->FindDown();
}

void CMainFrame::ShowListOutcome(CListPages::Outcome outcome)
{
    switch (outcome) {
    case CListPages::Outcome::kShowPage:
        m_listWindow->Navigate(m_listPages->PagePath());
        m_listWindow->show();
        m_listWindow->raise();
        m_listWindow->activateWindow();
        m_listWindow->setFocus();
        break;
    case CListPages::Outcome::kMemoOpened:
        m_view->Refresh();
        break;
    case CListPages::Outcome::kNone:
        m_view->setFocus();
        break;
    }
}

void CMainFrame::UpdateRecentFileEntries()
{
    qDeleteAll(m_recentEntries);
    m_recentEntries.clear();
    const QStringList files = m_recentFiles.Files();
    for (qsizetype i = 0; i < files.size(); ++i) {
        const int command = kRecentFile + int(i);
        auto* entry = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]), m_fileMenu);
        entry->setData(command);
        connect(entry, &QAction::triggered, this, [this, command] { RunCommand(command); });
        m_fileMenu->insertAction(m_recentPlaceholder, entry);
        m_recentEntries << entry;
    }
    m_recentPlaceholder->setVisible(files.isEmpty());
}

// ---- DocumentViews

void CMainFrame::OnUpdate(int hint)
{
    switch (hint) {
    case kHintNewMemo:
    case kHintLoaded:
        // A database memo, a new one too, is shown in the font of its header, the one it is saved
        // with; a text file in the default one.
        m_view->ShowStore(&m_doc->TextStore(),
                          m_doc->IsDatabaseOpen() ? std::optional(m_doc->CurrentHeader().font) : std::nullopt);
        break;
    default:
        m_view->OnUpdate(hint);
        break;
    }
}

void CMainFrame::OnModeChanged(bool databaseOpen)
{
    QPushButton* encoding = m_searchBar->EncodingButton();
    encoding->setEnabled(!databaseOpen);
    encoding->setText(EncodingName(m_doc->TextStore().Encoding()));
    m_searchBar->SetDatabaseSearchEnabled(databaseOpen);
}

void CMainFrame::OnTitleChanged(const QString& title)
{
    setWindowTitle(QStringLiteral("%1 - %2").arg(title.trimmed(), QCoreApplication::applicationName()));
    // The document changes its title after every change of the current memo.
    m_placePane->setText(m_doc->PlaceText());
}

void CMainFrame::AddRecentFile(const QString& path)
{
    m_recentFiles.Add(path);
}

void CMainFrame::ShowStatusMessage(const QString& text)
{
    statusBar()->showMessage(text);
}

// ---- Window events

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_doc->SaveModified()) {
        WriteWindowGeometry(saveGeometry());
        event->accept();
    } else
        event->ignore();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (AcceptMessageDrag(event))
        return;
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::ranges::any_of(urls, &QUrl::isLocalFile))
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    if (TakeMessageDrop(event, *m_doc, m_prompts, this))
        return;
    const QList<QUrl> urls = event->mimeData()->urls();
    const auto file = std::ranges::find_if(urls, &QUrl::isLocalFile);
    if (file == urls.end())
        return;
    event->acceptProposedAction();
    // Opened once the drop is over: opening may ask questions in modal boxes.
    QMetaObject::invokeMethod(this, [this, path = file->toLocalFile()] { OpenDocumentFile(path); },
                              Qt::QueuedConnection);
}
