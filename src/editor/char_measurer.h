// CharMeasurer: the width of one character (a Unicode code point, so a surrogate pair is
// measured whole) in the current font, in device pixels.
// Wrapping works only on stored width words; measuring is kept apart so that the view can use
// QFontMetrics (with a cache) and tests can use exact widths.
#pragma once

class CharMeasurer {
public:
    virtual ~CharMeasurer() = default;
    virtual int Width(char32_t character) = 0;
};
