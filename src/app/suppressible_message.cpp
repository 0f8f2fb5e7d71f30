#include "suppressible_message.h"

#include "document/string_table.h"
#include "document/user_prompts.h"

#include <QSettings>

void ShowSuppressibleMessage(int number, UserPrompts& prompts)
{
    const QString key = QStringLiteral("Options/Msg%1").arg(number);
    if (QSettings().value(key, 1).toInt() != 1)
        return;
    const QString text = MessageText(number) + QStringLiteral("\n\n") + MessageText(kMsgShowAgain);
    if (prompts.Ask(text, PromptButtons::kYesNo) == kAnswerNo)
        QSettings().setValue(key, 0);
}
