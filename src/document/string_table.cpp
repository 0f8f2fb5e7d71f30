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
    {kMsgCannotConnectServer,
     u"Brindle Hub への接続ができません。VPN 接続が確立されているか、IDやPasswordを確認してください。"},
    {kMsgServerConnectionLost,
     u"データベースへの接続が確認できません。VPNで正常に接続されているか、Brindle Hubが動作しているか確認してください。"},
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

QString ServerConnectFailedText(int errorNumber)
{
    return MessageText(kMsgCannotConnectServer) + QStringLiteral("(Error number : %1)").arg(errorNumber);
}

QString UnstorableCharactersText(const QString& characters)
{
    return QStringLiteral("サーバーのデータベースに保存できない文字が含まれているため、保存できませんでした。\n%1")
        .arg(characters);
}

QString MemoGoneFromServerText()
{
    return QStringLiteral("このデータはサーバー上で削除されているため、保存できませんでした。");
}

QString SaveUndecidedAfterLostConnectionText()
{
    return QStringLiteral("サーバーとの接続が切れ、保存が済んだか確かめられないため、保存を中止しました。");
}
