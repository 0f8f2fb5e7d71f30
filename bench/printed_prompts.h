// PrintedPrompts: the user of a benchmark's store. Any message the store shows would spoil the
// figures: it is printed and answered OK.
#pragma once

#include "document/user_prompts.h"

#include <cstdio>

class PrintedPrompts : public UserPrompts {
public:
    int Ask(const QString& text, PromptButtons, const QString& = {}) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return kAnswerOk;
    }
    int RunSaveDialog(MemoHeader&, bool) override { return kSaveDialogCancel; }
    std::optional<QString> ChooseOpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> ChooseSaveFile(const FileDialogRequest&) override { return std::nullopt; }
};
