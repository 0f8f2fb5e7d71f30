// The document and its flows (see quirel_doc.h).
#include "quirel_doc.h"

#include "document/document_views.h"
#include "document/local_memo_store.h"
#include "document/server_shortcut.h"
#include "document/string_table.h"
#include "document/text_file.h"
#include "document/title_suggestion.h"
#include "document/user_prompts.h"
#include "editor/text_store.h"
#include "platform/text_cut.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <utility>

namespace {

const QString kLocalDatabaseFilter = QStringLiteral("ローカルQuirel(*.qrl)|*.qrl|Brindle nbk(*.nbk)|*.nbk||");
const QString kTextFileFilter = QStringLiteral("すべてのファイル(*.*)|*.*|テキスト(*.txt)|*.txt||");

// Paths are dispatched by what they contain anywhere, in any case: notes.qrl.txt is a database.
bool PathNames(const QString& path, QStringView extension)
{
    return path.contains(extension, Qt::CaseInsensitive);
}

QString DocumentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

} // namespace

CQuirelDoc::CQuirelDoc(UserPrompts& prompts, DocumentViews& views, CodePage ansi)
    : m_prompts(prompts),
      m_views(views),
      m_ansi(std::move(ansi)),
      m_textStore(std::make_unique<CTextStore>()),
      m_title(UntitledName())
{
}

CQuirelDoc::~CQuirelDoc() = default;

// ---- State

DocumentMode CQuirelDoc::Mode() const
{
    if (!m_store)
        return DocumentMode::kTextFile;
    return LocalDatabase() ? DocumentMode::kLocalDatabase : DocumentMode::kServer;
}

CLocalDatabase* CQuirelDoc::LocalDatabase() const
{
    auto* local = dynamic_cast<LocalMemoStore*>(m_store.get());
    return local ? &local->Database() : nullptr;
}

bool CQuirelDoc::IsReadOnly() const
{
    const CLocalDatabase* database = LocalDatabase();
    return database && database->IsReadOnly();
}

bool CQuirelDoc::IsModified() const
{
    return m_modified || m_textStore->Edited();
}

void CQuirelDoc::SetTitle(const QString& title)
{
    if (m_store)
        return UpdateStoreTitle();
    m_title = title;
    m_views.OnTitleChanged(m_title);
}

int CQuirelDoc::CurrentRecord() const
{
    return m_store ? m_store->CurrentRecord() : -1;
}

MemoHeader CQuirelDoc::CurrentHeader() const
{
    if (m_store)
        return m_store->CurrentHeader();
    MemoHeader header;
    ResetMemoHeader(header);
    return header;
}

void CQuirelDoc::SetCurrentHeader(const MemoHeader& header)
{
    if (m_store)
        m_store->SetCurrentHeader(header);
}

QString CQuirelDoc::SuggestedTitle() const
{
    return TitleSuggestion(*m_textStore);
}

void CQuirelDoc::UpdateAllViews(int hint)
{
    // A database keeps its text in UTF-8; the encoding button is then off.
    if (m_store)
        m_textStore->SetEncoding(kEncodingUtf8);
    m_views.OnUpdate(hint);
    m_views.OnModeChanged(IsDatabaseOpen());
    UpdateStoreTitle();
}

// ---- Documents

bool CQuirelDoc::OnNewDocument()
{
    m_pathName.clear();
    if (m_store) {
        BeginNewMemo();
        return true;
    }
    // A new text keeps the encoding chosen last.
    auto store = std::make_unique<CTextStore>();
    store->SetEncoding(m_textStore->Encoding());
    ReplaceTextStore(std::move(store), kHintNewMemo);
    SetTitle(UntitledName());
    return true;
}

bool CQuirelDoc::OnOpenDocument(const QString& path)
{
    if (PathNames(path, u".qrl"))
        return OpenLocalDatabase(path);
    if (PathNames(path, u".nbk"))
        return OpenServerShortcut(path);
    return LoadTextFile(path);
}

bool CQuirelDoc::OpenDocumentFile(const QString& path)
{
    return SaveModified() && OnOpenDocument(path);
}

bool CQuirelDoc::OnSaveDocument(const QString& path)
{
    if (PathNames(path, u".qrl")) {
        Tell(QrlTextRefusedText());
        return false;
    }
    if (!WriteText(path))
        return false;
    if (!m_store) {
        SetPathName(path);
        SetTitle(QFileInfo(path).fileName());
        ClearModified();
    }
    return true;
}

