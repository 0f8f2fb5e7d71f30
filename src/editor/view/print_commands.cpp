// The frame's printing commands and their shared printer (see print_commands.h).
#include "print_commands.h"

#include "editor/text_store.h"
#include "editor/view/page_printer.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

void PrintOrReport(QWidget* parent, QPrinter& printer, CTextStore& store, const CPageFormat& format)
{
    if (!PrintDocument(printer, store, format))
        QMessageBox::warning(parent, QCoreApplication::applicationName(), QStringLiteral("印刷できませんでした。"));
}

bool operator==(const PaperInfo& a, const PaperInfo& b)
{
    return a.width == b.width && a.height == b.height && a.dpiX == b.dpiX && a.dpiY == b.dpiY;
}

} // namespace

CPrintCommands::CPrintCommands(QWidget* parent) : m_parent(parent) {}

CPrintCommands::~CPrintCommands() = default;

QPrinter& CPrintCommands::Printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

PaperInfo CPrintCommands::Paper()
{
    const QRectF paper = Printer().paperRect(QPrinter::DevicePixel);
    return {int(paper.width()), int(paper.height()), Printer().resolution(), Printer().resolution()};
}

bool CPrintCommands::SetUp()
{
    const PaperInfo before = Paper();
    QPageSetupDialog dialog(&Printer(), m_parent);
    return dialog.exec() == QDialog::Accepted && !(Paper() == before);
}

void CPrintCommands::Print(CTextStore& store, const CPageFormat& format)
{
    QPrintDialog dialog(&Printer(), m_parent);
    dialog.setMinMax(1, format.PageCount(store.TotalLines()));
    if (dialog.exec() == QDialog::Accepted)
        PrintOrReport(m_parent, Printer(), store, format);
}

void CPrintCommands::Preview(CTextStore& store, const CPageFormat& format)
{
    Printer().setFullPage(true);
    QPrintPreviewDialog dialog(&Printer(), m_parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { PrintOrReport(m_parent, *target, store, format); });
    dialog.exec();
}
