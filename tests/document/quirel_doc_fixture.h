// The document under test with a scripted user, recorded views and a private folder; helpers
// that type text and prepare a local database file.
#pragma once

#include "document/local_database.h"
#include "document/quirel_doc.h"
#include "editor/text_store.h"
#include "scripted_prompts.h"
#include "support/temp_files.h"

#include <gtest/gtest.h>

class QuirelDocTest : public testing::Test {
protected:
    TempFolder folder;
    ScriptedPrompts prompts;
    RecordingViews views;
    CQuirelDoc doc{prompts, views, CodePage("CP932")};

    void TearDown() override { EXPECT_TRUE(prompts.Finished()) << "scripted answers left over"; }

    // Replaces the editor's text as typing would and marks the document modified.
    void Type(const QString& text)
    {
        doc.TextStore().LoadParagraphs(text.split(u'\n'));
        doc.SetModifiedFlag();
    }

    // Writes a database file holding memos titled "memo 1", "memo 2", ... with these bodies.
    QString MakeDatabase(const QStringList& bodies, const QString& name = QStringLiteral("memo.qrl"))
    {
        const QString path = folder.Path(name);
        CLocalDatabase database(path);
        EXPECT_EQ(database.Open(), CLocalDatabase::kOk);
        for (qsizetype i = 0; i < bodies.size(); ++i) {
            MemoHeader header;
            ResetMemoHeader(header);
            header.title = QStringLiteral("memo %1").arg(i + 1);
            EXPECT_EQ(database.SaveRecord(-1, header, bodies[i]), 1);
        }
        return path;
    }

    // Opens a new database file with these memos and forgets what opening showed.
    QString OpenDatabase(const QStringList& bodies, const QString& name = QStringLiteral("memo.qrl"))
    {
        const QString path = MakeDatabase(bodies, name);
        EXPECT_TRUE(doc.OpenLocalDatabase(path));
        Forget();
        return path;
    }

    void Forget()
    {
        prompts.shown.clear();
        prompts.buttons.clear();
        views = RecordingViews();
    }

    // The memos of the open database file in order, as "title: body", read from the file.
    QStringList StoredMemos()
    {
        CLocalDatabase* database = doc.LocalDatabase();
        QStringList memos;
        for (int position = 0; database && position < database->Count(); ++position) {
            MemoHeader header;
            QString body;
            EXPECT_TRUE(database->ReadRecord(database->SlotAt(position), header, body));
            memos << header.title + QStringLiteral(": ") + body;
        }
        return memos;
    }
};
