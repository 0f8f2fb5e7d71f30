// quirel-db import: imports a .ren file into a local database file through the editor's import
// code. Progress goes to standard error while it is a terminal; the summary line
// "lines N, stored M, not stored K" goes to standard output. Each note that could not be stored
// and a note left open at the end are named on standard error. Exit 1 when the file cannot be
// read or a note could not be stored.
#include "import_command.h"

#include "document/local_database.h"
#include "document/local_memo_store.h"
#include "import/import_target.h"
#include "import/ren_import.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

void WriteError(const QString& text)
{
    std::fputs(qPrintable(QStringLiteral("quirel-db: ") + text + u'\n'), stderr);
}

// Rewrites one status line on the terminal at most ten times a second.
class TerminalProgress {
public:
    TerminalProgress() : m_shown(isatty(fileno(stderr)) == 1) { m_clock.start(); }
    ~TerminalProgress()
    {
        if (m_drawn)
            std::fputs("\n", stderr);
    }
    void Show(int lines, int stored)
    {
        if (!m_shown || (m_drawn && m_clock.elapsed() < 100))
            return;
        m_clock.restart();
        m_drawn = true;
        std::fprintf(stderr, "\rlines %d, stored %d", lines, stored);
        std::fflush(stderr);
    }

private:
    bool m_shown;
    bool m_drawn = false;
    QElapsedTimer m_clock;
};

} // namespace

int RunImportCommand(const QStringList& arguments)
{
    if (arguments.size() != 2) {
        WriteError(QStringLiteral("'import' takes STORE FILE.ren (see quirel-db --help)"));
        return 2;
    }
    const QString& path = arguments[0];
    const QString& file = arguments[1];
    if (path.startsWith(QStringLiteral("mariadb://"))) {
        WriteError(QStringLiteral("server stores are not supported yet: ") + path);
        return 1;
    }
    // A mistyped STORE never becomes a new file.
    if (!QFileInfo::exists(path)) {
        WriteError(path + QStringLiteral(": no such file"));
        return 1;
    }
    auto database = std::make_unique<CLocalDatabase>(path);
    if (database->Open() != CLocalDatabase::kOk) {
        WriteError(path + QStringLiteral(": cannot be opened for writing"));
        return 1;
    }
    LocalMemoStore store(std::move(database));
    const std::unique_ptr<ImportTarget> target = MakeImportTarget(store);

    RenImportResult result;
    {
        TerminalProgress progress;
        result = ImportRenFile(file, *target, CodePage::System(),
                               [&](int lines, int stored) { progress.Show(lines, stored); });
    }
    if (!result.opened) {
        WriteError(file + QStringLiteral(": cannot be read: ") + result.readError);
        return 1;
    }
    for (const QString& title : result.notStored)
        WriteError(QStringLiteral("not stored: ") + title);
    if (result.openNote)
        WriteError(QStringLiteral("a note left open at the end of the file was dropped: ") + *result.openNote);
    if (!result.readWhole)
        WriteError(file + QStringLiteral(": reading stopped early: ") + result.readError);
    std::printf("lines %d, stored %d, not stored %d\n", result.lines, result.stored, int(result.notStored.size()));
    return result.readWhole && result.notStored.isEmpty() ? 0 : 1;
}
