// DocumentViews: what the document tells its views and the main frame after it changed.
// The widget layer fans these out to the editor view, the frame's tool bar and caption, and the
// recent-file list; tests record them.
#pragma once

#include <QString>

// Update hints of OnUpdate.
enum UpdateHint : int {
    kHintNewMemo = 1,     // a new, empty memo begins
    kHintLoaded = 2,      // a memo or file was loaded into a new text store
    kHintTextChanged = 3, // the text was changed outside the view
    kHintStoreClosed = 5, // a database was closed
};

class DocumentViews {
public:
    virtual ~DocumentViews() = default;

    // The document's text store may have been replaced: views fetch it again and redraw.
    virtual void OnUpdate(int hint) = 0;
    // Sent after every update: true while a database is open (the text encoding is then UTF-8
    // and cannot be changed), false in text-file mode.
    virtual void OnModeChanged(bool databaseOpen) = 0;
    // The window caption's document title.
    virtual void OnTitleChanged(const QString& title) = 0;
    virtual void AddRecentFile(const QString& path) = 0;
    // A notice that needs no answer, shown in the status bar's message pane.
    virtual void ShowStatusMessage(const QString& text) = 0;
};
