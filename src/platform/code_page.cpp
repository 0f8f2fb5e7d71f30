// CodePage: iconv conversions that replace what does not convert (see code_page.h).
#include "code_page.h"

#include "settings.h"

#include <QSysInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
// QString's units in memory order.
const char* const kHostUtf16 = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";

// How many input bytes to pass over where the converter stopped at something it cannot convert.
using SkipRule = size_t (*)(const char* at, size_t left);

size_t SkipByte(const char*, size_t)
{
    return 1;
}

// One UTF-16 character: a surrogate pair is passed over whole, so it becomes one replacement.
size_t SkipUtf16Character(const char* at, size_t left)
{
    char16_t units[2] = {};
    std::memcpy(units, at, std::min(left, sizeof units));
    return left >= sizeof units && QChar::isHighSurrogate(units[0]) && QChar::isLowSurrogate(units[1]) ? 4 : 2;
}

// Runs `input` through `converter` into a QString or QByteArray, writing `replacement` for every
// piece the converter refuses. `sizeHint` (in units of the result) is the first buffer size.
template <typename Buffer>
Buffer Convert(iconv_t converter, QByteArrayView input, qsizetype sizeHint, QByteArrayView replacement,
               SkipRule skip)
{
    constexpr size_t kUnit = sizeof(typename Buffer::value_type);
    Buffer out(sizeHint, Qt::Uninitialized);
    size_t used = 0; // bytes written
    const auto start = [&] { return reinterpret_cast<char*>(out.data()); };
    const auto room = [&] { return size_t(out.size()) * kUnit - used; };
    const auto grow = [&] { out.resize(out.size() * 2 + 8); };
    // One iconv call from `in` (null: bring a stateful encoding back to its initial state).
    const auto step = [&](char** in, size_t* inLeft) {
        char* at = start() + used;
        size_t left = room();
        const size_t result = iconv(converter, in, inLeft, &at, &left);
        used = size_t(at - start());
        return result != size_t(-1);
    };

    char* in = const_cast<char*>(input.data());
    size_t inLeft = size_t(input.size());
    if (converter != kNoConverter)
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        if (converter != kNoConverter) {
            if (step(&in, &inLeft))
                break;
            if (errno == E2BIG) {
                grow();
                continue;
            }
        }
        // An invalid or incomplete sequence, or no converter at all.
        while (room() < size_t(replacement.size()))
            grow();
        std::memcpy(start() + used, replacement.data(), size_t(replacement.size()));
        used += size_t(replacement.size());
        const size_t skipped = std::min(inLeft, skip(in, inLeft));
        in += skipped;
        inLeft -= skipped;
    }
    while (converter != kNoConverter && !step(nullptr, nullptr) && errno == E2BIG)
        grow();
    out.resize(qsizetype(used / kUnit));
    return out;
}

} // namespace

struct CodePage::Converters {
    explicit Converters(const QByteArray& name)
        : toUtf16(iconv_open(kHostUtf16, name.constData())), fromUtf16(iconv_open(name.constData(), kHostUtf16))
    {
    }
    ~Converters()
    {
        for (iconv_t converter : {toUtf16, fromUtf16}) {
            if (converter != kNoConverter)
                iconv_close(converter);
        }
    }
    Q_DISABLE_COPY_MOVE(Converters)

    const iconv_t toUtf16;
    const iconv_t fromUtf16;
};

CodePage::CodePage(const QByteArray& iconvName)
    : m_name(iconvName), m_converters(std::make_shared<Converters>(iconvName))
{
}

CodePage CodePage::System()
{
    CodePage configured(ReadAnsiCodePage());
    return configured.IsAvailable() ? configured : CodePage();
}

bool CodePage::IsAvailable() const
{
    return m_converters->toUtf16 != kNoConverter && m_converters->fromUtf16 != kNoConverter;
}

QString CodePage::Decode(QByteArrayView bytes) const
{
    static constexpr char16_t kReplacement = QChar::ReplacementCharacter;
    return Convert<QString>(m_converters->toUtf16, bytes, bytes.size(),
                            QByteArrayView(reinterpret_cast<const char*>(&kReplacement), sizeof kReplacement),
                            SkipByte);
}

QByteArray CodePage::Encode(QStringView text) const
{
    const QByteArrayView units(reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(char16_t)));
    return Convert<QByteArray>(m_converters->fromUtf16, units, text.size() * 2, "?", SkipUtf16Character);
}
