// The text file window: opening, saving with the editor's save key in the file's encoding,
// the title's modified mark, the status bar, and the question before unsaved work is lost.
#include "app/text_host_window.h"

#include "document/text_file.h"
#include "editor/key_table.h"
#include "editor/view/quirel_view.h"
#include "support/temp_files.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QByteArray kUtf8Mark = "\xEF\xBB\xBF";

class TextHostWindowTest : public testing::Test {
protected:
    TextHostWindowTest() { QSettings().setValue("Options/KeyboardLayout", kLayoutWindows); }

    // Presses the button of the question box that the next modal loop shows.
    static void AnswerNextQuestion(const QString& button)
    {
        QTimer::singleShot(0, [button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* candidate : box->buttons())
                if (candidate->text() == button)
                    return candidate->click();
            ADD_FAILURE() << "no button " << button.toStdString();
        });
    }

    TempFolder folder;
};

TEST_F(TextHostWindowTest, SaveKeyWritesTheTextBackInItsEncoding)
{
    const QString path = folder.Path("memo.txt");
    WriteBytes(path, kUtf8Mark + "abc\r\n");
    CTextHostWindow window(path);
    EXPECT_TRUE(window.windowTitle().startsWith("memo.txt"));
    EXPECT_FALSE(window.isWindowModified());

    QTest::keyClicks(window.View(), "x");
    EXPECT_TRUE(window.isWindowModified());
    QStringList status;
    for (const QLabel* label : window.statusBar()->findChildren<QLabel*>())
        status << label->text();
    EXPECT_EQ(status, QStringList({"2:1 Page 1", "変更"}));

    QTest::keyClick(window.View(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_EQ(ReadBytes(path), kUtf8Mark + "xabc\r\n");
}

TEST_F(TextHostWindowTest, MissingFileStartsEmptyAndIsCreatedBySaving)
{
    const QString path = folder.Path("new.txt");
    CTextHostWindow window(path);
    EXPECT_TRUE(window.windowTitle().startsWith("new.txt"));
    QTest::keyClicks(window.View(), "hi");
    ASSERT_TRUE(window.Save());
    CTextStore saved;
    ASSERT_TRUE(ReadTextFile(path, saved, CodePage::System()));
    EXPECT_EQ(saved.WholeText(), "hi");
}

TEST_F(TextHostWindowTest, ClosingWithUnsavedChangesAsks)
{
    const QString path = folder.Path("memo.txt");
    WriteBytes(path, kUtf8Mark + "abc\r\n");
    CTextHostWindow window(path);
    window.show();
    QTest::keyClicks(window.View(), "x");

    AnswerNextQuestion("キャンセル");
    EXPECT_FALSE(window.close());
    EXPECT_EQ(ReadBytes(path), kUtf8Mark + "abc\r\n");

    AnswerNextQuestion("保存");
    EXPECT_TRUE(window.close());
    EXPECT_EQ(ReadBytes(path), kUtf8Mark + "xabc\r\n");
}

} // namespace
