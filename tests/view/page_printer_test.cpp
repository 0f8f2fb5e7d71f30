// Printing read back from the PDF with poppler (pdfinfo, pdftotext, pdffonts): page breaks and
// footers, where lines, tabs and footers land on the paper, Japanese text, the scaling onto a
// printer's paper and its page range; and `quirel --print-pdf` run as its own process.
#include "editor/view/page_printer.h"
#include "editor/view/print_commands.h"

#include "document/local_database.h"
#include "editor/page_format.h"
#include "editor/text_store.h"
#include "editor/view/font_measurer.h"
#include "editor/view/view_font.h"
#include "platform/settings.h"
#include "support/temp_files.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

constexpr qreal kPointsPerPixel = 72.0 / 96; // layout at 96 dpi, PDF in points

QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished()) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

int PdfPageCount(const QString& pdf)
{
    const QRegularExpressionMatch match = QRegularExpression("Pages:\\s+(\\d+)").match(RunTool("pdfinfo", {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString PageText(const QString& pdf, int page)
{
    const QString number = QString::number(page);
    return RunTool("pdftotext", {"-layout", "-f", number, "-l", number, pdf, "-"});
}

struct Word {
    QString text;
    QRectF box; // in points
};

QList<Word> PageWords(const QString& pdf, int page)
{
    const QString number = QString::number(page);
    const QString html = RunTool("pdftotext", {"-bbox", "-f", number, "-l", number, pdf, "-"});
    static const QRegularExpression wordPattern(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    QList<Word> words;
    for (const QRegularExpressionMatch& m : wordPattern.globalMatch(html)) {
        words.append({m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                            QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return words;
}

QStringList WordTexts(const QList<Word>& words)
{
    QStringList texts;
    for (const Word& word : words)
        texts.append(word.text);
    return texts;
}

Word FindWord(const QList<Word>& words, const QString& text)
{
    for (const Word& word : words) {
        if (word.text == text)
            return word;
    }
    ADD_FAILURE() << "no word " << text.toStdString();
    return {};
}

QString Lines(int from, int to)
{
    QStringList lines;
    for (int i = from; i <= to; ++i)
        lines.append(QStringLiteral("L%1").arg(i));
    return lines.join(u'\n');
}

// A store laid out as the editor lays it out on the 1000 x 1000 fallback paper at 96 dpi.
class PagePrinterTest : public testing::Test {
protected:
    static void SetUpTestSuite() { InstallFontSubstitutions(); }

    PagePrinterTest()
    {
        m_format.SetFont(DefaultViewFont());
        m_format.ComputeGeometry(PaperInfo{}, 96, 96);
    }
    void LayOut(const QString& text)
    {
        m_store.LoadParagraphs(text.split(u'\n'));
        FontMeasurer measurer(FontFromLogFont(m_format.font));
        m_store.RelayoutAll({&measurer, m_format.TextWidth(), ReadLeftKin(), ReadRightKin()}, true);
    }
    void WriteAndExpectSuccess()
    {
        QString error;
        ASSERT_TRUE(WritePdf(m_pdf, m_store, m_format, 96, 96, &error)) << error.toStdString();
    }
    int PerPage() const { return m_format.PrintLinesPerPage(); }
    qreal ToPoints(int pixels) const { return pixels * kPointsPerPixel; }

    TempFolder m_folder;
    QString m_pdf = m_folder.Path("out.pdf");
    CTextStore m_store;
    CPageFormat m_format;
};

TEST_F(PagePrinterTest, PagesHoldLinesPerPageAndEndWithTheirNumber)
{
    LayOut(QString());
    ASSERT_GT(PerPage(), 10);
    WriteAndExpectSuccess();
    EXPECT_EQ(PdfPageCount(m_pdf), 1);
    EXPECT_EQ(WordTexts(PageWords(m_pdf, 1)), QStringList({"-", "1", "-"}));

    const int n = PerPage();
    LayOut(Lines(1, n));
    WriteAndExpectSuccess();
    EXPECT_EQ(PdfPageCount(m_pdf), 1);
    EXPECT_EQ(WordTexts(PageWords(m_pdf, 1)), Lines(1, n).split(u'\n') + QStringList({"-", "1", "-"}));

    LayOut(Lines(1, n + 1));
    WriteAndExpectSuccess();
    EXPECT_EQ(PdfPageCount(m_pdf), 2);
    EXPECT_EQ(WordTexts(PageWords(m_pdf, 1)), Lines(1, n).split(u'\n') + QStringList({"-", "1", "-"}));
    EXPECT_EQ(WordTexts(PageWords(m_pdf, 2)), QStringList({QStringLiteral("L%1").arg(n + 1), "-", "2", "-"}));
    EXPECT_TRUE(PageText(m_pdf, 2).contains("- 2 -"));
}

TEST_F(PagePrinterTest, LinesTabsAndFooterStandWhereTheLayoutPutsThem)
{
    LayOut(QStringLiteral("abc def\n\tタブ\tの行\n\n終わり"));
    WriteAndExpectSuccess();
    EXPECT_TRUE(RunTool("pdfinfo", {m_pdf}).contains(QRegularExpression("Page size: +750 x 750 pts")));
    const QList<Word> words = PageWords(m_pdf, 1);
    const int left = m_format.marginLeft - 10;

    const Word first = FindWord(words, "abc");
    EXPECT_NEAR(first.box.left(), ToPoints(left), 0.5);
    // Characters after a tab go where the stored widths put them.
    EXPECT_NEAR(FindWord(words, "タブ").box.left(), ToPoints(left + m_store.XOfPosition(1, 1)), 0.5);
    EXPECT_NEAR(FindWord(words, "の行").box.left(), ToPoints(left + m_store.XOfPosition(1, 4)), 0.5);
    // Rows one line pitch apart, an empty line included.
    EXPECT_NEAR(FindWord(words, "タブ").box.top() - first.box.top(), ToPoints(m_format.LinePitch()), 0.5);
    EXPECT_NEAR(FindWord(words, "終わり").box.top() - first.box.top(), ToPoints(3 * m_format.LinePitch()), 0.5);

    // The footer is centred (less 9 pixels) with its top on the bottom margin.
    const Word number = FindWord(words, "1");
    const QRectF footer = FindWord(words, "-").box.united(words.last().box);
    EXPECT_EQ(words.last().text, "-");
    EXPECT_NEAR(footer.center().x(), ToPoints(m_format.pageWidth - 9) / 2, 1.0);
    EXPECT_NEAR(number.box.top() - first.box.top(),
                ToPoints(m_format.pageHeight - m_format.marginBottom - m_format.marginTop), 0.5);
}

TEST_F(PagePrinterTest, JapaneseTextComesBackAsTheSameCharacters)
{
    const QString text = QStringLiteral("吾輩は猫である。名前はまだ無い。「ＡＢＣ」ｶﾀｶﾅ、ー〜");
    LayOut(text);
    WriteAndExpectSuccess();
    EXPECT_EQ(PageText(m_pdf, 1).split(u'\n').value(0).trimmed(), text);
    EXPECT_TRUE(RunTool("pdffonts", {m_pdf}).contains("IPAMincho"));
}

// On a printer the screen-pixel page is stretched to the paper, each axis by its own factor.
TEST_F(PagePrinterTest, PrinterGetsTheChosenPagesScaledToItsPaper)
{
    LayOut(Lines(1, 2 * PerPage() + 1));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 2);
    ASSERT_TRUE(PrintDocument(printer, m_store, m_format));

    ASSERT_EQ(PdfPageCount(m_pdf), 1);
    const QList<Word> words = PageWords(m_pdf, 1);
    const QSizeF paper = QPageSize(QPageSize::A4).size(QPageSize::Point);
    const QRectF firstLine = FindWord(words, QStringLiteral("L%1").arg(PerPage() + 1)).box;
    const QRectF footer = FindWord(words, "2").box;
    EXPECT_NEAR(firstLine.left(), paper.width() * (m_format.marginLeft - 10) / m_format.pageWidth, 0.5);
    EXPECT_NEAR(footer.center().x(), paper.width() * (m_format.pageWidth - 9) / 2 / m_format.pageWidth, 2.0);
    const qreal yScale = paper.height() / m_format.pageHeight;
    EXPECT_NEAR(footer.top() - firstLine.top(),
                yScale * (m_format.pageHeight - m_format.marginBottom - m_format.marginTop), 0.5);
}

TEST_F(PagePrinterTest, UnwritableOutputFailsWithAReason)
{
    LayOut("text");
    QString error;
    EXPECT_FALSE(WritePdf(m_folder.Path("missing/out.pdf"), m_store, m_format, 96, 96, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(m_folder.Path("missing")));
}

// The commands' dialogs, driven once they are shown: the print dialog offers every page, the
// preview draws every page, and printing to PDF adds the suffix and writes the layout's paper.
TEST_F(PagePrinterTest, CommandsOfferEveryPageAndWriteThePdfChosen)
{
    LayOut(Lines(1, PerPage() + 1));
    const auto whenShown = [](auto handle) {
        QTimer::singleShot(0, [handle] { handle(QApplication::activeModalWidget()); });
    };

    whenShown([](QWidget* shown) {
        auto* dialog = qobject_cast<QPrintDialog*>(shown);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->minPage(), 1);
        EXPECT_EQ(dialog->maxPage(), 2);
        dialog->reject();
    });
    RunPrint(nullptr, m_store, m_format);

    int previewPages = 0;
    whenShown([&previewPages](QWidget* shown) {
        if (const auto* preview = shown ? shown->findChild<QPrintPreviewWidget*>() : nullptr)
            previewPages = preview->pageCount();
        shown->close();
    });
    RunPrintPreview(nullptr, m_store, m_format);
    EXPECT_EQ(previewPages, 2);

    QWidget parent;
    whenShown([this](QWidget* shown) {
        auto* dialog = qobject_cast<QFileDialog*>(shown);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(m_folder.Path("chosen"));
        static_cast<QDialog*>(dialog)->accept(); // what the Save button does
    });
    RunPrintToPdf(&parent, m_store, m_format);
    const QString written = m_folder.Path("chosen.pdf");
    ASSERT_EQ(PdfPageCount(written), 2);
    const qreal points = m_format.pageWidth * 72.0 / parent.logicalDpiX();
    EXPECT_TRUE(RunTool("pdfinfo", {written}).contains(QStringLiteral("%1 x %1 pts").arg(points)));
}

// ---- quirel --print-pdf

struct QuirelRun {
    int exitCode = -1; // -1 when the program crashed
    QString err;
};

QuirelRun RunQuirel(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(QUIREL_PATH), QStringList({"--print-pdf"}) + arguments);
    EXPECT_TRUE(process.waitForFinished());
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
}

// The message of a failure (Qt may have warned about the environment before it).
QString LastLine(const QString& text)
{
    return text.trimmed().split(u'\n').constLast();
}

class PrintPdfCommandTest : public testing::Test {
protected:
    // A database with a memo in the default font and one in ＭＳ Ｐ明朝 at 24 pixels.
    void MakeDatabase()
    {
        CLocalDatabase database(m_database);
        ASSERT_EQ(database.Open(), CLocalDatabase::kOk);
        MemoHeader header;
        ResetMemoHeader(header);
        header.font = DefaultViewFont();
        ASSERT_EQ(database.SaveRecord(-1, header, QStringLiteral("最初のメモ")), 1);
        ResetMemoHeader(header);
        header.font = FallbackMemoFont();
        header.font.lfHeight = -24;
        ASSERT_EQ(database.SaveRecord(-1, header, QStringLiteral("二つ目のメモ\n\t二行目")), 1);
    }

    TempFolder m_folder;
    QString m_pdf = m_folder.Path("out.pdf");
    QString m_text = m_folder.Path("note.txt");
    QString m_database = m_folder.Path("Memo.qrl");
};

TEST_F(PrintPdfCommandTest, PrintsATextFileAndAMemoInItsFont)
{
    WriteBytes(m_text, "\xEF\xBB\xBF" + QStringLiteral("テキストの一行目\r\n二行目\r\n").toUtf8());
    const QuirelRun text = RunQuirel({m_pdf, m_text});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_EQ(PageText(m_pdf, 1).split(u'\n').mid(0, 2), QStringList({"テキストの一行目", "二行目"}));
    EXPECT_TRUE(RunTool("pdffonts", {m_pdf}).contains("IPAMincho"));

    MakeDatabase();
    const QuirelRun memo = RunQuirel({m_pdf, m_database, "--memo", "1"});
    ASSERT_EQ(memo.exitCode, 0) << memo.err.toStdString();
    const QStringList lines = PageText(m_pdf, 1).split(u'\n');
    EXPECT_EQ(lines.value(0).trimmed(), "二つ目のメモ");
    EXPECT_EQ(lines.value(1).trimmed(), "二行目");
    const QString fonts = RunTool("pdffonts", {m_pdf});
    EXPECT_TRUE(fonts.contains("IPAPMincho")) << fonts.toStdString();
    const QList<Word> words = PageWords(m_pdf, 1);
    EXPECT_NEAR(FindWord(words, "二行目").box.top() - FindWord(words, "二つ目のメモ").box.top(), 36 * kPointsPerPixel,
                0.5);
}

TEST_F(PrintPdfCommandTest, BadInputExitsWithOneLineAndWritesNothing)
{
    MakeDatabase();
    WriteBytes(m_text, "text");
    const QByteArray databaseBytes = ReadBytes(m_database);
    const QString missingDatabase = m_folder.Path("Missing.qrl");
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{}, 2, "wrong arguments"},
        {{m_pdf, m_text, "--memo"}, 2, "wrong arguments"},
        {{m_pdf, m_database}, 2, "needs --memo"},
        {{m_pdf, m_database, "--memo", "first"}, 2, "is not a position"},
        {{m_pdf, m_folder.Path("missing.txt")}, 1, "missing.txt: "},
        {{m_pdf, missingDatabase, "--memo", "0"}, 1, "no such file"},
        {{m_pdf, m_database, "--memo", "2"}, 1, "no memo at position 2"},
        {{m_pdf, m_text, "--memo", "0"}, 1, "not a memo database"},
        {{m_folder.Path("no/out.pdf"), m_text}, 1, "cannot write the PDF"},
        {{m_database, m_database, "--memo", "0"}, 1, "would overwrite its own source"},
    };
    for (const Case& c : cases) {
        const QuirelRun run = RunQuirel(c.arguments);
        const QString message = LastLine(run.err);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(message.startsWith("quirel: ") && message.contains(c.message)) << message.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(m_pdf));
    EXPECT_FALSE(QFileInfo::exists(missingDatabase));
    EXPECT_EQ(ReadBytes(m_database), databaseBytes);
    EXPECT_EQ(ReadBytes(m_text), "text");
}

} // namespace
