// Attachment roots: the local rule beside the database file, and the server share's mount
// folder as given, remembered or mounted through a stand-in for gio that records what it got.
#include "document/quirel_doc_fixture.h"
#include "mail/attachment_folder_command.h"
#include "mail/attachment_folders.h"
#include "support/scoped_environment.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

TEST(AttachmentFoldersTest, TheLocalRootIsBesideTheFileAndNeverTheFileItself)
{
    const struct {
        const char* database;
        const char* root;
    } rows[] = {
        {"/data/notes.qrl", "/data/notes.atc"},
        {"/data/a.qrl.d/notes.qrl", "/data/a.atc.d/notes.atc"}, // every ".qrl"
        {"/data/notes.db", "/data/notes.db.atc"},
        {"/data/notes.QRL", "/data/notes.QRL.atc"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(LocalAttachmentRoot(row.database), row.root) << row.database;
}

// The folder command on a local database: a memo is stored first, its folder is made beside
// the file, and the count follows the folder without touching an unchanged memo.
class AttachmentFolderCommandTest : public QuirelDocTest {};

TEST_F(AttachmentFolderCommandTest, ALocalMemoGetsItsFolderAndItsCountFollowsTheFolder)
{
    EXPECT_EQ(PrepareAttachmentFolder(doc, prompts), std::nullopt) << "no database";
    OpenDatabase({});
    prompts.answers = {kAnswerNo};
    EXPECT_EQ(PrepareAttachmentFolder(doc, prompts), std::nullopt);
    EXPECT_EQ(prompts.shown.last(), "添付フォルダを使うには、データを保存する必要があります。保存しますか？");
    prompts.answers = {kAnswerYes};
    prompts.saveDialogs = {{kSaveDialogSave, "memo"}};
    const std::optional<QString> made = PrepareAttachmentFolder(doc, prompts);
    ASSERT_TRUE(made);
    EXPECT_EQ(*made, folder.Path("memo.atc/") + doc.CurrentHeader().attachId);
    EXPECT_TRUE(QFileInfo(*made).isDir());
    EXPECT_FALSE(doc.IsModified());

    RefreshAttachCount(doc, *made);
    EXPECT_FALSE(doc.IsModified()) << "an unchanged folder leaves the memo as it was";
    WriteBytes(*made + "/a.txt", "a");
    QDir(*made).mkdir("sub");
    RefreshAttachCount(doc, *made);
    EXPECT_EQ(doc.CurrentHeader().attachCount, 2);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(PrepareAttachmentFolder(doc, prompts), made) << "a stored memo is not asked about again";
}

// `gio` on a private PATH: "mount" records its arguments and standard input and succeeds when
// told to; "info" names the mounted folder once a mount succeeded.
class ShareMountTest : public testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(m_folder.Path("share"));
        WriteScript(m_folder.Path("gio"), "#!/bin/sh\n"
                                         "cd \"$(dirname \"$0\")\"\n"
                                         "if [ \"$1\" = mount ]; then\n"
                                         "  echo \"$@\" >> arguments; cat > input\n"
                                         "  [ -e mountable ] && touch mounted\n"
                                         "  [ -e mounted ]; exit $?\n"
                                         "fi\n"
                                         "[ -e mounted ] && echo \"local path: $PWD/share\"\n"
                                         "exit 0\n");
        m_environment.PrependToPath(m_folder.Path(""));
        QSettings().remove("Brindle Hub/ShareMounts");
    }

    TempFolder m_folder;
    ScopedEnvironment m_environment;
    const ShareLogin m_login{"127.0.0.1", "alice", "秘密 pass"};
};

TEST_F(ShareMountTest, TheShareIsMountedWithThePasswordOnStandardInputOnly)
{
    EXPECT_EQ(ReachShareMount(m_login, {}), "") << "a refused mount";
    WriteBytes(m_folder.Path("mountable"), "");
    EXPECT_EQ(ReachShareMount(m_login, {}), m_folder.Path("share"));
    EXPECT_EQ(QString::fromUtf8(ReadBytes(m_folder.Path("input"))), "alice\n\n秘密 pass\n");
    EXPECT_EQ(ReadBytes(m_folder.Path("arguments")), "mount smb://127.0.0.1/alice\nmount smb://127.0.0.1/alice\n");
    EXPECT_EQ(ReachShareMount(m_login, {}), m_folder.Path("share"));
    EXPECT_EQ(ReadBytes(m_folder.Path("arguments")).count('\n'), 2) << "a mounted share is not mounted again";
}

TEST_F(ShareMountTest, AGivenOrRememberedFolderIsUsedWithoutGio)
{
    const QString given = m_folder.Path("given");
    QDir().mkpath(given);
    EXPECT_EQ(ReachShareMount(m_login, given), given);
    EXPECT_EQ(ReachShareMount(m_login, given + "/missing"), "");
    QSettings().setValue("Brindle Hub/ShareMounts/127.0.0.1/alice", given);
    EXPECT_EQ(ReachShareMount(m_login, {}), given);
    EXPECT_EQ(ReachShareMount({"127.0.0.1", "bob", ""}, {}), "") << "remembered per database";
    EXPECT_EQ(ReadBytes(m_folder.Path("arguments")), "mount smb://127.0.0.1/bob\n") << "gio is asked only for bob's";
}

} // namespace
