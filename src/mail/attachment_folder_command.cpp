// The attachment folder command's document side (see attachment_folder_command.h).
#include "attachment_folder_command.h"

#include "document/local_database.h"
#include "document/quirel_doc.h"
#include "document/string_table.h"
#include "document/user_prompts.h"
#include "mail/attachment_folders.h"
#include "store/server_store.h"

#include <QDir>

namespace {

// The attachment root of the open database; empty after message 150 when the share cannot be
// reached.
QString AttachmentRootOf(CQuirelDoc& doc, UserPrompts& prompts, const QString& shareMount)
{
    if (CLocalDatabase* local = doc.LocalDatabase())
        return LocalAttachmentRoot(local->Path());
    auto* server = dynamic_cast<CServerStore*>(doc.Store());
    return server ? ReachServerAttachmentRoot(*server, prompts, shareMount) : QString();
}

} // namespace

std::optional<QString> PrepareAttachmentFolder(CQuirelDoc& doc, UserPrompts& prompts, const QString& shareMount)
{
    if (!doc.IsDatabaseOpen())
        return std::nullopt;
    if (doc.CurrentRecord() == -1) {
        if (prompts.Ask(MessageText(kMsgStoreForAttachments), PromptButtons::kYesNo) != kAnswerYes)
            return std::nullopt;
        doc.SetModifiedFlag();
        if (!doc.Save())
            return std::nullopt;
    }
    const QString root = AttachmentRootOf(doc, prompts, shareMount);
    const QString attachId = doc.CurrentHeader().attachId;
    if (root.isEmpty() || attachId.isEmpty())
        return std::nullopt;
    const QString folder = AttachmentFolder(root, attachId);
    // A folder that cannot be made opens as it is; the count then becomes 0.
    QDir().mkpath(folder);
    return folder;
}

int CountFolderEntries(const QString& folder)
{
    return int(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).size());
}

void RefreshAttachCount(CQuirelDoc& doc, const QString& folder)
{
    const int count = CountFolderEntries(folder);
    MemoHeader header = doc.CurrentHeader();
    if (header.attachCount == count)
        return;
    header.attachCount = count;
    doc.SetCurrentHeader(header);
    doc.SetModifiedFlag();
}
