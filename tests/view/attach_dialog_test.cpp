// The folder window: the go-up button only below the root, subfolders opened in place.
#include "mail/view/attach_dialog.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFileSystemModel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(AttachDialogTest, GoingUpIsOfferedOnlyBelowTheRoot)
{
    TempFolder folder;
    const QString root = folder.Path("abcdefghijklmnopqrstuvxw");
    QDir().mkpath(root + "/sub");
    CAttach dialog(root);
    dialog.show();
    QPushButton* up = nullptr;
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        up = button->text() == "上のフィルだへ戻る" ? button : up;
    ASSERT_NE(up, nullptr);
    EXPECT_FALSE(up->isVisible());
    dialog.GoUp();
    EXPECT_EQ(dialog.CurrentLocation(), root) << "never above the root";
    auto* model = dialog.findChild<QFileSystemModel*>();
    dialog.Open(model->index(root + "/sub"));
    EXPECT_EQ(dialog.CurrentLocation(), root + "/sub");
    EXPECT_TRUE(up->isVisible());
    up->click();
    EXPECT_EQ(dialog.CurrentLocation(), root);
    EXPECT_FALSE(up->isVisible());
}

} // namespace
