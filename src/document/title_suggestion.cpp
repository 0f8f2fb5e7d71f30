// The title suggestion (see title_suggestion.h).
#include "title_suggestion.h"

#include "editor/text_store.h"
#include "platform/text_cut.h"

QString TitleSuggestion(const CTextStore& store)
{
    constexpr qsizetype kTitleLength = 80;
    return LeftWhole(store.LeadingText(), kTitleLength);
}
