// Search text preparation and word splitting (see search_words.h).
#include "search_words.h"

QString PrepareSearchText(QString text)
{
    text.replace(QChar(0x3000), QChar(u' '));
    text.replace(QStringLiteral("  "), QStringLiteral(" "));
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

QStringList SplitSearchWords(const QString& text)
{
    QStringList words;
    qsizetype from = 0;
    while (words.size() < kMaxSearchWords) {
        const qsizetype blank = text.indexOf(u' ', from);
        if (blank < 0) {
            words.append(text.mid(from));
            break;
        }
        words.append(text.mid(from, blank - from));
        from = blank + 1;
    }
    return words;
}
