// LogFont text: a memo's font as one string, the form the server's LogFont column holds:
// "//" then sixteen comma-separated decimal integers (AttachCount, FontExtraB, FontExtraC and
// the thirteen numeric LOGFONTW fields, byte fields as 0..255) and the face name.
#pragma once

#include "document/memo_header.h"

#include <QString>

// The text of the header's AttachCount, FontExtraB, FontExtraC and font.
QString LogFontText(const MemoHeader& header);

// Reads a LogFont text into the header's AttachCount, FontExtraB, FontExtraC and font. A text
// without "//" is the older form without AttachCount (read as 0). A missing comma stops reading:
// the values read so far are kept and the face name stays as it was.
void ReadLogFontText(const QString& text, MemoHeader& header);
