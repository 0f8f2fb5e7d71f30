#include "ren_import.h"

#include "import/ren_line_reader.h"
#include "import/ren_note_parser.h"

RenImportResult ImportRenFile(const QString& path, ImportTarget& target, const CodePage& codePage,
                              const RenImportProgress& progress)
{
    RenImportResult result;
    RenLineReader reader(path, codePage);
    if (!reader.Open()) {
        result.readError = reader.ErrorText();
        return result;
    }
    result.opened = true;
    // The defaults of a new memo are read once: every note starts from the same header.
    MemoHeader blank;
    ResetMemoHeader(blank);
    RenNoteParser parser(blank);
    QStringView line;
    while (reader.ReadLine(line)) {
        ++result.lines;
        if (progress)
            progress(result.lines, target.Stored());
        if (parser.Feed(line))
            target.Store(parser.Note().header, parser.Note().body);
    }
    target.Finish();
    result.readWhole = !reader.Failed();
    if (reader.Failed())
        result.readError = reader.ErrorText();
    if (parser.InsideNote())
        result.openNote = parser.Note().header.title;
    result.stored = target.Stored();
    result.notStored = target.NotStored();
    return result;
}
