// The suppressible message: shown with its question while "Options"/"Msg<N>" is 1, silenced for
// good by a No.
#include "app/suppressible_message.h"

#include "document/string_table.h"
#include "document/user_prompts.h"

#include <QSettings>
#include <deque>
#include <gtest/gtest.h>

namespace {

// Answers message boxes from a queue and records their texts; nothing else may be asked.
class AnsweringPrompts : public UserPrompts {
public:
    int Ask(const QString& text, PromptButtons buttons) override
    {
        shown << text;
        EXPECT_EQ(buttons, PromptButtons::kYesNo);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected message: " << text.toStdString();
            return kAnswerNo;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    int RunSaveDialog(MemoHeader&, bool) override { return Unexpected(kSaveDialogCancel); }
    std::optional<QString> ChooseOpenFile(const FileDialogRequest&) override { return Unexpected(std::nullopt); }
    std::optional<QString> ChooseSaveFile(const FileDialogRequest&) override { return Unexpected(std::nullopt); }

    std::deque<int> answers;
    QStringList shown;

private:
    template <typename T>
    static T Unexpected(T result)
    {
        ADD_FAILURE() << "only message boxes are expected";
        return result;
    }
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
    EXPECT_TRUE(prompts.answers.empty());
    EXPECT_EQ(QSettings().value("Options/Msg122").toInt(), 0);
}

TEST(SuppressibleMessage, OnlyTheValueOneShowsIt)
{
    AnsweringPrompts prompts; // no answers: any message fails the test
    QSettings().setValue("Options/Msg122", 2);
    ShowSuppressibleMessage(kMsgMailNotice, prompts);
    QSettings().remove("Options/Msg122");
}

} // namespace
