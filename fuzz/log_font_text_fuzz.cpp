// Fuzz target for the LogFont text reader: any UTF-8 text reads without fault, and what was read
// is written and read back unchanged.
#include "document/log_font_text.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoHeader header;
    ReadLogFontText(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)), header);
    MemoHeader again;
    ReadLogFontText(LogFontText(header), again);
    if (again.attachCount != header.attachCount || again.fontExtraB != header.fontExtraB ||
        again.fontExtraC != header.fontExtraC || !(again.font == header.font))
        std::abort();
    return 0;
}
