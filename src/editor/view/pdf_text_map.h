// CPdfTextMap: which characters a printout drew with each glyph of each font face, and the
// rewrite that gives a PDF written by Qt a ToUnicode map built from them, so that the printed
// text is found and copied as it was typed.
//
// Why: Qt 6.4's PDF writer builds a face's ToUnicode map from the face's own character map,
// U+0000 to U+FFFF only, keeping the lowest code point of each glyph. A CJK face that shares a
// glyph between 日 and the Kangxi radical ⽇ (U+2F47) then copies as the radical, and characters
// beyond the BMP (𠮷) copy as nothing.
//
// What Qt writes (checked on its output): each face is one Type0 font, Identity-H, whose
// embedded subset is renumbered so that CID 0 is .notdef and CID n is the n-th distinct glyph the
// writer met in that face, in drawing order (CIDToGIDMap /Identity). The PDF font is named by the
// face's PostScript name.
//
// The same maps serve the PDF writer of page_printer.h, whose fonts number their glyphs in the
// noted order too (see pdf_page_writer.h).
//
// Invariants: the glyphs of a face are noted in the order they are handed to the painter, so the
// n-th glyph noted is CID n; every noted glyph has its text. A PDF font whose existing map
// disagrees with the noted order (a glyph of a listed code point that is not the noted one) keeps
// the map Qt wrote: a map that is only incomplete is better than a wrong one.
#pragma once

#include <QHash>
#include <QRawFont>
#include <QString>
#include <vector>

class QIODevice;

class CPdfTextMap {
public:
    // The face index of a raw font, for Note; raw fonts of one face (by PostScript name) share it.
    int Face(const QRawFont& font);
    // `character` was drawn as `glyph` of `face`. Call before the glyph is drawn, at least the
    // first time each character is drawn. Glyph 0 (.notdef) is not mapped. Returns the glyph's
    // CID (0 for glyph 0 or an unknown face).
    quint32 Note(int face, quint32 glyph, char32_t character);

    int FaceCount() const { return int(m_faces.size()); }
    const QRawFont& FaceFont(int face) const { return m_faces[size_t(face)].font; }
    // The face's noted glyphs in CID order: element n - 1 is CID n.
    const std::vector<quint32>& Glyphs(int face) const { return m_faces[size_t(face)].glyphs; }
    // The face of a PDF font name (a subset tag, should it carry one, ignored); -1 if none.
    int FaceNamed(QByteArray postScriptName) const;
    // The ToUnicode CMap of a face's noted glyphs, each under its code: by default the CID in two
    // bytes (Identity-H). `codespace` is the CMap's codespace ranges, `code` the hex digits of a
    // CID's code.
    QByteArray ToUnicodeMap(int face,
                            QByteArrayView codespace = "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n",
                            QByteArray (*code)(quint32 cid) = Hex4) const;
    // Four hex digits.
    static QByteArray Hex4(quint32 code);

    // Copies the PDF at `path` to `out`, followed by an update that replaces the ToUnicode map of
    // every font this map knows. False with `error` set when the PDF cannot be read or written.
    bool Rewrite(const QString& path, QIODevice& out, QString* error) const;

private:
    struct FaceGlyphs {
        QByteArray postScriptName;
        QRawFont font;
        std::vector<quint32> glyphs;     // in the order first drawn: glyphs[n - 1] is CID n
        std::vector<QString> texts;      // the text each glyph stands for
        QHash<quint32, qsizetype> slots; // glyph -> index in glyphs
    };

    std::vector<FaceGlyphs> m_faces;
};
