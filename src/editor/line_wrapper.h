// Wrapping a paragraph into display lines at a fixed text width with the Japanese
// line-breaking rules: one hanging character of LeftKin per line, push-back of a RightKin
// character to the next line, and tab stops every four space widths.
#pragma once

#include <QString>

class CharMeasurer;
class CTextPara;

struct WrapSettings {
    CharMeasurer* measurer = nullptr;
    int textWidth = 0;   // pixels available to a display line
    QString leftKin;     // may not begin a display line (may hang past the edge)
    QString rightKin;    // may not end a display line (moves to the next one)
};

// Measures the paragraph's characters when `remeasure` is set, then recomputes its breaks and
// line count and marks it laid out. Returns the number of display lines.
int WrapParagraph(CTextPara& para, const WrapSettings& settings, bool remeasure);
