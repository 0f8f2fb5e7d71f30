// Printing read back from the PDF with poppler: page breaks and footers, where lines, tabs and
// footers land, Japanese text copied back as typed in every face (a character the face lacks
// included) whether the PDF is written straight or through Qt's writer, the shared printer's
// paper and page range; and `quirel --print-pdf` run as its own process, with its error exits.
#include "editor/view/page_printer.h"
#include "editor/view/print_commands.h"

#include "document/local_database.h"
#include "editor/page_format.h"
#include "editor/text_store.h"
#include "editor/view/font_measurer.h"
#include "editor/view/view_font.h"
#include "platform/settings.h"
#include "support/temp_files.h"

#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int exitCode = -1; // -1 when the program crashed
    QString out;
    QString err;
};

ProgramRun RunProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished()) << program.toStdString();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

// The words of one page in reading order (none past the last page), with boxes in points.
struct PageWords {
    QStringList order;
    QMap<QString, QRectF> boxes;

    PageWords(const QString& pdf, int page)
    {
        const QString n = QString::number(page);
        static const QRegularExpression word(R"re(xMin="(.+)" yMin="(.+)" xMax="(.+)" yMax="(.+)">([^<]*)<)re");
        for (const auto& m : word.globalMatch(RunProgram("pdftotext", {"-bbox", "-f", n, "-l", n, pdf, "-"}).out)) {
            order.append(m.captured(5));
            boxes.insert(order.last(), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                              QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())));
        }
    }
};

QStringList Lines(int from, int to)
{
    QStringList lines;
    for (int i = from; i <= to; ++i)
        lines.append(QStringLiteral("L%1").arg(i));
    return lines;
}

// A store laid out as the editor lays it out on the 1000 x 1000 fallback paper at 96 dpi, so
// that a page pixel is 0.75 points in the PDF.
class PagePrinterTest : public testing::Test {
protected:
    PagePrinterTest()
    {
        InstallFontSubstitutions();
        m_format.SetFont(DefaultViewFont());
        m_format.ComputeGeometry(PaperInfo{}, 96, 96);
    }
    void LayOut(const QStringList& lines)
    {
        m_store.LoadParagraphs(lines);
        FontMeasurer measurer(FontFromLogFont(m_format.font));
        m_store.RelayoutAll({&measurer, m_format.TextWidth(), ReadLeftKin(), ReadRightKin()}, true);
    }
    void Print(const QStringList& lines)
    {
        LayOut(lines);
        QString error;
        ASSERT_TRUE(WritePdf(m_pdf, m_store, m_format, 96, 96, &error)) << error.toStdString();
    }
    static qreal Points(int pixels) { return pixels * 0.75; }

    TempFolder m_folder;
    QString m_pdf = m_folder.Path("out.pdf");
    CTextStore m_store;
    CPageFormat m_format;
};

TEST_F(PagePrinterTest, PagesHoldTheirLinesAndEndWithTheirNumber)
{
    const int n = m_format.PrintLinesPerPage();
    ASSERT_GT(n, 10);
    const QStringList footer1{"-", "1", "-"};
    for (const QStringList& lines : {QStringList(), Lines(1, n)}) {
        Print(lines);
        EXPECT_EQ(PageWords(m_pdf, 1).order, lines + footer1);
        EXPECT_TRUE(PageWords(m_pdf, 2).order.isEmpty());
    }
    Print(Lines(1, n + 1));
    EXPECT_EQ(PageWords(m_pdf, 1).order, Lines(1, n) + footer1);
    EXPECT_EQ(PageWords(m_pdf, 2).order, Lines(n + 1, n + 1) + QStringList({"-", "2", "-"}));

    // Pages deflate in batches: 200 pages of up to 3 KB of content, every third one holding a
    // single line, make more than one batch, written in order.
    QStringList lines;
    const QString filler(60, u'x');
    for (int page = 1; page <= 200; ++page) {
        const int written = page % 3 ? n : 1;
        for (int row = 0; row < n; ++row)
            lines.append(row < written ? QStringLiteral("P%1 %2").arg(page).arg(filler) : QString());
    }
    Print(lines);
    const QStringList pages = RunProgram("pdftotext", {m_pdf, "-"}).out.split(u'\f');
    ASSERT_GE(pages.size(), 200);
    for (int page = 1; page <= 200; ++page) {
        EXPECT_TRUE(pages[page - 1].startsWith(QStringLiteral("P%1 ").arg(page))) << page;
        EXPECT_TRUE(pages[page - 1].contains(QStringLiteral("- %1 -").arg(page))) << page;
    }
}

