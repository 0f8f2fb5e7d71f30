// The import command on screen, answered as a user would: the file dialog, dialog 138 and its
// 開始, the counter and the disabled buttons under the finishing message, the notes in the
// local database and the last of them shown.
#include "app/main_frame.h"
#include "document/local_database.h"
#include "document/memo_store.h"
#include "document/quirel_doc.h"
#include "import/view/ren_import_widget.h"
#include "support/temp_files.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(RenImportWidgetTest, AChosenFileIsImportedWithItsCounterShownAndTheOutcomeTold)
{
    TempFolder folder;
    const QString database = folder.Path("memo.qrl");
    ASSERT_EQ(CLocalDatabase(database).CreateFile(), CLocalDatabase::kOk);
    QByteArray notes;
    for (int n = 1; n <= 300; ++n)
        notes += "#s\n#tnote " + QByteArray::number(n) + "\nbody\n#e\n";
    const QString ren = folder.Path("notes.ren");
    WriteBytes(ren, notes);
    CMainFrame frame; // with the message boxes and file dialogs of the program
    ASSERT_TRUE(frame.Document().OpenLocalDatabase(database));

    // Each window is answered when it is the modal one; what it showed is noted in order.
    QStringList seen;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            if (!seen.isEmpty())
                return;
            seen << "file dialog";
            // selectFile leaves the name box alone while it has the focus, which comes and goes
            // with the windows shown before.
            files->findChild<QLineEdit*>("fileNameEdit")->setText(ren);
            // Accepting checks the name, as the Open button does; queued, so that a message box
            // it might show is answered here too instead of waiting for ever.
            QMetaObject::invokeMethod(files, &QDialog::accept, Qt::QueuedConnection);
        } else if (auto* window = qobject_cast<RenImportWidget*>(modal); window && seen.size() == 1) {
            seen << window->windowTitle();
            for (QPushButton* button : window->findChildren<QPushButton*>())
                if (button->text() == "開始")
                    button->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen << box->text();
            const auto* window = frame.findChild<RenImportWidget*>();
            if (!window) {
                box->defaultButton() ? box->defaultButton()->click() : box->reject();
                return;
            }
            for (QLabel* label : window->findChildren<QLabel*>())
                if (label->text().contains(QRegularExpression("^\\d+ / \\d+$")))
                    seen << "counter " + label->text();
            for (QPushButton* button : window->findChildren<QPushButton*>())
                seen << button->text() + (button->isEnabled() ? " enabled" : " disabled");
            box->defaultButton()->click();
        }
    });
    user.start(10);
    frame.RunCommand(FrameCommand::kImport);
    user.stop();

    EXPECT_EQ(seen, QStringList({"file dialog", "Sabrelテキストからのインポート", "登録が終わりました",
                                 "counter 1200 / 300", "開始 disabled", "キャンセル disabled"}));
    EXPECT_EQ(frame.findChild<RenImportWidget*>(), nullptr) << "the window is gone";
    EXPECT_EQ(frame.Document().Store()->Count(), 300);
    EXPECT_EQ(frame.Document().CurrentHeader().title, "note 300") << "the last memo is shown";
}

} // namespace
