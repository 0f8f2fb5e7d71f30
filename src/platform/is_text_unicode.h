// IsTextUnicode: whether a sample of a file looks like UTF-16 little-endian text, after the
// platform function of that name with its default test set. The tests: byte-order mark, odd
// length, illegal characters (U+0000, U+FFFF, U+FFFE, a CR LF packed into one unit), zero-extended
// ASCII, control characters (CR, LF, TAB, space, ideographic space), statistics (high bytes vary
// much less than low bytes), NUL bytes, and the byte-reversed forms of the positive tests.
//
// How they combine: a leading U+FEFF decides yes. Otherwise a reversed mark, an odd length, an
// illegal character or any byte-reversed test decides no. Otherwise the sample must hold NUL
// bytes (text in a byte encoding never does) and pass the ASCII, control or statistics test.
// Demanding NUL bytes keeps Shift_JIS text, whose lead and trail bytes look like UTF-16 to the
// statistics when they sit at odd offsets, from being taken for Unicode.
#pragma once

#include <QByteArrayView>

bool IsTextUnicode(QByteArrayView sample);
