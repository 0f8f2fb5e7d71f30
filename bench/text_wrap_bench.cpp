// Opening a large text file on the program's own path against decoding its bytes alone, for
// two shapes of 20 MiB of Japanese UTF-8: long paragraphs (2 000 to 6 000 characters) and
// memo lines (0 to 70 characters).
// (a) Decode/<shape>: the bytes decoded into a buffer that is allocated and touched before
//     timing and reused by every iteration.
// (b) Open/<shape>: ReadTextFile of the file into a new store, then a relayout with
//     remeasuring through the view's FontMeasurer at the default page width (offscreen).
// After the run it prints (b)/(a) per shape as a ratio of medians, and the memory the loaded
// store holds per UTF-16 byte of the text: after the load, and at the peak during it.
#include "document/text_file.h"
#include "editor/page_format.h"
#include "editor/text_store.h"
#include "editor/view/font_measurer.h"
#include "editor/view/view_font.h"
#include "japanese_text.h"
#include "platform/code_page.h"
#include "platform/settings.h"
#include "support/proc_status.h"
#include "ratio_reporter.h"

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QString>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>
#include <malloc.h>

namespace {

constexpr int kRepetitions = 5;

// The text of a shape, and a file holding it.
struct TextFile {
    QByteArray bytes;
    QString path;
};

const TextFile& Text(const TextShape& shape)
{
    static QTemporaryDir folder;
    static std::map<const TextShape*, TextFile> files;
    TextFile& file = files[&shape];
    if (file.bytes.isEmpty()) {
        file.bytes = JapaneseText(shape);
        file.path = folder.filePath(QString::fromLatin1(shape.name) + QStringLiteral(".txt"));
        QFile out(file.path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes) != file.bytes.size())
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.path));
    }
    return file;
}

// The program's open path: read, then wrap at the default page width in the default font, as
// the view does when a file is loaded.
void Open(const QString& path, CTextStore& store)
{
    CPageFormat format;
    format.Reset();
    format.SetFont(DefaultViewFont());
    format.ComputeGeometry(PaperInfo{}, 96, 96);
    FontMeasurer measurer(FontFromLogFont(format.font));
    if (!ReadTextFile(path, store, CodePage()))
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
    store.RelayoutAll({&measurer, format.TextWidth(), ReadLeftKin(), ReadRightKin()}, true);
}

void Decode(benchmark::State& state, const TextShape& shape)
{
    const QByteArray& bytes = Text(shape).bytes;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString buffer(decoder.requiredSpace(bytes.size()), Qt::Uninitialized);
    decoder.appendToBuffer(buffer.data(), bytes); // touches every page of the buffer
    for (auto _ : state) {
        const QChar* end = decoder.appendToBuffer(buffer.data(), bytes);
        benchmark::DoNotOptimize(end);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void Open(benchmark::State& state, const TextShape& shape)
{
    const TextFile& file = Text(shape);
    for (auto _ : state) {
        std::optional<CTextStore> store(std::in_place);
        Open(file.path, *store);
        benchmark::DoNotOptimize(store->TotalLines());
        // The program opens a file into a new store: freeing this one is not part of it.
        state.PauseTiming();
        store.reset();
        malloc_trim(0);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * file.bytes.size());
}

BENCHMARK_CAPTURE(Decode, paragraphs, kParagraphs)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK_CAPTURE(Open, paragraphs, kParagraphs)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK_CAPTURE(Decode, memo_lines, kMemoLines)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK_CAPTURE(Open, memo_lines, kMemoLines)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);

// Resident memory of an open store per UTF-16 byte of its text: after the load (the store
// returns its freed heap itself) and at the peak during it, beside the same process after a
// load of the same text was freed.
void PrintStoreMemory(const TextShape& shape, double afterGoal)
{
    const TextFile& file = Text(shape);
    const double utf16KiB = 2.0 * double(QString::fromUtf8(file.bytes).size()) / 1024;
    {
        CTextStore warming; // the font's caches of the text's characters count as the program's
        Open(file.path, warming);
    }
    malloc_trim(0); // what earlier steps freed counts neither way
    const qint64 before = ProcStatusKiB("VmRSS");
    ResetPeakRss();
    CTextStore store;
    Open(file.path, store);
    std::printf("%s: RSS after the load / UTF-16 size: %.2f (goal: at most %.1f); peak during it: %.2f "
                "(goal: at most 4)\n",
                shape.name, double(ProcStatusKiB("VmRSS") - before) / utf16KiB, afterGoal,
                double(ProcStatusKiB("VmHWM") - before) / utf16KiB);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the font measurer needs one
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // Memory first, while the heap holds nothing of earlier loads.
    PrintStoreMemory(kMemoLines, 3);
    PrintStoreMemory(kParagraphs, 2.5);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("Open/paragraphs", "Decode/paragraphs", 1.5);
    reporter.PrintRatio("Open/memo_lines", "Decode/memo_lines", 1.5);
    benchmark::Shutdown();
    return 0;
}
