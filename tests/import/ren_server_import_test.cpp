// Imports into a table of the private test server: one INSERT a note with an empty MailID, so
// equal notes are all stored; a note the table cannot hold is named and the rest go on; the
// store points at the last row inserted.
#include "import/ren_import.h"
#include "import/server_import_target.h"
#include "store/server_store_fixture.h"
#include "support/temp_files.h"

class RenServerImportTest : public ServerStoreTest {};

TEST_F(RenServerImportTest, EqualNotesAreBothStoredAndAnUnstorableOneIsNamed)
{
    ASSERT_EQ(store.CreateTable(QStringLiteral("memo")), 1);
    store.SetTableName(QStringLiteral("memo"));
    TempFolder folder;
    const QString path = folder.Path("notes.ren");
    const char file[] = "#s\n#tSame\n#kk\nline1\n\nline2\n#e\n#s\n#tSame\n#kk\nline1\n\nline2\n#e\n"
                        "#s\n#tNul\na\0b\n#e\n#s\n#t\x93\xfa\x96\x7b\nlast\n#e\n";
    WriteBytes(path, QByteArray(file, sizeof file - 1));
    NewStatements();
    ServerImportTarget target(store);
    const RenImportResult result = ImportRenFile(path, target, CodePage("CP932"));
    EXPECT_EQ(result.stored, 3);
    EXPECT_EQ(result.notStored, QStringList{"Nul"});

    const QList<QByteArray> statements = NewStatements();
    ASSERT_EQ(statements.size(), 3) << "one INSERT a stored note, no duplicate check";
    for (const QByteArray& statement : statements)
        EXPECT_TRUE(statement.startsWith("Insert into memo Set ") && statement.endsWith(", MailID=''"))
            << statement.constData();
    const QList<QList<QByteArray>> rows =
        admin->Rows("select Title, TheKeys, MainData, MailID, AttachID from `" + Database() + "`.memo order by nID");
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].mid(0, 4), rows[1].mid(0, 4));
    EXPECT_EQ(rows[0].mid(0, 4), (QList<QByteArray>{"Same", "k ", "line1\n\nline2", ""}));
    EXPECT_NE(rows[0][4], rows[1][4]) << "each memo its own attachment folder";
    EXPECT_EQ(rows[2][0], "日本");
    EXPECT_EQ(store.currentId, store.GetEdgeId(0));
}
