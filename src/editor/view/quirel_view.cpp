// CQuirelView: events in, editor calls, and painting (see quirel_view.h).
#include "quirel_view.h"

#include "editor/key_list_page.h"
#include "editor/para_offset.h"
#include "editor/view/view_font.h"
#include "editor/virtual_keys.h"
#include "platform/text_cut.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QUrl>
#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace {

const QColor kBackground(119, 119, 119);
const QColor kTextFrame(224, 224, 224);
constexpr int kFrameOutsideMargin = 9;
constexpr int kCaretWidth = 2;
constexpr int kKeepAliveMs = 30 * 60 * 1000;
constexpr int kWordSelectDelayMs = 400;
constexpr int kWheelStep = 120;
constexpr int kWheelLines = 3;
constexpr int kTextColumnSlack = 10; // the I-beam reaches this far beside the text column
constexpr int kHorizontalLineStep = 10;
constexpr int kHorizontalPageStep = 100;
// How far the input method sees around the caret: a reconversion takes back a phrase, and a
// long paragraph should not be copied to the method on every caret move.
constexpr int kSurroundingReach = 1000;

// Editor commands behind the view's menu commands.
constexpr std::pair<int, int> kMenuToEditor[] = {
    {ViewCommand::kCopy, 601},
    {ViewCommand::kCut, 602},
    {ViewCommand::kPaste, 603},
    {ViewCommand::kUndo, 604},
    {ViewCommand::kDelete, 612},
    {ViewCommand::kSelectAll, ViewCommand::kSelectAll},
    {ViewCommand::kSearchWord, ViewCommand::kSearchWord},
};

struct MenuEntry {
    int command; // 0: a separator
    const char16_t* text;
};
constexpr MenuEntry kContextMenu[] = {
    {ViewCommand::kCut, u"切り取り(&T)"},     {ViewCommand::kCopy, u"コピー(&C)"},
    {ViewCommand::kPaste, u"貼り付け(&P)"},   {ViewCommand::kDelete, u"削除(&D)"},
    {0, nullptr},                             {ViewCommand::kSelectAll, u"すべて選択(&A)"},
    {ViewCommand::kSearchWord, u"検索語(&S)"},
};

// Whether the key table wants this key in the layout in force, so that no window shortcut
// takes it from the view.
bool KeyTableClaims(int keyCode, int layout, int pendingPrefix)
{
    if (pendingPrefix != 0)
        return true;
    // The first keys of each layout's rows, sorted once: every key press asks.
    static const auto firstKeys = [] {
        std::pair<std::vector<int>, std::vector<int>> keys; // Windows, diamond
        for (const KeyRow& row : KeyAssignmentTable()) {
            keys.first.push_back(row.windowsKey1);
            keys.second.push_back(row.diamondKey1);
        }
        std::ranges::sort(keys.first);
        std::ranges::sort(keys.second);
        return keys;
    }();
    return std::ranges::binary_search(layout == kLayoutWindows ? firstKeys.first : firstKeys.second, keyCode);
}

// The program's folder for files with fixed names: the per-user application data folder, open
// to its owner only, so no other user can read those files or plant a link in their place.
QString PrivateFolder()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (path.isEmpty() || !QDir().mkpath(path) ||
        !QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return {};
    return path;
}

// `offset` moved off the middle of a surrogate pair: on behind the pair, or back before it.
int OffPairMiddle(QStringView text, int offset, bool forward)
{
    if (!SplitsPair(text, offset))
        return offset;
    return forward ? offset + 1 : offset - 1;
}

// Text order of display positions.
auto Order(TextPosition position)
{
    return std::pair(position.line, position.column);
}

// The end of what the display line [start, end) of `text` shows: all but a line feed.
qsizetype VisibleEnd(const CAttrString& text, qsizetype start, qsizetype end)
{
    return end > start && text.Text()[end - 1] == u'\n' ? end - 1 : end;
}

Qt::PenStyle UnderlinePen(QTextCharFormat::UnderlineStyle style)
{
    switch (style) {
    case QTextCharFormat::DashUnderline:
        return Qt::DashLine;
    case QTextCharFormat::DotLine:
    case QTextCharFormat::SpellCheckUnderline:
        return Qt::DotLine;
    case QTextCharFormat::DashDotLine:
        return Qt::DashDotLine;
    case QTextCharFormat::DashDotDotLine:
        return Qt::DashDotDotLine;
    case QTextCharFormat::NoUnderline:
        return Qt::NoPen;
    default: // single and wave
        return Qt::SolidLine;
    }
}

} // namespace

PaperInfo DefaultPrinterPaper(int screenDpiX, int screenDpiY)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return {1000, 1000, screenDpiX, screenDpiY};
    QPrinter printer(info, QPrinter::HighResolution);
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    return {int(paper.width()), int(paper.height()), printer.resolution(), printer.resolution()};
}

