// ReportFirstTextFrame (see text_frame_report.h).
#include "text_frame_report.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <chrono>

namespace {

// Watches every event of the application until the first paint that shows text.
class TextFrameReporter : public QObject {
public:
    explicit TextFrameReporter(std::function<bool(QObject*)> showsText)
        : QObject(QCoreApplication::instance()), m_showsText(std::move(showsText))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && m_showsText(watched)) {
            m_seen = true;
            // The filter runs before the paint; the frame reaches the window after it.
            QTimer::singleShot(0, this, [this] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::fprintf(stderr, "text frame %lld\n",
                             static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
                std::fflush(stderr);
                QCoreApplication::instance()->removeEventFilter(this);
            });
        }
        return false;
    }

private:
    std::function<bool(QObject*)> m_showsText;
    bool m_seen = false;
};

} // namespace

void ReportFirstTextFrame(std::function<bool(QObject* painted)> showsText)
{
    if (qEnvironmentVariableIsSet("QUIREL_REPORT_TEXT_FRAME"))
        QCoreApplication::instance()->installEventFilter(new TextFrameReporter(std::move(showsText)));
}
