// MemoHeader and LogFontW byte images, written and read field by field in little-endian order.
// Images start zero-filled, so padding, reserved bytes and the tail of every string field stay
// zero; a string is cut one unit short of its field so the field always keeps its NUL.
#include "memo_header.h"

#include "platform/settings.h"

#include <QtEndian>
#include <algorithm>

namespace {

// Byte offsets inside a LOGFONTW image.
constexpr qsizetype kFontBytesAt = 20;
constexpr qsizetype kFaceNameAt = 28;

// Byte offsets inside a MemoHeader image.
constexpr qsizetype kMarkAt = 0;
constexpr qsizetype kHeaderSizeAt = 4;
constexpr qsizetype kBodyBytesAt = 8;
constexpr qsizetype kTitleAt = 12;
constexpr qsizetype kKeysAt = 268;
constexpr qsizetype kCreatedAtAt = 2828;
constexpr qsizetype kTheDateTimeAt = 2868;
constexpr qsizetype kKindAt = 2908;
constexpr qsizetype kFontAt = 2912;
constexpr qsizetype kFontExtraBAt = 3004;
constexpr qsizetype kFontExtraCAt = 3008;
constexpr qsizetype kAttachIdAt = 3012;
constexpr qsizetype kAttachCountAt = 3064;
constexpr qsizetype kEndMarkAt = 4092;

constexpr MemoHeaderStringField kStringFields[] = {
    {"Title", kTitleAt, MemoHeader::kTitleChars + 1},
    {"TheKeys", kKeysAt, MemoHeader::kKeysChars + 1},
    {"CreatedAt", kCreatedAtAt, MemoHeader::kDateChars + 1},
    {"TheDateTime", kTheDateTimeAt, MemoHeader::kDateChars + 1},
    {"font face name", kFontAt + kFaceNameAt, LogFontW::kFaceUnits},
    {"AttachID", kAttachIdAt, MemoHeader::kAttachIdChars + 1},
};

void PutInt32(char* image, qsizetype at, int32_t value)
{
    qToLittleEndian<int32_t>(value, image + at);
}

int32_t GetInt32(const char* image, qsizetype at)
{
    return qFromLittleEndian<int32_t>(image + at);
}

// `units` is the field's capacity including the NUL.
void PutString(char* image, qsizetype at, int units, const QString& text)
{
    const qsizetype payload = std::min<qsizetype>(text.size(), units - 1);
    qToLittleEndian<char16_t>(text.utf16(), payload, image + at);
}

// Ends at the first NUL or, when the terminator is missing, at the field's end.
QString GetString(const char* image, qsizetype at, int units)
{
    qsizetype length = 0;
    while (length < units && qFromLittleEndian<char16_t>(image + at + 2 * length) != 0)
        ++length;
    QString text(length, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(image + at, length, text.data());
    return text;
}

} // namespace

QByteArray LogFontW::ToBytes() const
{
    QByteArray image(kBytes, '\0');
    char* p = image.data();
    const int32_t longs[] = {lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight};
    for (int i = 0; i < 5; ++i)
        PutInt32(p, 4 * i, longs[i]);
    const uint8_t bytes[] = {lfItalic,       lfUnderline,     lfStrikeOut, lfCharSet,
                             lfOutPrecision, lfClipPrecision, lfQuality,   lfPitchAndFamily};
    std::copy(std::begin(bytes), std::end(bytes), p + kFontBytesAt);
    PutString(p, kFaceNameAt, kFaceUnits, lfFaceName);
    return image;
}

bool LogFontW::FromBytes(QByteArrayView bytes, LogFontW& out)
{
    out = LogFontW{};
    if (bytes.size() < kBytes)
        return false;
    const char* p = bytes.data();
    int32_t* const longFields[] = {&out.lfHeight, &out.lfWidth, &out.lfEscapement, &out.lfOrientation, &out.lfWeight};
    for (int i = 0; i < 5; ++i)
        *longFields[i] = GetInt32(p, 4 * i);
    uint8_t* const byteFields[] = {&out.lfItalic,       &out.lfUnderline,     &out.lfStrikeOut, &out.lfCharSet,
                                   &out.lfOutPrecision, &out.lfClipPrecision, &out.lfQuality,   &out.lfPitchAndFamily};
    for (int i = 0; i < 8; ++i)
        *byteFields[i] = uint8_t(p[kFontBytesAt + i]);
    out.lfFaceName = GetString(p, kFaceNameAt, kFaceUnits);
    return true;
}

QByteArray MemoHeader::ToBytes() const
{
    QByteArray image(kBytes, '\0');
    char* p = image.data();
    PutInt32(p, kMarkAt, mark);
    PutInt32(p, kHeaderSizeAt, headerSize);
    PutInt32(p, kBodyBytesAt, bodyBytes);
    PutString(p, kTitleAt, kTitleChars + 1, title);
    PutString(p, kKeysAt, kKeysChars + 1, theKeys);
    PutString(p, kCreatedAtAt, kDateChars + 1, createdAt);
    PutString(p, kTheDateTimeAt, kDateChars + 1, theDateTime);
    PutInt32(p, kKindAt, kind);
    const QByteArray fontImage = font.ToBytes();
    std::copy(fontImage.begin(), fontImage.end(), p + kFontAt);
    PutInt32(p, kFontExtraBAt, fontExtraB);
    PutInt32(p, kFontExtraCAt, fontExtraC);
    PutString(p, kAttachIdAt, kAttachIdChars + 1, attachId);
    PutInt32(p, kAttachCountAt, attachCount);
    PutInt32(p, kEndMarkAt, endMark);
    return image;
}

bool MemoHeader::FromBytes(QByteArrayView bytes, MemoHeader& out, Fields fields)
{
    if (bytes.size() < kBytes)
        return false;
    const char* p = bytes.data();
    MemoHeader header;
    header.mark = GetInt32(p, kMarkAt);
    header.headerSize = GetInt32(p, kHeaderSizeAt);
    header.bodyBytes = GetInt32(p, kBodyBytesAt);
    header.title = GetString(p, kTitleAt, kTitleChars + 1);
    header.createdAt = GetString(p, kCreatedAtAt, kDateChars + 1);
    header.theDateTime = GetString(p, kTheDateTimeAt, kDateChars + 1);
    header.endMark = GetInt32(p, kEndMarkAt);
    if (fields == Fields::kAll) {
        header.theKeys = GetString(p, kKeysAt, kKeysChars + 1);
        header.kind = GetInt32(p, kKindAt);
        LogFontW::FromBytes(bytes.sliced(kFontAt, LogFontW::kBytes), header.font);
        header.fontExtraB = GetInt32(p, kFontExtraBAt);
        header.fontExtraC = GetInt32(p, kFontExtraCAt);
        header.attachId = GetString(p, kAttachIdAt, kAttachIdChars + 1);
        header.attachCount = GetInt32(p, kAttachCountAt);
    }
    out = std::move(header);
    return true;
}

std::span<const MemoHeaderStringField> MemoHeaderStringFields()
{
    return kStringFields;
}

QString MemoTimeStamp(const QDateTime& localTime)
{
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    return QString::asprintf("%d/%02d/%02d %02d:%02d:%02d", date.year(), date.month(), date.day(), time.hour(),
                             time.minute(), time.second());
}

LogFontW FallbackMemoFont()
{
    LogFontW font;
    font.lfHeight = -16;
    font.lfCharSet = 1;
    font.lfPitchAndFamily = 1;
    font.lfFaceName = QStringLiteral(u"\uFF2D\uFF33 \uFF30\u660E\u671D");
    return font;
}

void ResetMemoHeader(MemoHeader& header)
{
    const QString now = MemoTimeStamp(QDateTime::currentDateTime());
    header = MemoHeader{};
    header.mark = MemoHeader::kMark;
    header.headerSize = MemoHeader::kBytes;
    header.createdAt = now;
    header.theDateTime = now;
    header.kind = 4;
    const std::optional<QByteArray> defaultFont = ReadDefaultFontLog();
    if (!defaultFont || !LogFontW::FromBytes(*defaultFont, header.font))
        header.font = FallbackMemoFont();
    header.fontExtraB = 9;
    header.fontExtraC = 1;
    header.endMark = MemoHeader::kEndMark;
}