CQuirelView::CQuirelView(QWidget* parent)
    : QWidget(parent),
      m_ansi(CodePage::System()),
      m_options(ReadEditorOptions()),
      m_measurer(FontFromLogFont(DefaultViewFont())),
      m_editor(*this, m_measurer, m_ansi),
      m_paper(DefaultPrinterPaper(logicalDpiX(), logicalDpiY())),
      m_verticalBar(new QScrollBar(Qt::Vertical, this)),
      m_horizontalBar(new QScrollBar(Qt::Horizontal, this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAcceptDrops(true);

    m_horizontalBar->setSingleStep(kHorizontalLineStep);
    m_horizontalBar->setPageStep(kHorizontalPageStep);
    connect(m_verticalBar, &QScrollBar::valueChanged, this, &CQuirelView::OnVerticalScroll);
    connect(m_horizontalBar, &QScrollBar::valueChanged, this, &CQuirelView::OnHorizontalScroll);

    const int flashTime = QApplication::cursorFlashTime();
    m_blinkInterval = flashTime > 0 ? flashTime / 2 : 0;
    // One tick at a time. A change shows the caret and notes the time rather than restarting the
    // timer on every key; a tick that comes before the caret was shown a whole interval waits
    // for the rest of it.
    m_caretBlink.setSingleShot(true);
    connect(&m_caretBlink, &QTimer::timeout, this, [this] {
        const qint64 shownFor = m_caretShownAt.elapsed();
        if (m_caretShown && shownFor < m_blinkInterval - m_blinkInterval / 10)
            return m_caretBlink.start(int(m_blinkInterval - shownFor));
        m_caretShown = !m_caretShown;
        update(CaretRect());
        m_caretBlink.start(m_blinkInterval);
    });

    // Stopped on each tick and started again once the tick's work is done.
    m_keepAlive.setSingleShot(true);
    m_keepAlive.setInterval(kKeepAliveMs);
    connect(&m_keepAlive, &QTimer::timeout, this, [this] {
        Q_EMIT KeepAliveTick();
        m_keepAlive.start();
    });
    m_keepAlive.start();

    LayOutAgain(DefaultViewFont(), true);
}

void CQuirelView::SetOptions(const EditorOptions& options)
{
    m_options = options;
    m_editor.SetKinsoku(m_options.leftKin, m_options.rightKin);
    m_editor.RelayoutAll(false);
    Refresh();
}

void CQuirelView::SetKeepAliveInterval(int milliseconds)
{
    m_keepAlive.start(milliseconds);
}

CQuirelView::~CQuirelView() = default;

void CQuirelView::ShowStore(CTextStore* store, const std::optional<LogFontW>& memoFont)
{
    m_store = store;
    OnUpdate(kHintLoaded, memoFont);
}

void CQuirelView::OnUpdate(int hint, const std::optional<LogFontW>& memoFont)
{
    switch (hint) {
    case kHintNewMemo:
    case kHintLoaded:
        LayOutAgain(hint == kHintLoaded && memoFont ? *memoFont : DefaultViewFont(), true);
        setFocus();
        break;
    case kHintTextChanged:
        m_editor.Format().ComputeGeometry(m_paper, logicalDpiX(), logicalDpiY());
        m_editor.Resize(width(), height(), ScrollBarExtent());
        Refresh();
        break;
    default: // 4 asks nothing; 5 concerns the title list, which this view does not show
        break;
    }
}

void CQuirelView::SetPaper(const PaperInfo& paper)
{
    m_paper = paper;
    CPageFormat& format = m_editor.Format();
    format.caret = format.anchor = {};
    format.ComputeGeometry(m_paper, logicalDpiX(), logicalDpiY());
    m_editor.RelayoutAll(false);
    m_editor.Resize(width(), height(), ScrollBarExtent());
    Refresh();
}

void CQuirelView::LayOutAgain(const LogFontW& font, bool attach)
{
    CPageFormat& format = m_editor.Format();
    format.Reset();
    format.SetFont(font);
    m_measurer.SetFont(FontFromLogFont(font));
    format.ComputeGeometry(m_paper, logicalDpiX(), logicalDpiY());
    m_editor.SetKinsoku(m_options.leftKin, m_options.rightKin);
    if (attach) {
        m_editor.Attach(m_store, true);
        if (m_composition.Active()) // the composition belonged to the text shown before
            QGuiApplication::inputMethod()->reset();
        m_composition.Clear();
    } else
        m_editor.RelayoutAll(true);
    m_editor.Resize(width(), height(), ScrollBarExtent());
    Refresh();
}

void CQuirelView::Refresh()
{
    RefreshArea(rect());
}

void CQuirelView::RefreshArea(const QRect& area)
{
    LayOutComposition();
    UpdateScrollBars();
    m_caretShown = true;
    if (hasFocus()) {
        if (m_blinkInterval > 0) {
            m_caretShownAt.start();
            if (!m_caretBlink.isActive())
                m_caretBlink.start(m_blinkInterval);
        }
        QGuiApplication::inputMethod()->update(Qt::ImQueryInput | Qt::ImInputItemClipRectangle);
    }
    update(area);
    Q_EMIT StatusChanged(m_editor.PositionStatusText(), m_editor.ChangedStatusText());
}

CQuirelView::ScreenState CQuirelView::CurrentScreenState() const
{
    const CPageFormat& format = Format();
    ScreenState state;
    state.verticalScroll = format.verticalScroll;
    state.horizontalOffset = format.horizontalOffset;
    state.caret = format.caret;
    state.anchor = format.anchor;
    state.composing = m_composition.Active();
    if (m_store) {
        state.totalLines = m_store->TotalLines();
        state.caretX = m_editor.CaretWindowX();
    }
    return state;
}

CQuirelView::ScreenState CQuirelView::StartChange()
{
    m_caretLineBefore.text.clear();
    m_caretLineBefore.widths.clear();
    if (m_store) {
        m_store->TakeChangedLines(); // earlier commands refreshed the whole view
        const int line = Format().caret.line;
        if (const CTextPara* para = m_store->FindParagraph(line)) {
            const int start = para->LineStart(line - para->firstLine);
            const qsizetype end = VisibleEnd(para->text, start, para->LineEnd(line - para->firstLine));
            const QStringView text = QStringView(para->text.Text()).sliced(start, end - start);
            const std::span<const uint16_t> widths = m_store->Widths(*para, start, end - start);
            m_caretLineBefore.text.assign(text.utf16(), text.utf16() + text.size());
            m_caretLineBefore.widths.assign(widths.begin(), widths.end());
        }
    }
    return CurrentScreenState();
}

void CQuirelView::EndChange(const ScreenState& before)
{
    RefreshArea(ChangedArea(before, m_store ? m_store->TakeChangedLines() : ChangedLines()));
}

// The display lines between the old and new caret and anchor (a changed selection lies between
// them) and those the edits changed; when an edit moved the lines below, everything from its
// first changed line down. On one line without a selection, only the stretch from the first
// character that changed (from the caret when none did) to the end of the longer text.
// Anything else that moves the lines repaints everything.
QRect CQuirelView::ChangedArea(const ScreenState& before, const ChangedLines& changed) const
{
    const ScreenState after = CurrentScreenState();
    if (!m_store || before.composing || after.composing || after.verticalScroll != before.verticalScroll ||
        after.horizontalOffset != before.horizontalOffset || (after.totalLines != before.totalLines && !changed.moved))
        return rect();
    int first = std::min({before.caret.line, before.anchor.line, after.caret.line, after.anchor.line});
    int last = std::max({before.caret.line, before.anchor.line, after.caret.line, after.anchor.line});
    const bool noSelection = before.caret == before.anchor && after.caret == after.anchor;
    if (changed.first < changed.end || changed.moved) {
        first = std::min(first, changed.first);
        last = std::max(last, changed.end - 1);
    }
    const CPageFormat& format = Format();
    const int top = format.LineTop(first) - format.verticalScroll;
    const int bottom = changed.moved ? format.clientHeight
                                     : format.LineTop(last) - format.verticalScroll + format.LinePitch();
    QRect area(0, top, format.clientWidth, bottom - top);
    // The caret's line as it is now, read in place.
    const CTextPara* para = first == last && noSelection && !changed.moved ? m_store->FindParagraph(first) : nullptr;
    if (para) {
        const int textLeft = format.horizontalOffset + format.marginLeft;
        const int start = para->LineStart(first - para->firstLine);
        const int end = para->LineEnd(first - para->firstLine);
        const std::span<const uint16_t> oldWidths = m_caretLineBefore.widths;
        const qsizetype nowEnd = VisibleEnd(para->text, start, end);
        const QStringView was(m_caretLineBefore.text.data(), qsizetype(m_caretLineBefore.text.size()));
        const QStringView now = QStringView(para->text.Text()).sliced(start, nowEnd - start);
        const size_t kept = size_t(std::ranges::mismatch(was, now).in1 - was.begin());
        // The images reach as far as the visible text and the paragraph mark behind it; the
        // kept characters are as wide in both.
        const int keptRight = textLeft + int(CAttrString::SumOfWidths(oldWidths.first(kept)));
        const int right = keptRight + LineImages::kParagraphMarkWidth +
                          int(std::max(CAttrString::SumOfWidths(oldWidths.subspan(kept)),
                                       m_store->WidthOf(*para, start + qsizetype(kept), nowEnd - start - qsizetype(kept))));
        area.setLeft(std::min({keptRight, before.caretX, after.caretX}));
        // Exactly what was drawn: a keystroke's strip then lies within the line's opaque image.
        area.setRight(std::max({right, before.caretX + kCaretWidth, after.caretX + kCaretWidth}) - 1);
    }
    return area & QRect(0, 0, format.clientWidth, format.clientHeight);
}

// ---- scrolling

int CQuirelView::ScrollBarExtent() const
{
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

int CQuirelView::MaxVerticalScroll() const
{
    const int lastLine = m_store ? m_store->TotalLines() - 1 : 0;
    return std::max(Format().LineTop(std::max(lastLine, 0)), 0);
}

void CQuirelView::SetVerticalScroll(int scroll)
{
    m_editor.Format().verticalScroll = std::clamp(scroll, 0, MaxVerticalScroll());
}

void CQuirelView::UpdateScrollBars()
{
    const CPageFormat& format = Format();
    const qint64 lines = m_store ? m_store->TotalLines() : 1;
    const qint64 range = (lines / format.LinesPerPage() + 1) * format.PageStride();
    const int overflow = format.pageWidth - format.clientWidth;
    const ScrollBarValues values{int(std::min<qint64>(range, std::numeric_limits<int>::max())),
                                 format.fontHeight,
                                 std::max(format.clientHeight - 3 * format.fontHeight, 1),
                                 format.verticalScroll,
                                 std::max(overflow, 0),
                                 -format.horizontalOffset,
                                 overflow > 0};
    if (m_scrollBarsSet == values)
        return;
    m_scrollBarsSet = values;
    {
        const QSignalBlocker block(m_verticalBar);
        m_verticalBar->setRange(0, values.verticalMaximum);
        m_verticalBar->setSingleStep(values.verticalStep);
        m_verticalBar->setPageStep(values.verticalPage);
        m_verticalBar->setValue(values.verticalValue);
    }
    const QSignalBlocker block(m_horizontalBar);
    m_horizontalBar->setEnabled(values.horizontalEnabled);
    m_horizontalBar->setRange(0, values.horizontalMaximum);
    m_horizontalBar->setValue(values.horizontalValue);
}

void CQuirelView::OnVerticalScroll(int value)
{
    m_scrollBarsSet.reset(); // the bar stands where the user put it, maybe past the last line
    SetVerticalScroll(value);
    Refresh();
}

void CQuirelView::OnHorizontalScroll(int value)
{
    m_scrollBarsSet.reset();
    CPageFormat& format = m_editor.Format();
    format.horizontalOffset = std::clamp(-value, std::min(format.clientWidth - format.pageWidth, 0), 0);
    Refresh();
}

void CQuirelView::resizeEvent(QResizeEvent*)
{
    const int extent = ScrollBarExtent();
    m_verticalBar->setGeometry(width() - extent, 0, extent, height() - extent);
    m_horizontalBar->setGeometry(0, height() - extent, width() - extent, extent);
    m_editor.Resize(width(), height(), extent);
    Refresh();
}

void CQuirelView::wheelEvent(QWheelEvent* event)
{
    // The caret stays where it is, even when it leaves the window.
    const CPageFormat& format = Format();
    SetVerticalScroll(format.verticalScroll - event->angleDelta().y() * format.fontHeight * kWheelLines / kWheelStep);
    Refresh();
    event->accept();
}

// ---- keys and the input method

bool CQuirelView::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int keyCode = KeyCodeFromQt(key->key(), key->modifiers(), key->nativeVirtualKey());
        if (keyCode != 0 && KeyTableClaims(keyCode, m_options.keyboardLayout, m_editor.Keys().PendingPrefix())) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

bool CQuirelView::focusNextPrevChild(bool)
{
    return false; // Tab and Shift+Tab are keys of the editor
}

void CQuirelView::keyPressEvent(QKeyEvent* event)
{
    const ScreenState before = StartChange();
    const int keyCode = KeyCodeFromQt(event->key(), event->modifiers(), event->nativeVirtualKey());
    // A key that the table does not claim runs nothing: the table is not searched again.
    if (keyCode != 0 && KeyTableClaims(keyCode, m_options.keyboardLayout, m_editor.Keys().PendingPrefix()))
        m_editor.KeyDown(keyCode, m_options.keyboardLayout);
    // Chords with Ctrl or Alt type nothing, even where the platform gives them a text.
    if (!(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        for (const char32_t character : event->text().toUcs4())
            m_editor.TypeCharacter(character);
    }
    event->accept();
    EndChange(before);
}

// A commit is typed text (one edit). A replacement, relative to the caret, is selected first, so
// the commit takes its place or, without one, it is deleted: that is how a reconversion takes
// back a word. The preedit is then shown at the caret.
void CQuirelView::inputMethodEvent(QInputMethodEvent* event)
{
    const ScreenState before = StartChange();
    if (event->replacementLength() > 0 || event->replacementStart() != 0)
        SelectReplacement(event->replacementStart(), event->replacementLength());
    if (!event->commitString().isEmpty())
        m_editor.InsertText(event->commitString(), true);
    else if (event->replacementLength() > 0)
        m_editor.DeleteSelection(false, true);
    m_composition.SetPreedit(*event);
    event->accept();
    EndChange(before);
}

QVariant CQuirelView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const CPageFormat& format = Format();
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return CaretRect();
    case Qt::ImFont:
        return m_measurer.Font();
    case Qt::ImInputItemClipRectangle: // the text column, where composition takes place
        return QRect(format.horizontalOffset + format.marginLeft, 0, format.TextWidth(), format.clientHeight);
    case Qt::ImSurroundingText:
        return SurroundingText().text;
    case Qt::ImCursorPosition:
        return SurroundingText().cursor;
    case Qt::ImAnchorPosition:
        return SurroundingText().anchor;
    case Qt::ImCurrentSelection:
        return SelectionNearCaret();
    case Qt::ImAbsolutePosition: {
        const auto caret = CaretInParagraph();
        if (!caret)
            return 0;
        qint64 position = caret->second;
        for (const CTextPara* para = caret->first->prev; para; para = para->prev)
            position += para->Length();
        return position;
    }
    default:
        return QWidget::inputMethodQuery(query);
    }
}

std::optional<std::pair<const CTextPara*, int>> CQuirelView::CaretInParagraph() const
{
    if (!m_store)
        return std::nullopt;
    const TextPosition caret = Format().caret;
    const CTextPara* para = m_store->FindParagraph(caret.line);
    const std::optional<ParaOffset> at = ToParaOffset(*m_store, caret);
    if (!para || !at)
        return std::nullopt;
    return std::pair(para, at->offset);
}

// The caret's paragraph without its line feed, cut to kSurroundingReach on either side of the
// caret; an anchor outside that stretch stands at its nearer end.
CQuirelView::Surrounding CQuirelView::SurroundingText() const
{
    const auto caret = CaretInParagraph();
    if (!caret)
        return {};
    const auto [para, offset] = *caret;
    const QStringView visible = QStringView(para->text.Text()).chopped(1);
    const int from = OffPairMiddle(visible, std::max(offset - kSurroundingReach, 0), true);
    const int to = OffPairMiddle(visible, int(std::min<qsizetype>(offset + kSurroundingReach, visible.size())), false);
    int anchor = offset;
    if (m_editor.HasSelection()) {
        const std::optional<ParaOffset> at = ToParaOffset(*m_store, Format().anchor);
        if (!at || at->ordinal > para->ordinal)
            anchor = to;
        else if (at->ordinal < para->ordinal)
            anchor = from;
        else
            anchor = std::clamp(at->offset, from, to);
    }
    return {visible.mid(from, to - from).toString(), offset - from, anchor - from};
}

// The selected text, at most kSurroundingReach characters of it: an input method reconverts a
// phrase, and a whole memo selected should not be copied for it.
QString CQuirelView::SelectionNearCaret() const
{
    if (!m_store || !m_editor.HasSelection())
        return {};
    const TextPosition start = m_editor.SelectionStart();
    TextPosition end = m_editor.SelectionEnd();
    const std::optional<ParaOffset> at = ToParaOffset(*m_store, start);
    const std::optional<TextPosition> limit =
        at ? PositionAfter(*m_store, *at, kSurroundingReach, start.line) : std::nullopt;
    if (limit && Order(*limit) < Order(end))
        end = *limit;
    const QString text = m_store->Range(start, end).Text();
    return text.left(OffPairMiddle(text, int(text.size()), false));
}

// `length` characters from `start` relative to the caret, in the caret's paragraph, widened so
// that no surrogate pair is split, become the selection.
void CQuirelView::SelectReplacement(int start, int length)
{
    const auto caret = CaretInParagraph();
    if (!caret)
        return;
    const auto [para, offset] = *caret;
    const QStringView visible = QStringView(para->text.Text()).chopped(1);
    const qint64 from = std::clamp<qint64>(qint64(offset) + start, 0, visible.size());
    const qint64 to = std::clamp<qint64>(from + std::max(length, 0), from, visible.size());
    m_editor.Collapse(m_store->OffsetToPosition(*para, OffPairMiddle(visible, int(from), false)));
    m_editor.Extend(m_store->OffsetToPosition(*para, OffPairMiddle(visible, int(to), true)));
}

// The composition follows the caret and the text: it is laid out again after every change.
void CQuirelView::LayOutComposition()
{
    if (!m_composition.Active())
        return;
    const auto caret = CaretInParagraph();
    if (!caret)
        return m_composition.Clear();
    m_composition.LayOut(*caret->first, caret->second, m_editor.Wrap());
}

void CQuirelView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    Refresh();
}

