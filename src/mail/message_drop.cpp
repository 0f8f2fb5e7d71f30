// Message drops and their registration on the document (see message_drop.h).
#include "message_drop.h"

#include "document/quirel_doc.h"
#include "document/string_table.h"
#include "document/user_prompts.h"
#include "mail/mail_registration.h"
#include "store/server_store.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

const QString kMessageMime = QStringLiteral("message/rfc822");

bool IsMessageFile(const QUrl& url)
{
    const QString suffix = QFileInfo(url.path()).suffix().toLower();
    return url.isLocalFile() && (suffix == u"msg" || suffix == u"eml");
}

bool AllMessageFiles(const QList<QUrl>& urls)
{
    return !urls.isEmpty() && std::all_of(urls.begin(), urls.end(), IsMessageFile);
}

// Why one message was not registered, or only in part; empty for one that was (or a duplicate).
QString NotRegisteredLine(const MailOutcome& outcome)
{
    const QString file = QFileInfo(outcome.path).fileName();
    switch (outcome.kind) {
    case MailOutcome::kUnreadable:
        return QStringLiteral("%1: メッセージとして読めません。").arg(file);
    case MailOutcome::kIdTooLong:
        return QStringLiteral("%1: メッセージIDが長すぎます（%2文字。登録できるのは127文字まで）。").arg(file, outcome.detail);
    case MailOutcome::kShareUnreachable:
        return QStringLiteral("%1: 添付ファイルの保存先に接続できません。").arg(file);
    case MailOutcome::kStoreFailed:
        return QStringLiteral("%1: 登録できませんでした。%2").arg(file, outcome.detail);
    case MailOutcome::kCopyFailed:
        return QStringLiteral("%1: 登録しましたが、添付ファイル %2 をコピーできませんでした。").arg(file, outcome.detail);
    case MailOutcome::kRegistered:
    case MailOutcome::kDuplicate:
        break;
    }
    return {};
}

} // namespace

bool DroppedMessages::IsMessageDrop(const QMimeData& data)
{
    return AllMessageFiles(data.urls()) || (!data.hasUrls() && data.hasFormat(kMessageMime));
}

DroppedMessages::DroppedMessages(const QMimeData& data)
{
    if (AllMessageFiles(data.urls())) {
        for (const QUrl& url : data.urls())
            m_files << url.toLocalFile();
        return;
    }
    if (!IsMessageDrop(data))
        return;
    m_payloadFolder = std::make_shared<QTemporaryDir>();
    QFile payload(m_payloadFolder->filePath(QStringLiteral("dropped.eml")));
    if (m_payloadFolder->isValid() && payload.open(QIODevice::WriteOnly)
        && payload.write(data.data(kMessageMime)) >= 0 && payload.flush())
        m_files << payload.fileName();
}

CServerStore* MessageDropTarget(CQuirelDoc& doc, UserPrompts& prompts)
{
    auto* table = doc.Mode() == DocumentMode::kServer ? dynamic_cast<CServerStore*>(doc.Store()) : nullptr;
    if (!table)
        prompts.Ask(MessageText(kMsgDropNeedsServerTable), PromptButtons::kOk);
    return table;
}

int RegisterDroppedMessages(CQuirelDoc& doc, CServerStore& table, UserPrompts& prompts,
                            RegistrationProgress& progress, const QStringList& files)
{
    if (doc.IsModified() && !doc.AskSaveMemo())
        return 0;
    // Each insert moves the store's current nID to the new memo; the memo in the editor, which
    // the step after the batch may still save, keeps its own.
    const int shownId = table.currentId;
    const RegistrationSummary summary = MailRegistration(table, prompts, progress, QString()).Register(files);
    table.currentId = shownId;
    if (!doc.IsModified() || doc.AskSaveMemo()) {
        if (table.CountRecords() > 0)
            doc.JumpMemo(false);
    }
    QStringList lines;
    for (const MailOutcome& outcome : summary.outcomes) {
        if (const QString line = NotRegisteredLine(outcome); !line.isEmpty())
            lines << line;
    }
    if (!lines.isEmpty())
        prompts.Ask(QStringLiteral("次のメッセージは登録されませんでした。\n\n") + lines.join(u'\n'), PromptButtons::kOk);
    return 1;
}
