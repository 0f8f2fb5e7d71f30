// The editor view's costs, each beside a baseline, as ratios of medians over five repetitions:
// (1) Keystroke: typing one character in the middle of a paragraph and deleting it again, each
//     key sent to the shown widget and followed by the event loop's repaint of what the widget
//     marked dirty, in a memo of 200 000 lines and in one paragraph of 100 000 characters,
//     against QPlainTextEdit doing the same on the same text. Both are warmed with the same
//     keys first. Goals: at most 0.03 for the memo and 0.005 for the long paragraph.
// (2) PasteAndUndo: pasting 100 000 lines at the start of a 100 000-line memo and undoing it,
//     against reading the same 200 000 lines from a file and laying them out. Goal: at most 2.
// (3) MemoryHeld: the resident memory a text of 20 MB in UTF-16 adds once the view shows it,
//     as a multiple of that size, for memo lines of 30 to 40 characters and for paragraphs of
//     about 1000. Goal: at most 4 (a counter, not a ratio of times).
#include "document/text_file.h"
#include "editor/view/quirel_view.h"
#include "editor/view/view_font.h"
#include "platform/settings.h"
#include "ratio_reporter.h"

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

// A text shown twice, in the program's view and in a QPlainTextEdit, both windows shown on the
// platform (offscreen) and both carets at `offset` of paragraph `paragraph`. Made once per text,
// before the first repetition times anything, and never destroyed: widgets may not outlive the
// application object, which ends before static objects do.
struct ShownText {
    CTextStore store;
    CQuirelView view;
    QPlainTextEdit plain;

    ShownText(const QList<QString>& paragraphs, int paragraph, int offset)
    {
        store.LoadParagraphs(paragraphs);
        view.resize(kWindow);
        view.ShowStore(&store);
        const CTextPara* para = store.FirstParagraph();
        for (int i = 0; i < paragraph; ++i)
            para = para->next;
        view.Editor().Collapse(store.OffsetToPosition(*para, offset));
        view.Editor().ScrollCaretIntoView();
        view.Refresh();
        view.show();

        plain.resize(kWindow);
        plain.setPlainText(paragraphs.join(u'\n'));
        QTextCursor cursor(plain.document()->findBlockByNumber(paragraph));
        cursor.setPosition(cursor.position() + offset);
        plain.setTextCursor(cursor);
        plain.ensureCursorVisible();
        plain.show();
        QApplication::processEvents();
    }
};

ShownText& Memo()
{
    static ShownText& memo = *new ShownText(MemoLines(200000), 100000, 10);
    return memo;
}

ShownText& Paragraph()
{
    static ShownText& paragraph = *new ShownText({LongParagraph(100000)}, 0, 50000);
    return paragraph;
}

// Typing "a" and deleting it with Backspace, each key followed by the repaint it asked for.
void TypeAndDelete(QWidget& target)
{
    for (const auto& [key, text] :
         {std::pair(Qt::Key_A, QStringLiteral("a")), std::pair(Qt::Key_Backspace, QString())}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&target, &press);
        QApplication::processEvents();
    }
}

void Keystrokes(benchmark::State& state, QWidget& target)
{
    // Typed into as a user types: its window active and the widget focused, so that the caret,
    // its blinking and the input method's updates are paid for on both sides.
    target.activateWindow();
    target.setFocus();
    QApplication::processEvents();
    for (int i = 0; i < 3; ++i)
        TypeAndDelete(target);
    for (auto _ : state)
        TypeAndDelete(target);
    state.SetItemsProcessed(2 * state.iterations()); // keystrokes
}

void ViewKeystrokeIn200kLineMemo(benchmark::State& state)
{
    Keystrokes(state, Memo().view);
}
void PlainKeystrokeIn200kLineMemo(benchmark::State& state)
{
    Keystrokes(state, Memo().plain);
}
void ViewKeystrokeIn100kCharParagraph(benchmark::State& state)
{
    Keystrokes(state, Paragraph().view);
}
void PlainKeystrokeIn100kCharParagraph(benchmark::State& state)
{
    Keystrokes(state, Paragraph().plain);
}

const QList<QString>& PastedLines()
{
    static const QList<QString> lines = MemoLines(100000);
    return lines;
}

// The memo after the paste, written as a text file once.
const QString& PastedMemoFile()
{
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString file = folder.filePath(QStringLiteral("memo.txt"));
        CTextStore twice;
        twice.LoadParagraphs(PastedLines() + PastedLines());
        return WriteTextFile(twice, file, CodePage::System(), nullptr) ? file : QString();
    }();
    return path;
}

void PasteAndUndo(benchmark::State& state)
{
    CTextStore store;
    store.LoadParagraphs(PastedLines());
    CQuirelView view;
    view.resize(kWindow);
    view.ShowStore(&store);
    QApplication::clipboard()->setText(PastedLines().join(QStringLiteral("\r\n")));
    const auto pasteAndUndo = [&] {
        view.Editor().Collapse({});
        view.RunMenuCommand(ViewCommand::kPaste);
        view.RunMenuCommand(ViewCommand::kUndo);
    };
    pasteAndUndo();
    for (auto _ : state)
        pasteAndUndo();
    if (store.TotalLines() != PastedLines().size())
        state.SkipWithError("the undo did not restore the memo");
}

void ReadAndLayOut(benchmark::State& state)
{
    const QString& path = PastedMemoFile();
    if (path.isEmpty())
        return state.SkipWithError("the memo file cannot be written");
    CQuirelView view; // for its measurer and wrap settings
    const CodePage ansi = CodePage::System();
    const auto readAndLayOut = [&] {
        CTextStore loaded;
        ReadTextFile(path, loaded, ansi);
        loaded.RelayoutAll(view.Editor().Wrap(), true);
    };
    readAndLayOut();
    for (auto _ : state)
        readAndLayOut();
}

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

// The timed figures and their baselines: five repetitions each, reported as medians of real time.
struct Timed {
    const char* name;
    void (*function)(benchmark::State&);
    int iterations;
    benchmark::TimeUnit unit;
};
constexpr Timed kTimed[] = {
    {"ViewKeystrokeIn200kLineMemo", &ViewKeystrokeIn200kLineMemo, 2000, benchmark::kMicrosecond},
    {"PlainKeystrokeIn200kLineMemo", &PlainKeystrokeIn200kLineMemo, 200, benchmark::kMicrosecond},
    {"ViewKeystrokeIn100kCharParagraph", &ViewKeystrokeIn100kCharParagraph, 200, benchmark::kMicrosecond},
    {"PlainKeystrokeIn100kCharParagraph", &PlainKeystrokeIn100kCharParagraph, 5, benchmark::kMicrosecond},
    {"PasteAndUndo", &PasteAndUndo, 2, benchmark::kMillisecond},
    {"ReadAndLayOut", &ReadAndLayOut, 2, benchmark::kMillisecond},
};

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
    for (const Timed& timed : kTimed) {
        benchmark::RegisterBenchmark(timed.name, timed.function)
            ->Iterations(timed.iterations)
            ->Repetitions(5)
            ->ReportAggregatesOnly()
            ->UseRealTime()
            ->Unit(timed.unit);
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("ViewKeystrokeIn200kLineMemo", "PlainKeystrokeIn200kLineMemo", 0.03);
    reporter.PrintRatio("ViewKeystrokeIn100kCharParagraph", "PlainKeystrokeIn100kCharParagraph", 0.005);
    reporter.PrintRatio("PasteAndUndo", "ReadAndLayOut", 2);
    benchmark::Shutdown();
    return 0;
}
