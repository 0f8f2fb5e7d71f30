// Test doubles for the document's user and views. ScriptedPrompts answers from queues filled by
// the test and records everything it was shown, in order; a prompt without a scripted answer
// fails the test and answers Cancel. RecordingViews records what the views were told.
#pragma once

#include "document/document_views.h"
#include "document/user_prompts.h"

#include <QStringList>
#include <deque>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

class ScriptedPrompts : public UserPrompts {
public:
    // What the save dialog does: its result and, for 保存, the texts in the boxes (nothing keeps
    // what the dialog was opened with).
    struct SaveDialogScript {
        SaveDialogScript(int result, std::optional<QString> title = {}, std::optional<QString> keys = {})
            : result(result), title(std::move(title)), keys(std::move(keys))
        {
        }
        int result;
        std::optional<QString> title;
        std::optional<QString> keys;
    };

    std::deque<int> answers;                           // for Ask
    std::deque<SaveDialogScript> saveDialogs;          // for RunSaveDialog
    std::deque<std::optional<QString>> chosenFiles;    // for ChooseOpenFile and ChooseSaveFile

    // Every message text, and "[保存ダイアログ] TITLE" / "[開く]" / "[保存]" for the dialogs.
    QStringList shown;
    std::vector<PromptButtons> buttons;                // of each Ask
    std::vector<bool> goOnEnabled;                     // of each save dialog
    std::vector<FileDialogRequest> fileRequests;

    int Ask(const QString& text, PromptButtons shownButtons) override
    {
        shown << text;
        buttons.push_back(shownButtons);
        return Next(answers, int(kAnswerCancel), text);
    }

    int RunSaveDialog(MemoHeader& header, bool goOn) override
    {
        shown << QStringLiteral("[保存ダイアログ] ") + header.title;
        goOnEnabled.push_back(goOn);
        const SaveDialogScript script = Next(saveDialogs, SaveDialogScript{kSaveDialogCancel}, header.title);
        if (script.result == kSaveDialogSave) {
            header.title = script.title.value_or(header.title);
            header.theKeys = script.keys.value_or(header.theKeys);
        }
        return script.result;
    }

    std::optional<QString> ChooseOpenFile(const FileDialogRequest& request) override
    {
        return Choose(QStringLiteral("[開く]"), request);
    }

    std::optional<QString> ChooseSaveFile(const FileDialogRequest& request) override
    {
        return Choose(QStringLiteral("[保存]"), request);
    }

    // True when every scripted answer was used.
    bool Finished() const { return answers.empty() && saveDialogs.empty() && chosenFiles.empty(); }

private:
    std::optional<QString> Choose(const QString& marker, const FileDialogRequest& request)
    {
        shown << marker;
        fileRequests.push_back(request);
        return Next(chosenFiles, std::optional<QString>(), marker);
    }

    template <typename T>
    static T Next(std::deque<T>& queue, T unscripted, const QString& what)
    {
        if (queue.empty()) {
            ADD_FAILURE() << "unscripted prompt: " << what.toStdString();
            return unscripted;
        }
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

class RecordingViews : public DocumentViews {
public:
    std::vector<int> hints;
    std::vector<bool> modes;
    QStringList titles;
    QStringList recentFiles;

    void OnUpdate(int hint) override { hints.push_back(hint); }
    void OnModeChanged(bool databaseOpen) override { modes.push_back(databaseOpen); }
    void OnTitleChanged(const QString& title) override { titles << title; }
    void AddRecentFile(const QString& path) override { recentFiles << path; }
};
