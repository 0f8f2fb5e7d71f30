// The suppressible message: shown with its question while "Options"/"Msg<N>" is 1, silenced for
// good by a No.
#include "app/suppressible_message.h"

#include "document/string_table.h"
#include "document/user_prompts.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace {

// Answers message boxes in turn and records what they showed; there is nothing else to answer.
class AnsweringPrompts : public UserPrompts {
public:
    int Ask(const QString& text, PromptButtons buttons) override
    {
        shown << text;
        EXPECT_EQ(buttons, PromptButtons::kYesNo);
        EXPECT_FALSE(answers.isEmpty()) << "unexpected message";
        return answers.isEmpty() ? kAnswerNo : answers.takeFirst();
    }
    int RunSaveDialog(MemoHeader&, bool) override { return kSaveDialogCancel; }
    std::optional<QString> ChooseOpenFile(const FileDialogRequest&) override { return {}; }
    std::optional<QString> ChooseSaveFile(const FileDialogRequest&) override { return {}; }

    QList<int> answers;
    QStringList shown;
};

TEST(SuppressibleMessage, YesKeepsShowingItAndNoSilencesIt)
{
    QSettings().remove("Options/Msg122");
    AnsweringPrompts prompts;
    prompts.answers = {kAnswerYes, kAnswerNo};
    for (int shown = 0; shown < 3; ++shown)
        ShowSuppressibleMessage(kMsgMailNotice, prompts);

    const QString text = MessageText(kMsgMailNotice) + QStringLiteral("\n\nこのメッセージを次回も表示しますか？");
    EXPECT_EQ(prompts.shown, QStringList({text, text}));
    EXPECT_EQ(QSettings().value("Options/Msg122").toInt(), 0);
    QSettings().remove("Options/Msg122");
}

} // namespace
