// CListPages: the list page requests of one editor view. It builds the title list and the
// search page of the document's open store (a local database or a server table) into the
// view's page file, and carries out a clicked link: another page, or another memo.
//
// Local links carry a display position and a slot. A list left open across a delete, an
// import or a new memo may name a position that now holds another record: the record of the
// link's slot is opened wherever it now stands, and when it is gone the last page is built
// afresh instead. Server links carry nIDs, which never move.
//
// Pages are written whole or not at all; a page that cannot be written is reported (the old
// page stays), a local record that cannot be read is reported (message 108) and the page,
// cut there, is still shown.
#pragma once

#include "browser/list_link.h"
#include "browser/page_file.h"

#include <QString>

class CQuirelDoc;
class UserPrompts;
struct ListPage;

class CListPages {
public:
    // What the view does after a request.
    enum class Outcome {
        kNone,       // nothing to show: the view keeps (or takes) the focus
        kShowPage,   // the page file holds a fresh page: show it in the list window
        kMemoOpened, // the document moved to the memo; the list stays as it is
    };

    // The local title list that starts at the current record.
    static constexpr int kFromCurrent = -2;

    CListPages(CQuirelDoc& document, UserPrompts& prompts, const QString& folder = {});

    const QString& PagePath() const { return m_file.Path(); }

    // The title list command: locally from `top` (a position, or kFromCurrent); on a server
    // from the nID `top` (-1 the first page; kFromCurrent the current memo, or the first page
    // for a new memo).
    Outcome TitleList(int top);
    // The search page for the words as typed (U+3000 and double blanks folded, trailing blanks
    // removed). An empty text, a failed search and a search without hits show nothing.
    Outcome Search(const QString& typed);
    // A clicked link, after the save check (a cancelled check does nothing).
    Outcome Follow(const ListLink& link);

private:
    Outcome LocalLink(const ListLink& link);
    Outcome ServerLink(const ListLink& link);
    Outcome Show(const ListPage& page);
    Outcome Rebuild();

    CQuirelDoc& m_document;
    UserPrompts& m_prompts;
    CPageFile m_file;
    // The last page built, so that it can be built again.
    bool m_lastWasSearch = false;
    int m_lastTop = kFromCurrent;
    QString m_lastText;
};
