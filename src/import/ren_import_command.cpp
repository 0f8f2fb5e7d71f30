#include "ren_import_command.h"

#include "document/quirel_doc.h"
#include "document/user_prompts.h"
#include "import/import_texts.h"
#include "import/ren_import_dialog.h"

#include <QFileInfo>
#include <QStandardPaths>

bool RunRenImportCommand(CQuirelDoc& doc, UserPrompts& prompts, RenImportWindow& window)
{
    if (!doc.Store() || doc.SaveCheck() < 0)
        return false;
    FileDialogRequest request;
    request.filter = ImportFileFilter();
    request.defaultExtension = QStringLiteral("ren");
    request.initialName = QStringLiteral("*.ren");
    request.startFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    request.mustExist = true;
    const std::optional<QString> path = prompts.ChooseOpenFile(request);
    if (!path || !QFileInfo::exists(*path))
        return false;
    CRenImportDialog(*doc.Store(), *path, prompts).DoModal(window);
    doc.JumpMemo(false);
    return true;
}
