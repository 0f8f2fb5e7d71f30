// The editor view's costs, each beside a baseline measured in the same iterations:
// (1) Keystroke: typing one character in the middle of a paragraph and deleting it again, each
//     followed by a repaint (the text area rendered into an image), in a memo of 200 000 lines
//     and in one paragraph of 100 000 characters, against QPlainTextEdit doing the same on the
//     same text. Goals: ratio at most 0.2 for the memo and 0.01 for the long paragraph.
// (2) PasteAndUndo: pasting 100 000 lines at the start of a 100 000-line memo and undoing it,
//     against reading the same 200 000 lines from a file and laying them out. Goal: at most 2.
// (3) MemoryHeld: the resident memory a text of 20 MB in UTF-16 adds once the view shows it,
//     as a multiple of that size, for memo lines of 30 to 40 characters and for paragraphs of
//     about 1000. Goal: at most 4.
// The figures are counters: the view's and the baseline's time per operation and their ratio.
#include "document/text_file.h"
#include "editor/view/quirel_view.h"
#include "editor/view/view_font.h"
#include "platform/settings.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

namespace {

const QSize kWindow(1100, 800);

// A memo line of 30 to 40 characters, Japanese with some ASCII.
QString MemoLine(qsizetype number)
{
    return QStringLiteral("メモの%1行目です。Quirel editor の本文テキスト").arg(number);
}

QList<QString> MemoLines(int count)
{
    QList<QString> lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines.append(MemoLine(i));
    return lines;
}

QString LongParagraph(qsizetype length)
{
    const QString piece = QStringLiteral("日本語の文章と ascii text が続く段落、");
    QString text;
    while (text.size() < length)
        text += piece;
    return text.left(length);
}

// A paragraph of about 1000 characters, different from its neighbours.
QString NumberedLongParagraph(qsizetype number)
{
    return QString::number(number) + LongParagraph(1000);
}

double Seconds(const auto& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Typing "a" and deleting it with Backspace, each key followed by a repaint of the widget that
// shows the text (`painted`, without its scroll bars, which a keystroke leaves alone).
double TypeAndDelete(QWidget& keyTarget, QWidget& painted, QImage& image)
{
    return Seconds([&] {
        for (const auto& [key, text] : {std::pair(Qt::Key_A, QStringLiteral("a")), std::pair(Qt::Key_Backspace, QString())}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
            QApplication::sendEvent(&keyTarget, &press);
            painted.render(&image, {}, {}, QWidget::DrawWindowBackground);
        }
    });
}

void ReportRatio(benchmark::State& state, double seconds, double baselineSeconds, double operations)
{
    state.counters["view_us"] = seconds / operations * 1e6;
    state.counters["baseline_us"] = baselineSeconds / operations * 1e6;
    state.counters["ratio"] = seconds / baselineSeconds;
}

// The same text in the view and in a QPlainTextEdit, both carets at `offset` of paragraph
// `paragraph`.
void Keystroke(benchmark::State& state, const QList<QString>& paragraphs, int paragraph, int offset)
{
    CTextStore store;
    store.LoadParagraphs(paragraphs);
    CQuirelView view;
    view.resize(kWindow);
    view.ShowStore(&store);
    const CTextPara* para = store.FirstParagraph();
    for (int i = 0; i < paragraph; ++i)
        para = para->next;
    view.Editor().Collapse(store.OffsetToPosition(*para, offset));
    view.Editor().ScrollCaretIntoView();
    view.Refresh();

    QPlainTextEdit plain;
    plain.resize(kWindow);
    plain.setPlainText(paragraphs.join(u'\n'));
    QTextCursor cursor(plain.document()->findBlockByNumber(paragraph));
    cursor.setPosition(cursor.position() + offset);
    plain.setTextCursor(cursor);
    plain.ensureCursorVisible();

    QImage image(kWindow, QImage::Format_RGB32);
    double seconds = 0;
    double baselineSeconds = 0;
    for (auto _ : state) {
        const double pair = TypeAndDelete(view, view, image);
        baselineSeconds += TypeAndDelete(plain, *plain.viewport(), image);
        seconds += pair;
        state.SetIterationTime(pair / 2);
    }
    ReportRatio(state, seconds, baselineSeconds, 2.0 * double(state.iterations()));
}

void KeystrokeIn200kLineMemo(benchmark::State& state)
{
    Keystroke(state, MemoLines(200000), 100000, 10);
}
BENCHMARK(KeystrokeIn200kLineMemo)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

void KeystrokeIn100kCharParagraph(benchmark::State& state)
{
    Keystroke(state, {LongParagraph(100000)}, 0, 50000);
}
BENCHMARK(KeystrokeIn100kCharParagraph)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);

void PasteAndUndo(benchmark::State& state)
{
    const QList<QString> lines = MemoLines(100000);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("memo.txt"));
    const CodePage ansi = CodePage::System();
    {
        CTextStore twice;
        twice.LoadParagraphs(lines + lines);
        QString error;
        if (!WriteTextFile(twice, path, ansi, &error))
            return state.SkipWithError(error.toStdString().c_str());
    }
    CTextStore store;
    store.LoadParagraphs(lines);
    CQuirelView view;
    view.resize(kWindow);
    view.ShowStore(&store);
    QApplication::clipboard()->setText(lines.join(QStringLiteral("\r\n")));

