// UserPrompts: how the document asks the user. The widget layer answers with message boxes and
// dialogs; tests answer from a script. Answers use the platform's codes, so callers compare
// with the same numbers whichever side answers.
#pragma once

#include "document/memo_header.h"

#include <QString>
#include <optional>

// kYesNoDefaultNo: Yes and No with No as the default button, for questions whose Yes cannot be
// undone.
enum class PromptButtons { kOk, kOkCancel, kYesNo, kYesNoCancel, kYesNoDefaultNo };

enum PromptAnswer : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

// Results of the save dialog (保存, キャンセル, 保存せず進む).
enum SaveDialogResult : int { kSaveDialogSave = 1, kSaveDialogCancel = 2, kSaveDialogGoOn = 1000 };

// A file dialog: the filter in the program's "name|pattern|name|pattern||" form, the extension
// added to a name typed without one (no dot; empty for none), the initial file name and folder.
struct FileDialogRequest {
    QString filter;
    QString defaultExtension;
    QString initialName;
    QString startFolder;
    bool mustExist = false;
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // Shows `text` with the buttons and returns the answer (a closed box answers Cancel, or No
    // when there is no Cancel button). A `detail` that is not empty is shown on request below
    // the text (the reason behind a failure).
    virtual int Ask(const QString& text, PromptButtons buttons, const QString& detail = {}) = 0;
    // The save dialog on `header`: on 保存 its Title and TheKeys hold what the user typed. With
    // `goOnEnabled` false the 保存せず進む button is disabled. Returns a SaveDialogResult.
    virtual int RunSaveDialog(MemoHeader& header, bool goOnEnabled) = 0;
    // The chosen path, or nothing when the dialog was cancelled.
    virtual std::optional<QString> ChooseOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> ChooseSaveFile(const FileDialogRequest& request) = 0;
};
