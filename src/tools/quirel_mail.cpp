// quirel-mail: prints a saved mail message (.msg or .eml) as one JSON object, as the program
// would register it, and with --extract writes its attachments into a folder.
// Every failure is one line on standard error and a non-zero exit (2 for a usage error).
#include "mail/message_file.h"
#include "platform/settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>

namespace {

enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

int Fail(const QString& message, int code = kFailure)
{
    const QByteArray bytes = (QStringLiteral("quirel-mail: ") + message + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    return code;
}

QJsonObject MessageJson(const OutlookMessage& message)
{
    return {
        {"sender_address", message.senderAddress},
        {"sender_name", message.senderName},
        {"recipient_address", message.recipientAddress},
        {"recipient_name", message.recipientName},
        {"subject", message.subject},
        {"body", message.body},
        {"message_id", message.messageId},
        {"attachments", QJsonArray::fromStringList(message.attachmentNames)},
    };
}

int Run(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints a mail message (.msg or .eml) as JSON."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the .msg or .eml file"));
    const QCommandLineOption extract(QStringLiteral("extract"), QStringLiteral("write the attachments into DIR"),
                                     QStringLiteral("DIR"));
    parser.addOption(extract);
    if (!parser.parse(arguments))
        return Fail(parser.errorText(), kUsage);
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return kSuccess;
    }
    if (parser.positionalArguments().size() != 1)
        return Fail(QStringLiteral("give one message file (see quirel-mail --help)"), kUsage);
    const QString path = parser.positionalArguments().constFirst();

    // Without --extract the attachments are still written, to learn their stored names, but
    // into a folder that is removed again.
    QTemporaryDir scratch;
    QString folder = scratch.path();
    if (parser.isSet(extract)) {
        folder = parser.value(extract);
        if (!QDir().mkpath(folder))
            return Fail(QStringLiteral("cannot create the folder %1").arg(folder));
    } else if (!scratch.isValid()) {
        return Fail(QStringLiteral("cannot create a temporary folder"));
    }

    OutlookMessage message;
    if (!ReadMessageFile(path, folder, message))
        return Fail(QStringLiteral("%1 is not a readable message").arg(path));
    const QByteArray json = QJsonDocument(MessageJson(message)).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return kSuccess;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    InitSettingsIdentity();
    return Run(app.arguments());
}