TEST_F(PagePrinterTest, LinesTabsFooterAndJapaneseStandWhereTheLayoutPutsThem)
{
    const QString japanese = QStringLiteral("吾輩は猫である。「ＡＢＣ」ｶﾀｶﾅ、ー〜");
    Print({"abc def", "\tタブ\tの行", "", japanese});
    const QMap<QString, QRectF> words = PageWords(m_pdf, 1).boxes;
    const int left = m_format.marginLeft - 10;
    const QRectF first = words["abc"];
    EXPECT_NEAR(first.left(), Points(left), 0.5);
    EXPECT_NEAR(words["タブ"].left(), Points(left + m_store.XOfPosition(1, 1)), 0.5);
    EXPECT_NEAR(words["の行"].left(), Points(left + m_store.XOfPosition(1, 4)), 0.5);
    EXPECT_NEAR(words[japanese].top() - first.top(), Points(3 * m_format.LinePitch()), 0.5);
    // The footer: centred less 9 pixels, its top on the bottom margin.
    EXPECT_NEAR(words["1"].center().x(), Points(m_format.pageWidth - 9) / 2, 0.5);
    EXPECT_NEAR(words["1"].top() - first.top(), Points(m_format.PrintableHeight()), 0.5);
}

// Qt's own PDF text maps copy 日文行 in Noto Sans CJK JP as Kangxi radicals and drop 𠮷 in
// every face; IPA Mincho lacks 𠮷 and borrows it from a face that has it, in its laid-out width.
// A bold font goes through Qt's writer, the others are written straight. Beyond a face's first
// 127 glyphs the codes take two bytes; codes holding the bytes of "(", ")", "\" and a carriage
// return are escaped.
TEST_F(PagePrinterTest, JapaneseAndHundredsOfDistinctCharactersCopyBackAsTypedInEveryFace)
{
    QString distinct;
    for (const auto& [first, last] : {std::pair{0x21, 0x7E}, {0x3041, 0x3093}, {0x30A1, 0x30F6}, {0xFF01, 0xFF5E}}) {
        for (int c = first; c <= last; ++c)
            distinct += QChar(c);
    }
    distinct += distinct; // enough for a page that is deflated
    const QString text = QStringLiteral("日文行の〆、ｶﾅ＆ABC𠮷");
    QStringList lines{text, "\U00020BB7 x"};
    for (qsizetype i = 0; i < distinct.size(); i += 30)
        lines.append(distinct.mid(i, 30));
    const struct {
        const char* face;
        int weight;
        const char* embedded;
    } faces[] = {{"\uFF2D\uFF33 \u660E\u671D", 400, "IPAMincho"},
                 {"Noto Sans CJK JP", 400, "NotoSansCJKjp-Regular"},
                 {"Noto Sans CJK JP", 700, "NotoSansCJKjp-Bold"}};
    for (const auto& f : faces) {
        m_format.font.lfFaceName = QString::fromUtf8(f.face);
        m_format.font.lfWeight = f.weight;
        Print(lines);
        const QStringList copied = RunProgram("pdftotext", {m_pdf, "-"}).out.split(u'\n');
        EXPECT_EQ(copied.first(), text) << f.embedded;
        EXPECT_EQ(copied.mid(2, lines.size() - 2), lines.mid(2)) << f.embedded;
        EXPECT_TRUE(RunProgram("pdffonts", {m_pdf}).out.contains(f.embedded)) << f.embedded;
        // What follows 𠮷 stands where the layout put it.
        const QMap<QString, QRectF> words = PageWords(m_pdf, 1).boxes;
        EXPECT_TRUE(words.contains(QStringLiteral("𠮷"))) << f.embedded;
        EXPECT_NEAR(words["x"].left(), Points(m_format.marginLeft - 10 + m_store.XOfPosition(1, 3)), 0.5) << f.embedded;
    }
}

