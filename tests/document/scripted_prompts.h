// Test doubles for the document's user and views. ScriptedPrompts answers from queues filled by
// the test and records what it showed, in order; a prompt without a scripted answer fails the
// test and answers Cancel. RecordingViews records what the views were told.
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
    // The save dialog's result and, for 保存, the texts typed (nothing: left as shown).
    struct SaveDialogScript {
        int result;
        std::optional<QString> title = {}, keys = {};
    };

    std::deque<int> answers;
    std::deque<SaveDialogScript> saveDialogs;
    std::deque<std::optional<QString>> chosenFiles; // for both file dialogs

    // Message texts, "[保存ダイアログ] TITLE" and "[開く]" / "[保存]" for the dialogs; the
    // details of the messages that had one, in order.
    QStringList shown;
    QStringList details;
    std::vector<PromptButtons> buttons;
    std::vector<bool> goOnEnabled;
    std::vector<FileDialogRequest> fileRequests;

    bool Finished() const { return answers.empty() && saveDialogs.empty() && chosenFiles.empty(); }

    int Ask(const QString& text, PromptButtons shownButtons, const QString& detail = {}) override
    {
        shown << text;
        if (!detail.isEmpty())
            details << detail;
        buttons.push_back(shownButtons);
        return Next(answers, int(kAnswerCancel));
    }

    int RunSaveDialog(MemoHeader& header, bool goOn) override
    {
        shown << QStringLiteral("[保存ダイアログ] ") + header.title;
        goOnEnabled.push_back(goOn);
        const SaveDialogScript script = Next(saveDialogs, SaveDialogScript{kSaveDialogCancel});
        if (script.result == kSaveDialogSave) {
            header.title = script.title.value_or(header.title);
            header.theKeys = script.keys.value_or(header.theKeys);
        }
        return script.result;
    }

    std::optional<QString> ChooseOpenFile(const FileDialogRequest& r) override { return Choose(u"[開く]", r); }
    std::optional<QString> ChooseSaveFile(const FileDialogRequest& r) override { return Choose(u"[保存]", r); }

private:
    std::optional<QString> Choose(QStringView marker, const FileDialogRequest& request)
    {
        shown << marker.toString();
        fileRequests.push_back(request);
        return Next(chosenFiles, std::optional<QString>());
    }

// GCC 12 reports a false "maybe uninitialized" for the QString inside a std::optional taken
// out of the queue.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
    template <typename T>
    T Next(std::deque<T>& queue, T unscripted)
    {
        if (queue.empty()) {
            ADD_FAILURE() << "unscripted prompt: " << shown.last().toStdString();
            return unscripted;
        }
        T answer = std::move(queue.front());
        queue.pop_front();
        return answer;
    }
#pragma GCC diagnostic pop
};

class RecordingViews : public DocumentViews {
public:
    std::vector<int> hints;
    std::vector<bool> modes;
    QStringList titles;
    QStringList recentFiles;
    QStringList statusMessages;

    void OnUpdate(int hint) override { hints.push_back(hint); }
    void OnModeChanged(bool databaseOpen) override { modes.push_back(databaseOpen); }
    void OnTitleChanged(const QString& title) override { titles << title; }
    void AddRecentFile(const QString& path) override { recentFiles << path; }
    void ShowStatusMessage(const QString& text) override { statusMessages << text; }
};