bool CQuirelDoc::SaveModified()
{
    if (!IsModified())
        return true;
    if (m_store)
        return AskSaveMemo() == 1;
    switch (m_prompts.Ask(SaveChangesQuestion(DocumentName()), PromptButtons::kYesNoCancel)) {
    case kAnswerYes:
        return Save();
    case kAnswerNo:
        return true;
    default:
        return false;
    }
}

bool CQuirelDoc::OpenServerShortcut(const QString& path)
{
    const std::optional<ServerShortcut> shortcut = ReadServerShortcutFile(path, m_ansi);
    if (!shortcut || !m_shortcutOpener || !m_shortcutOpener(*shortcut))
        return false;
    // The file names no password, so it may stand in the recent-file list.
    m_views.AddRecentFile(path);
    return true;
}

// The file is read into a new store first, so a file that cannot be read changes nothing.
bool CQuirelDoc::LoadTextFile(const QString& path)
{
    auto store = std::make_unique<CTextStore>();
    QString error;
    if (!ReadTextFile(path, *store, m_ansi, &error)) {
        Tell(TextFileReadFailedText(path, error));
        return false;
    }
    CloseStore();
    SetPathName(path);
    ReplaceTextStore(std::move(store), kHintLoaded);
    SetTitle(QFileInfo(path).fileName());
    return true;
}

bool CQuirelDoc::WriteText(const QString& path)
{
    QString error;
    bool inPlace = false;
    if (WriteTextFile(*m_textStore, path, m_ansi, &error, &inPlace)) {
        if (inPlace)
            m_views.ShowStatusMessage(TextFileWrittenInPlaceText(path));
        return true;
    }
    Tell(inPlace ? TextFileIncompleteText(path, error) : TextFileWriteFailedText(path, error));
    return false;
}

// ---- Databases

bool CQuirelDoc::OpenLocalDatabase(const QString& path)
{
    QString target = path;
    if (target.isEmpty()) {
        if (m_prompts.Ask(MessageText(kMsgLocalDatabaseNotice), PromptButtons::kOkCancel) != kAnswerOk)
            return false;
        const std::optional<QString> chosen = m_prompts.ChooseOpenFile(
            {kLocalDatabaseFilter, QStringLiteral("qrl"), QStringLiteral("Memo.qrl"), DocumentsFolder(), false});
        if (!chosen)
            return false;
        target = *chosen;
    }
    if (!QFileInfo::exists(target)) {
        if (m_prompts.Ask(MessageText(kMsgCreateLocalDatabase), PromptButtons::kYesNoCancel) != kAnswerYes)
            return false;
        if (CLocalDatabase(target).CreateFile() != CLocalDatabase::kOk) {
            Tell(MessageText(kMsgCannotOpenLocalDatabase), DatabaseCreateFailedText());
            return false;
        }
    }
    CLocalDatabase::OpenFailure failure{};
    if (!AttachLocalDatabase(target, &failure)) {
        Tell(MessageText(kMsgCannotOpenLocalDatabase), OpenFailureText(failure));
        return false;
    }
    return true;
}

bool CQuirelDoc::AttachLocalDatabase(const QString& path, CLocalDatabase::OpenFailure* failure)
{
    OnNewDocument();
    // An open local file is released first: the file to open may be the same one.
    if (LocalDatabase())
        CloseStore();
    auto database = std::make_unique<CLocalDatabase>(path);
    int opened = database->Open(CLocalDatabase::OpenMode::kReadWrite);
    // A file the user may only read is still shown; saves into it are refused.
    if (opened != CLocalDatabase::kOk && database->LastOpenFailure() == CLocalDatabase::OpenFailure::kNoPermission)
        opened = database->Open(CLocalDatabase::OpenMode::kReadOnly);
    if (opened != CLocalDatabase::kOk) {
        if (failure)
            *failure = database->LastOpenFailure();
        return false;
    }
    CloseStore();
    m_store = std::make_unique<LocalMemoStore>(std::move(database));
    SetPathName(path);
    // The file opens on a new memo with a fresh header.
    BeginNewMemo();
    return true;
}

void CQuirelDoc::CloseDatabase()
{
    if (!m_store)
        return;
    CloseStore();
    OnNewDocument();
}

// Without its database the document is an untitled text until a file or memo is loaded.
void CQuirelDoc::CloseStore()
{
    if (!m_store)
        return;
    m_store.reset();
    m_pathName.clear();
    m_placeText.clear();
    UpdateAllViews(kHintStoreClosed);
    SetTitle(UntitledName());
}

