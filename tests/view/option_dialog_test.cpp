// The options dialog: its start from the settings or their defaults, OK storing exactly what is
// shown (an empty kinsoku set included, the web search host without blanks), and cancel storing
// nothing.
#include "app/option_dialog.h"

#include "platform/settings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

// The five settings as one text, "-" for a missing one.
QString Stored()
{
    QStringList values;
    for (const char* key : {"LeftKin", "RightKin", "LinespaceWider", "KeyboardLayout", "WebSearchHost"})
        values << QSettings().value(QStringLiteral("Options/") + key, "-").toString();
    return values.join(u'|');
}

// The defaults shown first, then a dialog opened after OK shows what that OK stored.
TEST(OptionDialog, StartsFromTheStoredOptionsOrTheirDefaultsAndOkStoresWhatIsShownCancelNothing)
{
    for (bool ok : {false, true}) {
        QSettings().remove("Options");
        COption dialog;
        EXPECT_EQ(dialog.findChild<QLineEdit*>("rightKin")->text(), ReadRightKin());
        EXPECT_FALSE(dialog.findChild<QCheckBox*>("linespaceWider")->isChecked());
        EXPECT_TRUE(dialog.findChild<QRadioButton*>("windowsLayout")->isChecked());
        EXPECT_EQ(dialog.findChild<QLineEdit*>("webSearchHost")->text(), "");
        dialog.findChild<QLineEdit*>("leftKin")->clear();
        dialog.findChild<QLineEdit*>("rightKin")->setText(QStringLiteral("「「"));
        dialog.findChild<QCheckBox*>("linespaceWider")->setChecked(true);
        dialog.findChild<QRadioButton*>("diamondLayout")->setChecked(true);
        dialog.findChild<QLineEdit*>("webSearchHost")->setText(" search.example.jp ");
        ok ? dialog.accept() : dialog.reject();
        EXPECT_EQ(Stored(), ok ? QStringLiteral("|「「|1|1|search.example.jp") : QStringLiteral("-|-|-|-|-"));
    }
    EXPECT_EQ(ReadLeftKin(), "") << "an empty set is not replaced by the default";
    COption stored;
    EXPECT_EQ(stored.findChild<QLineEdit*>("leftKin")->text(), "");
    EXPECT_EQ(stored.findChild<QLineEdit*>("rightKin")->text(), QStringLiteral("「「"));
    EXPECT_TRUE(stored.findChild<QCheckBox*>("linespaceWider")->isChecked());
    EXPECT_TRUE(stored.findChild<QRadioButton*>("diamondLayout")->isChecked());
    EXPECT_EQ(stored.findChild<QLineEdit*>("webSearchHost")->text(), "search.example.jp");
    QSettings().remove("Options");
}

} // namespace
