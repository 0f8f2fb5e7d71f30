// `quirel --print-pdf` against the program's open path on the same text file, for three
// shapes of text of QUIREL_PRINT_BENCH_MB MiB (default 10) of UTF-8:
// (a) Open<shape>: ReadTextFile into a store, laid out as the print command lays it out (the
//     default view font through FontMeasurer, the default printer's page width), offscreen.
// (b) PrintPdf<shape>: the whole print command on that file, which opens it the same way and
//     then writes every page to a PDF.
// Shapes: one line of ASCII words, one line of Japanese, and short lines of 0 to 18 bytes.
// After the run it prints (b)/(a) per shape as ratios of medians.
#include "ratio_reporter.h"
#include "app/print_pdf_command.h"
#include "document/text_file.h"
#include "editor/page_format.h"
#include "editor/text_store.h"
#include "editor/view/font_measurer.h"
#include "editor/view/quirel_view.h"
#include "editor/view/view_font.h"
#include "platform/code_page.h"
#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr double kGoal = 3.0;

qsizetype TextBytes()
{
    const int mebibytes = qEnvironmentVariableIntValue("QUIREL_PRINT_BENCH_MB");
    return qsizetype(mebibytes > 0 ? mebibytes : 10) * 1024 * 1024;
}

enum class Shape { kAsciiLine, kJapaneseLine, kShortLines };

QByteArray MakeText(Shape shape)
{
    std::mt19937 random(20261207); // the raw engine's output is fixed by the standard
    const QStringList words = {"alpha", "beta", "memo", "quirel", "text", "page", "2026"};
    QByteArray bytes;
    bytes.reserve(TextBytes() + 64);
    QString piece;
    while (bytes.size() < TextBytes()) {
        piece.clear();
        switch (shape) {
        case Shape::kAsciiLine:
            piece = words[random() % words.size()] + u' ';
            break;
        case Shape::kJapaneseLine:
            for (int n = 0; n < 64; ++n) {
                const unsigned kind = random() % 10;
                piece += QChar(char16_t(kind < 5 ? 0x3041 + random() % 83 : kind < 9 ? 0x4E00 + random() % 3000 : 0x3001));
            }
            break;
        case Shape::kShortLines:
            for (unsigned n = random() % 19; n > 0; --n)
                piece += QChar(char16_t(u'a' + random() % 26));
            piece += u'\n';
            break;
        }
        bytes += piece.toUtf8();
    }
    return bytes;
}

const char* ShapeName(Shape shape)
{
    return shape == Shape::kAsciiLine ? "AsciiLine" : shape == Shape::kJapaneseLine ? "JapaneseLine" : "ShortLines";
}

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    return folder;
}

QString TextFile(Shape shape)
{
    const QString path = Folder().filePath(QString::fromLatin1(ShapeName(shape)) + QStringLiteral(".txt"));
    if (!QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(MakeText(shape)) < 0)
            qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

void Open(benchmark::State& state, Shape shape)
{
    const QString path = TextFile(shape);
    const int dpi = 96;
    for (auto _ : state) {
        CTextStore store;
        if (!ReadTextFile(path, store, CodePage::System()))
            state.SkipWithError("cannot read the text");
        CPageFormat format;
        format.SetFont(DefaultViewFont());
        format.ComputeGeometry(DefaultPrinterPaper(dpi, dpi), dpi, dpi);
        FontMeasurer measurer(FontFromLogFont(format.font));
        store.RelayoutAll({&measurer, format.TextWidth(), ReadLeftKin(), ReadRightKin()}, true);
        benchmark::DoNotOptimize(store.TotalLines());
    }
}

void PrintPdf(benchmark::State& state, Shape shape)
{
    const QString path = TextFile(shape);
    const QString pdf = Folder().filePath(QStringLiteral("out.pdf"));
    for (auto _ : state) {
        if (RunPrintPdfCommand({QStringLiteral("quirel"), QStringLiteral("--print-pdf"), pdf, path}) != 0)
            state.SkipWithError("the PDF was not written");
    }
}

void Register()
{
    for (const Shape shape : {Shape::kAsciiLine, Shape::kJapaneseLine, Shape::kShortLines}) {
        TextFile(shape); // written before either side runs, so both read it from the page cache
        for (const auto& [name, run] : {std::pair{"Open", &Open}, std::pair{"PrintPdf", &PrintPdf}}) {
            benchmark::RegisterBenchmark((std::string(name) + ShapeName(shape)).c_str(), run, shape)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1)
                ->Repetitions(5)
                ->ReportAggregatesOnly(true);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Register();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* shape : {"AsciiLine", "JapaneseLine", "ShortLines"})
        reporter.PrintRatio((std::string("PrintPdf") + shape).c_str(), (std::string("Open") + shape).c_str(), kGoal);
    benchmark::Shutdown();
    return 0;
}
