// `quirel --print-pdf`: prints a text file, or one memo of a local database file, to a PDF
// without showing a window, laid out exactly as the editor lays it out.
#pragma once

#include <QStringList>

// The program's arguments, argument 1 being "--print-pdf":
//   quirel --print-pdf OUT.pdf FILE                    a text file, in the default view font
//   quirel --print-pdf OUT.pdf FILE.qrl --memo POS     the memo at order position POS (from 0),
//                                                      in the memo's own font
// Returns the exit code: 0 when the PDF was written; 1 when an input cannot be read or the
// output cannot be written; 2 for a wrong command line. Each failure is one line on standard
// error. A missing database file is never created, and an input is never overwritten.
int RunPrintPdfCommand(const QStringList& arguments);
