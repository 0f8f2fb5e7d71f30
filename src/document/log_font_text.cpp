// LogFont text writer and reader. The reader never fails: stored texts of any shape give the
// values that could be read, and every number is read with the lenient rules of the C library's
// wide-string-to-int conversion (white space, sign, digits up to the first non-digit).
#include "log_font_text.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kFaceNameChars = LogFontW::kFaceUnits - 1;

// Leading white space, an optional sign, then decimal digits up to the first non-digit; 0 when
// there are none. Values beyond the int range are clamped to it.
int32_t LenientToInt(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        magnitude = std::min(magnitude * 10 + (text[i].unicode() - u'0'), kLimit);
    const int64_t value = negative ? -magnitude : magnitude;
    return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Takes the value before the next comma off the front of `rest`; false when there is no comma.
bool TakeValue(QStringView& rest, int32_t& value)
{
    const qsizetype comma = rest.indexOf(u',');
    if (comma < 0)
        return false;
    value = LenientToInt(rest.first(comma));
    rest = rest.sliced(comma + 1);
    return true;
}

} // namespace

QString LogFontText(const MemoHeader& header)
{
    const LogFontW& f = header.font;
    const int32_t values[] = {header.attachCount, header.fontExtraB, header.fontExtraC,
                              f.lfHeight,         f.lfWidth,          f.lfEscapement,
                              f.lfOrientation,    f.lfWeight,         f.lfItalic,
                              f.lfUnderline,      f.lfStrikeOut,      f.lfCharSet,
                              f.lfOutPrecision,   f.lfClipPrecision,  f.lfQuality,
                              f.lfPitchAndFamily};
    QString text = QStringLiteral("//");
    for (int32_t value : values)
        text += QString::number(value) + u',';
    return text + f.lfFaceName.left(kFaceNameChars);
}

void ReadLogFontText(const QString& text, MemoHeader& header)
{
    QStringView rest = text;
    // Tested anywhere but dropped from the front: stored texts put "//" first, and the older form
    // has no "//" at all.
    if (text.contains(u"//")) {
        rest = rest.sliced(2);
        if (!TakeValue(rest, header.attachCount))
            return;
    } else {
        header.attachCount = 0;
    }
    LogFontW& f = header.font;
    int32_t* const numbers[] = {&header.fontExtraB, &header.fontExtraC, &f.lfHeight, &f.lfWidth, &f.lfEscapement,
                                &f.lfOrientation, &f.lfWeight};
    for (int32_t* number : numbers) {
        if (!TakeValue(rest, *number))
            return;
    }
    uint8_t* const bytes[] = {&f.lfItalic,       &f.lfUnderline,     &f.lfStrikeOut, &f.lfCharSet,
                              &f.lfOutPrecision, &f.lfClipPrecision, &f.lfQuality,   &f.lfPitchAndFamily};
    for (uint8_t* byte : bytes) {
        int32_t value = 0;
        if (!TakeValue(rest, value))
            return;
        *byte = uint8_t(value);
    }
    f.lfFaceName = rest.left(kFaceNameChars).toString();
}
