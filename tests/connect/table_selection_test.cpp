// The table dialog's rules that the flows against the server do not reach: the list text
// parsed and sorted, message 113, and "N/A" for a count that fails or a missing store.
#include "connect/table_selection.h"

#include "document/scripted_prompts.h"

#include <gmock/gmock.h>

using namespace Qt::StringLiterals;

TEST(TableSelectionTest, ListsSortedTablesUpToAStrayBracketAndAsksWhatIsMissing)
{
    ScriptedPrompts prompts;
    EXPECT_EQ(TableSelection(prompts, u"<work><Memo><abc><b"_s, nullptr).Tables(), QStringList({"abc", "Memo", "work"}));

    TableSelection selection(prompts, u"<memo><broken>"_s, [](const QString& table) { return table == u"memo" ? 3 : -1; });
    EXPECT_EQ(selection.Selected(), 0); // broken
    prompts.answers = {kAnswerNo, kAnswerOk, kAnswerNo};
    selection.PressDelete();
    selection.PressCreate(); // opens the name box, asks nothing
    selection.PressSelect(); // nothing selected or typed
    TableSelection(prompts, u"<memo>"_s, nullptr).PressDelete();
    EXPECT_FALSE(selection.Result());
    const auto uncounted = [](const QString& table) {
        return u"選択したデータベースファイル(%1)を削除します。削除すると%1に登録されているN/A件のデータは復活できなくなります。"
               u" %1以外のデータベースファイルは削除されません）\n\n削除しますか？"_s.arg(table);
    };
    EXPECT_THAT(prompts.shown, testing::ElementsAre(uncounted(u"broken"_s), u"テーブルを選択してください。"_s,
                                                    uncounted(u"memo"_s)));
    EXPECT_EQ(prompts.buttons.front(), PromptButtons::kYesNoDefaultNo);
}
