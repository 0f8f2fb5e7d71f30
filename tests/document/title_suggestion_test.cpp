// The title offered for a memo saved without one, built from the start of its body.
#include "document/title_suggestion.h"
#include "editor/text_store.h"

#include <gtest/gtest.h>

namespace {

TEST(TitleSuggestionTest, FoldsTheStartOfTheBodyIntoOneLine)
{
    CTextStore store;
    store.LoadParagraphs({QStringLiteral("== 会議メモ ==\r"), QStringLiteral("\u3000日時：\t10-12時"), QString()});
    EXPECT_EQ(TitleSuggestion(store), QStringLiteral(" 会議メモ  日時： 1012時  "));

    // Only the first 80 characters are kept, and never half of a surrogate pair.
    store.LoadParagraphs({QString(60, u'あ'), QString(18, u'い') + QStringLiteral("𠮷い"), QStringLiteral("not reached")});
    EXPECT_EQ(TitleSuggestion(store), QString(60, u'あ') + u' ' + QString(18, u'い'));
    EXPECT_EQ(TitleSuggestion(CTextStore()), QStringLiteral(" "));
}

} // namespace