// Print, preview and printer setup share the frame's printer: a page range printed on it
// lands on its paper, the layout's page stretched to fill it.
TEST_F(PagePrinterTest, TheSharedPrinterPrintsItsRangeOnItsPaper)
{
    CPrintCommands commands(nullptr);
    QPrinter& printer = commands.Printer();
    printer.setOutputFileName(m_pdf);
    printer.setPageSize(QPageSize(QPageSize::A5));
    m_format.ComputeGeometry(commands.Paper(), 96, 96);
    const int n = m_format.PrintLinesPerPage();
    LayOut(Lines(1, 2 * n + 1));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 2);
    ASSERT_TRUE(PrintDocument(printer, m_store, m_format));

    const PageWords page(m_pdf, 1);
    ASSERT_EQ(page.order, Lines(n + 1, 2 * n) + QStringList({"-", "2", "-"}));
    EXPECT_TRUE(RunProgram("pdfinfo", {m_pdf}).out.contains("(A5)"));
    const QSizeF paper = QPageSize(QPageSize::A5).size(QPageSize::Point);
    const QRectF first = page.boxes[page.order[0]];
    EXPECT_NEAR(first.left(), paper.width() * (m_format.marginLeft - 10) / m_format.pageWidth, 0.5);
    EXPECT_NEAR(page.boxes["2"].top() - first.top(), paper.height() * m_format.PrintableHeight() / m_format.pageHeight,
                0.5);
}

// ---- quirel --print-pdf

class PrintPdfCommandTest : public PagePrinterTest {
protected:
    // Memo 0 in the default font, memo 1 in ＭＳ Ｐ明朝 at 24 pixels.
    void MakeDatabase()
    {
        CLocalDatabase database(m_database);
        ASSERT_EQ(database.Open(), CLocalDatabase::kOk);
        MemoHeader header;
        ResetMemoHeader(header);
        ASSERT_EQ(database.SaveRecord(-1, header, QStringLiteral("最初のメモ")), 1);
        header.font = FallbackMemoFont();
        header.font.lfHeight = -24;
        ASSERT_EQ(database.SaveRecord(-1, header, QStringLiteral("二つ目のメモ\n\t二行目")), 1);
    }
    static ProgramRun Quirel(const QStringList& arguments)
    {
        return RunProgram(QStringLiteral(QUIREL_PATH), QStringList({"--print-pdf"}) + arguments);
    }

    QString m_text = m_folder.Path("note.txt");
    QString m_database = m_folder.Path("Memo.qrl");
};

TEST_F(PrintPdfCommandTest, PrintsATextFileAndAMemoInItsFont)
{
    WriteBytes(m_text, "\xEF\xBB\xBF" + QStringLiteral("テキストの一行目\r\n二行目\r\n").toUtf8());
    const ProgramRun text = Quirel({m_pdf, m_text});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_EQ(PageWords(m_pdf, 1).order, QStringList({"テキストの一行目", "二行目", "-", "1", "-"}));

    MakeDatabase();
    const ProgramRun memo = Quirel({m_pdf, m_database, "--memo", "1"});
    ASSERT_EQ(memo.exitCode, 0) << memo.err.toStdString();
    EXPECT_TRUE(RunProgram("pdffonts", {m_pdf}).out.contains("IPAPMincho"));
    const QMap<QString, QRectF> words = PageWords(m_pdf, 1).boxes;
    EXPECT_NEAR(words["二行目"].top() - words["二つ目のメモ"].top(), Points(36), 0.5); // a 24-pixel font's pitch
}

TEST_F(PrintPdfCommandTest, BadInputExitsWithOneLineAndWritesNothing)
{
    MakeDatabase();
    WriteBytes(m_text, "text");
    const QByteArray databaseBytes = ReadBytes(m_database);
    const QString missingDatabase = m_folder.Path("Missing.qrl");
    const struct {
        QStringList arguments;
        int exitCode;
        const char* message;
    } cases[] = {
        {{m_pdf, m_database}, 2, "needs --memo"},
        {{m_pdf, missingDatabase, "--memo", "0"}, 1, "no such file"},
        {{m_pdf, m_database, "--memo", "2"}, 1, "no memo at position 2"},
        {{m_folder.Path("no/out.pdf"), m_text}, 1, "cannot write the PDF"},
        {{m_database, m_database, "--memo", "0"}, 1, "would overwrite its own source"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = Quirel(c.arguments);
        const QString message = run.err.trimmed().split(u'\n').constLast(); // after any Qt warning
        EXPECT_EQ(run.exitCode, c.exitCode) << message.toStdString();
        EXPECT_TRUE(message.startsWith("quirel: ") && message.contains(c.message)) << message.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(m_pdf));
    EXPECT_FALSE(QFileInfo::exists(missingDatabase));
    EXPECT_EQ(ReadBytes(m_database), databaseBytes);
}

} // namespace
