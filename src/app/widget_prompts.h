// WidgetPrompts: the document's questions and dialogs answered with widgets: message boxes with
// the program's Japanese button texts, the save dialog CSabrelSave, and file dialogs whose
// filters are translated from the program's "name|pattern|name|pattern||" form.
//
// Invariant: every answer is one of the codes UserPrompts names; a box closed without a button
// answers Cancel, or No when it has no Cancel, or OK when OK is its only button.
#pragma once

#include "document/user_prompts.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

// "テキスト(*.txt)|*.txt|すべてのファイル(*.*)|*.*||" -> {"テキスト (*.txt *.TXT)", "すべてのファイル (*)"}:
// a name's own "(...)" is dropped, "*.*" means every file, and each pattern also matches its
// upper-case form (file names on this platform are case-sensitive, the program's are not).
QStringList QtNameFilters(const QString& filter);

class WidgetPrompts : public UserPrompts {
public:
    // Boxes and dialogs open over `parent` (none: over no window).
    explicit WidgetPrompts(QWidget* parent = nullptr);

    int Ask(const QString& text, PromptButtons buttons, const QString& detail = {}) override;
    int RunSaveDialog(MemoHeader& header, bool goOnEnabled) override;
    std::optional<QString> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<QString> ChooseSaveFile(const FileDialogRequest& request) override;

private:
    std::optional<QString> ChooseFile(const FileDialogRequest& request, bool save);

    QPointer<QWidget> m_parent;
};
