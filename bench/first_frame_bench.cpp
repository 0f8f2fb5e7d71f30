// The time from starting `quirel FILE` as a process to the first frame that shows the text,
// against a minimal QPlainTextEdit program (plain_text_viewer) opening the same file, both in
// a window of 3/4 of the screen of an X server (Xvfb, started here on a free display number).
// The texts are 20 MiB of Japanese UTF-8 in two shapes: long paragraphs and memo lines.
// Both programs report the frame through ReportFirstTextFrame (QUIREL_REPORT_TEXT_FRAME); each
// run is timed by hand, five runs per figure, and the ratios of the medians are printed with
// their goals (only the real-time ratio counts: the CPU time is the bench's own). Beside them, the memory: VmRSS 1 s after that frame less VmRSS of the same
// program on an empty file (3 s after its start), per UTF-16 byte of the text (medians).
#include "japanese_text.h"
#include "ratio_reporter.h"
#include "support/proc_status.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

namespace {

constexpr int kRepetitions = 5;

// The steady clock is the system's monotonic clock, which the program's report uses too.
qint64 MonotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Xvfb on the first display number that no other server holds, for the whole run.
class XServer {
public:
    XServer()
    {
        for (int number = 90; number < 200 && m_display.isEmpty(); ++number) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))
                || QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
                continue;
            const QString display = QStringLiteral(":%1").arg(number);
            m_server.start(QStringLiteral("Xvfb"), {display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp"});
            m_server.waitForStarted();
            for (int wait = 0; wait < 100 && m_server.state() == QProcess::Running; ++wait) {
                QProcess probe;
                probe.setStandardOutputFile(QProcess::nullDevice());
                probe.setStandardErrorFile(QProcess::nullDevice());
                probe.start(QStringLiteral("xdpyinfo"), {"-display", display});
                if (probe.waitForFinished() && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0) {
                    m_display = display;
                    break;
                }
                QThread::msleep(100);
            }
            if (m_display.isEmpty())
                Stop();
        }
    }
    ~XServer() { Stop(); }
    const QString& Display() const { return m_display; } // empty when none could be started

private:
    void Stop()
    {
        m_server.terminate();
        m_server.waitForFinished();
    }

    QProcess m_server;
    QString m_display;
};

struct Programs {
    QTemporaryDir folder;
    XServer server;
    std::map<std::string, QString> files; // by shape name, and "empty"
};

Programs& Setup()
{
    static Programs programs;
    if (programs.files.empty()) {
        for (const TextShape* shape : {&kParagraphs, &kMemoLines}) {
            const QString path = programs.folder.filePath(QString::fromLatin1(shape->name) + ".txt");
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(JapaneseText(*shape));
            programs.files[shape->name] = path;
        }
        const QString empty = programs.folder.filePath("empty.txt");
        QFile(empty).open(QIODevice::WriteOnly);
        programs.files["empty"] = empty;
    }
    return programs;
}

// A program started on a file under the X server, with a settings folder of its own.
class Run {
public:
    Run(const QString& program, const QString& file)
    {
        Programs& programs = Setup();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", programs.server.Display());
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("QUIREL_REPORT_TEXT_FRAME", "1");
        environment.insert("XDG_CONFIG_HOME", programs.folder.filePath("config"));
        m_process.setProcessEnvironment(environment);
        m_process.setReadChannel(QProcess::StandardError);
        m_start = MonotonicNs();
        m_process.start(program, {file});
    }
    ~Run()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    // Seconds from the start to the reported frame; none when the program ended or said nothing
    // within a minute.
    std::optional<double> FirstTextFrame()
    {
        QByteArray said;
        while (m_process.waitForReadyRead(60000)) {
            said += m_process.readAll();
            const qsizetype at = said.indexOf("text frame ");
            if (at >= 0 && said.indexOf('\n', at) > at)
                return double(said.mid(at + 11, said.indexOf('\n', at) - at - 11).toLongLong() - m_start) / 1e9;
        }
        return std::nullopt;
    }

    qint64 RssKiB() { return ProcStatusKiB("VmRSS", QByteArray::number(m_process.processId())); }

private:
    QProcess m_process;
    qint64 m_start = 0;
};

std::map<std::string, std::vector<double>> g_memory; // per UTF-16 byte, by benchmark name

// The median VmRSS of a program on the empty file.
qint64 EmptyRssKiB(const QString& program)
{
    static std::map<QString, qint64> medians;
    if (!medians.count(program)) {
        std::vector<qint64> figures;
        for (int run = 0; run < 3; ++run) {
            Run empty(program, Setup().files["empty"]);
            QThread::sleep(3);
            figures.push_back(empty.RssKiB());
        }
        std::sort(figures.begin(), figures.end());
        medians[program] = figures[1];
    }
    return medians[program];
}

void FirstFrame(benchmark::State& state, const std::string& name, const QString& program, const TextShape& shape)
{
    Programs& programs = Setup();
    if (programs.server.Display().isEmpty()) {
        state.SkipWithError("Xvfb could not be started");
        return;
    }
    const QString& path = programs.files[shape.name];
    const qint64 emptyKiB = EmptyRssKiB(program);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const double utf16KiB = 2.0 * double(QString::fromUtf8(file.readAll()).size()) / 1024;
    for (auto _ : state) {
        Run run(program, path);
        const std::optional<double> seconds = run.FirstTextFrame();
        if (!seconds) {
            state.SkipWithError("no frame with text was reported");
            return;
        }
        state.SetIterationTime(*seconds);
        QThread::sleep(1);
        g_memory[name].push_back(double(run.RssKiB() - emptyKiB) / utf16KiB);
    }
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    for (const TextShape* shape : {&kParagraphs, &kMemoLines}) {
        for (const auto& [name, program] : {std::pair{"Quirel", QStringLiteral(QUIREL_PATH)},
                                            std::pair{"PlainTextEdit", QStringLiteral(PLAIN_TEXT_VIEWER_PATH)}}) {
            const std::string benchmark = std::string(name) + "/" + shape->name;
            benchmark::RegisterBenchmark(benchmark.c_str(), FirstFrame, benchmark, program, *shape)
                ->UseManualTime()
                ->Iterations(1)
                ->Repetitions(kRepetitions)
                ->Unit(benchmark::kMillisecond);
        }
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("Quirel/paragraphs", "PlainTextEdit/paragraphs", 1.0);
    reporter.PrintRatio("Quirel/memo_lines", "PlainTextEdit/memo_lines", 0.5);
    for (const auto& [name, figures] : g_memory)
        std::printf("%s: VmRSS 1 s after the frame less the empty file's / UTF-16 size: %.2f (median of %zu)\n",
                    name.c_str(), Median(figures), figures.size());
    benchmark::Shutdown();
    return 0;
}
