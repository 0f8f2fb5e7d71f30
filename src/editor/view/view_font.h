// Fonts of the editor view: a memo's LOGFONTW as a QFont and back, and the substitution that
// lets the Windows Mincho faces that memos name resolve to the IPA Mincho faces installed here.
// Face names stay as stored: the substitution acts when Qt matches a font, so a memo keeps the
// face it was written with, and a substitute chosen in the font dialog is stored under the
// face it stands in for.
#pragma once

#include "document/memo_header.h"

#include <QFont>

// Registers the Mincho substitutions with QFont. Call once, after the application object.
void InstallFontSubstitutions();

// The QFont of a LOGFONTW: the face as stored, pixel size |lfHeight| (the page format's font
// height: 16 for 0, at most 4095), weight, italic, underline and strike-out. Kerning is off so
// that text drawn in one piece advances by exactly the widths measured character by character.
QFont FontFromLogFont(const LogFontW& logFont);

// The LOGFONTW of a font (as the font dialog returns it). Fields that Qt does not know (width,
// escapement, orientation, character set, precisions, quality, pitch) come from `base`.
LogFontW LogFontFromFont(const QFont& font, const LogFontW& base);
