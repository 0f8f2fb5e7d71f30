// Fuzz target for the RFC 5322 (.eml) reader: any bytes are read as a message file (checks in
// mail_fuzz_check.h).
#include "mail/mime_reader.h"
#include "mail_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzMailReader(&ReadMimeMessage, data, size);
    return 0;
}