void CQuirelView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_caretBlink.stop();
    update(CaretRect());
}

// ---- mouse

bool CQuirelView::InSelection(TextPosition position) const
{
    const auto key = [](TextPosition p) { return std::pair(p.line, p.column); };
    return m_editor.HasSelection() && key(m_editor.SelectionStart()) <= key(position) &&
           key(position) < key(m_editor.SelectionEnd());
}

void CQuirelView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    if (m_composition.Active()) // a click ends the composition where it stands
        QGuiApplication::inputMethod()->commit();
    const QPoint point = event->position().toPoint();
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    if (!extend) {
        const std::optional<TextPosition> at = m_editor.PositionAtPoint(point.x(), point.y());
        if (at && InSelection(*at)) {
            m_dragStart = point;
            return;
        }
    }
    m_editor.MoveToPoint(point.x(), point.y(), extend);
    Refresh();
}

void CQuirelView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (event->buttons() & Qt::LeftButton) {
        if (!m_dragStart) {
            m_editor.MoveToPoint(point.x(), point.y(), true);
            Refresh();
        } else if ((point - *m_dragStart).manhattanLength() >= QApplication::startDragDistance()) {
            m_dragStart.reset();
            StartSelectionDrag();
        }
    }
    UpdateCursorShape(point);
}

