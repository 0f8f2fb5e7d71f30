#include "ren_import_dialog.h"

#include "document/user_prompts.h"
#include "import/import_target.h"
#include "import/import_texts.h"
#include "import/ren_import.h"

int CRenImportDialog::DoModal(RenImportWindow& window)
{
    const std::unique_ptr<ImportTarget> target = MakeImportTarget(m_store);
    if (!target || !window.WaitForStart()) {
        window.Close(kAnswerCancel);
        return kAnswerCancel;
    }
    window.DisableButtons();
    const RenImportResult result = ImportRenFile(m_path, *target, CodePage::System(), [&](int lines, int stored) {
        window.ShowCounter(ImportCounterText(lines, stored));
    });
    window.ShowCounter(ImportCounterText(result.lines, result.stored));
    QString text = ImportFinishedText();
    if (!result.opened || !result.readWhole)
        text = ImportFileUnreadableText(m_path);
    else if (!result.notStored.isEmpty())
        text = ImportNotStoredText(result.notStored, result.stored > 0);
    m_prompts.Ask(text, PromptButtons::kOk);
    window.Close(kAnswerOk);
    return kAnswerOk;
}
