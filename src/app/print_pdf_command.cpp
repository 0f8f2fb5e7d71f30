// `quirel --print-pdf` (see print_pdf_command.h).
#include "print_pdf_command.h"

#include "document/local_database.h"
#include "document/text_file.h"
#include "editor/page_format.h"
#include "editor/text_store.h"
#include "editor/view/font_measurer.h"
#include "editor/view/page_printer.h"
#include "editor/view/quirel_view.h"
#include "editor/view/view_font.h"
#include "platform/code_page.h"
#include "platform/settings.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <optional>

namespace {

enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

int Fail(const QString& message, int code = kFailure)
{
    const QByteArray line = (QStringLiteral("quirel: ") + message + u'\n').toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    return code;
}

int UsageError(const QString& message)
{
    return Fail(message + QStringLiteral(" (usage: quirel --print-pdf OUT.pdf FILE, or quirel --print-pdf "
                                         "OUT.pdf FILE.qrl --memo POSITION)"),
                kUsage);
}

bool IsDatabasePath(const QString& path)
{
    return path.endsWith(QStringLiteral(".qrl"), Qt::CaseInsensitive);
}

// The memo at `position` of a database file into the store; its font, or a message on failure.
// Printing only reads: it works on a file the user may not write and never creates one.
std::optional<LogFontW> LoadMemo(const QString& path, int position, CTextStore& store, QString& message)
{
    CLocalDatabase database(path);
    if (database.Open(CLocalDatabase::OpenMode::kReadOnly) != CLocalDatabase::kOk) {
        const CLocalDatabase::OpenFailure failure = database.LastOpenFailure();
        message = path + (failure == CLocalDatabase::OpenFailure::kMissing        ? QStringLiteral(": no such file")
                          : failure == CLocalDatabase::OpenFailure::kNotDatabase ? QStringLiteral(": not a memo database")
                                                                                 : QStringLiteral(": cannot be opened"));
        return std::nullopt;
    }
    if (position < 0 || position >= database.Count()) {
        message = QStringLiteral("%1: no memo at position %2 (the file holds %3)").arg(path).arg(position).arg(database.Count());
        return std::nullopt;
    }
    database.SetCurrentPosition(position);
    QString body;
    if (database.LoadCurrent(body) != 1) {
        message = QStringLiteral("%1: the memo at position %2 is damaged").arg(path).arg(position);
        return std::nullopt;
    }
    store.LoadParagraphs({body});
    return database.CurrentHeader().font;
}

// The editor's layout: page geometry from the default printer's paper (or the fallback paper)
// at the screen's resolution, the font's widths, the kinsoku settings, a full remeasure.
void LayOut(CTextStore& store, CPageFormat& format, const LogFontW& font, int dpiX, int dpiY)
{
    format.SetFont(font);
    format.ComputeGeometry(DefaultPrinterPaper(dpiX, dpiY), dpiX, dpiY);
    FontMeasurer measurer(FontFromLogFont(font));
    store.RelayoutAll({&measurer, format.TextWidth(), ReadLeftKin(), ReadRightKin()}, true);
}

} // namespace

int RunPrintPdfCommand(const QStringList& arguments)
{
    const QStringList rest = arguments.mid(2);
    const bool memoForm = rest.size() == 4 && rest[2] == QStringLiteral("--memo");
    if (rest.size() != 2 && !memoForm)
        return UsageError(QStringLiteral("wrong arguments"));
    const QString& output = rest[0];
    const QString& input = rest[1];
    if (!memoForm && IsDatabasePath(input))
        return UsageError(QStringLiteral("a memo database needs --memo POSITION"));
    bool positionOk = true;
    const int position = memoForm ? rest[3].toInt(&positionOk) : 0;
    if (!positionOk)
        return UsageError(QStringLiteral("'%1' is not a position").arg(rest[3]));
    const QFileInfo outputInfo(output);
    if (outputInfo.exists() && outputInfo.canonicalFilePath() == QFileInfo(input).canonicalFilePath())
        return Fail(output + QStringLiteral(": the PDF would overwrite its own source"));

    CTextStore store;
    LogFontW font = DefaultViewFont();
    QString message;
    if (memoForm) {
        const std::optional<LogFontW> memoFont = LoadMemo(input, position, store, message);
        if (!memoFont)
            return Fail(message);
        font = *memoFont;
    } else if (!ReadTextFile(input, store, CodePage::System(), &message)) {
        return Fail(input + QStringLiteral(": ") + message);
    }

    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpiX = screen ? qRound(screen->logicalDotsPerInchX()) : 96;
    const int dpiY = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
    CPageFormat format;
    LayOut(store, format, font, dpiX, dpiY);
    if (!WritePdf(output, store, format, dpiX, dpiY, &message))
        return Fail(output + QStringLiteral(": cannot write the PDF (") + message + u')');
    return kSuccess;
}
