// CharMeasurer: the width of one UTF-16 unit in the current font, in device pixels.
// Wrapping works only on stored width words; measuring is kept apart so that the view can use
// QFontMetrics (with a cache) and tests can use exact widths.
#pragma once

class CharMeasurer {
public:
    virtual ~CharMeasurer() = default;
    virtual int Width(char16_t unit) = 0;
};
