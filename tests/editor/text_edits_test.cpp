// Typing, paragraphs, deletion and their undo steps, on the editor rig's 12-column page.
#include "editor_fixture.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

TEST(TextEdits, TypingIsUndoneCharacterByCharacter)
{
    EditorRig rig({"", "xxxxxxxx"});
    // Controls, DEL, C1 and lone surrogates are not text; neither is a key ending a sequence.
    for (char32_t character : {U'a', U'\t', U'\x7F', U'\x85', char32_t(0xD800), U'b', U'c'})
        rig.editor.TypeCharacter(character);
    rig.editor.Keys().Lookup(KeyCode::kCtrl | 'Q', kLayoutDiamond);
    rig.editor.TypeCharacter(U'r');
    EXPECT_EQ(rig.store.WholeText(), "abc\nxxxxxxxx");
    EXPECT_TRUE(rig.store.Edited());
    EXPECT_EQ(rig.host.modifiedCount, 3);
    rig.editor.MoveDown(false); // goal x followed the typing
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 3}));

    for (const char* expected : {"ab", "a", ""}) {
        rig.editor.UndoLast();
        EXPECT_EQ(rig.store.WholeText(), QString::fromUtf8(expected) + "\nxxxxxxxx");
    }
    EXPECT_FALSE(rig.editor.Undo().CanUndo());
}

TEST(TextEdits, CommitStringReplacesTheSelectionInTwoSteps)
{
    EditorRig rig({"hello world"});
    rig.Select({0, 6}, {0, 11});
    rig.editor.InsertText(QStringLiteral("世\r\n界界界"), true); // line ends never enter a paragraph
    EXPECT_EQ(rig.store.WholeText(), QStringLiteral("hello 世界界界"));
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 1})); // behind the text, which wrapped
    rig.editor.UndoLast();
    EXPECT_EQ(rig.store.WholeText(), "hello ");
    rig.editor.UndoLast();
    EXPECT_EQ(rig.store.WholeText(), "hello world");
}

TEST(TextEdits, EnterTabAndSoftBreak)
{
    EditorRig rig({"abcd", "ef"});
    rig.editor.Collapse({0, 2});
    rig.editor.RunCommand(201); // Enter: the caret follows
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 0}));
    rig.editor.RunCommand(204); // new paragraph, the caret stays
    rig.editor.RunCommand(202); // tab
    EXPECT_EQ(rig.store.WholeText(), "ab\n\t\ncd\nef");
    rig.editor.SoftLineBreak(); // not on the last line: only down to the next line's start
    EXPECT_EQ(rig.Caret(), (TextPosition{2, 0}));
    rig.editor.Collapse({3, 1});
    rig.editor.SoftLineBreak(); // on the last line: a new paragraph after its end
    EXPECT_EQ(rig.store.WholeText(), "ab\n\t\ncd\nef\n");
    EXPECT_EQ(rig.Caret(), (TextPosition{4, 0}));
    rig.UndoAll();
    EXPECT_EQ(rig.store.WholeText(), "abcd\nef");
}

TEST(TextEdits, DeletionKeysAndTheirUndo)
{
    EditorRig rig({"a", "", "foo bar", "xy"});
    rig.editor.Collapse({3, 2});
    rig.editor.DeleteCharacter(true); // the last line feed stays
    rig.editor.Collapse({0, 0});
    rig.editor.Backspace();
    EXPECT_FALSE(rig.editor.Undo().CanUndo());
    EXPECT_FALSE(rig.store.Edited());

    rig.editor.Collapse({1, 0});
    rig.editor.DeleteLine(); // an empty line goes with its line feed
    rig.editor.DeleteWord();
    EXPECT_EQ(rig.store.WholeText(), "a\nbar\nxy");
    rig.editor.Collapse({2, 1});
    rig.editor.DeleteLine(); // a filled line is emptied but stays
    rig.editor.Collapse({1, 0});
    rig.editor.Backspace(); // joins with the line above
    EXPECT_EQ(rig.store.WholeText(), "abar\n");
    rig.UndoAll();
    EXPECT_EQ(rig.store.WholeText(), "a\n\nfoo bar\nxy");
}

// Random recorded edits, each one undo step, at random places of a wrapping text (some between
// the halves of a surrogate pair): no edit leaves half a pair, and undoing them one by one must
// give back every earlier text in turn.
TEST(TextEdits, EveryUndoStepRestoresTheTextBeforeIt)
{
    const QStringList alphabet = {"a", "b", " ", "あ", "い", "\n", QStringLiteral("𠮷")};
    QRandomGenerator random(7);
    const auto randomText = [&] {
        QString text;
        for (int n = int(random.bounded(1, 20)); n > 0; --n)
            text += alphabet[random.bounded(alphabet.size())];
        return text;
    };
    EditorRig rig({"first paragraph of the memo", "", "あいうえおかきくけこ", "last"});
    const auto randomPlace = [&] {
        const int line = int(random.bounded(rig.store.TotalLines()));
        return TextPosition{line, int(random.bounded(rig.store.VisibleLength(line) + 1))};
    };
    QStringList earlier;
    for (int step = 0; step < 400; ++step) {
        const QString before = rig.store.WholeText();
        rig.editor.Collapse(randomPlace());
        switch (random.bounded(6)) {
        case 0:
            rig.editor.InsertText(randomText(), true); // kind 2 of the text's length
            break;
        case 1:
            rig.editor.NewParagraph(random.bounded(2) == 0, true); // kind 2 of count 1
            break;
        case 2:
            rig.editor.DeleteCharacter(true);
            break;
        case 3:
            rig.editor.Extend(randomPlace());
            rig.editor.DeleteSelection(false, true);
            break;
        case 4:
            rig.host.clipboard = randomText();
            rig.editor.Paste();
            break;
        default:
            rig.editor.DropText(randomText(), randomPlace(), false);
            break;
        }
        ASSERT_TRUE(ChainIsConsistent(rig.store)) << "step " << step;
        ASSERT_TRUE(rig.store.WholeText().isValidUtf16()) << "step " << step;
        if (rig.store.WholeText() != before)
            earlier.append(before);
    }
    while (!earlier.isEmpty()) {
        rig.editor.UndoLast();
        ASSERT_EQ(rig.store.WholeText(), earlier.takeLast()) << earlier.size() << " steps left";
    }
    EXPECT_FALSE(rig.editor.Undo().CanUndo());
}

} // namespace
