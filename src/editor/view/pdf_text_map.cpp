// ToUnicode maps of a printout from the characters it drew (see pdf_text_map.h).
#include "pdf_text_map.h"

#include <QFile>
#include <QIODevice>
#include <QRegularExpression>
#include <QtEndian>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <algorithm>
#include <exception>
#include <map>

namespace {

constexpr quint16 kPostScriptNameId = 6;
constexpr int kEntriesPerBlock = 100; // a bfchar block holds at most 100 entries

// Compatibility ideographs and radicals share glyphs with the unified ideographs that are
// typed; when both were drawn with one glyph, the typed one names it.
bool IsCompatibilityForm(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x2FDF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x2F800 && c <= 0x2FA1F);
}

// The face's PostScript name from its 'name' table (Windows UTF-16BE or Macintosh Roman
// record), with blanks as Qt's writer spells them in PDF names.
QByteArray PostScriptName(const QRawFont& font)
{
    const QByteArray table = font.fontTable("name");
    const auto at = [&](qsizetype offset) {
        return offset + 2 <= table.size() ? qFromBigEndian<quint16>(table.constData() + offset) : quint16(0);
    };
    const qsizetype count = at(2);
    const qsizetype strings = at(4);
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype record = 6 + 12 * i;
        const quint16 platform = at(record);
        if (at(record + 6) != kPostScriptNameId || (platform != 1 && platform != 3))
            continue;
        const QByteArray bytes = table.mid(strings + at(record + 10), at(record + 8));
        QByteArray name;
        if (platform == 3) {
            for (qsizetype k = 0; k + 1 < bytes.size(); k += 2)
                name.append(char(bytes[k + 1])); // PostScript names are ASCII
        } else {
            name = bytes;
        }
        if (!name.isEmpty())
            return name.replace(' ', '_');
    }
    return font.familyName().toLatin1().replace(' ', '_');
}

// The code -> text entries of a ToUnicode CMap as Qt writes it (bfrange with a start value or
// an array of values, and bfchar). Only the first character of each text is kept: enough to
// find the glyph it was made from.
std::map<quint32, char32_t> ReadToUnicode(const QByteArray& cmap)
{
    static const QRegularExpression token(R"(<([0-9A-Fa-f]*)>|\[|\]|beginbfrange|beginbfchar|endbf\w+)");
    std::map<quint32, char32_t> entries;
    const auto firstCharacter = [](const QString& hex) {
        const QByteArray utf16 = QByteArray::fromHex(hex.toLatin1());
        QString text;
        for (qsizetype k = 0; k + 1 < utf16.size(); k += 2)
            text.append(QChar(qFromBigEndian<quint16>(utf16.constData() + k)));
        return text.isEmpty() ? char32_t(0) : char32_t(text.toUcs4().value(0));
    };
    QStringList values;  // the hex values of the entry being read
    bool ranges = false; // in a bfrange block
    bool inArray = false;
    QStringList array;
    for (const QRegularExpressionMatch& m : token.globalMatch(QString::fromLatin1(cmap))) {
        const QString t = m.captured(0);
        if (t == u"beginbfrange" || t == u"beginbfchar") {
            ranges = t == u"beginbfrange";
            values.clear();
        } else if (t == u"[") {
            inArray = true;
            array.clear();
        } else if (t == u"]") {
            inArray = false;
            for (qsizetype k = 0; k < array.size() && values.size() == 2; ++k)
                entries[values[0].toUInt(nullptr, 16) + quint32(k)] = firstCharacter(array[k]);
            values.clear();
        } else if (t.startsWith(u'<')) {
            if (inArray) {
                array.append(m.captured(1));
                continue;
            }
            values.append(m.captured(1));
            if (!ranges && values.size() == 2) {
                entries[values[0].toUInt(nullptr, 16)] = firstCharacter(values[1]);
                values.clear();
            } else if (ranges && values.size() == 3) {
                const quint32 low = values[0].toUInt(nullptr, 16);
                const quint32 high = values[1].toUInt(nullptr, 16);
                const char32_t first = firstCharacter(values[2]);
                for (quint32 code = low; code <= high && high - low < 0x10000; ++code)
                    entries[code] = first + (code - low);
                values.clear();
            }
        }
    }
    return entries;
}

} // namespace

