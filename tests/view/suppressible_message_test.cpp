// The suppressible message: shown with its question while "Options"/"Msg<N>" is 1, silenced for
// good by a No.
#include "app/suppressible_message.h"

#include "document/scripted_prompts.h"
#include "document/string_table.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace {

TEST(SuppressibleMessage, YesKeepsShowingItAndNoSilencesIt)
{
    QSettings().remove("Options/Msg122");
    ScriptedPrompts prompts;
    prompts.answers = {kAnswerYes, kAnswerNo};
    for (int shown = 0; shown < 3; ++shown)
        ShowSuppressibleMessage(kMsgMailNotice, prompts);

    const QString text = MessageText(kMsgMailNotice) + QStringLiteral("\n\nこのメッセージを次回も表示しますか？");
    EXPECT_EQ(prompts.shown, QStringList({text, text}));
    EXPECT_EQ(prompts.buttons, std::vector<PromptButtons>(2, PromptButtons::kYesNo));
    EXPECT_TRUE(prompts.Finished());
    EXPECT_EQ(QSettings().value("Options/Msg122").toInt(), 0);
    QSettings().remove("Options/Msg122");
}

} // namespace
