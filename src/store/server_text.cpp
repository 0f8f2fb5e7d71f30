// UTF-8 conversions and the storable-character check of the server store (see server_text.h).
#include "server_text.h"

#include <QStringDecoder>
#include <QStringList>

QByteArray ToUtf8(QStringView text)
{
    return text.toUtf8();
}

QString FromUtf8(const char* bytes, qsizetype size)
{
    // Stateless and keeping a leading BOM: the value is decoded exactly as stored.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(QByteArrayView(bytes, size));
    return decoder.hasError() ? QString() : text;
}

QString UnstorableCharacters(std::initializer_list<QStringView> texts)
{
    QList<char32_t> found;
    for (QStringView text : texts) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar unit = text[i];
            if (unit.unicode() != 0 && !unit.isSurrogate())
                continue;
            char32_t code = unit.unicode();
            if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                code = QChar::surrogateToUcs4(unit, text[++i]);
            if (!found.contains(code))
                found.append(code);
        }
    }
    QStringList names;
    for (char32_t code : found) {
        const QString hex = QString::number(code, 16).toUpper().rightJustified(4, u'0');
        const bool printable = code > 0xFFFF;
        names.append(printable ? QStringLiteral("%1 (U+%2)").arg(QString::fromUcs4(&code, 1), hex)
                               : QStringLiteral("U+%1").arg(hex));
    }
    return names.join(u'、');
}