void CQuirelView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_dragStart)
        return QWidget::mouseReleaseEvent(event);
    // A click inside the selection that never became a drag places the caret there.
    const QPoint start = *std::exchange(m_dragStart, std::nullopt);
    m_editor.MoveToPoint(start.x(), start.y(), false);
    Refresh();
}

void CQuirelView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The word under the pointer (where the first click put the caret), selected after a pause.
    QTimer::singleShot(kWordSelectDelayMs, this, [this] {
        m_editor.MoveRight(false);
        m_editor.WordLeft(false);
        m_editor.WordRight(true);
        Refresh();
    });
}

void CQuirelView::UpdateCursorShape(QPoint point)
{
    const CPageFormat& format = Format();
    const int x = point.x() - format.horizontalOffset;
    const int intoPage = (point.y() + format.verticalScroll) % format.PageStride() - format.pageGap;
    const bool overTextColumn = x >= format.marginLeft - kTextColumnSlack &&
                                x <= format.pageWidth - format.marginLeft + kTextColumnSlack &&
                                intoPage >= 0 && intoPage < format.pageHeight;
    const std::optional<TextPosition> at = m_editor.PositionAtPoint(point.x(), point.y());
    const bool overSelection = at && InSelection(*at);
    setCursor(overTextColumn && !overSelection ? Qt::IBeamCursor : Qt::ArrowCursor);
}

