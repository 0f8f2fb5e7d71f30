// The program's message texts: the string table entries by id, and the other fixed texts the
// document shows. Texts are the program's own wording, kept exactly as the user sees them.
#pragma once

#include "document/local_database.h"

#include <QString>

enum MessageId : int {
    kMsgOleInitFailed = 100,
    kMsgChangeEncoding = 102,
    kMsgCreateLocalDatabase = 103,
    kMsgCannotOpenLocalDatabase = 104,
    kMsgSaveFontAsDefault = 106,
    kMsgReadError = 108,
    kMsgDeleteMemo = 109,
    kMsgCannotConnectServer = 110,
    kMsgTableCreateFailed = 111,
    kMsgServerConnectionLost = 112,
    kMsgSelectTable = 113,
    kMsgVpnNotConnected = 114,
    kMsgConfirmDropTable = 115,
    kMsgReconfirmDropTable = 116,
    kMsgConfirmCreateTable = 117,
    kMsgDropNeedsServerTable = 118,
    kMsgLocalDatabaseNotice = 119,
    kMsgStoreForAttachments = 120,
    kMsgShowAgain = 121,
    kMsgMailNotice = 122,
    kMsgShareConnectFailed = 150,
    kMsgAttachmentsUnreachable = 153,
};

// The string table entry; empty for an id without one.
QString MessageText(int id);

// "無題": the name of a text without a file.
QString UntitledName();
// "データ数 N".
QString RecordCountText(int count);
QString QrlTextRefusedText();
// The yes/no(/cancel) question before unsaved text is left; `name` is the path or "無題".
QString SaveChangesQuestion(const QString& name);
QString FontSetText();
QString MemoSaveFailedText();
QString MemoDeleteFailedText();
// A body holding NUL cannot be stored: readers of the file end the body at the first NUL.
QString MemoNulRefusedText();
// A memo that could not be read whole: the notice when it is shown, and the question that
// offers to store it as a new memo instead of over its damaged record.
QString DamagedMemoShownText();
// A memo whose header marks are wrong, shown since its body may be whole.
QString SuspectMemoHeaderText();
QString DamagedMemoSaveQuestion();
// "(読み取り専用)" in the window title, and the refusals of a database opened read-only.
QString ReadOnlyTitleMark();
QString ReadOnlySaveRefusedText();
QString ReadOnlyDeleteRefusedText();
// The detail of message 104: why the file could not be opened (empty for kNone).
QString OpenFailureText(CLocalDatabase::OpenFailure failure);
QString DatabaseCreateFailedText();
// A text file that could not be read or written, with its path and the reason.
QString TextFileReadFailedText(const QString& path, const QString& reason);
QString TextFileWriteFailedText(const QString& path, const QString& reason);
// Message 110 followed by the client library's error number.
QString ServerConnectFailedText(int errorNumber);
// A save refused because of characters the server's tables cannot hold, named in `characters`.
QString UnstorableCharactersText(const QString& characters);
// A save of a memo that another client deleted from the server.
QString MemoGoneFromServerText();
// A new memo not saved because the lost connection left its first attempt undecided.
QString SaveUndecidedAfterLostConnectionText();
// The box "エラー" when no ICMP echo can be sent to test whether the server answers.
QString NoEchoMethodText();
// bhmanager could not be started from `path`.
QString VpnManagerStartFailedText(const QString& path);
// A server shortcut naming a table that cannot be opened.
QString ShortcutTableRefusedText(const QString& table);
// A server table that could not be deleted.
QString TableDropFailedText(const QString& table);
// A text file written in place because its folder takes no temporary file: the notice, and the
// failure that leaves the file on disk cut short.
QString TextFileWrittenInPlaceText(const QString& path);
QString TextFileIncompleteText(const QString& path, const QString& reason);
// The status bar's place of the current memo among `count` memos: "n / N", "新規 / N" for a
// memo not stored yet (place 0).
QString MemoPlaceText(int place, int count);
// A mail refused because its body (about `limit` characters of such text would pass) or its
// attachment paths do not fit the command line of the mail program, and a mail program that
// could not be started.
QString MailBodyTooLongText(int limit);
QString MailAttachmentsTooLongText();
QString MailProgramFailedText();
