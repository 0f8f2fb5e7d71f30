// ReportFirstTextFrame: a hook for the first-frame benchmark, which starts the program as a
// process and needs to know when its window first showed the text. Only when the environment
// sets QUIREL_REPORT_TEXT_FRAME, the first paint of a widget that `showsText` accepts is
// reported on standard error as "text frame N", N being CLOCK_MONOTONIC in nanoseconds once the
// paint and its flush to the window are done. Otherwise nothing is installed.
#pragma once

#include <functional>

class QObject;

void ReportFirstTextFrame(std::function<bool(QObject* painted)> showsText);
