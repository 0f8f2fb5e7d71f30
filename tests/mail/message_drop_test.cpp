// Which drops are message drops, and what a message/rfc822 payload becomes.
#include "mail/message_drop.h"
#include "support/temp_files.h"

#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

TEST(MessageDropTest, OnlyDropsOfMessagesAreTaken)
{
    const struct {
        QStringList urls;
        QByteArray payload; // message/rfc822
        bool taken;
        const char* why;
    } rows[] = {
        {{"file:///m/a.msg", "file:///m/b.EML"}, {}, true, "message files, any case"},
        {{"file:///m/a.msg", "file:///m/c.txt"}, {}, false, "one other file makes it a file drop"},
        {{"https://example.jp/a.eml"}, {}, false, "not a local file"},
        {{}, {}, false, "plain text"},
        {{}, "Subject: s\r\n\r\nbody\r\n", true, "a mail client's message"},
        {{"file:///m/c.txt"}, "Subject: s\r\n\r\nbody\r\n", false, "files come first"},
    };
    for (const auto& row : rows) {
        QMimeData data;
        data.setText("text");
        QList<QUrl> urls;
        for (const QString& url : row.urls)
            urls << QUrl(url);
        if (!urls.isEmpty())
            data.setUrls(urls);
        if (!row.payload.isEmpty())
            data.setData("message/rfc822", row.payload);
        EXPECT_EQ(DroppedMessages::IsMessageDrop(data), row.taken) << row.why;
        const DroppedMessages dropped(data);
        EXPECT_EQ(dropped.Files().size(), row.taken ? qMax(urls.size(), 1) : 0) << row.why;
        if (row.taken && urls.isEmpty()) {
            EXPECT_EQ(ReadBytes(dropped.Files()[0]), row.payload);
        } else if (row.taken) {
            EXPECT_EQ(dropped.Files()[1], "/m/b.EML");
        }
    }
}

} // namespace
