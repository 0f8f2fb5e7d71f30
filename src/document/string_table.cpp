// The message texts (see string_table.h).
#include "string_table.h"

#include <QStringView>

namespace {

struct Entry {
    int id;
    QStringView text;
};

constexpr Entry kEntries[] = {
    {kMsgOleInitFailed, u"OLE の初期化に失敗しました。OLE ライブラリのバージョンが正しいことを確認してください。"},
    {kMsgChangeEncoding, u"通常はUNICODEを使います。文字コードを変更すると保存できなくなる場合があります。変更しますか？"},
    {kMsgCreateLocalDatabase, u"指定したローカルデータベースファイルは存在しません。新規に作成しますか？"},
    {kMsgCannotOpenLocalDatabase, u"ローカルデータベースファイルを開けませんでした。"},
    {kMsgSaveFontAsDefault, u"このフォントを初期値として保存しますか？"},
    {kMsgDeleteMemo, u"表示中のデータを削除しますか？"},
    {kMsgLocalDatabaseNotice,
     u"Nubrick は通常データをBrindle Hubに置き、クライアント・サーバー型のデータベースソフトとして使います。"
     u"ローカルデータベースでは一部機能が利用できないだけではなく、本来の性能を発揮できません。"
     u"ローカルデータベースを使う場合は OK をクリックしてください。"},
    {kMsgShowAgain, u"このメッセージを次回も表示しますか？"},
    {kMsgMailNotice,
     u"添付ファイルも含めメールメッセージを作成します。OutlookなどMAPIに対応している場合のみ利用できます。"
     u"メールソフトによってはご利用いただけません。\n\n"
     u"注意：UNICODE でのみ定義された文字を含む場合は文字を変換できないことがあります。\n"},
};

} // namespace

QString MessageText(int id)
{
    for (const Entry& entry : kEntries) {
        if (entry.id == id)
            return entry.text.toString();
    }
    return {};
}

QString UntitledName()
{
    return QStringLiteral("無題");
}

QString RecordCountText(int count)
{
    return QStringLiteral("データ数 %1").arg(count);
}

QString QrlTextRefusedText()
{
    return QStringLiteral(".qrl ファイルにはテキストを保存できません");
}

QString SaveChangesQuestion(const QString& name)
{
    return QStringLiteral("%1 への変更を保存しますか？").arg(name);
}

QString FontSetText()
{
    return QStringLiteral("設定しました");
}

QString MemoSaveFailedText()
{
    return QStringLiteral("データを保存できませんでした。");
}

QString MemoDeleteFailedText()
{
    return QStringLiteral("データを削除できませんでした。");
}

QString TextFileReadFailedText(const QString& path, const QString& reason)
{
    return QStringLiteral("ファイルを読み込めませんでした。\n%1\n%2").arg(path, reason);
}

QString TextFileWriteFailedText(const QString& path, const QString& reason)
{
    return QStringLiteral("ファイルを保存できませんでした。\n%1\n%2").arg(path, reason);
}

QString MemoNulRefusedText()
{
    return QStringLiteral("本文に NUL 文字 (U+0000) が含まれているため保存できません。NUL 文字を取り除いてから保存してください。");
}

QString DamagedMemoShownText()
{
    return QStringLiteral("このデータは壊れているため、読み込めた部分だけを表示しています。");
}

QString DamagedMemoSaveQuestion()
{
    return QStringLiteral("このデータは壊れていて一部しか読み込めなかったため、元の場所には保存できません。"
                          "新しいデータとして保存しますか？");
}

QString ReadOnlyTitleMark()
{
    return QStringLiteral("(読み取り専用)");
}

QString ReadOnlySaveRefusedText()
{
    return QStringLiteral("このローカルデータベースファイルは読み取り専用で開いているため、保存できません。");
}

QString ReadOnlyDeleteRefusedText()
{
    return QStringLiteral("このローカルデータベースファイルは読み取り専用で開いているため、削除できません。");
}

QString OpenFailureText(CLocalDatabase::OpenFailure failure)
{
    using Failure = CLocalDatabase::OpenFailure;
    switch (failure) {
    case Failure::kNone:
        break;
    case Failure::kMissing:
        return QStringLiteral("ファイルが見つかりません。");
    case Failure::kNoPermission:
        return QStringLiteral("ファイルを開く権限がありません。");
    case Failure::kLocked:
        return QStringLiteral("ほかのプログラムがこのファイルを使用しています。");
    case Failure::kNotDatabase:
        return QStringLiteral("ローカルデータベースファイルではありません。");
    case Failure::kJournal:
        return QStringLiteral("前回の保存が途中で終わっていて、元に戻せませんでした。");
    case Failure::kIo:
        return QStringLiteral("ファイルを読み込めませんでした。");
    }
    return {};
}

QString DatabaseCreateFailedText()
{
    return QStringLiteral("ファイルを作成できませんでした。");
}

QString TextFileWrittenInPlaceText(const QString& path)
{
    return QStringLiteral("フォルダーに一時ファイルを作れないため、%1 に直接書き込みました。").arg(path);
}

QString TextFileIncompleteText(const QString& path, const QString& reason)
{
    return QStringLiteral("ファイルを保存できませんでした。直接書き込んでいたため、ディスク上のファイルは不完全です。\n%1\n%2")
        .arg(path, reason);
}
