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
    {kMsgReadError, u"読み込みエラーが発生しました。処理を中止します。"},
    {kMsgDeleteMemo, u"表示中のデータを削除しますか？"},
    {kMsgCannotConnectServer,
     u"Brindle Hub への接続ができません。VPN 接続が確立されているか、IDやPasswordを確認してください。"},
    {kMsgTableCreateFailed, u"テーブルの作成に失敗しました。"},
    {kMsgServerConnectionLost,
     u"データベースへの接続が確認できません。VPNで正常に接続されているか、Brindle Hubが動作しているか確認してください。"},
    {kMsgSelectTable, u"テーブルを選択してください。"},
    {kMsgVpnNotConnected,
     u"Brindle Hub(%1) とのVPN接続が確立していません。Brindle Hub VPN Managerを起動しますか？"
     u"（接続先 %1 を変更する場合は、「いいえ」をクリックしてください）"},
    {kMsgConfirmDropTable,
     u"選択したデータベースファイル(%1)を削除します。削除すると%1に登録されている%2件のデータは復活できなくなります。"
     u" %1以外のデータベースファイルは削除されません）\n\n削除しますか？"},
    {kMsgReconfirmDropTable, u"データベースファイル(%1,登録件数%2件)の削除を実行します。本当によろしいですか？"},
    {kMsgConfirmCreateTable,
     u"通常、データベースファイルは１つ作成すれば十分です。\n新規にデータベースファイル(%1)を作成しますか？"},
    {kMsgDropNeedsServerTable,
     u"データをドロップできるのは Outlook のメッセージのみで、Brindle Hub 上のデータベースファイルが開いている必要があります。"},
    {kMsgLocalDatabaseNotice,
     u"Nubrick は通常データをBrindle Hubに置き、クライアント・サーバー型のデータベースソフトとして使います。"
     u"ローカルデータベースでは一部機能が利用できないだけではなく、本来の性能を発揮できません。"
     u"ローカルデータベースを使う場合は OK をクリックしてください。"},
    {kMsgStoreForAttachments, u"添付フォルダを使うには、データを保存する必要があります。保存しますか？"},
    {kMsgShowAgain, u"このメッセージを次回も表示しますか？"},
    {kMsgMailNotice,
     u"添付ファイルも含めメールメッセージを作成します。OutlookなどMAPIに対応している場合のみ利用できます。"
     u"メールソフトによってはご利用いただけません。\n\n"
     u"注意：UNICODE でのみ定義された文字を含む場合は文字を変換できないことがあります。\n"},
    {kMsgShareConnectFailed, u"Brindle Hub に接続ができませんでした。"},
    {kMsgAttachmentsUnreachable, u"添付ファイルにアクセスできませんでした。"},
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

QString NoEchoMethodText()
{
    return QStringLiteral("接続先が応答するか確かめるための ICMP エコーを送れません。"
                          "ICMP ソケットを使う権限がなく（net.ipv4.ping_group_range）、ping コマンドも使えません。");
}

QString VpnManagerStartFailedText(const QString& path)
{
    return QStringLiteral("Brindle Hub VPN Managerを起動できませんでした。次の場所を探しました：\n%1").arg(path);
}

QString ShortcutTableRefusedText(const QString& table)
{
    return QStringLiteral("サーバーショートカットのテーブル名(%1)は開けません。テーブル名に使えるのは英数字、_、$ と"
                          "全角の文字で、1～64 文字、数字だけではない名前です。")
        .arg(table);
}

QString TableDropFailedText(const QString& table)
{
    return QStringLiteral("データベースファイル(%1)を削除できませんでした。").arg(table);
}

QString MemoNulRefusedText()
{
    return QStringLiteral("本文に NUL 文字 (U+0000) が含まれているため保存できません。NUL 文字を取り除いてから保存してください。");
}

QString DamagedMemoShownText()
{
    return QStringLiteral("このデータは壊れているため、読み込めた部分だけを表示しています。");
}

QString SuspectMemoHeaderText()
{
    return QStringLiteral("このデータの見出し部分に誤りがあります。本文は読み込めましたが、内容を確かめてください。");
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

QString MemoPlaceText(int place, int count)
{
    return QStringLiteral("%1 / %2").arg(place > 0 ? QString::number(place) : QStringLiteral("新規")).arg(count);
}

QString MailBodyTooLongText(int limit)
{
    return QStringLiteral("本文が長すぎるため、メールを作成できませんでした。メールソフトに渡せる本文はおよそ %1 文字までです。"
                          "本文を短くしてから、もう一度送信してください。")
        .arg(limit);
}

QString MailAttachmentsTooLongText()
{
    return QStringLiteral("添付ファイルの名前が長すぎるため、メールを作成できませんでした。");
}

QString MailProgramFailedText()
{
    return QStringLiteral("メールソフトを起動できませんでした。");
}
