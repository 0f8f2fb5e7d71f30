// The table dialog's behaviour without widgets: the sorted list, choosing by select and double
// click, creating (the first press opens the name box, then question 117), deleting after two
// questions with the record count or "N/A", and the results the dialog ends with.
#include "connect/table_selection.h"

#include "document/scripted_prompts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testing::ElementsAre;

const QString kCreate117 =
    u"通常、データベースファイルは１つ作成すれば十分です。\n新規にデータベースファイル(new)を作成しますか？"_s;

QString Delete115(const QString& table, const QString& count)
{
    return u"選択したデータベースファイル(%1)を削除します。削除すると%1に登録されている%2件のデータは復活できなくなります。"
           u" %1以外のデータベースファイルは削除されません）\n\n削除しますか？"_s.arg(table, count);
}

QString Delete116(const QString& table, const QString& count)
{
    return u"データベースファイル(%1,登録件数%2件)の削除を実行します。本当によろしいですか？"_s.arg(table, count);
}

TEST(TableSelectionTest, ListsTheTablesInAlphabeticalOrderUpToAStrayBracket)
{
    const struct {
        QString tableList;
        QStringList tables;
        const char* rule;
    } rows[] = {
        {"<work><Memo><abc><memo2>", {"abc", "Memo", "memo2", "work"}, "sorted, case aside"},
        {"<b><a", {"b"}, "a \"<\" without \">\" ends the list"},
        {"", {}, "no tables"},
    };
    ScriptedPrompts prompts;
    for (const auto& row : rows) {
        const TableSelection selection(prompts, row.tableList, nullptr);
        EXPECT_EQ(selection.Tables(), row.tables) << row.rule;
        // The first entry starts selected; the name box is closed either way.
        EXPECT_EQ(selection.Selected(), row.tables.isEmpty() ? -1 : 0) << row.rule;
        EXPECT_FALSE(selection.NewNameEnabled()) << row.rule;
    }
}

TEST(TableSelectionTest, SelectAndDoubleClickEndWithTheEntryAndCancelEndsWithTwo)
{
    ScriptedPrompts prompts;
    TableSelection selected(prompts, "<a><b>", nullptr);
    selected.SelectEntry(1);
    selected.PressSelect();
    EXPECT_EQ(selected.Result(), TableSelection::kSelect);
    EXPECT_EQ(selected.ChosenTable(), "b");

    TableSelection doubleClicked(prompts, "<a><b>", nullptr);
    doubleClicked.ActivateEntry(0);
    EXPECT_EQ(doubleClicked.Result(), TableSelection::kSelect);
    EXPECT_EQ(doubleClicked.ChosenTable(), "a");

    TableSelection cancelled(prompts, "<a>", nullptr);
    cancelled.Cancel();
    cancelled.PressSelect(); // an ended dialog takes no more presses
    EXPECT_EQ(cancelled.Result(), TableSelection::kCancel);
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST(TableSelectionTest, CreatingOpensTheNameBoxFirstThenAsks117)
{
    ScriptedPrompts prompts;
    TableSelection selection(prompts, "", nullptr);
    prompts.answers = {kAnswerOk, kAnswerNo, kAnswerYes};
    selection.SetNewName("ignored"); // the closed box takes no typing
    selection.PressSelect();         // nothing selected, nothing typed: 113
    selection.PressCreate();         // opens the box
    EXPECT_TRUE(selection.NewNameEnabled());
    selection.PressCreate(); // still no name: nothing asked
    selection.SetNewName("new");
    selection.PressCreate(); // No keeps the dialog open
    EXPECT_FALSE(selection.Result());
    selection.PressSelect(); // with a name and no entry, 選択 creates
    EXPECT_EQ(selection.Result(), TableSelection::kCreate);
    EXPECT_EQ(selection.ChosenTable(), "new");
    EXPECT_THAT(prompts.shown, ElementsAre(u"テーブルを選択してください。"_s, kCreate117, kCreate117));
    EXPECT_THAT(prompts.buttons, ElementsAre(PromptButtons::kOk, PromptButtons::kYesNoDefaultNo,
                                             PromptButtons::kYesNoDefaultNo));

    // Pressing 新規作成 leaves no entry selected, so 削除 then does nothing.
    TableSelection withTables(prompts, "<memo>", nullptr);
    withTables.PressCreate();
    EXPECT_EQ(withTables.Selected(), -1);
    withTables.PressDelete();
    EXPECT_TRUE(withTables.DeleteEnabled());
    EXPECT_EQ(prompts.shown.size(), 3);
}

TEST(TableSelectionTest, DeletingNeedsTwoYesAndShowsTheCountOrNA)
{
    ScriptedPrompts prompts;
    QStringList counted;
    TableSelection selection(prompts, "<memo><broken>", [&counted](const QString& table) {
        counted << table;
        return table == u"memo" ? 3 : -1;
    });
    selection.SelectEntry(int(selection.Tables().indexOf("memo")));
    prompts.answers = {kAnswerNo, kAnswerYes, kAnswerNo};
    selection.PressDelete(); // No at 115
    selection.PressDelete(); // Yes at 115, No at 116
    EXPECT_FALSE(selection.Result());
    selection.SelectEntry(int(selection.Tables().indexOf("broken")));
    prompts.answers = {kAnswerYes, kAnswerYes};
    selection.PressDelete();
    EXPECT_EQ(selection.Result(), TableSelection::kDelete);
    EXPECT_EQ(selection.ChosenTable(), "broken");
    EXPECT_THAT(counted, ElementsAre("memo", "memo", "broken"));
    EXPECT_THAT(prompts.shown, ElementsAre(Delete115("memo", "3"), Delete115("memo", "3"), Delete116("memo", "3"),
                                           Delete115("broken", "N/A"), Delete116("broken", "N/A")));
    EXPECT_THAT(prompts.buttons, testing::Each(PromptButtons::kYesNoDefaultNo));

    // Without a store there is no count either.
    ScriptedPrompts noStore;
    TableSelection uncounted(noStore, "<memo>", nullptr);
    noStore.answers = {kAnswerNo};
    uncounted.PressDelete();
    EXPECT_THAT(noStore.shown, ElementsAre(Delete115("memo", "N/A")));
}

} // namespace
