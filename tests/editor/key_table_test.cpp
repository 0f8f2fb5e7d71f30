// The key assignment table's shape and every key of both layouts through the two-stroke lookup.
// Keys are written as users read them ("Ctrl+Q Ctrl+R", "Shift+Page Down", "Ctrl+0xE2").
#include "editor/key_table.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace {

using Binding = std::pair<int, int>; // key 1, key 2 (0 for a single key)

int ParseKey(const QString& text)
{
    QStringList parts = text.split(u'+');
    const QString name = parts.takeLast();
    int code = name.startsWith(u"0x") ? name.mid(2).toInt(nullptr, 16) : 0;
    for (int vk = 1; code == 0 && vk < 0x100; ++vk)
        if (KeyName(vk) == name)
            code = vk;
    EXPECT_NE(code, 0) << "unknown key " << text.toStdString();
    for (const QString& modifier : parts)
        code |= modifier == u"Shift" ? KeyCode::kShift : modifier == u"Ctrl" ? KeyCode::kCtrl : 0;
    return code;
}

// "Ctrl+Q Ctrl+R" or "Shift+Page Down": a blank separates the two keys of a sequence, except
// inside the names "Page Up" and "Page Down".
Binding ParseBinding(QString text)
{
    text.replace(QStringLiteral("Page "), QStringLiteral("Page\u00A0"));
    const QStringList keys = text.split(u' ');
    auto key = [](QString k) { return ParseKey(k.replace(u'\u00A0', u' ')); };
    return {key(keys[0]), keys.size() > 1 ? key(keys[1]) : 0};
}

// The keys of the functions the editor carries out, with their commands.
struct Expected {
    QString keys;
    int command;
};

const std::vector<Expected> kWindowsCarried = {
    {"←", 1}, {"→", 2}, {"↑", 3}, {"↓", 4}, {"Page Down", 5}, {"Page Up", 6},
    {"Ctrl+Home", 7}, {"Ctrl+End", 8}, {"Ctrl+Page Down", 11}, {"Ctrl+Page Up", 12},
    {"Home", 13}, {"End", 14}, {"Ctrl+→", 15}, {"Ctrl+←", 16}, {"Delete", 101},
    {"Backspace", 102}, {"Ctrl+T", 106}, {"Enter", 201}, {"Ctrl+M", 201}, {"Tab", 202},
    {"Ctrl+I", 202}, {"Shift+Enter", 203}, {"Ctrl+F", 302}, {"Ctrl+H", 306}, {"Ctrl+S", 402},
    {"Ctrl+C", 601}, {"Ctrl+Insert", 601}, {"Ctrl+X", 602}, {"Ctrl+Delete", 602},
    {"Ctrl+V", 603}, {"Shift+Insert", 603}, {"Ctrl+Z", 604}, {"Shift+Home", 610},
    {"Shift+End", 611}, {"Ctrl+↑", 701}, {"Ctrl+↓", 702}, {"Shift+←", 1209},
    {"Shift+→", 1208}, {"Shift+↑", 1210}, {"Shift+↓", 1211}, {"Shift+Page Up", 1212},
    {"Shift+Page Down", 1213},
};

const std::vector<Expected> kDiamondCarried = {
    {"←", 1}, {"Ctrl+S", 1}, {"→", 2}, {"Ctrl+D", 2}, {"↑", 3}, {"Ctrl+E", 3}, {"↓", 4},
    {"Ctrl+X", 4}, {"Page Down", 5}, {"Ctrl+C", 5}, {"Page Up", 6}, {"Ctrl+R", 6},
    {"Ctrl+W", 9}, {"Ctrl+Z", 10}, {"Ctrl+Q Ctrl+R", 7}, {"Ctrl+Q Ctrl+C", 8},
    {"Ctrl+Q Ctrl+E", 11}, {"Ctrl+Q Ctrl+X", 12}, {"Ctrl+Q Ctrl+S", 13}, {"Home", 13},
    {"Ctrl+Q Ctrl+D", 14}, {"End", 14}, {"Ctrl+F", 15}, {"Ctrl+→", 15}, {"Ctrl+A", 16},
    {"Ctrl+←", 16}, {"Delete", 101}, {"Ctrl+G", 101}, {"Backspace", 102}, {"Ctrl+H", 102},
    {"Ctrl+Y", 103}, {"Shift+Delete", 103}, {"Ctrl+T", 106}, {"Enter", 201}, {"Ctrl+M", 201},
    {"Tab", 202}, {"Ctrl+I", 202}, {"Shift+Enter", 203}, {"Ctrl+N", 204},
    {"Ctrl+Q Ctrl+F", 302}, {"Ctrl+Q Ctrl+A", 306}, {"Ctrl+K Ctrl+S", 402},
    {"Ctrl+Insert", 601}, {"Ctrl+K Ctrl+K", 601}, {"Ctrl+Delete", 602}, {"Ctrl+K Ctrl+Y", 602},
    {"Shift+Insert", 603}, {"Ctrl+K Ctrl+C", 603}, {"Shift+Backspace", 604},
    {"Shift+Home", 610}, {"Shift+End", 611}, {"Ctrl+↑", 701}, {"Ctrl+↓", 702},
    {"Ctrl+Q Ctrl+Q", 704}, {"Shift+←", 1209}, {"Shift+→", 1208}, {"Shift+Ctrl+←", 614},
    {"Shift+Ctrl+→", 615}, {"Shift+↑", 1210}, {"Shift+↓", 1211}, {"Shift+Page Up", 1212},
    {"Shift+Page Down", 1213},
};

