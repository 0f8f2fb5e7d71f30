// ReplaceSession: the replace dialog's work on an editor, apart from the dialog: find next,
// replace and replace all, forwards and with case distinction. It remembers the last strings
// used (starting from the settings "Strings"/"RepBefore" and "RepAfter") and writes them back
// when asked.
//
// Invariant: replace all ends after at most one pass over the memo, even when the replacement
// contains the search text (each search starts behind the text just put in).
#pragma once

#include <QString>

class TextEditor;

struct ReplaceStrings {
    QString before; // the search text
    QString after;  // its replacement
};

class ReplaceSession {
public:
    explicit ReplaceSession(TextEditor& editor);

    // The strings of the last find or replace (the stored ones before the first).
    const ReplaceStrings& Strings() const { return m_strings; }

    // Selects the next match after the caret (a match at the caret is skipped). True when found.
    bool FindNext(const ReplaceStrings& fields);
    // Replaces the selection, whatever it holds, by the replacement (without a selection
    // nothing is replaced), then selects the first match at or after the caret. True when a
    // match is selected afterwards.
    bool Replace(const ReplaceStrings& fields);
    // Replaces every match from the beginning of the memo; the number replaced.
    int ReplaceAll(const ReplaceStrings& fields);

    // Writes the remembered strings to the settings; false when they could not be written.
    bool Save() const;

private:
    TextEditor& m_editor;
    ReplaceStrings m_strings;
};
