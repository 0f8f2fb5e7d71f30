// The key assignment table and the two-stroke lookup through it.
//
// The table is written as one line per function (Windows keys first, as users read them) and
// expanded at compile time into the two rows per function that the lookup and the key list page
// walk. The 45 functions the editor carries out come first, in their established order; the
// functions of the wider editor family follow, holding every other key of both layouts so that
// those keys are recognised (and, in the diamond layout, make Ctrl+K, Ctrl+Q, Ctrl+J, Ctrl+O
// and Ctrl+B prefixes) without running anything.
#include "editor/key_table.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

using KeyCode::Ctrl;
using KeyCode::Shift;
using namespace Vk;

constexpr int ShiftCtrl(int code) { return Shift(Ctrl(code)); }

// One layout's key in one row: a single key (key 2 = 0), a two-stroke sequence, or none ({}).
struct Binding {
    int key1 = 0;
    int key2 = 0;
};

struct Function {
    int command;
    int category;
    const char16_t* name;
    Binding windows;     // named row
    Binding windowsMore; // second row
    Binding diamond;
    Binding diamondMore;
};

constexpr Function kFunctions[] = {
    // Carried out by the editor.
    {1, 10, u"カーソルを左へ", {kLeft}, {}, {kLeft}, {Ctrl('S')}},
    {2, 10, u"カーソルを右へ", {kRight}, {}, {kRight}, {Ctrl('D')}},
    {3, 10, u"カーソルを上へ", {kUp}, {}, {kUp}, {Ctrl('E')}},
    {4, 10, u"カーソルを下へ", {kDown}, {}, {kDown}, {Ctrl('X')}},
    {5, 10, u"下のページへ", {kNext}, {}, {kNext}, {Ctrl('C')}},
    {6, 10, u"上のページへ", {kPrior}, {}, {kPrior}, {Ctrl('R')}},
    {9, 10, u"下へスクロール", {}, {}, {Ctrl('W')}, {}},
    {10, 10, u"上へスクロール", {}, {}, {Ctrl('Z')}, {}},
    {7, 3, u"先頭へジャンプ", {Ctrl(kHome)}, {}, {Ctrl('Q'), Ctrl('R')}, {}},
    {8, 3, u"末尾へジャンプ", {Ctrl(kEnd)}, {}, {Ctrl('Q'), Ctrl('C')}, {}},
    {11, 10, u"画面の一番上へ", {Ctrl(kNext)}, {}, {Ctrl('Q'), Ctrl('E')}, {}},
    {12, 10, u"画面の一番下へ", {Ctrl(kPrior)}, {}, {Ctrl('Q'), Ctrl('X')}, {}},
    {13, 10, u"画面の左端へ", {kHome}, {}, {Ctrl('Q'), Ctrl('S')}, {kHome}},
    {14, 10, u"画面の右端へ", {kEnd}, {}, {Ctrl('Q'), Ctrl('D')}, {kEnd}},
    {15, 10, u"一語右へ", {Ctrl(kRight)}, {}, {Ctrl('F')}, {Ctrl(kRight)}},
    {16, 10, u"一語左へ", {Ctrl(kLeft)}, {}, {Ctrl('A')}, {Ctrl(kLeft)}},
    {101, 10, u"一文字削除", {kDelete}, {}, {kDelete}, {Ctrl('G')}},
    {102, 10, u"バックスペース", {kBack}, {}, {kBack}, {Ctrl('H')}},
    {103, 10, u"一行削除", {}, {}, {Ctrl('Y')}, {Shift(kDelete)}},
    {106, 10, u"単語削除", {Ctrl('T')}, {}, {Ctrl('T')}, {}},
    {201, 10, u"改行挿入", {kReturn}, {Ctrl('M')}, {kReturn}, {Ctrl('M')}},
    {202, 10, u"タブ挿入", {kTab}, {Ctrl('I')}, {kTab}, {Ctrl('I')}},
    {203, 10, u"ソフト改行", {Shift(kReturn)}, {}, {Shift(kReturn)}, {}},
    {204, 10, u"ｶｰｿﾙ移動なしの改行", {}, {}, {Ctrl('N')}, {}},
    {302, 2, u"文字検索", {Ctrl('F')}, {}, {Ctrl('Q'), Ctrl('F')}, {}},
    {306, 2, u"文字置換", {Ctrl('H')}, {}, {Ctrl('Q'), Ctrl('A')}, {}},
    {402, 1, u"データを保存", {Ctrl('S')}, {}, {Ctrl('K'), Ctrl('S')}, {}},
    {601, 2, u"コピー ", {Ctrl('C')}, {Ctrl(kInsert)}, {Ctrl(kInsert)}, {Ctrl('K'), Ctrl('K')}},
    {602, 2, u"切り取り", {Ctrl('X')}, {Ctrl(kDelete)}, {Ctrl(kDelete)}, {Ctrl('K'), Ctrl('Y')}},
    {612, 2, u"削除", {}, {}, {}, {}},
    {603, 2, u"貼り付け", {Ctrl('V')}, {Shift(kInsert)}, {Shift(kInsert)}, {Ctrl('K'), Ctrl('C')}},
    {604, 2, u"アンドゥ", {Ctrl('Z')}, {}, {Shift(kBack)}, {}},
    {610, 2, u"ｶｰｿﾙから左を範囲指定", {Shift(kHome)}, {}, {Shift(kHome)}, {}},
    {611, 2, u"ｶｰｿﾙから右を範囲指定", {Shift(kEnd)}, {}, {Shift(kEnd)}, {}},
    {701, 4, u"前のデータへ", {Ctrl(kUp)}, {}, {Ctrl(kUp)}, {}},
    {702, 4, u"次のデータへ", {Ctrl(kDown)}, {}, {Ctrl(kDown)}, {}},
    {704, 5, u"データ検索", {}, {}, {Ctrl('Q'), Ctrl('Q')}, {}},
    {1209, 2, u"左へ範囲指定", {Shift(kLeft)}, {}, {Shift(kLeft)}, {}},
    {1208, 2, u"右へ範囲指定", {Shift(kRight)}, {}, {Shift(kRight)}, {}},
    {614, 2, u"左へ文節範囲指定", {}, {}, {ShiftCtrl(kLeft)}, {}},
    {615, 2, u"右へ文節範囲指定", {}, {}, {ShiftCtrl(kRight)}, {}},
    {1210, 2, u"上へ範囲指定", {Shift(kUp)}, {}, {Shift(kUp)}, {}},
    {1211, 2, u"下へ範囲指定", {Shift(kDown)}, {}, {Shift(kDown)}, {}},
    {1212, 2, u"上へページ範囲指定", {Shift(kPrior)}, {}, {Shift(kPrior)}, {}},
    {1213, 2, u"下へページ範囲指定", {Shift(kNext)}, {}, {Shift(kNext)}, {}},

    // The wider family, not carried out. Caret movement and jumps:
    {17, 3, u"ブロックの先頭へ", {}, {}, {Ctrl('J'), Ctrl('E')}, {}},
    {18, 3, u"ブロックの末尾へ", {}, {}, {Ctrl('J'), Ctrl('X')}, {}},
    {19, 3, u"指定行へジャンプ", {Ctrl('G')}, {}, {Ctrl('Q'), Ctrl('J')}, {}},
    {20, 10, u"前の単語の末尾へ", {}, {}, {}, {}},
    {21, 3, u"対応する括弧へ", {}, {}, {Ctrl('J'), Ctrl('R')}, {}},
    {22, 3, u"前の編集位置へ", {}, {}, {Ctrl('Q'), Ctrl('G')}, {}},
    {23, 3, u"次の編集位置へ", {}, {}, {Ctrl('Q'), Ctrl('W')}, {}},
    {24, 10, u"カーソル行を画面中央へ", {}, {}, {Ctrl('Q'), Ctrl('T')}, {}},
    {26, 3, u"前の見出しへ", {}, {}, {Ctrl('Q'), kUp}, {}},
    {27, 3, u"次の見出しへ", {}, {}, {Ctrl('Q'), kDown}, {}},
    {28, 3, u"マーク位置を設定", {}, {}, {Ctrl('Q'), Ctrl('M')}, {}},
    {29, 3, u"直前の位置へ戻る", {}, {}, {Ctrl('Q'), kLeft}, {}},
    {30, 3, u"文書の先頭へ", {}, {}, {Ctrl(kHome)}, {}},
    {31, 3, u"指定ページへジャンプ", {}, {}, {Ctrl('Q'), Ctrl('N')}, {}},
    {32, 3, u"しおりを設定", {}, {}, {Ctrl('J'), Ctrl('C')}, {}},
    {33, 3, u"しおりへジャンプ", {}, {}, {Ctrl('J'), Ctrl('K')}, {}},
    {34, 10, u"次の単語の末尾へ", {}, {}, {}, {}},
    {35, 10, u"前の文へ", {}, {}, {}, {}},
    {36, 10, u"次の文へ", {}, {}, {}, {}},
    {37, 10, u"前のページの先頭へ", {}, {}, {}, {}},
    {38, 10, u"次のページの先頭へ", {}, {}, {}, {}},
    {39, 10, u"半ページ上へ", {}, {}, {}, {}},
    {40, 10, u"半ページ下へ", {}, {}, {}, {}},
    // Deleting and inserting:
    {104, 10, u"行末まで削除", {}, {}, {Ctrl('Q'), Ctrl('Y')}, {}},
    {105, 10, u"行頭まで削除", {}, {}, {Ctrl('Q'), Ctrl('U')}, {}},
    {107, 10, u"次の単語まで削除", {}, {}, {}, {}},
    {108, 10, u"前の単語まで削除", {}, {}, {}, {}},
    {109, 10, u"段落の削除", {}, {}, {}, {}},
    {110, 10, u"行末の空白の削除", {}, {}, {}, {}},
    {205, 10, u"制御文字の入力", {}, {}, {Ctrl('P')}, {}},
    {206, 10, u"上書きモードの切り替え", {kInsert}, {}, {kInsert}, {Ctrl('V')}},
    {207, 10, u"改ページの挿入", {Ctrl(kReturn)}, {}, {}, {}},
    {208, 10, u"行の複製", {}, {}, {}, {}},
    {209, 10, u"日付の挿入", {}, {}, {}, {}},
    {210, 10, u"時刻の挿入", {}, {}, {}, {}},
    {211, 10, u"罫線の挿入", {}, {}, {}, {}},
    // Find and replace:
    {301, 2, u"検索条件の設定", {}, {}, {}, {}},
    {303, 2, u"次を検索", {Ctrl('L')}, {}, {Ctrl('L')}, {}},
    {304, 2, u"前を検索", {Shift(F(3))}, {}, {}, {}},
    {305, 2, u"置換して次へ", {}, {}, {}, {}},
    {307, 2, u"すべて置換", {}, {}, {}, {}},
    {308, 2, u"検索文字列の強調解除", {}, {}, {}, {}},
    {309, 2, u"ファイルを横断して検索", {}, {}, {}, {}},
    {310, 2, u"逐次検索", {}, {}, {}, {}},
    // Files and printing:
    {401, 1, u"新規作成", {Ctrl('N')}, {}, {Ctrl('K'), Ctrl('N')}, {}},
    {403, 1, u"開く", {Ctrl('O')}, {}, {Ctrl('K'), Ctrl('O')}, {}},
    {404, 1, u"閉じる", {Ctrl('W')}, {}, {Ctrl('K'), Ctrl('Q')}, {}},
    {405, 1, u"名前を付けて保存", {F(12)}, {}, {F(12)}, {}},
    {406, 1, u"ファイル名の変更", {}, {}, {Ctrl('K'), Ctrl('E')}, {}},
    {407, 1, u"保存して閉じる", {}, {}, {Ctrl('K'), Ctrl('X')}, {}},
    {408, 1, u"ファイルの挿入", {}, {}, {Ctrl('K'), Ctrl('R')}, {}},
    {409, 1, u"範囲をファイルへ書き出す", {}, {}, {Ctrl('K'), Ctrl('W')}, {}},
    {410, 1, u"保存して続ける", {}, {}, {Ctrl('K'), Ctrl('D')}, {}},
    {411, 1, u"印刷", {ShiftCtrl('P')}, {}, {ShiftCtrl('P')}, {}},
    {412, 1, u"印刷プレビュー", {}, {}, {}, {}},
    {413, 1, u"ページ設定", {}, {}, {}, {}},
    {414, 1, u"最近使ったファイル", {}, {}, {Ctrl('K'), Ctrl('M')}, {}},
    {415, 1, u"ファイルの検索", {}, {}, {Ctrl('K'), Ctrl('F')}, {}},
    {416, 1, u"すべて保存", {}, {}, {Ctrl('K'), Ctrl('A')}, {}},
    {417, 1, u"ファイルの情報", {}, {}, {Ctrl('K'), Ctrl('I')}, {}},
    {418, 1, u"テキストファイルへ書き出す", {}, {}, {}, {}},
    {419, 1, u"テキストファイルの読み込み", {}, {}, {}, {}},
    {420, 1, u"文字コードを指定して開く", {}, {}, {}, {}},
    {421, 1, u"文字コードを指定して保存", {}, {}, {}, {}},
    // Clipboard and selection:
    {605, 2, u"削除の取り消し", {}, {}, {Ctrl('U')}, {}},
    {606, 2, u"やり直し", {}, {}, {}, {}},
    {607, 2, u"追加コピー", {}, {}, {}, {}},
    {608, 2, u"追加切り取り", {}, {}, {}, {}},
    {609, 2, u"クリップボードの履歴", {}, {}, {}, {}},
    {613, 2, u"すべて選択", {Ctrl('A')}, {}, {}, {}},
    {616, 2, u"単語の選択", {}, {}, {}, {}},
    {617, 2, u"行の選択", {}, {}, {}, {}},
    {618, 2, u"段落の選択", {}, {}, {}, {}},
    {1214, 2, u"矩形範囲指定", {}, {}, {Ctrl('B'), Ctrl('D')}, {}},
    {1215, 2, u"範囲指定の解除", {}, {}, {Ctrl('B'), Ctrl('S')}, {}},
    {1216, 2, u"段落の先頭まで範囲指定", {ShiftCtrl(kUp)}, {}, {ShiftCtrl(kUp)}, {}},
    {1217, 2, u"段落の末尾まで範囲指定", {ShiftCtrl(kDown)}, {}, {ShiftCtrl(kDown)}, {}},
    {1218, 2, u"画面の先頭まで範囲指定", {ShiftCtrl(kPrior)}, {}, {ShiftCtrl(kPrior)}, {}},
    {1219, 2, u"画面の末尾まで範囲指定", {ShiftCtrl(kNext)}, {}, {ShiftCtrl(kNext)}, {}},
    // Memos:
    {703, 4, u"最初のデータへ", {}, {}, {}, {}},
    {705, 4, u"最後のデータへ", {}, {}, {}, {}},
    {706, 4, u"データの削除", {}, {}, {}, {}},
    {707, 4, u"データの一覧", {}, {}, {}, {}},
    {708, 4, u"データのプロパティ", {}, {}, {}, {}},
    {709, 5, u"キーワード検索", {}, {}, {}, {}},
    {710, 5, u"タイトル検索", {}, {}, {}, {}},
    {711, 5, u"検索結果の次へ", {}, {}, {}, {}},
    {712, 5, u"検索結果の前へ", {}, {}, {}, {}},
    // Settings and display:
    {1001, 6, u"折り返し桁数の設定", {}, {}, {Ctrl('O'), Ctrl('W')}, {}},
    {1002, 6, u"余白の設定", {}, {}, {Ctrl('O'), Ctrl('M')}, {}},
    {1003, 6, u"タブ幅の設定", {}, {}, {Ctrl('O'), Ctrl('T')}, {}},
    {1004, 6, u"行間の設定", {}, {}, {Ctrl('O'), Ctrl('L')}, {}},
    {1005, 6, u"禁則処理の設定", {}, {}, {Ctrl('O'), Ctrl('Q')}, {}},
    {1006, 6, u"配色の設定", {}, {}, {Ctrl('O'), Ctrl('B')}, {}},
    {1007, 6, u"表示の設定", {}, {}, {Ctrl('O'), Ctrl('D')}, {}},
    {1008, 6, u"フォントの設定", {}, {}, {Ctrl('O'), Ctrl('S')}, {}},
    {1009, 6, u"ルーラーの設定", {}, {}, {Ctrl('O'), Ctrl('R')}, {}},
    {1010, 6, u"印刷の設定", {}, {}, {Ctrl('O'), Ctrl('P')}, {}},
    {1011, 6, u"行番号の表示切り替え", {}, {}, {Ctrl('Q'), Ctrl('L')}, {}},
    {1012, 6, u"再表示", {Ctrl(F(5))}, {}, {Ctrl(F(5))}, {}},
    {1013, 6, u"ツールバーの表示切り替え", {}, {}, {}, {}},
    {1014, 6, u"ステータスバーの表示切り替え", {}, {}, {}, {}},
    {1015, 6, u"改行マークの表示切り替え", {}, {}, {}, {}},
    {1016, 6, u"タブの表示切り替え", {}, {}, {}, {}},
    {1017, 6, u"全角空白の表示切り替え", {}, {}, {}, {}},
    {1018, 6, u"拡大表示", {}, {}, {}, {}},
    {1019, 6, u"縮小表示", {}, {}, {}, {}},
    // Conversions:
    {1101, 7, u"全角に変換", {Shift(F(5))}, {}, {Shift(F(5))}, {}},
    {1102, 7, u"半角に変換", {Shift(F(6))}, {}, {Shift(F(6))}, {}},
    {1103, 7, u"カタカナに変換", {Shift(F(7))}, {}, {Shift(F(7))}, {}},
    {1104, 7, u"大文字小文字の切り替え", {Ctrl(kOem102)}, {}, {Ctrl(kOem102)}, {}},
    {1105, 7, u"ひらがなに変換", {}, {}, {}, {}},
    {1106, 7, u"大文字に変換", {}, {}, {}, {}},
    {1107, 7, u"小文字に変換", {}, {}, {}, {}},
    {1108, 7, u"タブを空白に変換", {}, {}, {}, {}},
    {1109, 7, u"空白をタブに変換", {}, {}, {}, {}},
    // Tools:
    {801, 8, u"文字数の集計", {}, {}, {}, {}},
    {802, 8, u"行の並べ替え", {}, {}, {}, {}},
    {803, 8, u"マクロの記録", {}, {}, {}, {}},
    {804, 8, u"マクロの実行", {}, {}, {}, {}},
    {805, 8, u"外部コマンドの実行", {}, {}, {}, {}},
    {806, 8, u"辞書を引く", {}, {}, {}, {}},
    // Windows and the program:
    {901, 0, u"アプリケーションの終了", {Shift(kEscape)}, {}, {Shift(kEscape)}, {}},
    {902, 0, u"次のウィンドウへ", {Ctrl(kTab)}, {}, {Ctrl(kTab)}, {}},
    {903, 9, u"ヘルプの目次", {}, {}, {}, {}},
    {904, 0, u"操作の取り消し", {kEscape}, {}, {kEscape}, {}},
    {905, 9, u"バージョン情報", {}, {}, {}, {}},
    {906, 0, u"キー割り当ての変更", {}, {}, {}, {}},
    {907, 0, u"ウィンドウの分割", {}, {}, {}, {}},
};
static_assert(std::size(kFunctions) == 174);
static_assert(std::ranges::all_of(kFunctions, [](const Function& f) {
    return f.category >= 0 && f.category <= 10;
}));

