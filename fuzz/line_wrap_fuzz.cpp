// Fuzz target for wrapping hostile text: the input is read as raw UTF-16 units (lone surrogates,
// NUL, CR, tabs and line feeds included), optionally repeated into lines longer than a
// paragraph's 65 535 units, and wrapped at a width from 1 px up with widths from 0 px up. After
// loading the text is the input's; after an insertion and after a deletion every invariant of
// the paragraph chain still holds, and the insertion added exactly its units.
#include "editor/char_measurer.h"
#include "editor/text_store.h"
#include "../tests/editor/text_store_testing.h"

#include <QtEndian>
#include <cstdlib>

namespace {

// Widths spread from 0 to 63 px by the character: zero widths, and widths wider than a narrow
// line.
class HashWidthMeasurer : public CharMeasurer {
public:
    int Width(char32_t character) override { return int((character * 2654435761u) >> 26); }
};

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace

// Input: byte 0 the text width, byte 1 the repeat count (its low 4 bits: up to 15 copies beyond
// the first, so long lines come from short seeds), bytes 2 and 3 where the edits fall, then the
// text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int textWidth = 1 + data[0] * 3;
    const int repeat = data[1] & 0x0F;
    const int editAt = data[2] | data[3] << 8;
    QString text(qsizetype(size - 4) / 2, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(data + 4, text.size(), text.data());
    text.remove(u'\r'); // the store holds no carriage returns: readers drop them before loading
    text = text.repeated(1 + repeat);

    HashWidthMeasurer measurer;
    // Kinsoku sets holding lone surrogates as well.
    static const char16_t leftKin[] = {u'、', u'。', u'）', 0xDC00};
    static const char16_t rightKin[] = {u'「', u'（', 0xD800};
    const WrapSettings wrap{&measurer, textWidth, QString::fromUtf16(leftKin, std::size(leftKin)),
                            QString::fromUtf16(rightKin, std::size(rightKin))};
    CTextStore store;
    store.LoadParagraphs(text.split(u'\n'));
    store.RelayoutAll(wrap, true);
    Check(ChainIsConsistent(store));
    Check(store.WholeText() == text);

    // An insertion and a deletion at a display line taken from the input.
    const int line = store.TotalLines() > 0 ? editAt % store.TotalLines() : 0;
    const int column = editAt % 7;
    const TextPosition at{line, column};
    const QStringView inserted = QStringView(text).first(std::min<qsizetype>(text.size(), 300));
    store.InsertText(line, column, inserted, wrap);
    Check(ChainIsConsistent(store));
    Check(store.WholeText().size() == text.size() + inserted.size());
    store.DeleteRange(at, {line + 2, 0}, wrap);
    Check(ChainIsConsistent(store));
    return 0;
}
