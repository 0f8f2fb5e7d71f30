#include "replace_session.h"

#include "editor/text_editor.h"

#include <QSettings>

namespace {
const QString kBeforeKey = QStringLiteral("Strings/RepBefore");
const QString kAfterKey = QStringLiteral("Strings/RepAfter");
} // namespace

ReplaceSession::ReplaceSession(TextEditor& editor)
    : m_editor(editor), m_strings{QSettings().value(kBeforeKey).toString(), QSettings().value(kAfterKey).toString()}
{
}

bool ReplaceSession::FindNext(const ReplaceStrings& fields)
{
    m_strings = fields;
    return m_editor.Find(fields.before, true, false);
}

bool ReplaceSession::Replace(const ReplaceStrings& fields)
{
    m_strings = fields;
    if (m_editor.HasSelection())
        m_editor.InsertText(fields.after, true); // typing over the selection
    // The caret stands behind the new text, so a match right behind it is the next one.
    return m_editor.Find(fields.before, true, true);
}

int ReplaceSession::ReplaceAll(const ReplaceStrings& fields)
{
    m_strings = fields;
    m_editor.Collapse({});
    int replaced = 0;
    // After each replacement the caret stands behind the new text, so the search goes on in
    // the untouched rest of the memo.
    while (m_editor.Find(fields.before, true, true)) {
        m_editor.InsertText(fields.after, true);
        ++replaced;
    }
    return replaced;
}

bool ReplaceSession::Save() const
{
    QSettings settings;
    settings.setValue(kBeforeKey, m_strings.before);
    settings.setValue(kAfterKey, m_strings.after);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
