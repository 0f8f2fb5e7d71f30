// The web search's percent-encoding and address.
#include "browser/url_encode.h"

#include <gtest/gtest.h>
#include <utility>

namespace {

TEST(UrlEncode, EncodesEveryByteButSpaceAndFourMarks)
{
    EXPECT_EQ(UrlEncode(QStringLiteral("日本 abc")), "%E6%97%A5%E6%9C%AC+%61%62%63");
    EXPECT_EQ(UrlEncode(QStringLiteral("A-Z_0.9*~")), "%41-%5A_%30.%39*%7E");
    EXPECT_EQ(UrlEncode(QStringLiteral("a+b&c=d/%")), "%61%2B%62%26%63%3D%64%2F%25");
    EXPECT_EQ(UrlEncode(QString::fromUtf16(u"\U0001F600")), "%F0%9F%98%80");
    EXPECT_EQ(UrlEncode({}), "");
}

TEST(UrlEncode, WebSearchAddressPutsTheWordsInPlaceOfTheKeyAtAUsableHostOnly)
{
    const QString words = QStringLiteral("日本 abc");
    const QString query = QStringLiteral("/?Keywords=%E6%97%A5%E6%9C%AC+%61%62%63");
    const std::pair<QString, QString> cases[] = {
        {"search.example.jp", "https://search.example.jp" + query},
        {" http://search.example.jp:8080/ ", "http://search.example.jp:8080" + query},
        {"", ""},
        {"search.example.jp/path?x=", ""},
        {"user:secret@search.example.jp", ""},
        {"a b", ""},
    };
    for (const auto& [host, expected] : cases)
        EXPECT_EQ(WebSearchAddress(host, words), expected) << host.toStdString();
}

} // namespace
