// Printed pages written straight to a PDF (see pdf_page_writer.h).
#include "pdf_page_writer.h"

#include "editor/view/pdf_text_map.h"

#include <QBuffer>
#include <QGlyphRun>
#include <QPainter>
#include <QPdfWriter>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <functional>
#include <future>
#include <map>
#include <string_view>
#include <utility>
#include <libdeflate.h>

namespace {

// Fast deflate: text content compresses about as well at level 1, several times sooner.
constexpr int kDeflateLevel = 1;
// A page of little text goes out as it is: each deflated stream costs a fixed 6 µs or so (the
// compressor clears its hash table and builds its codes), more than the few hundred bytes it
// saves are worth: a document of short lines printed almost twice as slowly.
constexpr qsizetype kSmallestDeflatedPage = 1024;
// Pages are handed to the deflating thread in batches of about this many bytes: few enough
// hand-overs that starting a thread for each costs nothing to speak of.
constexpr qsizetype kBatchBytes = 256 * 1024;
// A glyph this close to where the previous advance put it needs no number between them.
constexpr qreal kPlaceTolerance = 0.001;

// Room a glyph may take in a content stream: its escaped code and a number before it.
constexpr qsizetype kGlyphRoom = 4 + 2 + 24;
// Room for the operators that begin a run.
constexpr qsizetype kRunRoom = 160;

// Writes a PDF number at `out`: at most three decimals, no trailing zeros, at most 24 bytes.
// In whole thousandths, which is several times sooner than formatting the double.
char* PutNumber(char* out, qreal value)
{
    const qint64 thousandths = std::isnan(value) ? 0 : std::llround(std::clamp(value, -1e9, 1e9) * 1000);
    if (thousandths < 0)
        *out++ = '-';
    const quint64 magnitude = quint64(thousandths < 0 ? -thousandths : thousandths);
    out = std::to_chars(out, out + 20, magnitude / 1000).ptr;
    const int digits[] = {int(magnitude / 100 % 10), int(magnitude / 10 % 10), int(magnitude % 10)};
    const int decimals = digits[2] ? 3 : digits[1] ? 2 : digits[0] ? 1 : 0;
    if (decimals > 0)
        *out++ = '.';
    for (int i = 0; i < decimals; ++i)
        *out++ = char('0' + digits[i]);
    return out;
}

char* Put(char* out, std::string_view text)
{
    return std::copy(text.begin(), text.end(), out);
}

char* PutInteger(char* out, qint64 value)
{
    return std::to_chars(out, out + 20, value).ptr;
}

QByteArray Number(qreal value)
{
    char text[24];
    return QByteArray(text, PutNumber(text, value) - text);
}

// Glyph codes: CIDs below 0x80 are one byte, the others two bytes from 0x8000, so that a text
// of few glyphs (Latin, kana) deflates from half the bytes.
constexpr quint32 kOneByteCids = 0x80;
constexpr quint32 kTwoByteBase = 0x8000;
constexpr quint32 kCidLimit = 0x8000; // a face drawing more glyphs goes to Qt's writer
constexpr char kCodespace[] = "2 begincodespacerange\n<00> <7F>\n<8000> <FFFF>\nendcodespacerange\n";
constexpr char kEncodingName[] = "Quirel-OneOrTwoBytes";

QByteArray HexCode(quint32 cid)
{
    return cid < kOneByteCids ? QByteArray::number(cid, 16).toUpper().rightJustified(2, '0')
                              : CPdfTextMap::Hex4(kTwoByteBase + cid);
}

// The CMap of the codes above, for the fonts' /Encoding.
QByteArray EncodingCMap()
{
    return QByteArray("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> def\n"
                      "/CMapName /") +
           kEncodingName + " def\n/CMapType 1 def\n" + kCodespace +
           "2 begincidrange\n<00> <7F> 0\n<8000> <FFFF> 0\nendcidrange\n"
           "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

// A glyph's code inside a literal string; a carriage return is escaped, or a reader would take
// it for a line end.
char* PutCode(char* out, quint32 cid)
{
    const auto put = [&out](char byte) {
        if (byte == '(' || byte == ')' || byte == '\\' || byte == '\r') {
            *out++ = '\\';
            *out++ = byte == '\r' ? 'r' : byte;
        } else {
            *out++ = byte;
        }
    };
    if (cid >= kOneByteCids)
        put(char((kTwoByteBase + cid) >> 8));
    put(char(cid));
    return out;
}

QByteArray Reference(int number)
{
    return QByteArray::number(number) + " 0 R";
}

// The one-page PDF in which Qt's writer meets each face's noted glyphs in CID order.
QByteArray QtFontSubsets(const CPdfTextMap& map)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    for (int face = 0; face < map.FaceCount(); ++face) {
        const std::vector<quint32>& glyphs = map.Glyphs(face);
        if (glyphs.empty())
            continue;
        QGlyphRun run;
        run.setRawFont(map.FaceFont(face));
        run.setGlyphIndexes(QList<quint32>(glyphs.begin(), glyphs.end()));
        run.setPositions(QList<QPointF>(qsizetype(glyphs.size())));
        painter.drawGlyphRun({}, run);
    }
    painter.end();
    return pdf;
}

// Writes the objects of another PDF reached from the ones asked for, renumbered after ours.
class ObjectCopier {
public:
    explicit ObjectCopier(std::function<int()> newObject) : m_newObject(std::move(newObject)) {}

