// Fuzz target for the settings that are read back: any bytes are the program's settings file,
// and every value read from it is used as the program uses it. The default font makes a memo
// header whose LogFont text reads back the same; the code page name converts text; the kinsoku
// strings wrap a paragraph; the search history and the recent-file list keep their invariants
// (no empty item, none twice, at most 8 files), and a history that was written reads back.
#include "app/recent_file_list.h"
#include "app/search_history.h"
#include "document/log_font_text.h"
#include "document/memo_header.h"
#include "editor/line_wrapper.h"
#include "editor/text_store.h"
#include "platform/code_page.h"
#include "platform/settings.h"
#include "../tests/editor/text_store_testing.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {

// A settings file is written per input; in memory (tmpfs) that stays fast.
QString ScratchTemplate()
{
    const QString memory = QStringLiteral("/dev/shm");
    return (QDir(memory).exists() ? memory : QDir::tempPath()) + QStringLiteral("/quirel-settings-fuzz-XXXXXX");
}

bool HasEmptyOrRepeated(QStringList items)
{
    return items.contains(QString()) || items.removeDuplicates() != 0;
}

// A broken promise names itself before the abort, so a finding is easy to read.
void Check(bool holds, const char* promise)
{
    if (holds)
        return;
    std::fprintf(stderr, "broken: %s\n", promise);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QTemporaryDir scratch(ScratchTemplate());
    static const bool identity = (InitSettingsIdentity(), true);
    static int input = 0;
    (void)identity;
    // A folder of its own per input: QSettings keeps files it has read in a cache.
    const QString folder = scratch.filePath(QString::number(input++));
    QDir().mkpath(folder + QStringLiteral("/KORVAN"));
    QFile file(folder + QStringLiteral("/KORVAN/Quirel.ini"));
    if (!file.open(QIODevice::WriteOnly) || file.write(reinterpret_cast<const char*>(data), qsizetype(size)) != qsizetype(size))
        std::abort();
    file.close();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);

    if (const std::optional<QByteArray> font = ReadDefaultFontLog())
        Check(font->size() == 92, "font->size() == 92");
    MemoHeader header;
    ResetMemoHeader(header);
    MemoHeader again;
    ReadLogFontText(LogFontText(header), again);
    Check(again.font == header.font, "again.font == header.font");

    const CodePage ansi(ReadAnsiCodePage());
    const QString sample = QStringLiteral("日本語 abc \u00E9\U0001F600");
    ansi.Decode(ansi.Encode(sample));

    FixedWidthMeasurer measurer;
    CTextStore store(QStringLiteral("「あいう」、えお（かき）。%1").arg(ReadLeftKin() + ReadRightKin()));
    store.RelayoutAll({&measurer, 40, ReadLeftKin(), ReadRightKin()}, true);
    Check(ChainIsConsistent(store), "ChainIsConsistent(store)");

    SearchHistory history;
    history.Load();
    Check(!HasEmptyOrRepeated(history.Items()), "!HasEmptyOrRepeated(history.Items())");
    // Qt writes nothing into a file it could not parse; a history that was written reads back.
    if (history.Save()) {
        SearchHistory reread;
        reread.Load();
        Check(reread.Items() == history.Items().mid(0, SearchHistory::kMaxSavedItems), "the history reads back");
    }

    const QStringList files = RecentFileList().Files();
    Check(files.size() <= RecentFileList::kMaxFiles && !HasEmptyOrRepeated(files), "at most 8 distinct recent files");

    QDir(folder).removeRecursively();
    return 0;
}
