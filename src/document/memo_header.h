// MemoHeader: the fixed 4096-byte little-endian header of a memo (everything but nID, the body
// and the mail id). The local database stores it verbatim as a record's first block; the server
// store keeps one for its current row; the save dialog edits a copy.
//
// In memory it is a plain value with QString fields; the byte image is made and read field by
// field. Strings are cut to their field's payload on writing (the field keeps its NUL) and, on
// reading, end at the first NUL or at the field's end when the terminator is missing.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <span>

// The platform's LOGFONTW, 92 bytes: five 32-bit fields, eight byte fields, a 32-unit face name.
struct LogFontW {
    static constexpr int kBytes = 92;
    static constexpr int kFaceUnits = 32;

    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    QString lfFaceName; // at most 31 units are stored

    QByteArray ToBytes() const;
    // Reads exactly kBytes bytes; anything shorter gives a zeroed font and false.
    static bool FromBytes(QByteArrayView bytes, LogFontW& out);

    friend bool operator==(const LogFontW&, const LogFontW&) = default;
};

struct MemoHeader {
    static constexpr int kBytes = 4096;
    static constexpr int32_t kMark = 0xABCD;
    static constexpr int32_t kEndMark = 0xDCBA;
    // Payload limits of the string fields (each field holds one more unit for the NUL).
    static constexpr int kTitleChars = 127;
    static constexpr int kKeysChars = 1279;
    static constexpr int kDateChars = 19;
    static constexpr int kAttachIdChars = 24;

    int32_t mark = 0;         // 0xABCD, or the memo's nID in the server store
    int32_t headerSize = 0;   // 4096
    int32_t bodyBytes = 0;    // body length in bytes (2 x UTF-16 units)
    QString title;
    QString theKeys;
    QString createdAt;
    QString theDateTime;
    int32_t kind = 0;
    LogFontW font;
    int32_t fontExtraB = 0;
    int32_t fontExtraC = 0;
    QString attachId;
    int32_t attachCount = 0;
    int32_t endMark = 0;

    // The 4096-byte image; reserved bytes and padding are zero.
    QByteArray ToBytes() const;
    // Which fields FromBytes decodes: all, or those a memo list shows and checks (the marks,
    // HeaderSize, BodyBytes, the title and the time stamps), the rest keeping their defaults.
    enum class Fields { kAll, kListed };
    // Reads a 4096-byte image; a shorter buffer gives false and leaves `out` untouched.
    static bool FromBytes(QByteArrayView bytes, MemoHeader& out, Fields fields = Fields::kAll);

    friend bool operator==(const MemoHeader&, const MemoHeader&) = default;
};

// A string field of the 4096-byte image, for checks of raw header blocks: its name, where it
// lies and how many UTF-16 units it holds (the terminator's unit included).
struct MemoHeaderStringField {
    const char* name;
    qsizetype offset;
    qsizetype units;
};
// Title, TheKeys, CreatedAt, TheDateTime, the font's face name and AttachID, in image order.
std::span<const MemoHeaderStringField> MemoHeaderStringFields();

// Fills a header with a new memo's defaults: marks, the local time in both time stamps, kind 4,
// the default font from the settings (or the built-in fallback) and the extra values 9 and 1.
void ResetMemoHeader(MemoHeader& header);

// A time stamp as new memos carry it, "%d/%02d/%02d %02d:%02d:%02d" (e.g. 2014/03/05 09:07:00).
QString MemoTimeStamp(const QDateTime& localTime);

// The built-in fallback font of new memos: ＭＳ Ｐ明朝 at -16.
LogFontW FallbackMemoFont();
