// Attachment folder identifiers: 24 lower-case letters that follow the C library's seed.
#include "document/attach_id.h"

#include <QRegularExpression>
#include <cstdlib>
#include <gtest/gtest.h>

TEST(AttachIdTest, TwentyFourLettersFollowingTheSeed)
{
    std::srand(20261206);
    const QString first = NewAttachId();
    QString all = first;
    for (int i = 0; i < 200; ++i)
        all += NewAttachId();
    EXPECT_EQ(first.size(), 24);
    EXPECT_EQ(all.size(), 201 * 24);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[a-z]+$")).match(all).hasMatch());
    for (char16_t letter = u'a'; letter <= u'z'; ++letter)
        EXPECT_TRUE(all.contains(QChar(letter))) << char(letter);

    std::srand(20261206);
    EXPECT_EQ(NewAttachId(), first);
}
