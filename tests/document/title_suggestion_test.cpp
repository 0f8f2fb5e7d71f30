// The title offered for a memo saved without one, built from the start of its body.
#include "document/title_suggestion.h"
#include "editor/text_store.h"

#include <gtest/gtest.h>

namespace {

TEST(TitleSuggestionTest, FoldsTheBodyIntoOneLine)
{
    CTextStore store;
    store.LoadParagraphs({QStringLiteral("== 会議メモ ==\r"), QStringLiteral("\u3000日時：\t10-12時"), QString()});
    EXPECT_EQ(TitleSuggestion(store), QStringLiteral(" 会議メモ  日時： 1012時  "));
}

TEST(TitleSuggestionTest, KeepsTheFirst80Characters)
{
    CTextStore store;
    store.LoadParagraphs({QString(60, u'あ'), QString(60, u'い'), QStringLiteral("not reached")});
    const QString title = TitleSuggestion(store);
    EXPECT_EQ(title, QString(60, u'あ') + u' ' + QString(19, u'い'));
    EXPECT_EQ(TitleSuggestion(CTextStore()), QStringLiteral(" "));
}

} // namespace
