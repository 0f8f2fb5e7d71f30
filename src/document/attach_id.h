// Attachment folder identifiers: 24 letters, each the C library's rand() modulo 26 used as an
// index into "abcdefghijklmnopqrstuvxwyz" (x before w, as stored ids have always been made).
// The generator is seeded with the time by each store object (local database or server table).
#pragma once

#include <QString>

QString NewAttachId();
// Seeds the generator from the clock at full resolution: two stores opened within one second (a
// script adding memos one by one) must not hand out the same attachment folder names.
void SeedAttachIdsFromClock();