constexpr KeyRow Row(const Function& f, const char16_t* name, Binding windows, Binding diamond)
{
    return {f.category, name, diamond.key1, diamond.key2, windows.key1, windows.key2, f.command};
}

constexpr auto kRows = [] {
    std::array<KeyRow, 2 * std::size(kFunctions)> rows{};
    for (std::size_t i = 0; i < std::size(kFunctions); ++i) {
        const Function& f = kFunctions[i];
        rows[2 * i] = Row(f, f.name, f.windows, f.diamond);
        rows[2 * i + 1] = Row(f, u"", f.windowsMore, f.diamondMore);
    }
    return rows;
}();

Binding KeysIn(const KeyRow& row, int layout)
{
    if (layout == kLayoutWindows)
        return {row.windowsKey1, row.windowsKey2};
    return {row.diamondKey1, row.diamondKey2};
}

} // namespace

std::span<const KeyRow> KeyAssignmentTable()
{
    return kRows;
}

int KeyLookup::Lookup(int keyCode, int layout)
{
    const int prefix = std::exchange(m_pendingPrefix, 0);
    // Rows write "no key" as 0, so a code without a virtual key must not match them.
    if (KeyCode::VirtualKey(keyCode) == 0)
        return 0;
    if (prefix != 0) {
        const auto row = std::ranges::find_if(kRows, [&](const KeyRow& r) {
            const Binding keys = KeysIn(r, layout);
            return keys.key1 == prefix && keys.key2 == keyCode;
        });
        return row == kRows.end() ? 0 : row->command;
    }
    const auto row = std::ranges::find_if(
        kRows, [&](const KeyRow& r) { return KeysIn(r, layout).key1 == keyCode; });
    if (row == kRows.end())
        return 0;
    if (KeysIn(*row, layout).key2 == 0)
        return row->command;
    m_pendingPrefix = keyCode;
    return 0;
}
