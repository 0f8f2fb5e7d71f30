// Loading and wrapping a large memo against decoding its bytes alone.
// (a) DecodeUtf8: QString::fromUtf8 of a 20 MB UTF-8 text of long Japanese paragraphs.
// (b) LoadAndWrap: the same bytes decoded line by line into a text store, then a relayout of
//     every paragraph with remeasuring at 600 px (a measurer that caches widths in a table).
// After the run it prints (b)/(a), and the heap the loaded store holds per UTF-16 byte.
#include "editor/char_measurer.h"
#include "editor/text_store.h"
#include "platform/settings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <map>
#include <random>

namespace {

constexpr qsizetype kTextBytes = 20 * 1024 * 1024;

// Kana, kanji, Japanese punctuation and some ASCII, in paragraphs of 2000 to 6000 characters.
QByteArray JapaneseText()
{
    std::mt19937 random(20240601); // the raw engine's output is fixed by the standard
    const QString punctuation = QStringLiteral("、。「」、。");
    const QString ascii = QStringLiteral("Quirel memo 2024 abc xyz ");
    QByteArray bytes;
    bytes.reserve(kTextBytes + 32 * 1024);
    QString para;
    while (bytes.size() < kTextBytes) {
        para.clear();
        for (int n = 2000 + int(random() % 4001); n > 0; --n) {
            const unsigned kind = random() % 100;
            if (kind < 50)
                para += QChar(char16_t(0x3041 + random() % 83));   // hiragana
            else if (kind < 60)
                para += QChar(char16_t(0x30A1 + random() % 83));   // katakana
            else if (kind < 82)
                para += QChar(char16_t(0x4E00 + random() % 3000)); // kanji
            else if (kind < 90)
                para += punctuation[random() % punctuation.size()];
            else
                para += ascii[random() % ascii.size()];
        }
        bytes += para.toUtf8();
        bytes += '\n';
    }
    return bytes;
}

const QByteArray& Text()
{
    static const QByteArray text = JapaneseText();
    return text;
}

// Widths as a font would give them, each character worked out once and then read from a table.
class TableMeasurer : public CharMeasurer {
public:
    int Width(char32_t character) override
    {
        int16_t& width = m_widths[character & 0xFFFF]; // the text is all in the first plane
        if (width < 0)
            width = character < 0x80 ? 8 : 16;
        return width;
    }

private:
    std::vector<int16_t> m_widths = std::vector<int16_t>(0x10000, -1);
};

QList<QString> DecodeLines(const QByteArray& bytes)
{
    QList<QString> lines;
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        lines.append(QString::fromUtf8(QByteArrayView(bytes).sliced(start, end - start)));
        start = end + 1;
    }
    return lines;
}

void LoadAndWrap(CTextStore& store, const QByteArray& bytes)
{
    TableMeasurer measurer;
    const WrapSettings wrap{&measurer, 600, ReadLeftKin(), ReadRightKin()};
    store.LoadParagraphs(DecodeLines(bytes));
    store.RelayoutAll(wrap, true);
}

void DecodeUtf8(benchmark::State& state)
{
    const QByteArray& bytes = Text();
    for (auto _ : state) {
        QString text = QString::fromUtf8(bytes);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(DecodeUtf8)->Unit(benchmark::kMillisecond);

void LoadAndWrap(benchmark::State& state)
{
    const QByteArray& bytes = Text();
    for (auto _ : state) {
        CTextStore store;
        LoadAndWrap(store, bytes);
        benchmark::DoNotOptimize(store.TotalLines());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(LoadAndWrap)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's times per iteration (the median when repeated) for the ratio printed
// at the end; CPU time as well as real time, as real time suffers most on a busy machine.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.aggregate_name.empty() || run.aggregate_name == "median")
                m_times[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio() const
    {
        const auto decode = m_times.find("DecodeUtf8");
        const auto load = m_times.find("LoadAndWrap");
        if (decode == m_times.end() || load == m_times.end())
            return;
        std::printf("load and wrap / decode: %.2f real, %.2f CPU (goal: at most 2.5)\n",
                    load->second.first / decode->second.first, load->second.second / decode->second.second);
    }

private:
    std::map<std::string, std::pair<double, double>> m_times; // real, CPU
};

void PrintStoreMemory()
{
    const QByteArray& bytes = Text();
    const qint64 utf16Bytes = 2 * QString::fromUtf8(bytes).size();
    const size_t before = mallinfo2().uordblks;
    CTextStore store;
    LoadAndWrap(store, bytes);
    const size_t held = mallinfo2().uordblks - before;
    std::printf("store heap / UTF-16 size: %.2f (goal: at most 4)\n", double(held) / double(utf16Bytes));
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio();
    PrintStoreMemory();
    benchmark::Shutdown();
    return 0;
}
