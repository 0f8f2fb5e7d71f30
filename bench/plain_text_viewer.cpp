// The first-frame benchmark's baseline: a minimal QPlainTextEdit program that opens a UTF-8 text
// file (`plain_text_viewer FILE`) and shows it in a window of 3/4 of the screen, as the program
// sizes its main window. It reports its first frame with text as the program does.
#include "app/text_frame_report.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QPlainTextEdit edit;
    ReportFirstTextFrame(
        [&edit](QObject* painted) { return painted == edit.viewport() && !edit.document()->isEmpty(); });
    QFile file(QApplication::arguments().value(1));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    edit.setPlainText(QString::fromUtf8(file.readAll()));
    edit.resize(edit.screen()->availableSize() * 3 / 4);
    edit.show();
    return QApplication::exec();
}
