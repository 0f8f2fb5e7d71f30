// HTML to text through Qt's rich-text reader, which knows entities, breaks and lists; its text
// has plain spaces for no-break spaces and line feeds between paragraphs.
#include "html_text.h"

#include <QTextDocumentFragment>

QString HtmlToPlainText(const QString& html)
{
    return QTextDocumentFragment::fromHtml(html).toPlainText();
}
