// Server shortcut files: the parsed form and each way it can be incomplete, and the file reader's
// line handling, code page and bounds.
#include "document/server_shortcut.h"

#include "support/temp_files.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kHeader = u"//--*Nubrick--*//"_s;

TEST(ServerShortcutTest, ParsesHostUserAndTableAndEachMissingPartFails)
{
    const struct {
        QString text;
        std::optional<ServerShortcut> parsed;
    } cases[] = {
        {kHeader + u"h=10.0.0.5;u=yamada;f=memo;"_s, ServerShortcut{u"10.0.0.5"_s, u"yamada"_s, u"memo"_s}},
        // Anything between the fields is ignored; values may be empty.
        {kHeader + u" note h=hub;  u=;xx f=t=1;trailing"_s, ServerShortcut{u"hub"_s, QString(), u"t=1"_s}},
        {u"h=hub;u=yamada;f=memo;"_s, std::nullopt},                    // no header
        {u" //--*Nubrick--*//h=hub;u=yamada;f=memo;"_s, std::nullopt},  // header not at the start
        {u"//--*nubrick--*//h=hub;u=yamada;f=memo;"_s, std::nullopt},   // header in another case
        {kHeader + u"u=yamada;f=memo;"_s, std::nullopt},                // no host key
        {kHeader + u"h=hub u=yamada;f=memo;"_s, std::nullopt},          // host not ended: "u=" lies in the host
        {kHeader + u"h=hub;f=memo;"_s, std::nullopt},                   // no user key
        {kHeader + u"h=hub;u=yamada f=memo;"_s, std::nullopt},          // user not ended
        {kHeader + u"h=hub;u=yamada;"_s, std::nullopt},                 // no table key
        {kHeader + u"h=hub;u=yamada;f=memo"_s, std::nullopt},           // table not ended
        {kHeader + u"f=memo;h=hub;u=yamada;"_s, std::nullopt},          // table before the others
        {QString(), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseServerShortcut(c.text), c.parsed) << c.text.toStdString();
}

TEST(ServerShortcutTest, FilesJoinUpToSixLinesAndAreReadOnlyAsFarAsTheirHead)
{
    const CodePage cp932("CP932");
    // 山田 in CP932, on lines ending in CR LF and LF.
    EXPECT_EQ(ParseServerShortcutLines("//--*Nubrick--*//\r\nh=hub;\nu=\x8e\x52\x93\x63;\r\n\r\nf=\nmemo;\n", cp932),
              (ServerShortcut{u"hub"_s, u"山田"_s, u"memo"_s}));
    EXPECT_FALSE(ParseServerShortcutLines("//--*Nubrick--*//\n\n\n\nh=hub;u=u;\n\nf=memo;\n", cp932))
        << "table on line 7";

    TempFolder folder;
    const QString path = folder.Path("db.nbk");
    EXPECT_FALSE(ReadServerShortcutFile(path, cp932)) << "missing";
    WriteBytes(path, "//--*Nubrick--*//h=hub;u=yamada;f=memo;" + QByteArray(4 << 20, 'x'));
    EXPECT_EQ(ReadServerShortcutFile(path, cp932), (ServerShortcut{u"hub"_s, u"yamada"_s, u"memo"_s}));
    WriteBytes(path, "//--*Nubrick--*//h=hub;u=yamada;" + QByteArray(64 << 10, ' ') + "f=memo;");
    EXPECT_FALSE(ReadServerShortcutFile(path, cp932)) << "table beyond the first 64 KiB";
}

} // namespace
