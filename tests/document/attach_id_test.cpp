// Attachment folder identifiers: 24 lower-case letters that follow the C library's seed.
#include "document/attach_id.h"

#include <QSet>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

TEST(AttachIdTest, TwentyFourLettersFollowingTheSeed)
{
    std::srand(20261206);
    const QString first = NewAttachId();
    QSet<QChar> seen;
    for (int i = 0; i < 200; ++i) {
        const QString id = NewAttachId();
        ASSERT_EQ(id.size(), 24);
        for (QChar letter : id)
            seen.insert(letter);
    }
    EXPECT_EQ(seen.size(), 26);
    for (QChar letter : seen)
        EXPECT_TRUE(letter >= u'a' && letter <= u'z') << int(letter.unicode());

    std::srand(20261206);
    EXPECT_EQ(NewAttachId(), first);
}

} // namespace