QByteArray CPdfTextMap::Hex4(quint32 code)
{
    return QByteArray::number(code, 16).toUpper().rightJustified(4, '0');
}

int CPdfTextMap::Face(const QRawFont& font)
{
    const QByteArray name = PostScriptName(font);
    for (size_t i = 0; i < m_faces.size(); ++i) {
        if (m_faces[i].postScriptName == name)
            return int(i);
    }
    m_faces.push_back({name, font, {}, {}, {}});
    return int(m_faces.size() - 1);
}

quint32 CPdfTextMap::Note(int face, quint32 glyph, char32_t character)
{
    if (face < 0 || size_t(face) >= m_faces.size() || glyph == 0)
        return 0;
    FaceGlyphs& f = m_faces[size_t(face)];
    const QString text = QString::fromUcs4(&character, 1);
    const auto slot = f.slots.constFind(glyph);
    if (slot == f.slots.cend()) {
        f.slots.insert(glyph, qsizetype(f.glyphs.size()));
        f.glyphs.push_back(glyph);
        f.texts.push_back(text);
        return quint32(f.glyphs.size());
    }
    if (IsCompatibilityForm(f.texts[size_t(*slot)].toUcs4().value(0)) && !IsCompatibilityForm(character))
        f.texts[size_t(*slot)] = text;
    return quint32(*slot + 1);
}

int CPdfTextMap::FaceNamed(QByteArray postScriptName) const
{
    postScriptName = postScriptName.mid(postScriptName.indexOf('+') + 1);
    for (size_t i = 0; i < m_faces.size(); ++i) {
        if (m_faces[i].postScriptName == postScriptName)
            return int(i);
    }
    return -1;
}

