// Fuzz target for server shortcut files: any bytes go through the line splitting, the code page
// and the parser without fault.
#include "document/server_shortcut.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const CodePage codePage("CP932");
    ParseServerShortcutLines(QByteArrayView(data, qsizetype(size)), codePage);
    return 0;
}
