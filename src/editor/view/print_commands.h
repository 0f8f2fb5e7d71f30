// The editor view's printing commands: print through the print dialog, print preview, and
// print to a PDF file. Each prints the store as the format lays it out (the view's pages) and
// tells the user in a message box when printing failed.
#pragma once

class CPageFormat;
class CTextStore;
class QWidget;

namespace PrintCommand {
inline constexpr int kPrint = 57607;
inline constexpr int kPrintPreview = 57609;
} // namespace PrintCommand

// The print dialog, offering pages 1 to the page count, then printing the chosen pages.
void RunPrint(QWidget* parent, CTextStore& store, const CPageFormat& format);
// The print preview window, which draws the pages on demand and can print them.
void RunPrintPreview(QWidget* parent, CTextStore& store, const CPageFormat& format);
// A file dialog for the output name, then every page to that PDF. The paper is the format's
// page at the parent's screen resolution.
void RunPrintToPdf(QWidget* parent, CTextStore& store, const CPageFormat& format);
