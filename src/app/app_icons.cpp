// Tool bar images and the window icon, from the theme or drawn (see app_icons.h).
#include "app_icons.h"

#include "app/main_frame.h"
#include "editor/view/print_commands.h"
#include "editor/view/quirel_view.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <array>

namespace {

const QColor kInk(64, 64, 64);
const QColor kPaper(255, 255, 255);
const QColor kFolder(230, 190, 90);
const QColor kArrow(40, 90, 190);
const QColor kRed(200, 40, 40);

// The glyphs below draw on a 16 x 15 grid.
void Page(QPainter& p, int x, int y, int w, int h)
{
    p.setBrush(kPaper);
    p.drawRect(x, y, w, h);
}

void TextLines(QPainter& p, int x, int y, int w, int count)
{
    for (int i = 0; i < count; ++i)
        p.drawLine(x, y + 2 * i, x + w, y + 2 * i);
}

void Triangle(QPainter& p, int tipX, int baseX)
{
    p.setBrush(kArrow);
    p.drawPolygon(QPolygon({{tipX, 7}, {baseX, 2}, {baseX, 12}}));
}

void Bar(QPainter& p, int x)
{
    p.fillRect(x, 2, 2, 11, kArrow);
}

void Folder(QPainter& p, bool open)
{
    p.setBrush(kFolder);
    p.drawPolygon(QPolygon({{1, 3}, {6, 3}, {7, 5}, {14, 5}, {14, 13}, {1, 13}}));
    if (open)
        p.drawPolygon(QPolygon({{4, 8}, {15, 8}, {13, 13}, {1, 13}}));
}

void DrawNew(QPainter& p)
{
    p.setBrush(kPaper);
    p.drawPolygon(QPolygon({{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}}));
    p.drawPolyline(QPolygon({{10, 1}, {10, 4}, {13, 4}}));
}

void DrawSave(QPainter& p)
{
    p.setBrush(kArrow);
    p.drawRect(1, 1, 13, 13);
    p.fillRect(4, 2, 7, 4, kPaper);
    p.fillRect(4, 9, 7, 5, kPaper.darker(120));
}

void DrawPrint(QPainter& p)
{
    Page(p, 4, 1, 7, 5);
    p.setBrush(kPaper.darker(130));
    p.drawRect(1, 6, 13, 5);
    Page(p, 4, 10, 7, 4);
}

void DrawCut(QPainter& p)
{
    p.drawLine(4, 1, 10, 10);
    p.drawLine(11, 1, 5, 10);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(2, 10, 4, 4);
    p.drawEllipse(9, 10, 4, 4);
}

void DrawCopy(QPainter& p)
{
    Page(p, 1, 1, 8, 9);
    Page(p, 6, 5, 8, 9);
    TextLines(p, 8, 8, 4, 3);
}

void DrawPaste(QPainter& p)
{
    p.setBrush(kFolder);
    p.drawRect(1, 2, 10, 12);
    p.fillRect(4, 1, 4, 3, kInk);
    Page(p, 7, 6, 7, 8);
    TextLines(p, 9, 9, 3, 3);
}

void DrawDelete(QPainter& p)
{
    p.setPen(QPen(kRed, 2));
    p.drawLine(3, 2, 12, 12);
    p.drawLine(12, 2, 3, 12);
}

void DrawProperties(QPainter& p)
{
    Page(p, 2, 1, 11, 13);
    p.fillRect(4, 4, 2, 2, kArrow);
    p.fillRect(4, 8, 2, 2, kArrow);
    TextLines(p, 7, 4, 4, 1);
    TextLines(p, 7, 8, 4, 1);
}

void DrawList(QPainter& p)
{
    for (int y : {2, 7, 12}) {
        p.fillRect(1, y - 1, 2, 2, kArrow);
        p.drawLine(5, y, 14, y);
    }
}

struct ToolBarImage {
    int command;
    std::array<const char*, 2> themeNames;
    void (*draw)(QPainter&);
};

const ToolBarImage kImages[] = {
    {FrameCommand::kNew, {"document-new"}, DrawNew},
    {FrameCommand::kOpenTextFile, {"document-open"}, [](QPainter& p) { Folder(p, true); }},
    {FrameCommand::kSave, {"document-save"}, DrawSave},
    {PrintCommand::kPrint, {"document-print"}, DrawPrint},
    {ViewCommand::kCut, {"edit-cut"}, DrawCut},
    {ViewCommand::kCopy, {"edit-copy"}, DrawCopy},
    {ViewCommand::kPaste, {"edit-paste"}, DrawPaste},
    {FrameCommand::kDeleteMemo, {"edit-delete"}, DrawDelete},
    {FrameCommand::kFirst, {"go-first"}, [](QPainter& p) { Bar(p, 2); Triangle(p, 5, 12); }},
    {FrameCommand::kPrevious, {"go-previous"}, [](QPainter& p) { Triangle(p, 3, 11); }},
    {FrameCommand::kNext, {"go-next"}, [](QPainter& p) { Triangle(p, 12, 4); }},
    {FrameCommand::kLast, {"go-last"}, [](QPainter& p) { Triangle(p, 10, 3); Bar(p, 12); }},
    {FrameCommand::kProperties, {"document-properties"}, DrawProperties},
    {FrameCommand::kTitleList, {"view-list-text", "format-justify-fill"}, DrawList},
    {FrameCommand::kAttachmentFolder, {"folder"}, [](QPainter& p) { Folder(p, false); }},
};

QIcon Drawn(QSize size, void (*draw)(QPainter&), qreal scale)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.scale(scale, scale);
    painter.setPen(kInk);
    draw(painter);
    return QIcon(pixmap);
}

// The window icon's picture on a 16-unit grid: a page with a blue heading band and lines.
void DrawQuirel(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 0.5));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(2.5, 1, 11, 14), 1, 1);
    p.fillRect(QRectF(2.75, 1.25, 10.5, 3), QColor(65, 105, 225));
    p.setPen(QPen(kInk, 0.6));
    for (qreal y : {7.0, 9.5, 12.0})
        p.drawLine(QPointF(4.5, y), QPointF(y == 12.0 ? 9.0 : 11.5, y));
}

} // namespace

QIcon ToolBarIcon(int command)
{
    const auto* image = std::ranges::find(kImages, command, &ToolBarImage::command);
    if (image == std::end(kImages))
        return {};
    for (const char* name : image->themeNames)
        if (name && QIcon::hasThemeIcon(QString::fromLatin1(name)))
            return QIcon::fromTheme(QString::fromLatin1(name));
    return Drawn(kToolBarImageSize, image->draw, 1);
}

QIcon QuirelIcon()
{
    if (QIcon::hasThemeIcon(QStringLiteral("quirel")))
        return QIcon::fromTheme(QStringLiteral("quirel"));
    QIcon icon;
    for (int size : {16, 32, 64})
        icon.addPixmap(Drawn(QSize(size, size), DrawQuirel, size / 16.0).pixmap(size));
    return icon;
}
