// CodePage: iconv conversions that replace what does not convert (see code_page.h).
#include "code_page.h"

#include "settings.h"

#include <QSysInfo>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <vector>

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

// A stateless code page whose characters are one byte or two, each one UTF-16 unit (CP932 and
// the other double-byte ANSI code pages), decodes through tables read from its converter: the
// same result as the converter with its replacements, at a fraction of iconv's cost per byte.
class ByteTable {
public:
    static constexpr int32_t kInvalid = -1;
    static constexpr int32_t kLead = -2;

    // Empty (not Usable) for a code page of longer or stateful sequences.
    explicit ByteTable(iconv_t converter)
    {
        for (int byte = 0; byte < 256; ++byte) {
            const char single[1] = {char(byte)};
            m_single[size_t(byte)] = Unit(converter, single);
            if (m_single[size_t(byte)] == kUnusable)
                return;
        }
        m_pairs.assign(size_t(1) << 16, kInvalid);
        for (int lead = 0; lead < 256; ++lead) {
            if (m_single[size_t(lead)] != kLead)
                continue;
            for (int trail = 0; trail < 256; ++trail) {
                const char pair[2] = {char(lead), char(trail)};
                const int32_t unit = Unit(converter, pair);
                if (unit == kUnusable || unit == kLead) {
                    m_pairs.clear();
                    return;
                }
                m_pairs[size_t(lead << 8 | trail)] = unit;
            }
        }
        m_usable = true;
    }
    bool Usable() const { return m_usable; }

    QString Decode(QByteArrayView bytes) const
    {
        QString text(bytes.size(), Qt::Uninitialized);
        char16_t* out = reinterpret_cast<char16_t*>(text.data());
        const auto* at = reinterpret_cast<const uchar*>(bytes.data());
        const uchar* const end = at + bytes.size();
        while (at < end) {
            int32_t unit = m_single[*at];
            if (unit == kLead && at + 1 < end) {
                unit = m_pairs[size_t(at[0] << 8 | at[1])];
                at += unit >= 0 ? 1 : 0;
            }
            *out++ = unit >= 0 ? char16_t(unit) : char16_t(QChar::ReplacementCharacter);
            ++at;
        }
        text.truncate(out - reinterpret_cast<char16_t*>(text.data()));
        return text;
    }

private:
    static constexpr int32_t kUnusable = -3;

    // What `bytes` decode to on their own: one unit, a lead byte (incomplete), invalid, or
    // anything else, which the table cannot express.
    template <size_t N>
    static int32_t Unit(iconv_t converter, const char (&bytes)[N])
    {
        char16_t units[2];
        char* in = const_cast<char*>(bytes);
        size_t inLeft = N;
        char* out = reinterpret_cast<char*>(units);
        size_t outLeft = sizeof units;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        const bool converted = iconv(converter, &in, &inLeft, &out, &outLeft) != size_t(-1);
        const int error = errno;
        if (converted && inLeft == 0 && outLeft == sizeof units - sizeof(char16_t))
            return units[0];
        if (!converted && inLeft == N && error == EILSEQ)
            return kInvalid;
        if (!converted && inLeft == N && error == EINVAL)
            return kLead;
        return kUnusable;
    }

    bool m_usable = false;
    std::array<int32_t, 256> m_single{};
    std::vector<int32_t> m_pairs; // lead << 8 | trail -> unit or kInvalid
};

// Inputs from this size on decode through the table: reading it from the converter costs about
// as much as converting this much text.
constexpr qsizetype kTableWorthBytes = qsizetype(64) << 10;

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

    // The table of a code page that has one, read when a large input first needs it.
    const ByteTable* Table()
    {
        if (!table && toUtf16 != kNoConverter)
            table = std::make_unique<ByteTable>(toUtf16);
        return table && table->Usable() ? table.get() : nullptr;
    }

    const iconv_t toUtf16;
    const iconv_t fromUtf16;
    std::unique_ptr<ByteTable> table;
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
    if (bytes.size() >= kTableWorthBytes) {
        if (const ByteTable* table = m_converters->Table())
            return table->Decode(bytes);
    }
    return Convert<QString>(m_converters->toUtf16, bytes, bytes.size(),
                            QByteArrayView(reinterpret_cast<const char*>(&kReplacement), sizeof kReplacement),
                            SkipByte);
}

QByteArray CodePage::Encode(QStringView text) const
{
    const QByteArrayView units(reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(char16_t)));
    return Convert<QByteArray>(m_converters->fromUtf16, units, text.size() * 2, "?", SkipUtf16Character);
}