    double seconds = 0;
    double baselineSeconds = 0;
    for (auto _ : state) {
        const double pasteAndUndo = Seconds([&] {
            view.Editor().Collapse({});
            view.RunMenuCommand(ViewCommand::kPaste);
            view.RunMenuCommand(ViewCommand::kUndo);
        });
        if (store.TotalLines() != lines.size())
            return state.SkipWithError("the undo did not restore the memo");
        baselineSeconds += Seconds([&] {
            CTextStore loaded;
            ReadTextFile(path, loaded, ansi);
            loaded.RelayoutAll(view.Editor().Wrap(), true);
        });
        seconds += pasteAndUndo;
        state.SetIterationTime(pasteAndUndo);
    }
    ReportRatio(state, seconds, baselineSeconds, double(state.iterations()));
}
BENCHMARK(PasteAndUndo)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

qint64 ResidentBytes()
{
    malloc_trim(0); // what freed blocks still hold is not held by the text
    std::ifstream statm("/proc/self/statm");
    qint64 size = 0;
    qint64 resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// The text is made of paragraphs from `paragraph` (numbered from 0).
void MemoryHeld(benchmark::State& state, QString (*paragraph)(qsizetype))
{
    constexpr qint64 kUtf16Bytes = 20 * 1024 * 1024;
    QImage image(kWindow, QImage::Format_RGB32);
    for (auto _ : state) {
        CTextStore store;
        CQuirelView view; // the empty view's own memory is not the text's
        view.resize(kWindow);
        view.render(&image);
        const qint64 before = ResidentBytes();

        qint64 units = 0;
        {
            QList<QString> paragraphs;
            while (units * 2 < kUtf16Bytes) {
                paragraphs.append(paragraph(paragraphs.size()));
                units += paragraphs.last().size() + 1; // with its line feed
            }
            store.LoadParagraphs(paragraphs);
        }
        view.ShowStore(&store);
        view.render(&image);
        const qint64 growth = ResidentBytes() - before;
        state.counters["utf16_mb"] = double(units * 2) / (1 << 20);
        state.counters["resident_growth_mb"] = double(growth) / (1 << 20);
        state.counters["multiple"] = double(growth) / double(units * 2);
    }
}
BENCHMARK_CAPTURE(MemoryHeld, memo_lines, &MemoLine)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MemoryHeld, long_paragraphs, &NumberedLongParagraph)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitSettingsIdentity();
    InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
