// List page requests of a view (see list_requests.h).
#include "list_requests.h"

#include "browser/local_pages.h"
#include "browser/search_words.h"
#include "document/local_database.h"
#include "document/quirel_doc.h"
#include "document/string_table.h"
#include "document/user_prompts.h"
#include "store/server_store.h"

CListPages::CListPages(CQuirelDoc& document, UserPrompts& prompts, const QString& folder)
    : m_document(document)
    , m_prompts(prompts)
    , m_file(folder)
{
}

CListPages::Outcome CListPages::TitleList(int top)
{
    m_lastWasSearch = false;
    m_lastTop = top;
    ListPage page;
    if (CLocalDatabase* database = m_document.LocalDatabase()) {
        page = LocalTitleListPage(*database, top == kFromCurrent ? database->CurrentPosition() : top);
    } else if (auto* server = dynamic_cast<CServerStore*>(m_document.Store())) {
        if (server->BuildListPage(top == kFromCurrent ? server->currentId : top, page) < 0)
            return Outcome::kNone;
    } else {
        return Outcome::kNone;
    }
    return Show(page);
}

CListPages::Outcome CListPages::Search(const QString& typed)
{
    const QString text = PrepareSearchText(typed);
    if (text.isEmpty())
        return Outcome::kNone;
    m_lastWasSearch = true;
    m_lastText = text;
    ListPage page;
    if (CLocalDatabase* database = m_document.LocalDatabase()) {
        page = LocalSearchPage(*database, text);
    } else if (auto* server = dynamic_cast<CServerStore*>(m_document.Store())) {
        if (server->BuildSearchPage(text, page) < 0)
            return Outcome::kNone;
    } else {
        return Outcome::kNone;
    }
    if (page.rows == 0 && !page.cut)
        return Outcome::kNone;
    return Show(page);
}

CListPages::Outcome CListPages::Follow(const ListLink& link)
{
    if (m_document.SaveCheck() < 0)
        return Outcome::kNone;
    return link.number < 0 ? ServerLink(link) : LocalLink(link);
}

CListPages::Outcome CListPages::ServerLink(const ListLink& link)
{
    auto* server = dynamic_cast<CServerStore*>(m_document.Store());
    if (!server)
        return Outcome::kNone;
    if (link.kind == ListLink::Kind::kPage)
        return TitleList(-link.number);
    server->currentId = -link.number;
    m_document.ReloadCurrentMemo();
    return Outcome::kMemoOpened;
}

CListPages::Outcome CListPages::LocalLink(const ListLink& link)
{
    CLocalDatabase* database = m_document.LocalDatabase();
    if (!database)
        return Outcome::kNone;
    if (link.kind == ListLink::Kind::kPage)
        return TitleList(link.number);
    int position = link.number;
    if (link.kind == ListLink::Kind::kLocalRecord && database->SlotAt(position) != link.slot) {
        position = -1;
        for (int i = 0; i < database->Count() && position < 0; ++i) {
            if (database->SlotAt(i) == link.slot)
                position = i;
        }
        if (position < 0)
            return Rebuild();
    }
    if (position >= database->Count())
        return Rebuild();
    database->SetCurrentPosition(position);
    m_document.ReloadCurrentMemo();
    return Outcome::kMemoOpened;
}

CListPages::Outcome CListPages::Rebuild()
{
    return m_lastWasSearch ? Search(m_lastText) : TitleList(m_lastTop);
}

CListPages::Outcome CListPages::Show(const ListPage& page)
{
    QString error;
    if (!m_file.Write(page.html, &error)) {
        m_prompts.Ask(TextFileWriteFailedText(m_file.Path(), error), PromptButtons::kOk);
        return Outcome::kNone;
    }
    if (page.cut)
        m_prompts.Ask(MessageText(kMsgReadError), PromptButtons::kOk);
    return Outcome::kShowPage;
}