const std::pair<int, const std::vector<Expected>&> kLayouts[] = {
    {kLayoutWindows, kWindowsCarried},
    {kLayoutDiamond, kDiamondCarried},
};

// Runs a key or sequence through a fresh lookup; a sequence's first key only becomes the
// pending prefix, and no prefix is left behind.
int Press(const Binding& keys, int layout)
{
    KeyLookup lookup;
    if (keys.second != 0) {
        EXPECT_EQ(lookup.Lookup(keys.first, layout), 0);
        EXPECT_EQ(lookup.PendingPrefix(), keys.first);
    }
    const int command = lookup.Lookup(keys.second != 0 ? keys.second : keys.first, layout);
    EXPECT_EQ(lookup.PendingPrefix(), 0);
    return command;
}

} // namespace

TEST(KeyTableTest, HasTwoRowsPerFunctionWithDistinctCommands)
{
    const auto rows = KeyAssignmentTable();
    ASSERT_EQ(rows.size() % 2, 0u);
    std::set<int> commands;
    for (std::size_t i = 0; i < rows.size(); i += 2) {
        const KeyRow& named = rows[i];
        EXPECT_EQ(rows[i + 1].command, named.command);
        EXPECT_EQ(rows[i + 1].category, named.category);
        EXPECT_FALSE(QString::fromUtf16(named.name).isEmpty()) << named.command;
        EXPECT_TRUE(QString::fromUtf16(rows[i + 1].name).isEmpty()) << named.command;
        EXPECT_TRUE(named.command > 0 && commands.insert(named.command).second) << named.command;
    }
}

// Every key of a layout gives its row's command, the functions the editor carries out have
// exactly the listed keys, and no key is in the table twice or both alone and as the first
// key of a sequence, so the first matching row is the only one.
TEST(KeyTableTest, EachLayoutGivesTheListedKeysTheirCommands)
{
    using Assignment = std::pair<Binding, int>;
    for (const auto& [layout, carried] : kLayouts) {
        SCOPED_TRACE(layout);
        std::set<int> carriedCommands;
        std::vector<Assignment> listed;
        for (const Expected& expected : carried) {
            listed.push_back({ParseBinding(expected.keys), expected.command});
            carriedCommands.insert(expected.command);
        }
        std::vector<Assignment> inTable;
        std::vector<Binding> all;
        for (const KeyRow& row : KeyAssignmentTable()) {
            const Binding keys = layout == kLayoutWindows ? Binding{row.windowsKey1, row.windowsKey2}
                                                          : Binding{row.diamondKey1, row.diamondKey2};
            if (keys == Binding{})
                continue;
            EXPECT_EQ(Press(keys, layout), row.command) << KeyText(keys.first).toStdString();
            all.push_back(keys);
            if (carriedCommands.contains(row.command))
                inTable.push_back({keys, row.command});
        }
        std::ranges::sort(listed);
        std::ranges::sort(inTable);
        std::ranges::sort(all);
        EXPECT_EQ(inTable, listed);
        EXPECT_EQ(std::ranges::adjacent_find(all), all.end());
        for (const Binding& keys : all)
            EXPECT_FALSE(keys.second == 0 && std::ranges::any_of(all, [&](const Binding& other) {
                return other.second != 0 && other.first == keys.first;
            })) << KeyText(keys.first).toStdString();
    }
}

TEST(KeyTableTest, StrayKeysClearThePrefixAndRunNothing)
{
    using KeyCode::Ctrl;
    KeyLookup lookup;
    // Ctrl+Q then a plain R: nothing runs, and the next Ctrl+R is a key of its own again.
    EXPECT_EQ(lookup.Lookup(Ctrl('Q'), kLayoutDiamond), 0);
    EXPECT_EQ(lookup.Lookup('R', kLayoutDiamond), 0);
    EXPECT_EQ(lookup.Lookup(Ctrl('R'), kLayoutDiamond), 6);
    // A prefix followed by another prefix key ends the first sequence without starting one.
    EXPECT_EQ(lookup.Lookup(Ctrl('K'), kLayoutDiamond), 0);
    EXPECT_EQ(lookup.Lookup(Ctrl('J'), kLayoutDiamond), 0);
    EXPECT_EQ(lookup.PendingPrefix(), 0);
    // Key codes without a virtual key match no empty column, and end a sequence too.
    EXPECT_EQ(lookup.Lookup(Ctrl('K'), kLayoutDiamond), 0);
    for (int layout : {kLayoutWindows, kLayoutDiamond}) {
        EXPECT_EQ(lookup.Lookup(0, layout), 0);
        EXPECT_EQ(lookup.Lookup(KeyCode::kCtrl | KeyCode::kShift, layout), 0);
    }
    EXPECT_EQ(lookup.PendingPrefix(), 0);
    // Any layout value but 0 is the diamond layout.
    EXPECT_EQ(lookup.Lookup(Ctrl('S'), 7), 1);
    EXPECT_EQ(lookup.Lookup(Ctrl('S'), kLayoutWindows), 402);
}