StoreStatus CQuirelDoc::GetStoreStatus() const
{
    if (!m_store)
        return {};
    const int count = m_store->Count();
    const int place = m_store->Place();
    return {m_store->DisplayName(), RecordCountText(count),
            place >= 0 && count >= 0 ? MemoPlaceText(place, count) : QString()};
}

void CQuirelDoc::UpdateStoreTitle()
{
    if (!m_store)
        return;
    const StoreStatus status = GetStoreStatus();
    m_title = QStringLiteral("%1 %2 ").arg(status.name, status.countText);
    m_placeText = status.placeText;
    if (IsReadOnly())
        m_title += ReadOnlyTitleMark() + u' ';
    m_views.OnTitleChanged(m_title);
}

void CQuirelDoc::AttachServerStore(std::unique_ptr<MemoStore> store)
{
    CloseStore();
    m_pathName.clear(); // a text file's path, when one was open
    m_store = std::move(store);
    ReloadCurrentMemo();
}

void CQuirelDoc::SetServerShortcutOpener(std::function<bool(const ServerShortcut&)> opener)
{
    m_shortcutOpener = std::move(opener);
}

// ---- Commands

void CQuirelDoc::New()
{
    if (m_store) {
        if (IsModified() && AskSaveMemo() == 0)
            return;
        return BeginNewMemo();
    }
    if (IsModified()) {
        const int answer = m_prompts.Ask(SaveChangesQuestion(DocumentName()), PromptButtons::kYesNo);
        // Only a text that was saved, or an untitled one the user gave up, is replaced.
        if (answer == kAnswerYes ? !Save() : !m_pathName.isEmpty())
            return;
    }
    OnNewDocument();
}

bool CQuirelDoc::Save()
{
    if (m_store)
        return RunSaveDialog(false).saved;
    return m_pathName.isEmpty() ? SaveAsText() : OnSaveDocument(m_pathName);
}

bool CQuirelDoc::SaveAsText()
{
    const QFileInfo current(m_pathName);
    const std::optional<QString> chosen = m_prompts.ChooseSaveFile(
        {kTextFileFilter, {}, current.fileName(), m_pathName.isEmpty() ? DocumentsFolder() : current.absolutePath(), false});
    return chosen && OnSaveDocument(*chosen);
}

bool CQuirelDoc::ChangeEncoding()
{
    if (m_store || m_prompts.Ask(MessageText(kMsgChangeEncoding), PromptButtons::kYesNo) != kAnswerYes)
        return false;
    m_textStore->SetEncoding((m_textStore->Encoding() + 1) % (kEncodingUtf8 + 1));
    return true;
}

void CQuirelDoc::SetMemoFont(const LogFontW& font)
{
    if (!m_store)
        return;
    MemoHeader header = m_store->CurrentHeader();
    header.font = font;
    m_store->SetCurrentHeader(header);
    m_modified = true;
    m_textStore->SetEdited(true);
}

// ---- The current memo

void CQuirelDoc::BeginNewMemo()
{
    if (!m_store)
        return;
    m_store->BeginNew();
    ReplaceTextStore(std::make_unique<CTextStore>(), kHintNewMemo);
}

void CQuirelDoc::StepMemo(bool next)
{
    if (!m_store)
        return;
    m_store->Step(next);
    ReloadCurrentMemo();
}

void CQuirelDoc::JumpMemo(bool first)
{
    if (!m_store)
        return;
    m_store->Jump(first);
    ReloadCurrentMemo();
}

void CQuirelDoc::ReloadCurrentMemo()
{
    if (!m_store)
        return;
    ReplaceTextStore(std::make_unique<CTextStore>(m_store->LoadCurrent()), kHintLoaded);
    if (m_store->CurrentIsDamaged())
        m_views.ShowStatusMessage(DamagedMemoShownText());
    else if (m_store->CurrentHeaderIsSuspect())
        m_views.ShowStatusMessage(SuspectMemoHeaderText());
}

