// Registering 200 saved messages (.eml, a 2 000-character Japanese body and one 64 KiB
// attachment each) into an empty table of a private MariaDB server, their files into a share
// folder, against RegisterDirect: the same INSERT statements sent through the client library and
// the same attachment files copied into the same folders, the files already extracted. Goal: at
// most 1.3. Each runs once per repetition on an emptied table and folder; after the run the
// ratio of the medians is printed.
#include "document/attach_id.h"
#include "mail/mail_registration.h"
#include "printed_prompts.h"
#include "private_server.h"
#include "ratio_reporter.h"
#include "store/server_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kMessages = 200;
constexpr int kAttachmentBytes = 64 * 1024;
const QString kTable = QStringLiteral("memo");
const QString kAttachmentName = QStringLiteral("資料.bin");

struct Message {
    QString path;       // the .eml
    QString attachment; // its attachment, extracted
    QByteArray title, keys, body, mailId;
};

// The messages and their extracted attachments, written once before timing starts.
struct Input {
    QTemporaryDir folder;
    std::vector<Message> messages;

    Input()
    {
        const QString body = QStringLiteral("会議の議事録を送ります。ご確認ください。\n").repeated(100);
        for (int i = 0; i < kMessages; ++i) {
            QByteArray data(kAttachmentBytes, '\0');
            for (qsizetype at = 0; at < data.size(); ++at)
                data[at] = char((at * 131 + i) & 0xFF);
            Message message{folder.filePath(QStringLiteral("%1.eml").arg(i)),
                            folder.filePath(QStringLiteral("%1/%2").arg(i).arg(kAttachmentName)),
                            QStringLiteral("議事録 %1").arg(i).toUtf8(),
                            QByteArray("差出人 from@example.jp  to@example.jp"), body.toUtf8(),
                            QStringLiteral("<%1@bench.example.jp>").arg(i).toUtf8()};
            QFile eml(message.path);
            eml.open(QIODevice::WriteOnly);
            eml.write("From: =?UTF-8?B?5beu5Ye65Lq6?= <from@example.jp>\r\nTo: to@example.jp\r\nSubject: =?UTF-8?B?"
                      + message.title.toBase64() + "?=\r\nMessage-ID: " + message.mailId
                      + "\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
                        "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
                      + QByteArray(message.body).replace("\n", "\r\n")
                      + "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; "
                        "filename*=UTF-8''%E8%B3%87%E6%96%99.bin\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                      + data.toBase64(QByteArray::Base64Encoding) + "\r\n--b--\r\n");
            QDir().mkpath(QFileInfo(message.attachment).path());
            QFile attachment(message.attachment);
            attachment.open(QIODevice::WriteOnly);
            attachment.write(data);
            messages.push_back(message);
        }
    }
};

const Input& Messages()
{
    static const Input input;
    return input;
}

PrivateServer& TheServer()
{
    static PrivateServer server(QStringLiteral("mail-registration-bench"), QStringLiteral("bench_mail"), kTable);
    return server;
}

// The share's mount folder, emptied with the table before each run.
QString EmptyShare(const QTemporaryDir& share)
{
    QDir(share.filePath(QStringLiteral("Quirel"))).removeRecursively();
    TheServer().Empty();
    return share.path();
}

class NoProgress : public RegistrationProgress {
public:
    void Progress(int, int) override {}
};

void Register(benchmark::State& state)
{
    if (!TheServer().ok)
        return state.SkipWithError("no server");
    PrintedPrompts prompts;
    CServerStore store(prompts);
    if (!TheServer().Connect(store))
        return state.SkipWithError("cannot connect");
    QStringList paths;
    for (const Message& message : Messages().messages)
        paths << message.path;
    NoProgress progress;
    QTemporaryDir share;
    for (auto _ : state) {
        state.PauseTiming();
        const QString mount = EmptyShare(share);
        state.ResumeTiming();
        MailRegistration registration(store, prompts, progress, mount);
        if (registration.Register(paths).Count(MailOutcome::kRegistered) != kMessages)
            return state.SkipWithError("not every message was registered");
    }
}
BENCHMARK(Register)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();

void RegisterDirect(benchmark::State& state)
{
    MYSQL* mysql = TheServer().ConnectDirect();
    if (!mysql)
        return state.SkipWithError("no server");
    const QByteArray font = "//1,9,1,-16,0,0,0,0,0,0,0,1,0,0,0,1,ＭＳ Ｐ明朝";
    QTemporaryDir share;
    for (auto _ : state) {
        state.PauseTiming();
        const QString root = EmptyShare(share) + QStringLiteral("/Quirel/") + kTable + u'/';
        state.ResumeTiming();
        for (const Message& message : Messages().messages) {
            const QString attachId = NewAttachId();
            if (!InsertRowDirect(mysql, kTable, message.title, message.keys, message.body, font, attachId.toUtf8(),
                                 message.mailId))
                return state.SkipWithError("insert failed");
            if (!QDir().mkpath(root + attachId) || !QFile::copy(message.attachment, root + attachId + u'/' + kAttachmentName))
                return state.SkipWithError("copy failed");
        }
    }
    mysql_close(mysql);
}
BENCHMARK(RegisterDirect)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Messages(); // written before timing starts
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("Register", "RegisterDirect", 1.3);
    benchmark::Shutdown();
    TheServer().server.reset();
    return 0;
}