QByteArray CPdfTextMap::ToUnicodeMap(int index, QByteArrayView codespace, QByteArray (*code)(quint32 cid)) const
{
    const FaceGlyphs& face = m_faces[size_t(index)];
    QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n" +
                     codespace.toByteArray();
    const size_t count = face.glyphs.size();
    for (size_t first = 0; first < count; first += kEntriesPerBlock) {
        const size_t end = std::min(count, first + kEntriesPerBlock);
        cmap += QByteArray::number(qulonglong(end - first)) + " beginbfchar\n";
        for (size_t i = first; i < end; ++i) {
            QByteArray utf16;
            for (const QChar unit : face.texts[i])
                utf16 += Hex4(unit.unicode());
            cmap += '<' + code(quint32(i + 1)) + "> <" + utf16 + ">\n";
        }
        cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return cmap;
}

// The new maps are appended to the file as an incremental update (new versions of the ToUnicode
// objects, an xref section for them and a trailer pointing back to the old one), so the pages
// are copied as bytes and never parsed: rewriting the whole document through qpdf held every
// object of a 100 000-page printout in memory.
bool CPdfTextMap::Rewrite(const QString& path, QIODevice& out, QString* error) const
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return fail(source.errorString());
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(QFile::encodeName(path).constData());
        QPDFObjectHandle trailer = pdf.getTrailer();
        // Qt writes the fonts after the last page: read objects back from the end of the file
        // up to the first page, so that no page is parsed.
        std::vector<std::pair<qpdf_offset_t, QPDFObjGen>> byOffset;
        for (const auto& [objGen, entry] : pdf.getXRefTable()) {
            if (entry.getType() == 1)
                byOffset.emplace_back(entry.getOffset(), objGen);
        }
        std::sort(byOffset.rbegin(), byOffset.rend());
        std::vector<std::pair<QPDFObjGen, QByteArray>> maps;
        for (const auto& [offset, objGen] : byOffset) {
            QPDFObjectHandle object = pdf.getObject(objGen);
            if (object.isDictionary() && object.getKey("/Type").isNameAndEquals("/Page"))
                break;
            if (!object.isDictionary() || !object.getKey("/Subtype").isNameAndEquals("/Type0"))
                continue;
            QPDFObjectHandle toUnicode = object.getKey("/ToUnicode");
            QPDFObjectHandle baseFont = object.getKey("/BaseFont");
            if (!toUnicode.isStream() || !toUnicode.isIndirect() || !baseFont.isName())
                continue;
            const int index = FaceNamed(QByteArray::fromStdString(baseFont.getName()).mid(1));
            if (index < 0)
                continue;
            const FaceGlyphs* face = &m_faces[size_t(index)];
            const std::shared_ptr<Buffer> old = toUnicode.getStreamData();
            const auto written = ReadToUnicode(QByteArray(reinterpret_cast<const char*>(old->getBuffer()),
                                                          qsizetype(old->getSize())));
            bool agrees = true;
            for (const auto& [code, character] : written) {
                if (code == 0)
                    continue;
                const QList<quint32> glyph = face->font.glyphIndexesForString(QString::fromUcs4(&character, 1));
                agrees = agrees && code <= face->glyphs.size() && !glyph.isEmpty() && glyph[0] == face->glyphs[code - 1];
            }
            if (agrees)
                maps.emplace_back(toUnicode.getObjGen(), ToUnicodeMap(index));
        }

        // The file as Qt wrote it, then the update.
        qint64 size = 0;
        for (QByteArray chunk; !(chunk = source.read(1 << 20)).isEmpty(); size += chunk.size()) {
            if (out.write(chunk) != chunk.size())
                return fail(out.errorString());
        }
        if (source.error() != QFileDevice::NoError)
            return fail(source.errorString());
        if (maps.empty())
            return true;
        const QByteArray tail = (source.seek(std::max<qint64>(0, size - 1024)), source.readAll());
        static const QRegularExpression lastXref(R"(startxref\s+(\d+)\s+%%EOF\s*$)");
        const QRegularExpressionMatch previous = lastXref.match(QString::fromLatin1(tail));
        if (!previous.hasMatch())
            return fail(QStringLiteral("the PDF has no cross-reference offset"));
        QByteArray update = "\n";
        QByteArray xref = "xref\n0 1\n0000000000 65535 f \n";
        for (const auto& [objGen, cmap] : maps) {
            xref += QByteArray::number(objGen.getObj()) + " 1\n" +
                    QByteArray::number(size + update.size()).rightJustified(10, '0') + ' ' +
                    QByteArray::number(objGen.getGen()).rightJustified(5, '0') + " n \n";
            update += QByteArray::number(objGen.getObj()) + ' ' + QByteArray::number(objGen.getGen()) +
                      " obj\n<< /Length " + QByteArray::number(cmap.size()) + " >>\nstream\n" + cmap +
                      "\nendstream\nendobj\n";
        }
        const qint64 xrefAt = size + update.size();
        update += xref + "trailer\n<< /Size " + QByteArray::number(trailer.getKey("/Size").getIntValue()) +
                  " /Root " + QByteArray::fromStdString(trailer.getKey("/Root").unparse());
        if (trailer.hasKey("/Info"))
            update += " /Info " + QByteArray::fromStdString(trailer.getKey("/Info").unparse());
        update += " /Prev " + previous.captured(1).toLatin1() + " >>\nstartxref\n" + QByteArray::number(xrefAt) +
                  "\n%%EOF\n";
        return out.write(update) == update.size() || fail(out.errorString());
    } catch (const std::exception& e) {
        return fail(QString::fromStdString(e.what()));
    }
}
