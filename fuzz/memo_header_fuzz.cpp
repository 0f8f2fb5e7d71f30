// Fuzz target for the MemoHeader reader: any input either is refused or reads into a header whose
// image, once normalised by one write, reads back to the same header and the same bytes.
#include "document/memo_header.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoHeader header;
    if (!MemoHeader::FromBytes(QByteArrayView(data, qsizetype(size)), header))
        return 0;
    const QByteArray normalised = header.ToBytes();
    MemoHeader again;
    if (!MemoHeader::FromBytes(normalised, again) || again.ToBytes() != normalised)
        std::abort();
    return 0;
}
