#include "import_texts.h"

namespace {

constexpr int kTitlesNamed = 20; // a longer list is cut, so the box still fits on the screen

} // namespace

QString ImportDialogCaption()
{
    return QStringLiteral("Sabrelテキストからのインポート");
}

QString ImportDialogExplanation()
{
    return QStringLiteral("Sabrelテキストからテキストデータをインポートします。データ数により、時間がかかることがあります。"
                          "開始する場合は、開始ボタンをクリックしてください。特にインターネット経由（VPN）接続の場合には"
                          "より一層時間がかかることがあります。");
}

QString ImportCounterLabel()
{
    return QStringLiteral("処理行数 / 登録件数");
}

QString ImportCounterText(int lines, int stored)
{
    return QStringLiteral("%1 / %2").arg(lines).arg(stored);
}

QString ImportFinishedText()
{
    return QStringLiteral("登録が終わりました");
}

QString ImportFileUnreadableText(const QString& path)
{
    return QStringLiteral("ファイル %1 を読み込めませんでした。").arg(path);
}

QString ImportNotStoredText(const QStringList& titles, bool storedAny)
{
    QString text = storedAny ? ImportFinishedText() + u'\n' : QStringLiteral("登録できませんでした。\n");
    text += QStringLiteral("登録できなかったメモ: %1 件").arg(titles.size());
    for (const QString& title : titles.mid(0, kTitlesNamed))
        text += QStringLiteral("\n・") + (title.isEmpty() ? QStringLiteral("（無題）") : title);
    if (titles.size() > kTitlesNamed)
        text += QStringLiteral("\nほか %1 件").arg(titles.size() - kTitlesNamed);
    return text;
}

QString ImportFileFilter()
{
    return QStringLiteral("Sabrelテキスト(*.ren)|*.ren|すべてのファイル(*.*)|*.*||");
}
