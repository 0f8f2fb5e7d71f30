// The suppressible message: notice N asked with Yes and No under "このメッセージを次回も表示しま
// すか？" (show this message again?). It is shown while the setting "Options"/"Msg<N>" is 1 (the
// default); answering No stores 0 there, so the notice is never shown again.
#pragma once

class UserPrompts;

// Shows notice `number` through `prompts` unless the user silenced it; the caller goes on
// whatever the answer.
void ShowSuppressibleMessage(int number, UserPrompts& prompts);
