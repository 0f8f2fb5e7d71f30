// Quirel's entry point: the font substitutions, then either printing to PDF (`--print-pdf ...`)
// or the application with its main window for an optional path.
#include "app/print_pdf_command.h"
#include "app/quirel_app.h"
#include "app/text_frame_report.h"
#include "editor/view/quirel_view.h"
#include "editor/view/view_font.h"
#include "platform/settings.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Printing to PDF shows no window, so it needs no display.
    const bool printPdf = argc > 1 && qstrcmp(argv[1], "--print-pdf") == 0;
    if (printPdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    InitSettingsIdentity();
    InstallFontSubstitutions();
    const QStringList arguments = QApplication::arguments();
    if (printPdf)
        return RunPrintPdfCommand(arguments);

    ReportFirstTextFrame([](QObject* painted) {
        auto* view = qobject_cast<CQuirelView*>(painted);
        const CTextStore* store = view ? view->Editor().Store() : nullptr;
        return store && (store->TotalLines() > 1 || store->FirstParagraph()->Length() > 1);
    });
    CQuirelApp quirel;
    quirel.InitInstance(arguments);
    return QApplication::exec();
}
