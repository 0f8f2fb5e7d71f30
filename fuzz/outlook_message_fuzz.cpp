// Fuzz target for the Outlook .msg reader: any bytes are read as a message file (checks in
// mail_fuzz_check.h).
#include "mail/outlook_reader.h"
#include "mail_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzMailReader(&ReadOutlookMessage, data, size);
    return 0;
}
