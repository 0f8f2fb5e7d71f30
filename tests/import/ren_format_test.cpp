// What a tagged text export turns into: the notes, their fields and BodyBytes, the lines
// counted, a note left open, line ends, the keyword and title limits and invalid bytes. Notes
// are collected as the target receives them.
#include "import/ren_import.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Note {
    QString title, keys, body;
    friend bool operator==(const Note&, const Note&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Note& note)
    {
        return out << '{' << note.title.toStdString() << '|' << note.keys.toStdString() << '|'
                   << note.body.toStdString() << '}';
    }
};

// Keeps every note handed over and checks the fields a finished note carries.
class CollectingTarget : public ImportTarget {
public:
    void Store(MemoHeader& header, const QString& body) override
    {
        EXPECT_EQ(header.bodyBytes, body.size() * 2 + 2) << "the body and its NUL";
        EXPECT_EQ(header.attachId.size(), MemoHeader::kAttachIdChars);
        EXPECT_FALSE(header.createdAt.isEmpty());
        notes.push_back({header.title, header.theKeys, body});
        ++m_stored;
    }
    void Finish() override { ++finished; }

    std::vector<Note> notes;
    int finished = 0;
};

struct Imported {
    RenImportResult result;
    std::vector<Note> notes;
};

Imported Import(const QByteArray& bytes)
{
    TempFolder folder;
    const QString path = folder.Path("notes.ren");
    WriteBytes(path, bytes);
    CollectingTarget target;
    Imported imported{ImportRenFile(path, target, CodePage("CP932")), target.notes};
    EXPECT_EQ(target.finished, 1);
    return imported;
}

} // namespace

TEST(RenFormatTest, FilesBecomeTheListedNotes)
{
    // Twelve keywords of 99 characters (1200 with their spaces); a 69-character one would reach
    // 1270 and is dropped, a 68-character one (1269) still fits, and then nothing more does.
    QByteArray limits = "#s\n#t" + QByteArray(130, 'T') + "\n";
    QString keys;
    for (int i = 0; i < 12; ++i) {
        limits += "#k" + QByteArray(99, char('a' + i)) + "\n";
        keys += QString(99, QChar(u'a' + i)) + u' ';
    }
    limits += "#k" + QByteArray(69, 'x') + "\n#k" + QByteArray(68, 'y') + "\n#kz\n#e\n";
    limits += "#s\n#t" + QByteArray(127, 'U') + "\n#e\n";
    const struct {
        const char* claim;
        QByteArray file;
        std::vector<Note> notes;
        int lines;
        const char16_t* openNote; // null: none left open
    } rows[] = {
        {"the example: keywords each with a space, body lines joined with LF",
         "#s\n#tTitle\n#kabc\n#kdef\nline1\n\nline2\n#e\n", {{"Title", "abc def ", "line1\n\nline2"}}, 8, nullptr},
        {"lines outside notes are ignored, tags there too",
         "before\n#tNo\n#s\nbody\n#e\nbetween\n#kk\n#s\n#e\nafter\n", {{"", "", "body"}, {"", "", ""}}, 10, nullptr},
        {"a #t line inside the body is the title; no final LF",
         "#s\nfirst\n#tLate\nsecond\n#e", {{"Late", "", "first\nsecond"}}, 5, nullptr},
        {"#S and #E work; #T, #K and #s inside a note are body text",
         "#S\n#Tupper\n#Kkeys\n#s\n#E\n", {{"", "", "#Tupper\n#Kkeys\n#s"}}, 5, nullptr},
        {"#s and #e count only as whole lines",
         "#s x\n#s\n#e x\n#e\n", {{"", "", "#e x"}}, 4, nullptr},
        {"empty lines before the body are dropped, later ones kept",
         "#s\n\n\nA\n\n#e\n", {{"", "", "A\n"}}, 6, nullptr},
        {"#w, #f and #x are skipped", "#s\n#wx\n#fy\n#xz\nbody\n#e\n", {{"", "", "body"}}, 6, nullptr},
        {"CR LF ends lines as LF does; a CR anywhere is dropped",
         "#s\r\n#tT\r\nl1\r\nl\r2\r\n#e\r\n", {{"T", "", "l1\nl2"}}, 5, nullptr},
        {"a note still open at the end is dropped and named",
         "#s\n#tDone\n#e\n#s\n#tLeft\nbody", {{"Done", "", ""}}, 6, u"Left"},
        {"CP932 text; bytes that form no character become U+FFFD and the line stays",
         "#s\n#t\x82\xa0\xff\n\x81\nok\x82\n#e\n", {{QStringLiteral("あ\uFFFD"), "", QStringLiteral("\uFFFD\nok\uFFFD")}}, 5, nullptr},
        {"an empty file has no lines", "", {}, 0, nullptr},
        {"a line across the 1 MiB read, a character split by it",
         "#s\n" + QByteArray((1 << 20) - 4, 'a') + "\x82\xa0\n#e\n", {{"", "", QString((1 << 20) - 4, u'a') + u'あ'}}, 3,
         nullptr},
        {"keywords stay shorter than 1270 characters, titles are cut to 127", limits,
         {{QString(127, u'T'), keys + QString(68, u'y') + u' ', ""}, {QString(127, u'U'), "", ""}}, 21, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.claim);
        const Imported imported = Import(row.file);
        EXPECT_EQ(imported.notes, row.notes);
        EXPECT_EQ(imported.result.lines, row.lines);
        EXPECT_EQ(imported.result.stored, int(row.notes.size()));
        EXPECT_TRUE(imported.result.opened && imported.result.readWhole);
        EXPECT_EQ(imported.result.openNote.has_value(), row.openNote != nullptr);
        if (row.openNote) {
            EXPECT_EQ(imported.result.openNote.value_or(QString()), QString::fromUtf16(row.openNote));
        }
    }
}