    int NumberOf(QPDFObjectHandle object)
    {
        const auto [at, added] = m_numbers.try_emplace(object.getObjGen(), 0);
        if (added) {
            at->second = m_newObject();
            m_pending.emplace_back(object, at->second);
        }
        return at->second;
    }
    // The next object to write with its number and body; false when all are written.
    bool Next(int& number, QByteArray& body)
    {
        if (m_pending.empty())
            return false;
        const auto [object, n] = m_pending.back();
        m_pending.pop_back();
        number = n;
        body = Body(object);
        return true;
    }

private:
    QByteArray Value(QPDFObjectHandle object)
    {
        if (object.isIndirect())
            return Reference(NumberOf(object));
        return Direct(object);
    }
    QByteArray Direct(QPDFObjectHandle object, const char* skippedKey = nullptr)
    {
        QByteArray text;
        if (object.isDictionary()) {
            text = "<<";
            for (const auto& [key, value] : object.getDictAsMap()) {
                if (key != (skippedKey ? skippedKey : ""))
                    text += ' ' + QByteArray::fromStdString(QPDFObjectHandle::newName(key).unparse()) + ' ' +
                            Value(value);
            }
            return text + " >>";
        }
        if (object.isArray()) {
            text = "[";
            for (const QPDFObjectHandle& item : object.getArrayAsVector())
                text += Value(item) + ' ';
            return text + ']';
        }
        return QByteArray::fromStdString(object.unparse());
    }
    QByteArray Body(QPDFObjectHandle object)
    {
        if (!object.isStream())
            return Direct(object);
        // The data is copied as stored; its length is written anew.
        const std::shared_ptr<Buffer> data = object.getRawStreamData();
        QByteArray dictionary = Direct(object.getDict(), "/Length");
        dictionary.chop(2);
        return dictionary + "/Length " + QByteArray::number(qulonglong(data->getSize())) + " >>\nstream\n" +
               QByteArray(reinterpret_cast<const char*>(data->getBuffer()), qsizetype(data->getSize())) + "\nendstream";
    }

    std::function<int()> m_newObject;
    std::map<QPDFObjGen, int> m_numbers;
    std::vector<std::pair<QPDFObjectHandle, int>> m_pending;
};

} // namespace

// A compressor for one thread's pages: a page's content is one whole buffer, which libdeflate
// compresses two to three times sooner than zlib's streaming deflate at the same level.
struct CPdfPageWriter::Deflater {
    struct FreeCompressor {
        void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
    };
    std::unique_ptr<libdeflate_compressor, FreeCompressor> compressor{libdeflate_alloc_compressor(kDeflateLevel)};
    QByteArray out;

    // The zlib stream of `data`; empty when the compressor could not be made.
    QByteArrayView Deflate(QByteArrayView data)
    {
        if (!compressor)
            return {};
        out.resize(qsizetype(libdeflate_zlib_compress_bound(compressor.get(), size_t(data.size()))));
        const size_t size =
            libdeflate_zlib_compress(compressor.get(), data.data(), size_t(data.size()), out.data(), size_t(out.size()));
        return QByteArrayView(out).first(qsizetype(size));
    }
};

