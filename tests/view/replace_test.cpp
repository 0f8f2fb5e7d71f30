// Replacing on the headless editor (find next, replace, replace all), and the dialog that drives
// it on the view: one at a time, stored strings in, the strings used last out when it closes.
#include "app/replace_dialog.h"

#include "editor/editor_fixture.h"
#include "editor/view/quirel_view.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

namespace {

std::string Text(const CTextStore& store)
{
    return store.WholeText().toStdString();
}

TEST(ReplaceSession, ReplaceAllStartsAtTheBeginningAndEndsWhenTheReplacementHoldsTheText)
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
    };
    for (const Case& c : cases) {
        EditorRig rig(c.text.split(u'\n'));
        rig.editor.Collapse({0, 2});
        EXPECT_EQ(ReplaceSession(rig.editor).ReplaceAll({c.before, c.after}), c.replaced);
        EXPECT_EQ(Text(rig.store), c.result);
        rig.UndoAll();
        EXPECT_EQ(Text(rig.store), c.text.toStdString()) << "every replacement can be undone";
    }
}

TEST(ReplaceSession, ReplaceTakesTheSelectionAndSelectsTheNextMatch)
{
    EditorRig rig({"aaa xa"});
    ReplaceSession session(rig.editor);
    EXPECT_TRUE(session.FindNext({"a", "b"}));
    EXPECT_EQ(rig.editor.SelectionStart(), (TextPosition{0, 1})) << "find next passes the caret";
    rig.editor.Collapse({});
    EXPECT_TRUE(session.Replace({"a", "b"})) << "without a selection it only selects";
    EXPECT_EQ(Text(rig.store), "aaa xa");
    EXPECT_TRUE(session.Replace({"a", "b"}));
    EXPECT_EQ(rig.editor.SelectionStart(), (TextPosition{0, 1})) << "the match right behind is next";
    while (session.Replace({"a", "b"})) {
    }
    EXPECT_EQ(Text(rig.store), "bbb xb");

    rig.Select({0, 0}, {0, 2}); // a selection that is not the search text
    EXPECT_FALSE(session.Replace({"a", "c"}));
    EXPECT_EQ(Text(rig.store), "cb xb");
}

TEST(ReplaceDialog, OneAtATimeStoringTheStringsItUsedWhenClosed)
{
    QSettings().setValue("Strings/RepBefore", "one");
    QSettings().remove("Strings/RepAfter");
    CQuirelView view;
    CTextStore store;
    store.LoadParagraphs({"one two one"});
    view.ShowStore(&store);
    QPointer<CReplaceDlg> dialog = CReplaceDlg::Open(view);
    EXPECT_EQ(CReplaceDlg::Open(view), dialog.data());
    auto* before = dialog->findChild<QLineEdit*>("before");
    auto* after = dialog->findChild<QLineEdit*>("after");
    EXPECT_EQ(after->text(), "");

    after->setText("1");
    dialog->ReplaceAll();
    EXPECT_EQ(Text(store), "1 two 1");
    EXPECT_TRUE(store.Edited());
    before->setText("typed, never used");
    dialog->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(QSettings().value("Strings/RepBefore").toString(), "one");
    EXPECT_EQ(QSettings().value("Strings/RepAfter").toString(), "1");
}

} // namespace
