// The document under test with a scripted user, recorded views and a private folder, and
// helpers that type text and prepare local database files.
#pragma once

#include "document/local_database.h"
#include "document/quirel_doc.h"
#include "editor/text_store.h"
#include "scripted_prompts.h"
#include "support/new_header.h"
#include "support/temp_files.h"

#include <gmock/gmock.h>

using namespace Qt::StringLiterals;
using testing::ElementsAre;

class QuirelDocTest : public testing::Test {
protected:
    TempFolder folder;
    ScriptedPrompts prompts;
    RecordingViews views;
    CQuirelDoc doc{prompts, views, CodePage("CP932")};

    void TearDown() override { EXPECT_TRUE(prompts.Finished()) << "scripted answers left over"; }

    // Replaces the editor's text as typing would.
    void Type(const QString& text)
    {
        doc.TextStore().LoadParagraphs(text.split(u'\n'));
        doc.SetModifiedFlag();
    }

    // A database file holding memos titled "memo 1", "memo 2", ... with these bodies.
    QString MakeDatabase(const QStringList& bodies, const QString& name = u"memo.qrl"_s)
    {
        const QString path = folder.Path(name);
        CLocalDatabase database(path);
        EXPECT_EQ(database.Open(), CLocalDatabase::kOk);
        for (qsizetype i = 0; i < bodies.size(); ++i) {
            MemoHeader header = NewHeader(u"memo %1"_s.arg(i + 1));
            EXPECT_EQ(database.SaveRecord(-1, header, bodies[i]), 1);
        }
        return path;
    }

    // Opens a new database file with these memos and forgets what opening showed.
    QString OpenDatabase(const QStringList& bodies, const QString& name = u"memo.qrl"_s)
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

    // The memos of the open database file in order, as "title: body".
    QStringList StoredMemos()
    {
        CLocalDatabase* database = doc.LocalDatabase();
        QStringList memos;
        for (int position = 0; database && position < database->Count(); ++position) {
            MemoHeader header;
            QString body;
            EXPECT_TRUE(database->ReadRecord(database->SlotAt(position), header, body));
            memos << header.title + u": "_s + body;
        }
        return memos;
    }
};
