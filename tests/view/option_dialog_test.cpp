// The options dialog: its start from the settings or their defaults, OK storing exactly what is
// shown (empty kinsoku sets included), and cancel storing nothing.
#include "app/option_dialog.h"

#include "platform/settings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <gtest/gtest.h>
#include <memory>

namespace {

class OptionDialogTest : public testing::Test {
protected:
    OptionDialogTest() { QSettings().remove("Options"); }
    ~OptionDialogTest() override { QSettings().remove("Options"); }

    // A control of the dialog, which is made at the first call (after the settings are ready).
    template <typename T>
    T* Control(const char* name)
    {
        if (!dialog)
            dialog = std::make_unique<COption>();
        T* control = dialog->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    void Edit()
    {
        Control<QLineEdit>("leftKin")->clear();
        Control<QLineEdit>("rightKin")->setText(QStringLiteral("「「"));
        Control<QCheckBox>("linespaceWider")->setChecked(true);
        Control<QRadioButton>("diamondLayout")->setChecked(true);
    }

    // The four settings as one text, "-" for a missing one.
    static QString Stored()
    {
        QStringList values;
        for (const char* key : {"LeftKin", "RightKin", "LinespaceWider", "KeyboardLayout"})
            values << QSettings().value(QStringLiteral("Options/") + key, "-").toString();
        return values.join(u'|');
    }

    std::unique_ptr<COption> dialog;
};

TEST_F(OptionDialogTest, StartsFromTheDefaults)
{
    EXPECT_EQ(Control<QLineEdit>("leftKin")->text(), ReadLeftKin());
    EXPECT_EQ(Control<QLineEdit>("leftKin")->text().size(), 26);
    EXPECT_EQ(Control<QLineEdit>("rightKin")->text().size(), 13);
    EXPECT_FALSE(Control<QCheckBox>("linespaceWider")->isChecked());
    EXPECT_TRUE(Control<QRadioButton>("windowsLayout")->isChecked());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("オプション設定"));
}

TEST_F(OptionDialogTest, StartsFromTheStoredOptions)
{
    QSettings().setValue("Options/LeftKin", QStringLiteral("、"));
    QSettings().setValue("Options/LinespaceWider", 1);
    QSettings().setValue("Options/KeyboardLayout", 1);
    EXPECT_EQ(Control<QLineEdit>("leftKin")->text(), QStringLiteral("、"));
    EXPECT_TRUE(Control<QCheckBox>("linespaceWider")->isChecked());
    EXPECT_TRUE(Control<QRadioButton>("diamondLayout")->isChecked());
}

TEST_F(OptionDialogTest, CancelStoresNothing)
{
    Edit();
    dialog->reject();
    EXPECT_EQ(Stored(), "-|-|-|-");
}

TEST_F(OptionDialogTest, OkStoresWhatIsShownAndAnEmptySetStaysEmpty)
{
    Edit();
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Stored(), QStringLiteral("|「「|1|1"));
    EXPECT_EQ(ReadLeftKin(), "") << "an empty set is not replaced by the default";
}

} // namespace
