// Command lines for the mail program (see mail_composer.h).
#include "mail_composer.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace {

// The kernel's limit on one argument of a new program (MAX_ARG_STRLEN), its NUL included.
constexpr qsizetype kMaxArgumentBytes = 32 * 4096 - 1;
constexpr int kQueryMilliseconds = 10000;

QByteArray Encoded(const QString& text)
{
    return QUrl::toPercentEncoding(text);
}

QByteArray EncodedPath(const QString& path)
{
    return QUrl::toPercentEncoding(path, "/");
}

// The desktop file of the mailto handler, as xdg-email asks for it.
QString MailtoDesktopFile()
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForFinished(kQueryMilliseconds)) {
        query.kill();
        query.waitForFinished();
        return {};
    }
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

// The program of a desktop file: the first word of its first Exec line, found on PATH.
QString DesktopFileProgram(const QString& desktopFile)
{
    QFile file(QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopFile));
    if (desktopFile.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression exec(QStringLiteral("^Exec(\\[[^]=]*\\])?=(.*)$"));
    while (!file.atEnd()) {
        const QRegularExpressionMatch match = exec.match(QString::fromUtf8(file.readLine()).trimmed());
        if (!match.hasMatch())
            continue;
        const QStringList words = QProcess::splitCommand(match.captured(2));
        return words.isEmpty() ? QString() : QStandardPaths::findExecutable(words.first());
    }
    return {};
}

} // namespace

QString ThunderbirdMailProgram()
{
    if (!qEnvironmentVariableIsEmpty("MAILER"))
        return {};
    const QString program = DesktopFileProgram(MailtoDesktopFile());
    const QString canonical = program.isEmpty() ? QString() : QFileInfo(program).canonicalFilePath();
    static const QRegularExpression thunderbird(QStringLiteral("thunderbird|icedove"));
    return canonical.contains(thunderbird) ? canonical : QString();
}

// Thunderbird reads "name=value" pairs split at commas: a value in single quotes is taken as it
// stands, any other is percent-decoded. The subject and the body file go percent-encoded, so no
// comma or quote of theirs is seen; the file URLs are quoted, their own commas encoded.
ComposedMail ComposeForThunderbird(const QString& thunderbird, const MailDraft& draft, const QString& bodyFile)
{
    QByteArray compose = "subject=" + Encoded(draft.subject) + ",message=" + EncodedPath(bodyFile);
    if (!draft.attachments.isEmpty()) {
        QByteArrayList urls;
        for (const QString& path : draft.attachments)
            urls << "file://" + EncodedPath(path);
        compose += ",attachment='" + urls.join(',') + '\'';
    }
    if (compose.size() > kMaxArgumentBytes)
        return {ComposedMail::kAttachmentsTooLong, {}, 0};
    return {ComposedMail::kNone, {thunderbird, {QStringLiteral("-compose"), QString::fromLatin1(compose)}}};
}

// One mailto URI (RFC 6068: line breaks as CRLF) given to xdg-email whole, so that xdg-email's
// own encoding, which runs the text through the shell's echo, never sees the text.
ComposedMail ComposeForXdgEmail(const MailDraft& draft)
{
    QByteArray uri = "mailto:?";
    if (!draft.subject.isEmpty())
        uri += "subject=" + Encoded(draft.subject) + '&';
    for (const QString& path : draft.attachments)
        uri += "attach=" + EncodedPath(path) + '&';
    if (uri.endsWith('&'))
        uri.chop(1);
    if (uri.size() > kMaxArgumentBytes)
        return {ComposedMail::kAttachmentsTooLong, {}, 0};
    if (!draft.body.isEmpty()) {
        const QByteArray body = Encoded(QString(draft.body).replace(u'\n', QStringLiteral("\r\n")));
        const QByteArray key = uri.endsWith('?') ? "body=" : "&body=";
        const qsizetype room = kMaxArgumentBytes - uri.size() - key.size();
        if (body.size() > room)
            return {ComposedMail::kBodyTooLong, {}, int(qMax<qsizetype>(room, 0) * draft.body.size() / body.size())};
        uri += key + body;
    }
    return {ComposedMail::kNone, {QStringLiteral("xdg-email"), {QString::fromLatin1(uri)}}};
}
