#include "view_font.h"

#include <QFontInfo>
#include <QtGlobal>
#include <cstdlib>

namespace {
struct FaceSubstitution {
    const char16_t* face;       // as memos name it
    const char16_t* substitute; // installed here
};
// Code points, so that the source encoding cannot change the faces memos are matched by.
const FaceSubstitution kSubstitutions[] = {
    {u"\uFF2D\uFF33\u0020\u660E\u671D", u"IPAMincho"},         // ＭＳ 明朝
    {u"\uFF2D\uFF33\u0020\uFF30\u660E\u671D", u"IPAPMincho"},  // ＭＳ Ｐ明朝
};

constexpr int kDefaultPixels = 16;
constexpr int kMaxPixels = 4095; // character widths are 12-bit
constexpr int kWeightNormal = 400;
constexpr int kWeightMax = 1000;
} // namespace

void InstallFontSubstitutions()
{
    for (const FaceSubstitution& s : kSubstitutions)
        QFont::insertSubstitution(QString::fromUtf16(s.face), QString::fromUtf16(s.substitute));
}

QFont FontFromLogFont(const LogFontW& logFont)
{
    QFont font(logFont.lfFaceName);
    const qint64 pixels = std::llabs(qint64(logFont.lfHeight));
    font.setPixelSize(pixels == 0 ? kDefaultPixels : int(qMin<qint64>(pixels, kMaxPixels)));
    const int weight = logFont.lfWeight <= 0 ? kWeightNormal : qMin(logFont.lfWeight, kWeightMax);
    font.setWeight(QFont::Weight(weight));
    font.setItalic(logFont.lfItalic != 0);
    font.setUnderline(logFont.lfUnderline != 0);
    font.setStrikeOut(logFont.lfStrikeOut != 0);
    font.setKerning(false);
    return font;
}

LogFontW LogFontFromFont(const QFont& font, const LogFontW& base)
{
    LogFontW result = base;
    QString face = font.family();
    for (const FaceSubstitution& s : kSubstitutions) {
        if (face == QString::fromUtf16(s.substitute))
            face = QString::fromUtf16(s.face);
    }
    result.lfFaceName = face;
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    result.lfHeight = -qBound(1, pixels, kMaxPixels);
    result.lfWeight = font.weight();
    result.lfItalic = font.italic() ? 1 : 0;
    result.lfUnderline = font.underline() ? 1 : 0;
    result.lfStrikeOut = font.strikeOut() ? 1 : 0;
    return result;
}
