// Attachment file names made safe and distinct (see attachment_names.h).
#include "attachment_names.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QRegularExpression>

namespace {

constexpr qsizetype kMaxNameBytes = 255;
// Longer tails after the last dot are not treated as extensions when a name is cut.
constexpr qsizetype kMaxExtensionBytes = 32;

QString NumberedName(int position)
{
    return QStringLiteral("添付%1").arg(position);
}

// Windows reserves the device names with any extension ("con.txt" too).
QRegularExpressionMatch ReservedDeviceName(const QString& name)
{
    static const QRegularExpression reserved(QStringLiteral("^(CON|PRN|AUX|NUL|COM[0-9]|LPT[0-9])(\\..*)?$"),
                                             QRegularExpression::CaseInsensitiveOption);
    return reserved.match(name);
}

QString WithoutTrailingDotsAndSpaces(QString name)
{
    while (!name.isEmpty() && (name.back() == u'.' || name.back() == u' '))
        name.chop(1);
    return name;
}

// The last ".ext" of a name, when there is a stem before it and it is short enough to keep.
qsizetype ExtensionStart(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || name.size() - dot == 1 || name.sliced(dot).toUtf8().size() > kMaxExtensionBytes)
        return name.size();
    return dot;
}

// `stem` cut so that stem + tail fits in 255 bytes, never inside a surrogate pair.
QString FitStem(QString stem, const QString& tail)
{
    const qsizetype room = kMaxNameBytes - tail.toUtf8().size();
    qsizetype bytes = stem.toUtf8().size();
    while (bytes > room && !stem.isEmpty()) {
        const qsizetype cut = stem.size() >= 2 && stem.back().isLowSurrogate() ? 2 : 1;
        bytes -= stem.right(cut).toUtf8().size();
        stem.chop(cut);
    }
    return stem;
}

// The last path component, without control characters and unpaired surrogate halves, with _ for
// the characters Windows refuses and without trailing dots and spaces.
QString WithoutUnsafeCharacters(const QString& raw)
{
    const QString name = raw.sliced(qMax(raw.lastIndexOf(u'/'), raw.lastIndexOf(u'\\')) + 1);
    QString kept;
    kept.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            kept += name.sliced(i++, 2);
        } else if (c.isSurrogate() || c.category() == QChar::Other_Control) {
            continue; // NUL and other control characters; an unpaired half has no UTF-8 form
        } else if (QStringView(u":*?\"<>|").contains(c)) {
            kept += u'_';
        } else {
            kept += c;
        }
    }
    return WithoutTrailingDotsAndSpaces(kept);
}

} // namespace

QString SafeAttachmentName(const QString& raw, int position, const QString& extension)
{
    QString name = WithoutUnsafeCharacters(raw);
    const QString numbered = NumberedName(position);
    if (name.isEmpty()) {
        // The extension comes from outside too.
        name = WithoutUnsafeCharacters(numbered + extension);
        if (!name.startsWith(numbered))
            name = numbered;
    } else if (const QRegularExpressionMatch reserved = ReservedDeviceName(name); reserved.hasMatch()) {
        name = numbered + reserved.captured(2);
    }
    const qsizetype extensionAt = ExtensionStart(name);
    const QString tail = name.sliced(extensionAt);
    const QString stem = WithoutTrailingDotsAndSpaces(FitStem(name.first(extensionAt), tail));
    return stem.isEmpty() ? numbered + tail : stem + tail;
}

QString ExtensionOfMimeType(const QString& mimeType)
{
    const QString suffix = QMimeDatabase().mimeTypeForName(mimeType.trimmed().toLower()).preferredSuffix();
    return suffix.isEmpty() ? QString() : u'.' + suffix;
}

QString AttachmentNamer::Claim(const QString& raw, int position, const QString& extension)
{
    const QString safe = SafeAttachmentName(raw, position, extension);
    QString name = safe;
    const qsizetype extensionAt = ExtensionStart(safe);
    for (int n = 2; m_taken.contains(name.toCaseFolded()); ++n) {
        const QString tail = QStringLiteral(" (%1)").arg(n) + safe.sliced(extensionAt);
        name = FitStem(safe.first(extensionAt), tail) + tail;
    }
    m_taken.insert(name.toCaseFolded());
    return name;
}

QString CreateAttachmentFile(const QString& folder, const QString& name)
{
    const QString path = QDir(folder).filePath(name);
    QFile::remove(path);
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ? path : QString();
}
