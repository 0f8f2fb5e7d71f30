// LineImages: display lines drawn into images, kept for the lines the last paint showed. Most
// paints show nearly the same lines as the one before (typing changes one line, the caret
// blinks, a selection grows), so a paint copies the kept image of every unchanged line instead
// of shaping and blending its glyphs again.
//
// A paint of part of the text area (a keystroke repaints the lines it changed) keeps the images
// of the lines it did not paint, up to twice the lines of the last whole paint.
//
// Invariant: every kept image was drawn with the current style (font, line pitch, device pixel
// ratio); SetStyle with another style drops them all.
#pragma once

#include "editor/attr_string.h"

#include <QFont>
#include <QHash>
#include <QPixmap>
#include <span>

class LineImages {
public:
    // The paragraph-end mark's width behind a line's text.
    static constexpr int kParagraphMarkWidth = 8;

    LineImages();

    void SetStyle(const QFont& font, int pitch, qreal devicePixelRatio);
    // A display line's visible text (line feed left out) with its widths, in black, its columns
    // [selectedFrom, selectedTo) in white on the selection colour, on white, one line pitch
    // high; with the paragraph mark behind the text when `endsParagraph`. Characters stand at
    // their widths, tabs too. A null pixmap for a line that shows nothing.
    QPixmap Image(QStringView units, std::span<const uint16_t> widths, int selectedFrom, int selectedTo,
                  bool endsParagraph);
    // Ends a paint: after a paint of the whole text area, or when too many are kept, only the
    // images this paint used are kept.
    void EndPaint(bool wholeArea);

private:
    struct Kept {
        CAttrString text;
        int selectedFrom = 0;
        int selectedTo = 0;
        bool endsParagraph = false;
        QPixmap image;
        quint64 paint = 0; // the last paint that used it
    };
    QPixmap Draw(const Kept& line) const;

    QFont m_font;
    int m_pitch = 0;
    qreal m_devicePixelRatio = 1;
    QPixmap m_paragraphMark;
    // By a hash of the text and its look, so that a lookup compares the line in place and copies
    // it only for a new image.
    QMultiHash<size_t, Kept> m_kept;
    quint64 m_paint = 1; // the paint in progress
    qsizetype m_keptLimit = 0;
};
