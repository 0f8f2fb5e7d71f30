// Attachment folder identifiers drawn from the C library's generator, so that the sequence
// follows whatever seed the view and the local database set with srand().
#include "attach_id.h"

#include "document/memo_header.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>

QString NewAttachId()
{
    static constexpr char16_t kLetters[] = u"abcdefghijklmnopqrstuvxwyz";
    QString id;
    id.reserve(MemoHeader::kAttachIdChars);
    for (int i = 0; i < MemoHeader::kAttachIdChars; ++i)
        id += QChar(kLetters[std::rand() % 26]);
    return id;
}

void SeedAttachIdsFromClock()
{
    const auto ticks = uint64_t(std::chrono::system_clock::now().time_since_epoch().count());
    std::srand(unsigned(ticks ^ (ticks >> 32)));
}