CPdfPageWriter::CPdfPageWriter(QIODevice& out, QSizeF paperPoints, QSizeF pagePixels)
    : m_out(out),
      m_pageStart("q " + Number(paperPoints.width() / pagePixels.width()) + " 0 0 " +
                  Number(-paperPoints.height() / pagePixels.height()) + " 0 " + Number(paperPoints.height()) +
                  " cm 0 g BT\n"),
      m_pageObject("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Number(paperPoints.width()) + ' ' +
                   Number(paperPoints.height()) + "] /Resources 3 0 R /Contents "),
      m_workerDeflater(std::make_unique<Deflater>()),
      m_ownDeflater(std::make_unique<Deflater>())
{
    Write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

CPdfPageWriter::~CPdfPageWriter() = default;

int CPdfPageWriter::NewObject()
{
    m_offsets.push_back(0);
    return int(m_offsets.size() - 1);
}

void CPdfPageWriter::BeginObject(int number)
{
    m_offsets[size_t(number)] = m_written;
    Write(QByteArray::number(number) + " 0 obj\n");
}

void CPdfPageWriter::Write(QByteArrayView bytes)
{
    if (m_failed)
        return;
    m_failed = m_out.write(bytes.data(), bytes.size()) != bytes.size();
    m_written += bytes.size();
}

void CPdfPageWriter::BeginPage()
{
    // Page pixels, y downwards, onto the paper. Resizing keeps the buffers' room from page to page.
    m_content.resize(0);
    m_content += m_pageStart;
    m_face = -1;
    m_inLine = false;
    m_leading = 0;
}

void CPdfPageWriter::Run(int face, qreal pixelSize, qreal baseline, std::span<const PlacedGlyph> glyphs)
{
    if (glyphs.empty() || face < 0 || pixelSize <= 0)
        return;
    if (size_t(face) >= m_glyphs.size())
        m_glyphs.resize(size_t(face) + 1);
    std::vector<CodedGlyph>& coded = m_glyphs[size_t(face)];
    const qsizetype start = m_content.size();
    m_content.resize(start + kRunRoom + qsizetype(glyphs.size()) * kGlyphRoom);
    char* out = m_content.data() + start;
    if (face != m_face || pixelSize != m_size) {
        out = PutNumber(Put(out, "/F"), face);
        out = Put(PutNumber(Put(out, " "), pixelSize), " Tf\n");
        m_face = face;
        m_size = pixelSize;
    }
    // The text matrix turns the glyphs upright again, so text space runs y upwards. A line
    // begins relative to the previous one; a run that goes on where the last one ended (in
    // another face) needs no move.
    const qreal x0 = glyphs[0].x;
    const qreal dx = x0 - m_lineX;
    const qreal dy = baseline - m_lineY;
    bool moved = true;     // a new line begins at x0
    bool nextLine = false; // by T*
    if (!m_inLine) {
        out = Put(PutNumber(Put(PutNumber(Put(out, "1 0 0 -1 "), x0), " "), baseline), " Tm");
    } else if (dy == 0 && std::abs(x0 - m_textX) <= kPlaceTolerance) {
        moved = false;
    } else if (dx == 0 && dy > 0) {
        if (dy != m_leading)
            out = Put(PutNumber(out, dy), " TL ");
        out = Put(out, "T*");
        m_leading = dy;
        nextLine = true;
    } else {
        out = Put(PutNumber(Put(PutNumber(out, dx), " "), -dy), " Td");
    }
    m_inLine = true;
    if (moved) {
        m_lineX = x0;
        m_lineY = baseline;
    }

    char* const open = out;
    out = Put(out, "[(");
    bool placed = false; // a number moves a glyph
    qreal x = x0;        // where the font's widths put the next glyph
    const qreal pixelsPerUnit = pixelSize / 1000; // a multiplication in the loop, not a division
    // The table is read through locals: the content's bytes are stored through a char pointer,
    // after which the vector's own fields would be loaded again on every glyph.
    CodedGlyph* codes = coded.data();
    size_t codeCount = coded.size();
    for (const PlacedGlyph& glyph : glyphs) {
        if (std::abs(glyph.x - x) > kPlaceTolerance) {
            out = Put(PutNumber(Put(out, ")"), (x - glyph.x) * 1000 / pixelSize), "(");
            placed = true;
        }
        if (glyph.cid >= codeCount) {
            m_tooManyGlyphs = m_tooManyGlyphs || glyph.cid >= kCidLimit;
            coded.resize(glyph.cid + 1);
            codes = coded.data();
            codeCount = coded.size();
        }
        CodedGlyph& known = codes[glyph.cid];
        if (known.width < 0) {
            known.width = std::round(glyph.advance * 1000 / pixelSize * 1000) / 1000;
            known.length = quint8(PutCode(known.code.data(), glyph.cid) - known.code.data());
        }
        std::memcpy(out, known.code.data(), known.code.size());
        out += known.length;
        x = glyph.x + known.width * pixelsPerUnit;
    }
    m_textX = x;
    if (placed) {
        out = Put(out, ")]TJ\n");
    } else {
        // One string: "(s)Tj", or "(s)'" for T* and Tj.
        char* const start = nextLine ? open - 2 : open;
        *start = '(';
        const qsizetype codes = out - (open + 2);
        std::memmove(start + 1, open + 2, size_t(codes));
        out = Put(start + 1 + codes, nextLine ? ")'\n" : ")Tj\n");
    }
    m_content.truncate(out - m_content.constData());
}

void CPdfPageWriter::EndPage()
{
    m_content += "ET Q\n";
    const qsizetype size = m_content.size();
    m_endedBytes += size;
    m_ended.push_back({std::exchange(m_content, {})});
    m_content.reserve(size);
    if (m_endedBytes >= kBatchBytes)
        SendBatch();
}

void CPdfPageWriter::SendBatch()
{
    WriteDeflatedBatch();
    if (m_ended.empty())
        return;
    m_deflating = std::exchange(m_ended, {});
    m_endedBytes = 0;
    m_nextToDeflate = 0;
    // Run here instead when no thread can be started.
    m_deflated = std::async(std::launch::async | std::launch::deferred, [this] { DeflateBatch(*m_workerDeflater); });
}

void CPdfPageWriter::DeflateBatch(Deflater& deflater)
{
    for (size_t i; (i = m_nextToDeflate++) < m_deflating.size();) {
        PageContent& page = m_deflating[i];
        page.deflated = page.bytes.size() >= kSmallestDeflatedPage;
        if (page.deflated)
            page.bytes = deflater.Deflate(page.bytes).toByteArray();
    }
}

void CPdfPageWriter::WriteDeflatedBatch()
{
    DeflateBatch(*m_ownDeflater);
    if (m_deflated.valid())
        m_deflated.get();
    for (const PageContent& page : m_deflating)
        WritePage(page);
    m_deflating.clear();
}

void CPdfPageWriter::WritePage(const PageContent& content)
{
    m_failed = m_failed || content.bytes.isEmpty();
    // The page's two objects go out in one write.
    const int contents = NewObject();
    const int page = NewObject();
    char head[80];
    m_pageOut.resize(0);
    m_offsets[size_t(contents)] = m_written;
    m_pageOut.append(head, PutInteger(Put(PutInteger(head, contents), " 0 obj\n<< /Length "), content.bytes.size()) - head);
    m_pageOut += content.deflated ? " /Filter /FlateDecode >>\nstream\n" : " >>\nstream\n";
    m_pageOut += content.bytes;
    m_pageOut += "\nendstream\nendobj\n";
    m_offsets[size_t(page)] = m_written + m_pageOut.size();
    m_pageOut.append(head, Put(PutInteger(head, page), " 0 obj\n") - head);
    m_pageOut += m_pageObject;
    m_pageOut.append(head, Put(PutInteger(head, contents), " 0 R >>\nendobj\n") - head);
    Write(m_pageOut);
    m_pages.push_back(page);
}

CPdfPageWriter::Outcome CPdfPageWriter::Finish(const CPdfTextMap& map, QString* error)
{
    const auto Fail = [error](const QString& why) {
        if (error)
            *error = why;
        return Outcome::kNeedsQtWriter;
    };
    SendBatch();
    WriteDeflatedBatch();
    QByteArray fonts;
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        const QByteArray subsets = QtFontSubsets(map);
        pdf.processMemoryFile("fonts", subsets.constData(), size_t(subsets.size()));
        if (m_tooManyGlyphs)
            return Fail(QStringLiteral("a face draws more glyphs than the codes hold"));
        ObjectCopier copier([this] { return NewObject(); });
        QPDFObjectHandle encoding = pdf.newStream(EncodingCMap().toStdString());
        encoding.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/CMap"));
        encoding.getDict().replaceKey("/CMapName", QPDFObjectHandle::newName(std::string("/") + kEncodingName));
        encoding.getDict().replaceKey(
            "/CIDSystemInfo", QPDFObjectHandle::parse("<< /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"));
        std::vector<bool> embedded(size_t(map.FaceCount()));
        for (QPDFObjectHandle font : pdf.getAllObjects()) {
            if (!font.isDictionary() || !font.getKey("/Subtype").isNameAndEquals("/Type0") ||
                !font.getKey("/BaseFont").isName())
                continue;
            const int face = map.FaceNamed(QByteArray::fromStdString(font.getKey("/BaseFont").getName()).mid(1));
            QPDFObjectHandle cidFont = font.getKey("/DescendantFonts").getArrayItem(0);
            QPDFObjectHandle descriptor = cidFont.getKey("/FontDescriptor");
            if (face < 0 || !descriptor.isDictionary() ||
                !(descriptor.hasKey("/FontFile2") || descriptor.hasKey("/FontFile3")))
                continue;
            QByteArray w = "[1 [";
            const std::vector<CodedGlyph> none;
            const std::vector<CodedGlyph>& coded = size_t(face) < m_glyphs.size() ? m_glyphs[size_t(face)] : none;
            for (size_t cid = 1; cid <= map.Glyphs(face).size(); ++cid)
                w += Number(cid < coded.size() ? std::max<qreal>(coded[cid].width, 0) : 0) + ' ';
            cidFont.replaceKey("/W", QPDFObjectHandle::parse(w.toStdString() + "]]"));
            font.replaceKey("/Encoding", encoding);
            font.replaceKey("/ToUnicode", pdf.newStream(map.ToUnicodeMap(face, kCodespace, HexCode).toStdString()));
            fonts += " /F" + QByteArray::number(face) + ' ' + Reference(copier.NumberOf(font));
            embedded[size_t(face)] = true;
        }
        for (int face = 0; face < map.FaceCount(); ++face) {
            if (!embedded[size_t(face)] && !map.Glyphs(face).empty())
                return Fail(QStringLiteral("the font %1 cannot be embedded").arg(map.FaceFont(face).familyName()));
        }
        int number = 0;
        for (QByteArray body; copier.Next(number, body);) {
            BeginObject(number);
            Write(body);
            Write("\nendobj\n");
        }
    } catch (const std::exception& e) {
        return Fail(QString::fromStdString(e.what()));
    }

    BeginObject(3);
    Write("<< /Font <<" + fonts + " >> >>\nendobj\n");
    BeginObject(2);
    Write("<< /Type /Pages /Count " + QByteArray::number(qulonglong(m_pages.size())) + " /Kids [");
    QByteArray kids;
    for (const int page : m_pages) {
        kids += Reference(page) + '\n';
        if (kids.size() > (1 << 16)) {
            Write(kids);
            kids.clear();
        }
    }
    Write(kids + "] >>\nendobj\n");
    BeginObject(1);
    Write("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");

    const qint64 xref = m_written;
    Write("xref\n0 " + QByteArray::number(qulonglong(m_offsets.size())) + "\n0000000000 65535 f \n");
    QByteArray entries;
    for (size_t number = 1; number < m_offsets.size(); ++number) {
        entries += QByteArray::number(m_offsets[number]).rightJustified(10, '0') + " 00000 n \n";
        if (entries.size() > (1 << 16)) {
            Write(entries);
            entries.clear();
        }
    }
    Write(entries + "trailer\n<< /Size " + QByteArray::number(qulonglong(m_offsets.size())) +
          " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
    if (m_failed) {
        if (error)
            *error = m_out.errorString();
        return Outcome::kWriteFailed;
    }
    return Outcome::kWritten;
}
