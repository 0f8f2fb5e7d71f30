// IsTextUnicode: the tests and how they combine are described in is_text_unicode.h.
#include "is_text_unicode.h"

#include <QtEndian>
#include <cstdlib>

namespace {

constexpr char16_t kMark = 0xFEFF;
constexpr char16_t kReversedMark = 0xFFFE;
// The statistics test passes when one byte of the units varies this many times more than the other.
constexpr long kVariationRatio = 2;

bool IsIllegal(char16_t unit)
{
    constexpr char16_t kPackedCrLf = 0x0A0D; // the bytes 0D 0A read as one unit
    return unit == 0 || unit == 0xFFFF || unit == kReversedMark || unit == kPackedCrLf;
}

bool IsControl(char16_t unit)
{
    return unit == u'\r' || unit == u'\n' || unit == u'\t' || unit == u' ' || unit == u'\u3000';
}

// The reversed ideographic space is the unit of the digit zero, so it proves nothing.
bool IsReversedControl(char16_t unit)
{
    return unit != u'0' && IsControl(qbswap(unit));
}

} // namespace

bool IsTextUnicode(QByteArrayView sample)
{
    const qsizetype units = sample.size() / 2;
    const auto unitAt = [&](qsizetype i) { return qFromLittleEndian<char16_t>(sample.data() + 2 * i); };
    if (units == 0)
        return false;
    if (unitAt(0) == kMark)
        return true;
    if (sample.size() % 2 != 0 || unitAt(0) == kReversedMark)
        return false;

    bool ascii16 = true, reversedAscii16 = true;
    bool controls = false, reversedControls = false, nullBytes = false;
    long lowVariation = 0, highVariation = 0;
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t unit = unitAt(i);
        if (IsIllegal(unit))
            return false;
        const int low = unit & 0xFF, high = unit >> 8;
        ascii16 = ascii16 && high == 0;
        reversedAscii16 = reversedAscii16 && low == 0;
        controls = controls || IsControl(unit);
        reversedControls = reversedControls || IsReversedControl(unit);
        nullBytes = nullBytes || low == 0 || high == 0;
        if (i > 0) {
            const char16_t previous = unitAt(i - 1);
            lowVariation += std::abs(low - (previous & 0xFF));
            highVariation += std::abs(high - (previous >> 8));
        }
    }
    const bool statistics = lowVariation > kVariationRatio * highVariation;
    const bool reversedStatistics = highVariation > kVariationRatio * lowVariation;
    if (reversedAscii16 || reversedControls || reversedStatistics)
        return false;
    return nullBytes && (ascii16 || controls || statistics);
}
