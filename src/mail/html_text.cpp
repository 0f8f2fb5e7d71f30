// HTML to text through Qt's rich-text reader, which knows entities, breaks and lists.
#include "html_text.h"

#include <QTextDocumentFragment>

QString HtmlToPlainText(const QString& html)
{
    QString text = QTextDocumentFragment::fromHtml(html).toPlainText();
    // Qt writes no-break spaces as U+00A0 and paragraph breaks as U+2029 in some cases.
    text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    return text;
}
