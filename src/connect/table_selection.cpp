// The table dialog's behaviour (see table_selection.h).
#include "table_selection.h"

#include "document/string_table.h"
#include "document/user_prompts.h"

#include <algorithm>
#include <utility>

namespace {

// "<a><b>" -> {"a", "b"}; a "<" without its ">" ends the list.
QStringList ParseTableList(const QString& tableList)
{
    QStringList tables;
    qsizetype at = 0;
    for (;;) {
        const qsizetype open = tableList.indexOf(u'<', at);
        const qsizetype close = open < 0 ? -1 : tableList.indexOf(u'>', open + 1);
        if (close < 0)
            break;
        if (close > open + 1)
            tables << tableList.sliced(open + 1, close - open - 1);
        at = close + 1;
    }
    return tables;
}

// Alphabetical as a sorted list box shows names: case does not count unless it is the only
// difference.
bool ListOrder(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

} // namespace

TableSelection::TableSelection(UserPrompts& prompts, const QString& tableList,
                               std::function<int(const QString&)> countRecords)
    : m_prompts(prompts), m_countRecords(std::move(countRecords)), m_tables(ParseTableList(tableList))
{
    std::ranges::sort(m_tables, ListOrder);
    if (!m_tables.isEmpty())
        m_selected = 0;
}

void TableSelection::SelectEntry(int index)
{
    if (m_result)
        return;
    m_chosen.clear();
    m_selected = index >= 0 && index < m_tables.size() ? index : -1;
    m_selectEnabled = m_deleteEnabled = m_selected >= 0;
}

void TableSelection::ActivateEntry(int index)
{
    SelectEntry(index);
    PressSelect();
}

void TableSelection::SetNewName(const QString& name)
{
    if (!m_result && m_newNameEnabled)
        m_newName = name;
}

void TableSelection::PressSelect()
{
    if (m_result)
        return;
    m_chosen = m_selected >= 0 ? m_tables[m_selected] : QString();
    if (!m_chosen.isEmpty())
        return End(kSelect);
    if (!m_newName.isEmpty())
        return PressCreate();
    m_prompts.Ask(MessageText(kMsgSelectTable), PromptButtons::kOk);
}

void TableSelection::PressCreate()
{
    if (m_result)
        return;
    // The select and delete buttons keep their state: only a change of the list's selection
    // by the user sets it.
    m_newNameEnabled = true;
    m_selected = -1;
    m_chosen = m_newName;
    if (m_chosen.isEmpty())
        return;
    if (m_prompts.Ask(MessageText(kMsgConfirmCreateTable).arg(m_chosen), PromptButtons::kYesNoDefaultNo) == kAnswerYes)
        End(kCreate);
}

void TableSelection::PressDelete()
{
    if (m_result)
        return;
    m_chosen.clear();
    if (m_selected < 0)
        return;
    m_chosen = m_tables[m_selected];
    const int count = m_countRecords ? m_countRecords(m_chosen) : -1;
    const QString countText = count < 0 ? QStringLiteral("N/A") : QString::number(count);
    for (const MessageId question : {kMsgConfirmDropTable, kMsgReconfirmDropTable}) {
        if (m_prompts.Ask(MessageText(question).arg(m_chosen, countText), PromptButtons::kYesNoDefaultNo) != kAnswerYes)
            return;
    }
    End(kDelete);
}

void TableSelection::Cancel()
{
    if (!m_result)
        End(kCancel);
}

void TableSelection::End(int result)
{
    m_result = result;
}