bool CQuirelDoc::SaveCurrentMemo()
{
    if (!m_store)
        return true;
    const QString body = m_textStore->WholeText();
    // Other programs end a stored body at its first NUL: what follows would be lost unseen.
    if (body.contains(QChar(0))) {
        Tell(MemoNulRefusedText());
        return false;
    }
    if (IsReadOnly()) {
        Tell(ReadOnlySaveRefusedText());
        return false;
    }
    bool saved = false;
    if (m_store->CurrentIsDamaged()) {
        // Writing over the record would destroy what could not be read of it.
        if (m_prompts.Ask(DamagedMemoSaveQuestion(), PromptButtons::kYesNo) != kAnswerYes)
            return false;
        saved = SaveAsNewMemo(body);
    } else {
        saved = m_store->SaveCurrent(body);
    }
    if (saved) {
        ClearModified();
    } else {
        // The store's own words say why (characters a server table cannot hold, a memo deleted
        // from the server, a lost connection); a failure is never silent.
        const QString reason = m_store->LastFailureText();
        Tell(reason.isEmpty() ? MemoSaveFailedText() : reason);
    }
    UpdateStoreTitle();
    return saved;
}

// A fresh header keeps no marks or time stamps of the damaged one, and the new memo gets its
// own attachment folder when it is stored.
bool CQuirelDoc::SaveAsNewMemo(const QString& body)
{
    const MemoHeader shown = m_store->CurrentHeader();
    m_store->BeginNew();
    MemoHeader header = m_store->CurrentHeader();
    header.title = shown.title;
    header.theKeys = shown.theKeys;
    header.font = shown.font;
    header.fontExtraB = shown.fontExtraB;
    header.fontExtraC = shown.fontExtraC;
    m_store->SetCurrentHeader(header);
    return m_store->SaveCurrent(body);
}

CQuirelDoc::SaveDialogOutcome CQuirelDoc::RunSaveDialog(bool goOnEnabled)
{
    MemoHeader header = m_store->CurrentHeader();
    if (header.title.isEmpty())
        header.title = SuggestedTitle();
    SaveDialogOutcome outcome{m_prompts.RunSaveDialog(header, goOnEnabled)};
    if (outcome.result == kSaveDialogSave) {
        // What the header holds is what is stored.
        header.title = LeftWhole(header.title, MemoHeader::kTitleChars);
        header.theKeys = LeftWhole(header.theKeys, MemoHeader::kKeysChars);
        m_store->SetCurrentHeader(header);
        outcome.saved = SaveCurrentMemo();
    }
    return outcome;
}

int CQuirelDoc::AskSaveMemo()
{
    return SaveCheck() >= 0 ? 1 : 0;
}

int CQuirelDoc::SaveCheck()
{
    if (!IsModified())
        return 0;
    if (!m_store)
        return -1;
    const SaveDialogOutcome outcome = RunSaveDialog(true);
    switch (outcome.result) {
    case kSaveDialogSave:
        // A failed save keeps the memo: leaving it would lose the text.
        return outcome.saved ? 1 : -1;
    case kSaveDialogGoOn:
        return 0;
    default:
        return -1;
    }
}

void CQuirelDoc::Properties()
{
    if (m_store)
        RunSaveDialog(false);
}

bool CQuirelDoc::DeleteCurrentMemo()
{
    if (!m_store || m_store->CurrentRecord() == -1)
        return false;
    if (IsReadOnly()) {
        Tell(ReadOnlyDeleteRefusedText());
        return false;
    }
    if (m_prompts.Ask(MessageText(kMsgDeleteMemo), PromptButtons::kYesNo) != kAnswerYes)
        return false;
    if (!m_store->DeleteCurrent()) {
        Tell(MemoDeleteFailedText());
        return false;
    }
    ClearModified();
    // The current record is now -1, so the next one is the first.
    if (m_store->Count() > 1)
        StepMemo(true);
    else
        BeginNewMemo();
    return true;
}

// ---- Helpers

// The previous store outlives the announcement, so views may let go of it while they switch.
void CQuirelDoc::ReplaceTextStore(std::unique_ptr<CTextStore> store, int hint)
{
    const std::unique_ptr<CTextStore> previous = std::exchange(m_textStore, std::move(store));
    ClearModified();
    UpdateAllViews(hint);
}

void CQuirelDoc::ClearModified()
{
    m_modified = false;
    m_textStore->SetEdited(false);
}

void CQuirelDoc::SetPathName(const QString& path)
{
    m_pathName = path;
    m_views.AddRecentFile(path);
}

QString CQuirelDoc::DocumentName() const
{
    return m_pathName.isEmpty() ? UntitledName() : m_pathName;
}

void CQuirelDoc::Tell(const QString& text, const QString& detail)
{
    m_prompts.Ask(text, PromptButtons::kOk, detail);
}
