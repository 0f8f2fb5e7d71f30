// Attachment folder identifiers: 24 letters, each the C library's rand() modulo 26 used as an
// index into "abcdefghijklmnopqrstuvxwyz" (x before w, as stored ids have always been made).
// The generator is seeded with the time by the view and by each local database object.
#pragma once

#include <QString>

QString NewAttachId();
