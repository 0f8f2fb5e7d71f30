// Replay driver for fuzz targets when libFuzzer is not used: feeds every seed file named on the
// command line (files or folders) to the target, then a bounded number of deterministic
// mutations of them (byte flips, cuts, splices and inserted runs), so that ctest exercises the
// parser with hostile input on every build.
#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<QByteArray> LoadSeeds(const QStringList& paths)
{
    std::vector<QByteArray> seeds;
    for (const QString& path : paths) {
        QStringList files;
        if (QFileInfo(path).isDir()) {
            QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                files << it.next();
            files.sort();
        } else {
            files << path;
        }
        for (const QString& name : files) {
            QFile file(name);
            if (file.open(QIODevice::ReadOnly))
                seeds.push_back(file.readAll());
        }
    }
    if (seeds.empty())
        seeds.push_back(QByteArray());
    return seeds;
}

QByteArray Mutate(QByteArray data, const std::vector<QByteArray>& seeds, std::mt19937& rng)
{
    auto pick = [&](size_t n) { return n == 0 ? size_t(0) : size_t(rng() % n); };
    const int steps = 1 + int(rng() % 4);
    for (int s = 0; s < steps; ++s) {
        switch (rng() % 6) {
        case 0: // flip bits of one byte
            if (!data.isEmpty())
                data[qsizetype(pick(data.size()))] ^= char(1u << (rng() % 8));
            break;
        case 1: // set a byte to an edge value
            if (!data.isEmpty()) {
                static const char edges[] = {0, 1, 2, '\x7f', '\x80', '\xff', '\n', '\r', ',', ';', '/'};
                data[qsizetype(pick(data.size()))] = edges[pick(sizeof edges)];
            }
            break;
        case 2: // cut the tail
            data.truncate(qsizetype(pick(size_t(data.size()) + 1)));
            break;
        case 3: // remove a stretch
            if (!data.isEmpty()) {
                const qsizetype at = qsizetype(pick(data.size()));
                data.remove(at, qsizetype(1 + pick(16)));
            }
            break;
        case 4: // insert a run of one byte
            data.insert(qsizetype(pick(size_t(data.size()) + 1)), qsizetype(1 + pick(64)), char(rng()));
            break;
        default: { // splice in part of another seed
            const QByteArray& other = seeds[pick(seeds.size())];
            if (!other.isEmpty()) {
                const qsizetype from = qsizetype(pick(other.size()));
                data.insert(qsizetype(pick(size_t(data.size()) + 1)), other.mid(from, qsizetype(1 + pick(256))));
            }
        }
        }
    }
    return data;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    long mutations = 0;
    if (args.size() >= 2 && args[0] == "--mutations") {
        mutations = args[1].toLong();
        args = args.mid(2);
    }
    const std::vector<QByteArray> seeds = LoadSeeds(args);
    for (const QByteArray& seed : seeds)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(seed.constData()), size_t(seed.size()));

    std::mt19937 rng(20261206);
    for (long i = 0; i < mutations; ++i) {
        const QByteArray input = Mutate(seeds[size_t(rng() % seeds.size())], seeds, rng);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
    }
    std::printf("%zu seeds and %ld mutations ran without a fault\n", seeds.size(), mutations);
    return 0;
}
