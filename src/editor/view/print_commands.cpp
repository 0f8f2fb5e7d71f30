// The view's printing commands (see print_commands.h).
#include "print_commands.h"

#include "editor/page_format.h"
#include "editor/text_store.h"
#include "editor/view/page_printer.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

void ReportFailure(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, QCoreApplication::applicationName(), text);
}

void PrintOrReport(QWidget* parent, QPrinter& printer, CTextStore& store, const CPageFormat& format)
{
    if (!PrintDocument(printer, store, format))
        ReportFailure(parent, QStringLiteral("印刷できませんでした。"));
}

} // namespace

void RunPrint(QWidget* parent, CTextStore& store, const CPageFormat& format)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, format.PageCount(store.TotalLines()));
    if (dialog.exec() == QDialog::Accepted)
        PrintOrReport(parent, printer, store, format);
}

void RunPrintPreview(QWidget* parent, CTextStore& store, const CPageFormat& format)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { PrintOrReport(parent, *target, store, format); });
    dialog.exec();
}

void RunPrintToPdf(QWidget* parent, CTextStore& store, const CPageFormat& format)
{
    QFileDialog dialog(parent, QStringLiteral("PDF に印刷"), {}, QStringLiteral("PDF ファイル (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    const int dpiX = parent ? parent->logicalDpiX() : 96;
    const int dpiY = parent ? parent->logicalDpiY() : 96;
    QString error;
    if (!WritePdf(path, store, format, dpiX, dpiY, &error))
        ReportFailure(parent, QStringLiteral("PDF ファイルを書き込めませんでした。\n%1").arg(error));
}
