// CPrintCommands: the frame's printing commands (print through the print dialog, print preview,
// printer setup, print to a PDF file) and the one printer that they share, so that the paper
// and printer chosen in the printer setup are the ones printed on and previewed, and the pages
// are laid out on that paper. Each prints the store as the format lays it out (the view's
// pages) and tells the user in a message box when printing failed.
#pragma once

#include "editor/page_format.h"

#include <memory>

class CTextStore;
class QPrinter;
class QWidget;

namespace PrintCommand {
inline constexpr int kPrint = 57607;
inline constexpr int kPrintPreview = 57609;
} // namespace PrintCommand

class CPrintCommands {
public:
    explicit CPrintCommands(QWidget* parent);
    ~CPrintCommands();

    // The shared printer, made on first use: finding the default printer may take a moment.
    QPrinter& Printer();
    // The shared printer's paper in printer pixels with its resolution.
    PaperInfo Paper();

    // The page setup dialog on the shared printer; true when it was accepted with another paper.
    bool SetUp();
    // The print dialog, offering pages 1 to the page count, then printing the chosen pages.
    void Print(CTextStore& store, const CPageFormat& format);
    // The print preview window, which draws the pages on demand and can print them.
    void Preview(CTextStore& store, const CPageFormat& format);

private:
    QWidget* m_parent;
    std::unique_ptr<QPrinter> m_printer;
};
