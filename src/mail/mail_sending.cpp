// Sending the memo as mail (see mail_sending.h).
#include "mail_sending.h"

#include "document/quirel_doc.h"
#include "document/string_table.h"
#include "document/user_prompts.h"
#include "editor/text_store.h"
#include "mail/attachment_folders.h"
#include "mail/mail_composer.h"
#include "store/server_store.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

constexpr int kMaxAttachments = 128;
// How long the mail program is given to take the mail; one still running then is the mail
// program itself, started by the call, and already has it.
constexpr int kHandOverMilliseconds = 5000;

CServerStore* ConnectedServerTable(const CQuirelDoc& doc)
{
    auto* server = dynamic_cast<CServerStore*>(doc.Store());
    return server && server->IsConnected() ? server : nullptr;
}

// The body's file for Thunderbird, which may read it after -compose has returned: the files
// stay until the program ends.
QString WriteBodyFile(const QString& body)
{
    static QTemporaryDir folder;
    static int written = 0;
    QFile file(folder.filePath(QStringLiteral("mail%1.txt").arg(++written)));
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly))
        return {};
    const QByteArray bytes = body.toUtf8();
    return file.write(bytes) == bytes.size() && file.flush() ? file.fileName() : QString();
}

// Runs the command; true once the mail program has the mail. A program still running after
// the hand-over time is left to run (it outlives this program if the user quits first).
bool LaunchMailProgram(const MailCommand& command)
{
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->start(command.program, command.arguments);
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    if (!process->waitForFinished(kHandOverMilliseconds)) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool handedOver = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    delete process;
    return handedOver;
}

ComposedMail Compose(const MailDraft& draft)
{
    const QString thunderbird = ThunderbirdMailProgram();
    if (thunderbird.isEmpty())
        return ComposeForXdgEmail(draft);
    const QString bodyFile = WriteBodyFile(draft.body);
    return bodyFile.isEmpty() ? ComposedMail{} : ComposeForThunderbird(thunderbird, draft, bodyFile);
}

} // namespace

bool CanSendMemoAsMail(const CQuirelDoc& doc)
{
    return ConnectedServerTable(doc) != nullptr;
}

std::optional<QStringList> MailAttachmentFiles(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists() || !dir.isReadable())
        return std::nullopt;
    QStringList files;
    for (const QFileInfo& file : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (files.size() == kMaxAttachments)
            break;
        files << file.absoluteFilePath();
    }
    return files;
}

bool SendMemoAsMail(CQuirelDoc& doc, UserPrompts& prompts, const QString& shareMount)
{
    CServerStore* server = ConnectedServerTable(doc);
    if (!server)
        return false;
    const MemoHeader header = doc.CurrentHeader();
    MailDraft draft{header.title, doc.TextStore().WholeText(), {}};
    if (header.attachCount > 0) {
        const QString root = ReachServerAttachmentRoot(*server, prompts, shareMount);
        if (root.isEmpty())
            return false;
        const std::optional<QStringList> files =
            header.attachId.isEmpty() ? std::nullopt : MailAttachmentFiles(AttachmentFolder(root, header.attachId));
        if (!files) {
            prompts.Ask(MessageText(kMsgAttachmentsUnreachable), PromptButtons::kOk);
            return false;
        }
        draft.attachments = *files;
    }
    const ComposedMail mail = Compose(draft);
    if (mail.refusal == ComposedMail::kBodyTooLong) {
        prompts.Ask(MailBodyTooLongText(mail.bodyCharacterLimit), PromptButtons::kOk);
        return false;
    }
    if (mail.refusal == ComposedMail::kAttachmentsTooLong) {
        prompts.Ask(MailAttachmentsTooLongText(), PromptButtons::kOk);
        return false;
    }
    if (mail.command.program.isEmpty() || !LaunchMailProgram(mail.command)) {
        prompts.Ask(MailProgramFailedText(), PromptButtons::kOk);
        return false;
    }
    return true;
}
