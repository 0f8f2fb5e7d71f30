// Word runs: character classes by Shift_JIS code and where the word walks stop.
#include "editor/page_format.h"
#include "editor/word_runs.h"

#include <gtest/gtest.h>

#include <QList>

namespace {

using enum WordClass;
using namespace Qt::StringLiterals;

// The stops of repeated word walks over a paragraph: rightwards from its start, or leftwards
// from in front of its line feed.
QList<int> Stops(const QString& text, bool rightwards)
{
    const CPageFormat format;
    const WordDelimiters delimiters{format.wordDelimitersA, format.wordDelimitersB};
    const QString paragraph = text + u'\n';
    QList<int> stops;
    for (int at = rightwards ? 0 : int(text.size()); rightwards ? at < text.size() : at > 0;) {
        at = rightwards ? WordRightOffset(paragraph, at, delimiters) : WordLeftOffset(paragraph, at, delimiters);
        stops << at;
    }
    return stops;
}

TEST(WordRuns, ClassesFollowTheShiftJisCode)
{
    const QList<std::pair<QString, WordClass>> samples = {
        {u" 　"_s, kSpace},          {u"09"_s, kDigit},           {u"Az_-!/:@"_s, kLetterOrSymbol},
        {u"ｱﾟ"_s, kHalfWidthKatakana}, {u"[~\t"_s, kOtherSingleByte}, {u"０９"_s, kFullWidthDigit},
        {u"Ａｚ"_s, kFullWidthLetter}, {u"ぁあん"_s, kHiragana},     {u"ァヶー"_s, kKatakana},
        {u"漢×"_s, kKanji},           {u"おご"_s, kPrefix},         {u"、。，．"_s, kPunctuation},
        {u"€"_s, kUnclassed},
    };
    for (const auto& [characters, expected] : samples) {
        for (QChar c : characters)
            EXPECT_EQ(CharacterClass(c.unicode()), expected) << QString(c).toStdString();
    }
    EXPECT_EQ(CharacterClass(0xD83D), kUnclassed); // half of a surrogate pair
}

TEST(WordRuns, WalksStopWhereTheClassChangesOrADelimiterStands)
{
    const struct {
        QString text;
        bool rightwards;
        QList<int> stops;
        const char* rule;
    } cases[] = {
        {u"漢字かなカタカナabc 123"_s, true, {4, 8, 12, 15},
         "kanji and hiragana go together, katakana, letters and digits apart; a blank joins the word before it"},
        {u"漢字かなカタカナabc 123"_s, false, {12, 8, 4, 0}, "leftwards too"},
        {u"ｱｲｳabc　ｘｙ１２"_s, true, {3, 7, 9, 11}, "half-width kana and full-width letters and digits"},
        {u"漢字ご飯"_s, true, {2, 4}, "an honorific prefix joins the following word"},
        {u"漢字ご飯"_s, false, {2, 0}, "leftwards too"},
        {u"ですお茶"_s, true, {4}, "hiragana runs on into a prefix"},
        {u"abc@def"_s, true, {3, 7}, "a word ends in front of the first delimiter set, \"@&#$\""},
        {u"お茶を飲む"_s, true, {3, 5}, "and behind the particles of the second set"},
        {u"お茶を飲む"_s, false, {3, 0}, "leftwards too"},
        {u"です。次は「本」"_s, true, {3, 5, 6, 8}, "and behind its brackets"},
        {u"a😀b"_s, true, {1, 3, 4}, "a surrogate pair is walked over whole"},
        {u"a😀b"_s, false, {3, 1, 0}, "leftwards too"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Stops(c.text, c.rightwards), c.stops) << c.rule;
}

TEST(WordRuns, WalksStayInsideTheParagraph)
{
    const WordDelimiters none{};
    EXPECT_EQ(WordRightOffset(u"\n", 0, none), 0);
    EXPECT_EQ(WordRightOffset(u"ab\n", 99, none), 2);
    EXPECT_EQ(WordLeftOffset(u"ab\n", -3, none), 0);
    EXPECT_EQ(WordLeftOffset(u"", 5, none), 0);
}

} // namespace
