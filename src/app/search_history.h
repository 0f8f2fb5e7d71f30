// SearchHistory: the search box's earlier search texts, newest first, kept in the setting
// "History"/"SearchStrs" as the items each followed by a line feed (at most 20 are written).
// The stored history is read lazily, the first time the search box gets the focus, and written
// back only when it was read during this run: a run that never used the box leaves it alone.
//
// Invariants: no item is empty and no two items are equal.
#pragma once

#include <QStringList>

class SearchHistory {
public:
    static constexpr int kMaxSavedItems = 20;

    const QStringList& Items() const { return m_items; }
    bool Loaded() const { return m_loaded; }

    // Reads the stored items once per run and lists them, in their stored order, after the
    // items already added; text after the last line feed is ignored. Later calls do nothing.
    void Load();
    // Moves `text` to the top, inserting it when it is new. An empty text is not kept.
    void Add(const QString& text);
    // Writes the first 20 items when the history was loaded during this run. False only when
    // the settings store could not be written.
    bool Save() const;

private:
    QStringList m_items;
    bool m_loaded = false;
};
