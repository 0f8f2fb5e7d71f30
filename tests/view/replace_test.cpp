// Replacing: find next, replace and replace all on the headless editor, the strings remembered
// and stored, and the dialog that drives them on the view (one at a time, strings kept on close).
#include "app/replace_dialog.h"

#include "editor/editing_steps.h"
#include "editor/editor_fixture.h"
#include "editor/view/quirel_view.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ReplaceTest : public testing::Test {
protected:
    ReplaceTest()
    {
        QSettings().remove("Strings");
    }
    std::string Text(const EditorRig& rig) const { return rig.store.WholeText().toStdString(); }
};

TEST_F(ReplaceTest, ReplaceAllStartsAtTheBeginningAndEndsWhenTheReplacementHoldsTheText)
{
    struct Case {
        QString text, before, after;
        int replaced;
        std::string result;
    };
    const Case cases[] = {
        {"abc abc\nxabc", "abc", "abcabc", 3, "abcabc abcabc\nxabcabc"},
        {"aaaa", "a", "", 4, ""},
        {"aaaa", "aa", "a", 2, "aa"},
        {"Abc abc", "abc", "X", 1, "Abc X"},
        {"abc", "zz", "X", 0, "abc"},
    };
    for (const Case& c : cases) {
        EditorRig rig(c.text.split(u'\n'));
        rig.editor.Collapse({0, 2}); // the caret's place does not matter
        ReplaceSession session(rig.editor);
        EXPECT_EQ(session.ReplaceAll({c.before, c.after}), c.replaced) << c.text.toStdString();
        EXPECT_EQ(Text(rig), c.result);
        EXPECT_FALSE(rig.editor.HasSelection());
        UndoAll(rig.editor);
        EXPECT_EQ(Text(rig), c.text.toStdString()) << "every replacement can be undone";
    }
}

TEST_F(ReplaceTest, ReplaceTakesTheSelectionAndMovesToTheNextMatch)
{
    EditorRig rig({"aaa xa"});
    ReplaceSession session(rig.editor);
    const ReplaceStrings fields{"a", "b"};
    EXPECT_TRUE(session.Replace(fields)) << "without a selection the match at the caret is selected";
    EXPECT_EQ(rig.editor.SelectionStart(), (TextPosition{0, 0}));
    EXPECT_EQ(Text(rig), "aaa xa");
    EXPECT_TRUE(session.Replace(fields));
    EXPECT_EQ(rig.editor.SelectionStart(), (TextPosition{0, 1})) << "the match right behind is next";
    EXPECT_TRUE(session.Replace(fields));
    EXPECT_TRUE(session.Replace(fields));
    EXPECT_FALSE(session.Replace(fields));
    EXPECT_EQ(Text(rig), "bbb xb");

    Select(rig.editor, {0, 0}, {0, 2}); // a selection that is not the search text
    EXPECT_FALSE(session.Replace({"a", "c"}));
    EXPECT_EQ(Text(rig), "cb xb");
}

TEST_F(ReplaceTest, FindNextPassesTheMatchAtTheCaret)
{
    EditorRig rig({"abc abc"});
    ReplaceSession session(rig.editor);
    EXPECT_TRUE(session.FindNext({"abc", ""}));
    EXPECT_EQ(rig.editor.SelectionStart(), (TextPosition{0, 4}));
    EXPECT_FALSE(session.FindNext({"abc", ""}));
    EXPECT_FALSE(session.FindNext({"", ""}));
}

TEST_F(ReplaceTest, TheStringsOfTheLastUseAreStored)
{
    QSettings().setValue("Strings/RepBefore", "old");
    EditorRig rig({"text"});
    ReplaceSession session(rig.editor);
    EXPECT_EQ(session.Strings().before, "old");
    EXPECT_EQ(session.Strings().after, "");
    session.FindNext({"te", "TE"});
    ASSERT_TRUE(session.Save());
    EXPECT_EQ(QSettings().value("Strings/RepBefore").toString(), "te");
    EXPECT_EQ(QSettings().value("Strings/RepAfter").toString(), "TE");
}

class ReplaceDialogTest : public ReplaceTest {
protected:
    ReplaceDialogTest()
    {
        view.resize(800, 600);
        view.show();
        view.SetPaper({1000, 1000, view.logicalDpiX(), view.logicalDpiY()});
        store.LoadParagraphs({"one two one"});
        view.ShowStore(&store);
    }
    static QPushButton* Button(QDialog* dialog, const QString& text)
    {
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == text)
                return button;
        }
        return nullptr;
    }

    CQuirelView view;
    CTextStore store;
};

TEST_F(ReplaceDialogTest, OneDialogAtATimeStoringItsStringsWhenClosed)
{
    QSettings().setValue("Strings/RepBefore", "one");
    QPointer<CReplaceDlg> dialog = CReplaceDlg::Open(view);
    EXPECT_EQ(CReplaceDlg::Open(view), dialog.data());
    auto* before = dialog->findChild<QLineEdit*>("before");
    auto* after = dialog->findChild<QLineEdit*>("after");
    EXPECT_EQ(before->text(), "one");
    EXPECT_EQ(after->text(), "");

    QPushButton* replaceAll = Button(dialog, QStringLiteral("すべて置換(&A)"));
    ASSERT_NE(replaceAll, nullptr);
    after->setText("1");
    QTest::mouseClick(replaceAll, Qt::LeftButton);
    EXPECT_EQ(store.WholeText(), "1 two 1");
    EXPECT_TRUE(store.Edited());

    before->clear();
    EXPECT_FALSE(replaceAll->isEnabled()) << "nothing to search for";
    before->setText("unused"); // typed but never used: not stored
    QTest::mouseClick(Button(dialog, QStringLiteral("キャンセル")), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(QSettings().value("Strings/RepBefore").toString(), "one");
    EXPECT_EQ(QSettings().value("Strings/RepAfter").toString(), "1");
    EXPECT_NE(CReplaceDlg::Open(view), nullptr) << "a new one opens after the close";
}

} // namespace
