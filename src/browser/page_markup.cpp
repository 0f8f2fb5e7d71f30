// List page markup (see page_markup.h).
#include "page_markup.h"

QString PageHead()
{
    return QStringLiteral("<html>\n<head>\n<meta charset=\"UTF-8\" />\n</head>\n<body>\n<table border=0>\n");
}

QString EscapeAngles(QString text)
{
    return text.replace(u'<', QStringLiteral("&lt;")).replace(u'>', QStringLiteral("&gt;"));
}

QString RecordAnchor(const QString& link, const QString& title)
{
    return QStringLiteral("<b><a href=") + link + QStringLiteral(" target=Quirel>") + title + QStringLiteral("</b>\n");
}

QString PagingLink(const QString& label, const std::optional<QString>& value)
{
    if (!value)
        return label;
    return QStringLiteral("<a href=?TopNum=") + *value + QStringLiteral(" target=Quirel>") + label + QStringLiteral("</a>");
}
