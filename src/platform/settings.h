// The per-user settings store: QSettings in INI form under the company key "KORVAN".
// Settings are read with their default at each use and written at once when changed, except
// the editor options: those are read once into an EditorOptions snapshot, which its holders
// read again after the options dialog has stored them (a QSettings costs microseconds, a key
// press should cost none of them).
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

// The four options of section "Options" that the editor uses while it runs.
struct EditorOptions {
    QString leftKin;        // may not begin a line
    QString rightKin;       // may not end a line
    int linespaceWider = 0; // 1: wider line spacing
    int keyboardLayout = 0; // kLayoutWindows or kLayoutDiamond
    friend bool operator==(const EditorOptions&, const EditorOptions&) = default;
};
EditorOptions ReadEditorOptions();

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