void CQuirelView::StartSelectionDrag()
{
    auto* data = new QMimeData;
    data->setText(m_editor.SelectedText());
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    m_editor.SetDragInProgress(true);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    m_editor.SetDragInProgress(false);
    Refresh();
}

// Text dropped into the memo. Files from a file manager carry their paths as text too: those
// are left to the main window, which opens them or registers them as messages.
static bool IsTextDrop(const QMimeData* data)
{
    // A mail client's message is registered by the main window, not pasted.
    if (!data->hasText() || data->hasFormat(QStringLiteral("message/rfc822")))
        return false;
    const QList<QUrl> urls = data->urls();
    return std::none_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

void CQuirelView::dragEnterEvent(QDragEnterEvent* event)
{
    if (IsTextDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CQuirelView::dragMoveEvent(QDragMoveEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (IsTextDrop(event->mimeData()) && m_editor.PositionAtPoint(point.x(), point.y()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CQuirelView::dropEvent(QDropEvent* event)
{
    const QPoint point = event->position().toPoint();
    const std::optional<TextPosition> at = m_editor.PositionAtPoint(point.x(), point.y());
    if (!IsTextDrop(event->mimeData()) || !at) {
        event->ignore();
        return;
    }
    const bool moveOwnSelection = event->source() == this && event->proposedAction() == Qt::MoveAction;
    m_editor.DropText(event->mimeData()->text(), *at, moveOwnSelection);
    event->acceptProposedAction();
    setFocus();
    Refresh();
}

// ---- menu commands

void CQuirelView::contextMenuEvent(QContextMenuEvent* event)
{
    CreateContextMenu()->exec(event->globalPos());
}

std::unique_ptr<QMenu> CQuirelView::CreateContextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    for (const MenuEntry& entry : kContextMenu) {
        if (entry.command == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromUtf16(entry.text));
        action->setData(entry.command);
        action->setEnabled(MenuCommandEnabled(entry.command));
        connect(action, &QAction::triggered, this, [this, command = entry.command] { RunMenuCommand(command); });
    }
    return menu;
}

bool CQuirelView::MenuCommandEnabled(int command)
{
    switch (command) {
    case ViewCommand::kCopy:
    case ViewCommand::kCut:
    case ViewCommand::kDelete:
    case ViewCommand::kSearchWord:
        return m_editor.HasSelection();
    case ViewCommand::kPaste:
        return ClipboardText().has_value();
    case ViewCommand::kUndo:
        return m_editor.Undo().CanUndo();
    default:
        return true;
    }
}

void CQuirelView::RunMenuCommand(int command)
{
    if (command == ViewCommand::kChangeFont)
        return ChangeFontInteractively();
    if (command == ViewCommand::kKeyList)
        return ShowKeyList();
    const auto* found = std::ranges::find(kMenuToEditor, command, &std::pair<int, int>::first);
    if (found == std::end(kMenuToEditor))
        return;
    m_editor.RunCommand(found->second);
    Refresh();
}

void CQuirelView::ChangeFontInteractively()
{
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, m_measurer.Font(), this, QStringLiteral("フォント変更"));
    if (!chosen)
        return;
    LogFontW logFont = LogFontFromFont(font, Format().font);
    logFont.lfUnderline = logFont.lfStrikeOut = 0; // effects are not the memo font's business
    ApplyChosenFont(logFont);
    const QString title = QCoreApplication::applicationName();
    if (QMessageBox::question(this, title, QStringLiteral("このフォントを初期値として保存しますか？"),
                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes &&
        WriteDefaultFontLog(logFont.ToBytes()))
        QMessageBox::information(this, title, QStringLiteral("設定しました"));
}

void CQuirelView::ApplyChosenFont(const LogFontW& font)
{
    LayOutAgain(font, false);
    Q_EMIT FontChosen(font);
}

QString CQuirelView::WriteKeyListPage()
{
    const QString folder = PrivateFolder();
    if (folder.isEmpty())
        return {};
    const QString path = folder + QStringLiteral("/Keylist.html");
    // Saving follows a link; a link in place of the page (from before the folder was made
    // private) goes instead.
    if (QFileInfo(path).isSymLink() && !QFile::remove(path))
        return {};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return {};
    file.write(KeyListPage([this](int command) { return m_editor.RunCommand(command, true); }));
    return file.commit() ? path : QString();
}

void CQuirelView::ShowKeyList()
{
    const QString path = WriteKeyListPage();
    if (path.isEmpty())
        ShowMessage(QStringLiteral("キー割り当ての一覧を書き出せません"));
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        ShowMessage(QStringLiteral("キー割り当ての一覧を開けません: ") + QDir::toNativeSeparators(path));
}

// ---- EditorHost

bool CQuirelView::SetClipboardText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    return clipboard->text() == text; // the platform may refuse without saying so
}

std::optional<QString> CQuirelView::ClipboardText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return std::nullopt;
    return data->text();
}

void CQuirelView::ShowMessage(const QString& text)
{
    QMessageBox::warning(this, QCoreApplication::applicationName(), text);
}

void CQuirelView::MarkModified()
{
    Q_EMIT Modified();
}

void CQuirelView::RunHostCommand(int command)
{
    Q_EMIT HostCommand(command);
}

// ---- painting

QRect CQuirelView::CaretRect() const
{
    const CPageFormat& format = Format();
    if (m_composition.Active()) {
        const auto [row, x] = m_composition.CursorPlace();
        return QRect(format.horizontalOffset + format.marginLeft + x,
                     format.LineTop(m_composition.FirstLine() + row) - format.verticalScroll, kCaretWidth,
                     format.fontHeight);
    }
    return QRect(m_editor.CaretWindowX(), m_editor.CaretWindowY(), kCaretWidth, format.fontHeight);
}

void CQuirelView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (!m_store) {
        painter.fillRect(rect(), kBackground); // nothing to show until a document hands over its text
        return;
    }
    const CPageFormat& format = Format();
    const QRect dirty = event->rect();
    const int textLeft = format.horizontalOffset + format.marginLeft;
    m_lineImages.SetStyle(m_measurer.Font(), format.LinePitch(), devicePixelRatioF());
    const int rows = m_store->TotalLines() + m_composition.ExtraLines();
    const int firstRow = std::max(format.LineAtY(dirty.top()), 0);
    const int firstTop = format.LineTop(firstRow) - format.verticalScroll;
    const int firstLine = firstRow < rows ? m_composition.StoreLine(firstRow) : -1;
    if (firstLine >= 0 && firstTop <= dirty.top() && firstTop + format.LinePitch() > dirty.bottom()) {
        // A strip of one line (a keystroke's repaint): its image is opaque, so the page is not
        // filled under it first.
        const QPixmap image = LineImage(firstLine);
        const QSizeF size = image.deviceIndependentSize(); // whole pixels only are covered
        PaintPages(painter, dirty, QRect(textLeft, firstTop, int(size.width()), int(size.height())));
        if (!image.isNull())
            painter.drawPixmap(textLeft, firstTop, image);
    } else {
        PaintPages(painter, dirty, {});
        painter.setFont(m_measurer.Font());
        for (int row = firstRow; row < rows; ++row) {
            const int top = format.LineTop(row) - format.verticalScroll;
            if (top > dirty.bottom())
                break;
            if (top + format.LinePitch() <= dirty.top())
                continue;
            const int line = m_composition.StoreLine(row);
            if (line >= 0) {
                if (const QPixmap image = LineImage(line); !image.isNull())
                    painter.drawPixmap(textLeft, top, image);
            } else
                PaintComposedLine(painter, row - m_composition.FirstLine(), top);
        }
    }
    m_lineImages.EndPaint(dirty.contains(QRect(0, 0, format.clientWidth, format.clientHeight)));
    if (hasFocus() && m_caretShown && (!m_composition.Active() || m_composition.CursorShown()))
        painter.fillRect(CaretRect(), Qt::black);
}

// White pages with a black outline and the grey frame around the text area, on the background.
// Every pixel is filled once: the background only beside, between and below the pages. Fills
// outside the area being painted are skipped (a keystroke repaints a strip of one line), and
// so are the pixels of `covered`, which the caller paints over with something opaque.
void CQuirelView::PaintPages(QPainter& painter, const QRect& area, const QRect& covered) const
{
    if (covered.contains(area))
        return; // a keystroke's strip that its line's image covers
    const CPageFormat& format = Format();
    const auto fillPart = [&](const QRect& r, const QColor& colour) {
        if (!r.isEmpty())
            painter.fillRect(r, colour);
    };
    // The part of `r` in the area, less the covered rectangle: up to four rectangles around it.
    // Most fills miss a keystroke's strip, so that is found first with inline comparisons.
    const auto fill = [&](const QRect& r, const QColor& colour) {
        if (r.left() > area.right() || r.right() < area.left() || r.top() > area.bottom() || r.bottom() < area.top())
            return;
        const QRect part = r & area;
        const QRect hole = part & covered;
        if (hole.isEmpty())
            return fillPart(part, colour);
        fillPart(QRect(QPoint(part.left(), part.top()), QPoint(part.right(), hole.top() - 1)), colour);
        fillPart(QRect(QPoint(part.left(), hole.bottom() + 1), QPoint(part.right(), part.bottom())), colour);
        fillPart(QRect(QPoint(part.left(), hole.top()), QPoint(hole.left() - 1, hole.bottom())), colour);
        fillPart(QRect(QPoint(hole.right() + 1, hole.top()), QPoint(part.right(), hole.bottom())), colour);
    };
    const int left = format.horizontalOffset;
    const int right = left + format.pageWidth;
    fill(QRect(0, 0, std::max(left, 0), height()), kBackground);
    fill(QRect(right, 0, std::max(width() - right, 0), height()), kBackground);
    const QRect frame(QPoint(format.marginLeft - kFrameOutsideMargin, format.marginTop - kFrameOutsideMargin),
                      QPoint(format.pageWidth - format.marginRight + kFrameOutsideMargin - 1,
                             format.pageHeight - format.marginBottom + kFrameOutsideMargin - 1));
    // A one-pixel outline just inside the rectangle, drawn as four fills (a pen strokes a path).
    const auto outline = [&fill](const QRect& r, const QColor& colour) {
        fill(QRect(r.left(), r.top(), r.width(), 1), colour);
        fill(QRect(r.left(), r.bottom(), r.width(), 1), colour);
        fill(QRect(r.left(), r.top(), 1, r.height()), colour);
        fill(QRect(r.right(), r.top(), 1, r.height()), colour);
    };
    const int stride = format.PageStride();
    // An area inside one page's text frame (a keystroke's strip) is white but for the covered
    // part: the tests of every page's pieces are skipped.
    const int areaPageTop = (format.verticalScroll + std::max(area.top(), 0)) / stride * stride - format.verticalScroll;
    const QRect areaPage(QPoint(left, areaPageTop + format.pageGap), QSize(format.pageWidth, format.pageHeight));
    if ((frame.translated(areaPage.topLeft()).adjusted(1, 1, -1, -1) & areaPage.adjusted(1, 1, -1, -1)).contains(area))
        return fill(area, Qt::white);
    int top = -(format.verticalScroll % stride);
    for (; top < format.clientHeight; top += stride) {
        if (top > area.bottom() || top + stride <= area.top())
            continue; // everything of this page lies in [top, top + stride)
        const QRect page(QPoint(left, top + format.pageGap), QSize(format.pageWidth, format.pageHeight));
        fill(QRect(left, top, format.pageWidth, format.pageGap), kBackground);
        fill(QRect(left, page.bottom() + 1, format.pageWidth, format.pageGap), kBackground);
        fill(page.adjusted(1, 1, -1, -1), Qt::white);
        outline(page, Qt::black);
        outline(frame.translated(page.topLeft()), kTextFrame);
    }
    fill(QRect(left, top, format.pageWidth, std::max(height() - top, 0)), kBackground);
    // The corner between the scroll bars.
    fill(QRect(QPoint(format.clientWidth, format.clientHeight), size()), kBackground);
}

// Store line `line` as an image, with its part of the selection.
QPixmap CQuirelView::LineImage(int line)
{
    const CTextPara* para = m_store->FindParagraph(line);
    const int start = para->LineStart(line - para->firstLine);
    const int end = para->LineEnd(line - para->firstLine);
    const bool endsParagraph = end == para->Length();
    const int visible = end - start - (endsParagraph ? 1 : 0); // the line feed is not drawn

    // Columns [selectedFrom, selectedTo) of this line are selected.
    int selectedFrom = visible;
    int selectedTo = visible;
    const TextPosition selectionStart = m_editor.SelectionStart();
    const TextPosition selectionEnd = m_editor.SelectionEnd();
    if (m_editor.HasSelection() && line >= selectionStart.line && line <= selectionEnd.line) {
        selectedFrom = line == selectionStart.line ? std::clamp(selectionStart.column, 0, visible) : 0;
        selectedTo = line == selectionEnd.line ? std::clamp(selectionEnd.column, 0, visible) : visible;
    }
    return m_lineImages.Image(QStringView(para->text.Text()).sliced(start, visible), m_store->Widths(*para, start, visible),
                              selectedFrom, selectedTo, endsParagraph);
}

// A display line of the composed paragraph: the text as typed text looks, then the preedit's
// segments in the input method's formats (background, text colour, underline) over it.
void CQuirelView::PaintComposedLine(QPainter& painter, int row, int top)
{
    const CTextPara& para = m_composition.Paragraph();
    const CAttrString& text = para.text;
    const int start = para.LineStart(row);
    const bool endsParagraph = row == para.LineCount() - 1;
    const int visibleEnd = para.LineEnd(row) - (endsParagraph ? 1 : 0);
    const int left = Format().horizontalOffset + Format().marginLeft;
    const int visible = visibleEnd - start;
    const QPixmap image = m_lineImages.Image(QStringView(text.Text()).sliced(start, visible),
                                             m_store->Widths(para, start, visible), visible, visible, endsParagraph);
    if (!image.isNull())
        painter.drawPixmap(left, top, image);

    const int baseline = top + painter.fontMetrics().ascent();
    for (const Composition::Segment& segment : m_composition.Segments()) {
        const int from = std::max(m_composition.PreeditStart() + segment.start, start);
        const int to = std::min(m_composition.PreeditStart() + segment.start + segment.length, visibleEnd);
        if (from >= to)
            continue;
        const QTextCharFormat& format = segment.format;
        const QRect band(left + int(m_store->WidthOf(para, start, from - start)), top,
                         int(m_store->WidthOf(para, from, to - from)), Format().LinePitch());
        const bool background = format.background().style() != Qt::NoBrush;
        const QColor ink = format.foreground().style() != Qt::NoBrush ? format.foreground().color() : QColor(Qt::black);
        if (background || ink != Qt::black) {
            painter.fillRect(band, background ? format.background() : QBrush(Qt::white));
            painter.setPen(ink);
            painter.drawText(QPoint(band.left(), baseline), text.Text().mid(from, to - from));
        }
        if (const Qt::PenStyle style = UnderlinePen(format.underlineStyle()); style != Qt::NoPen) {
            painter.setPen(QPen(format.underlineColor().isValid() ? format.underlineColor() : ink, 1, style));
            const int y = baseline + painter.fontMetrics().underlinePos();
            painter.drawLine(band.left(), y, band.right(), y);
        }
    }
}
