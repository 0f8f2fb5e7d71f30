// The import's user-visible texts, kept exactly as the user sees them.
#pragma once

#include <QString>
#include <QStringList>

QString ImportDialogCaption();     // "Sabrelテキストからのインポート"
QString ImportDialogExplanation(); // the dialog's static text
QString ImportCounterLabel();      // "処理行数 / 登録件数"
QString ImportCounterText(int lines, int stored); // "%d / %d"
QString ImportFinishedText();      // "登録が終わりました"
// The file could not be opened or not read to its end.
QString ImportFileUnreadableText(const QString& path);
// Notes that could not be stored: the count and their titles; `storedAny` false when nothing at
// all was stored.
QString ImportNotStoredText(const QStringList& titles, bool storedAny);
// The file dialog's filter: "Sabrelテキスト(*.ren)|*.ren|すべてのファイル(*.*)|*.*||".
QString ImportFileFilter();
