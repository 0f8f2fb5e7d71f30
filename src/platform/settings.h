// The per-user settings store: QSettings in INI form under the company key "KORVAN".
// Settings are read with their default at each use and written at once when changed.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Makes every default-constructed QSettings of the process the program's own store.
void InitSettingsIdentity();

// Characters that may not begin a display line ("Options"/"LeftKin").
QString ReadLeftKin();
// Characters that may not end a display line ("Options"/"RightKin").
QString ReadRightKin();

// The iconv name of the code page of "ANSI" text files ("Options"/"AnsiCodePage"), CP932 unless set.
QByteArray ReadAnsiCodePage();

// 1 when the user asked for wider line spacing ("Options"/"LinespaceWider", default 0).
int ReadLinespaceWider();
// The key layout of the editor ("Options"/"KeyboardLayout"): 0 Windows standard, any other
// value the diamond cursor layout.
int ReadKeyboardLayout();

// The default font of new memos ("Font"/"DefaultFontLog"): a 92-byte LOGFONTW image,
// present only when exactly 92 bytes are stored.
std::optional<QByteArray> ReadDefaultFontLog();
bool WriteDefaultFontLog(const QByteArray& logFont);

// The host of the web search service ("Options/WebSearchHost"), empty until the user sets it
// in the options dialog; it may carry "http://" for a service without TLS.
QString ReadWebSearchHost();
void WriteWebSearchHost(const QString& host);

// The main window's size and place as QWidget::saveGeometry gives them
// ("Options/WindowGeometry"), empty until the program first quit.
QByteArray ReadWindowGeometry();
void WriteWindowGeometry(const QByteArray& geometry);
