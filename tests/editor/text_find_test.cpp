// Find: exact, case-sensitive, paragraph by paragraph, from the caret or the selection's start.
#include "editor_fixture.h"

#include <gtest/gtest.h>

namespace {

TEST(Find, ForwardAndBackwardWithAndWithoutTheCaret)
{
    EditorRig rig({"abc abc", "xabc"});
    struct Step {
        bool forward;
        bool includeCaret;
        TextPosition start;
    };
    const Step steps[] = {
        {true, true, {0, 0}},
        {true, true, {0, 0}}, // from the selection's start: the same match
        {true, false, {0, 4}},
        {true, false, {1, 1}},  // on into the next paragraph
        {false, false, {0, 4}}, // back into the previous one, from its end
        {false, true, {0, 4}},
        {false, false, {0, 0}},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(rig.editor.Find(QStringLiteral("abc"), step.forward, step.includeCaret));
        EXPECT_EQ(rig.Anchor(), step.start);
        EXPECT_EQ(rig.Caret(), (TextPosition{step.start.line, step.start.column + 3}));
    }
    EXPECT_FALSE(rig.editor.Find(QStringLiteral("abc"), false, false));
    EXPECT_FALSE(rig.editor.Find(QStringLiteral("ABC"), true, true));
    EXPECT_FALSE(rig.editor.Find(QStringLiteral("c\nx"), true, true)); // never across paragraphs
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 3})); // failed searches keep the selection
}

} // namespace
