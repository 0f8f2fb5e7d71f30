#include "search_history.h"

#include <QSettings>

namespace {
const QString kSearchStrsKey = QStringLiteral("History/SearchStrs");
} // namespace

void SearchHistory::Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    QStringList stored = QSettings().value(kSearchStrsKey).toString().split(u'\n');
    stored.removeLast(); // the text after the last line feed (all of it when there is none)
    for (const QString& item : std::as_const(stored)) {
        if (!item.isEmpty() && !m_items.contains(item))
            m_items.append(item);
    }
}

void SearchHistory::Add(const QString& text)
{
    if (text.isEmpty())
        return;
    m_items.removeOne(text);
    m_items.prepend(text);
}

bool SearchHistory::Save() const
{
    if (!m_loaded)
        return true;
    QString joined;
    for (const QString& item : m_items.first(qMin(m_items.size(), qsizetype(kMaxSavedItems))))
        joined += item + u'\n';
    QSettings settings;
    settings.setValue(kSearchStrsKey, joined);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
