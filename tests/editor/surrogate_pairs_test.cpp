// Characters outside the Basic Multilingual Plane (a surrogate pair, two UTF-16 units) are one
// character to the caret, selection, hit tests, deletion, word runs, find and wrapping. On the
// editor rig's page: 100 px a line, ASCII 8 px, every other character 16 px.
#include "editor_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

constexpr int kPageX = 86 + 56; // window x of a line's first character
constexpr int kLineY = 58 + 4;  // window y inside line 0

TEST(SurrogatePairs, AreOneCharacterToEveryEdit)
{
    using Act = void (*)(TextEditor&);
    const struct {
        QString text;
        TextPosition caret;
        Act act;
        QString after;
        TextPosition caretAfter;
        TextPosition anchorAfter;
        const char* claim;
    } cases[] = {
        {u"a𠮷b"_s, {0, 2}, [](TextEditor& e) { e.MoveRight(false); }, u"a𠮷b"_s, {0, 3}, {0, 3},
         "right steps over; a caret between the halves counts as in front of the pair"},
        {u"a𠮷b"_s, {0, 3}, [](TextEditor& e) { e.Backspace(); }, u"ab"_s, {0, 1}, {0, 1}, "Backspace steps over it"},
        {u"a😀b"_s, {0, 1}, [](TextEditor& e) { e.DeleteCharacter(true); }, u"ab"_s, {0, 1}, {0, 1}, "Delete too"},
        {u"a𠮷b"_s, {0, 0}, [](TextEditor& e) { e.MoveToPoint(kPageX + 20, kLineY, false); }, u"a𠮷b"_s, {0, 3},
         {0, 3}, "a click right of a pair's middle lands behind it"},
        {u"𠮷野家を😀x"_s, {0, 0}, [](TextEditor& e) { e.DeleteWord(); }, u"😀x"_s, {0, 0}, {0, 0},
         "a rare kanji belongs to its word"},
        {u"あいうえお𠮷か"_s, {0, 0}, [](TextEditor& e) { e.MoveToLineEnd(false); }, u"あいうえお𠮷か"_s, {0, 7},
         {0, 7}, "the pair that fills a line is not split by the wrap"},
        {u"ab"_s, {0, 1}, [](TextEditor& e) { e.TypeCharacter(U'𠮷'); }, u"a𠮷b"_s, {0, 3}, {0, 3},
         "a typed key's pair goes in whole"},
        {u"ab𠮷"_s, {0, 0}, [](TextEditor& e) { e.InsertText(u"x"_s + QChar(0xD842) + u"y"_s, true); }, u"xyab𠮷"_s,
         {0, 2}, {0, 2}, "a lone half from outside is left out"},
        {u"a𠮷b𠮷"_s, {0, 0}, [](TextEditor& e) { e.Find(u"𠮷"_s, true, false); }, u"a𠮷b𠮷"_s, {0, 3}, {0, 1},
         "a found pair is selected whole"},
        {u"a𠮷b"_s, {0, 0}, [](TextEditor& e) { e.Find(QString(QChar(0xDFB7)), true, true); }, u"a𠮷b"_s, {0, 0},
         {0, 0}, "no match begins inside a pair"},
    };
    for (const auto& c : cases) {
        EditorRig rig({c.text});
        rig.editor.Collapse(c.caret);
        c.act(rig.editor);
        EXPECT_EQ(rig.store.WholeText(), c.after) << c.claim;
        EXPECT_EQ(rig.Caret(), c.caretAfter) << c.claim;
        EXPECT_EQ(rig.Anchor(), c.anchorAfter) << c.claim;
    }
}

} // namespace
