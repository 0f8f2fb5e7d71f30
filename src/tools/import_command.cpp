// quirel-db import: imports a .ren file into a local database file or a server table through
// the editor's import code. Progress goes to standard error while it is a terminal; the summary line
// "lines N, stored M, not stored K" goes to standard output. Each note that could not be stored
// and a note left open at the end are named on standard error. Exit 1 when the file cannot be
// read or a note could not be stored.
#include "import_command.h"

#include "document/memo_store.h"
#include "import/import_target.h"
#include "import/ren_import.h"
#include "tools/tool_store.h"

#include <QElapsedTimer>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

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

int Import(MemoStore& store, const QString& file)
{
    const std::unique_ptr<ImportTarget> target = MakeImportTarget(store);

    RenImportResult result;
    {
        TerminalProgress progress;
        result = ImportRenFile(file, *target, CodePage::System(),
                               [&](int lines, int stored) { progress.Show(lines, stored); });
    }
    if (!result.opened)
        return Fail(file + QStringLiteral(": cannot be read: ") + result.readError);
    for (const QString& title : result.notStored)
        Fail(QStringLiteral("not stored: ") + title);
    if (result.openNote)
        Fail(QStringLiteral("a note left open at the end of the file was dropped: ") + *result.openNote);
    if (!result.readWhole)
        Fail(file + QStringLiteral(": reading stopped early: ") + result.readError);
    std::printf("lines %d, stored %d, not stored %d\n", result.lines, result.stored, int(result.notStored.size()));
    return result.readWhole && result.notStored.isEmpty() ? kSuccess : kFailure;
}
