// The links of list pages, decoded from the URL a click reports (the page's folder may stand
// in front). Tested in this order: "nID=" (a server memo), "TopNum" (another page), "FAT="
// (a local record); any other URL decodes to nothing and the click is swallowed.
//
// A server reference carries a negative number and a local one a non-negative number, so the
// sign of `number` tells which store a link belongs to.
#pragma once

#include <QString>
#include <optional>

struct ListLink {
    enum class Kind { kServerMemo, kPage, kLocalRecord };
    Kind kind;
    int number; // -nID; the page's top (-nID on a server); the display position
    int slot;   // the local record's slot (kLocalRecord only, else 0)
};

std::optional<ListLink> DecodeListLink(const QString& url);
