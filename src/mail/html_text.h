// The plain text of an HTML body, for mail that carries no text/plain part.
#pragma once

#include <QString>

QString HtmlToPlainText(const QString& html);
