// CQuirelView: the editor widget. It shows a text store (owned by the document) as printed
// pages stacked on a grey background, turns keys, input method commits, mouse, wheel, scroll
// bars, drops and menu commands into calls of its TextEditor, and draws what the editor holds.
// It is the editor's host: clipboard, messages, the modified signal and the commands that
// belong to the window around it. The input method's text being composed is shown inside the
// text at the caret (Composition) and enters the store only when committed.
//
// Invariants: the client area is the widget less a scroll bar's extent on the right and at the
// bottom, where the two scroll bars sit; after every change the scroll bars, the caret, the
// input method and the status texts follow the editor's page format, and every display line
// whose look changed is repainted; the caret is drawn only while the view has the focus. No
// settings are read while keys are handled or lines painted: the options are a snapshot that
// SetOptions replaces.
#pragma once

#include "document/document_views.h"
#include "editor/text_editor.h"
#include "editor/view/composition.h"
#include "editor/view/font_measurer.h"
#include "editor/view/line_images.h"
#include "platform/code_page.h"
#include "platform/settings.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

class QMenu;
class QScrollBar;

// Menu and tool-bar commands the view carries out or passes on.
namespace ViewCommand {
inline constexpr int kCopy = 57634;
inline constexpr int kCut = 57635;
inline constexpr int kPaste = 57637;
inline constexpr int kUndo = 57643;
inline constexpr int kDelete = 32776;
inline constexpr int kSelectAll = 32774;
inline constexpr int kSearchWord = 32772;
inline constexpr int kChangeFont = 32778;
inline constexpr int kKeyList = 32815;
} // namespace ViewCommand

// The default printer's paper, or the 1000 x 1000 fallback at `screenDpi` without a printer.
PaperInfo DefaultPrinterPaper(int screenDpiX, int screenDpiY);

class CQuirelView : public QWidget, public EditorHost {
    Q_OBJECT

public:
    explicit CQuirelView(QWidget* parent = nullptr);
    ~CQuirelView() override;

    // Shows another text store (it must outlive its use here) as update hint 2 does.
    void ShowStore(CTextStore* store, const std::optional<LogFontW>& memoFont = std::nullopt);
    // Update hints: 1 a new empty memo (default font), 2 another memo (its font when given,
    // otherwise the default), 3 the text changed outside the view, 4 nothing, 5 a store closed.
    // Hints 1 and 2 lay out the current store again from the start and empty the undo ring.
    void OnUpdate(int hint, const std::optional<LogFontW>& memoFont = std::nullopt);
    // The paper pages are laid out on (the printer setup's choice); caret and anchor go to
    // (0, 0) and the text is rewrapped.
    void SetPaper(const PaperInfo& paper);

    // After every change: scroll bars, caret, input method, repaint and status texts. The owner
    // calls it when it changed something the view shows (the edited flag after a save).
    void Refresh();

    // The options in force (read from the settings when the view is made). The owner gives the
    // view new ones after the options dialog stored them; the text is rewrapped with their
    // kinsoku sets.
    void SetOptions(const EditorOptions& options);
    const EditorOptions& Options() const { return m_options; }

    // The keep-alive period (30 minutes unless changed); restarts the wait.
    void SetKeepAliveInterval(int milliseconds);

    TextEditor& Editor() { return m_editor; }
    const CPageFormat& Format() const { return m_editor.Format(); }
    QFont ViewFont() const { return m_measurer.Font(); }

    // Menu commands (ViewCommand). Editing commands are carried out; 32772 goes to the host
    // when there is a selection.
    void RunMenuCommand(int command);
    bool MenuCommandEnabled(int command);
    // The context menu with its enabling; its actions run RunMenuCommand.
    std::unique_ptr<QMenu> CreateContextMenu();

    // The font command's work after the dialog: the chosen font becomes the view's font, the
    // text is laid out again from (0, 0), and FontChosen tells the owner.
    void ApplyChosenFont(const LogFontW& font);
    // Writes Keylist.html into the program's private folder; its path, or empty on failure.
    QString WriteKeyListPage();

    // For the input method: the caret rectangle, the font, the text column, and the caret's
    // paragraph as surrounding text (near the caret) with the caret, anchor and selection in it.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    // EditorHost
    bool SetClipboardText(const QString& text) override;
    std::optional<QString> ClipboardText() override;
    void ShowMessage(const QString& text) override;
    void MarkModified() override;
    void RunHostCommand(int command) override;

Q_SIGNALS:
    // The status pane texts ("column:line Page n" and "変更" or two full-width spaces).
    void StatusChanged(const QString& position, const QString& changed);
    // The document was modified by an edit.
    void Modified();
    // A command for the window around the view: find (302, 704), replace (306), save (402),
    // previous and next memo (701, 702), search word (32772).
    void HostCommand(int command);
    // The user chose a font for the memo (a database memo stores it in its header).
    void FontChosen(const LogFontW& font);
    // Every 30 minutes while the view lives (the server connection's keep-alive).
    void KeepAliveTick();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Resets the page format to `font`, recomputes the geometry for the window and lays the
    // whole text out again with remeasuring; `attach` also starts the store afresh (caret and
    // anchor at (0, 0), the undo ring emptied).
    void LayOutAgain(const LogFontW& font, bool attach);
    // What a key or an input method event may change on screen, taken before it is handled.
    struct ScreenState {
        int verticalScroll = 0;
        int horizontalOffset = 0;
        int totalLines = 0;
        TextPosition caret;
        TextPosition anchor;
        bool composing = false;
        int caretX = 0; // in the window
    };
    ScreenState CurrentScreenState() const;
    // Before a key or an input method event: the screen state, the caret's line copied to
    // m_caretLineBefore and the store's changed lines started afresh. After it: a refresh that
    // repaints what the event changed (the caret's line then read in place).
    ScreenState StartChange();
    void EndChange(const ScreenState& before);
    // The part of the text area to repaint after a key or an input method event.
    QRect ChangedArea(const ScreenState& before, const ChangedLines& changed) const;
    // Refresh with a repaint of `area` only.
    void RefreshArea(const QRect& area);
    void UpdateScrollBars();
    void UpdateCursorShape(QPoint point);
    void ChangeFontInteractively();
    void ShowKeyList();
    void StartSelectionDrag();
    void OnVerticalScroll(int value);
    void OnHorizontalScroll(int value);
    void SetVerticalScroll(int scroll);
    int ScrollBarExtent() const;
    int MaxVerticalScroll() const;
    bool InSelection(TextPosition position) const;
    // The paragraph that holds the caret and the caret's offset in it; nothing without a text.
    std::optional<std::pair<const CTextPara*, int>> CaretInParagraph() const;
    struct Surrounding {
        QString text;
        int cursor = 0;
        int anchor = 0;
    };
    Surrounding SurroundingText() const;
    QString SelectionNearCaret() const;
    void SelectReplacement(int start, int length);
    void LayOutComposition();
    QRect CaretRect() const;

    void PaintPages(QPainter& painter, const QRect& area, const QRect& covered) const;
    QPixmap LineImage(int line);
    void PaintComposedLine(QPainter& painter, int row, int top);

    CodePage m_ansi;
    EditorOptions m_options;
    FontMeasurer m_measurer;
    TextEditor m_editor;
    CTextStore* m_store = nullptr;
    // The visible text of the caret's display line before a key and its widths; buffers kept
    // from key to key, so that a keystroke allocates nothing for them.
    struct LineCopy {
        std::vector<char16_t> text;
        std::vector<uint16_t> widths;
    };
    LineCopy m_caretLineBefore;
    PaperInfo m_paper;
    QScrollBar* m_verticalBar = nullptr;
    QScrollBar* m_horizontalBar = nullptr;
    LineImages m_lineImages;
    QTimer m_caretBlink;
    int m_blinkInterval = 0;     // half the flash time; 0: the caret does not blink
    QElapsedTimer m_caretShownAt; // when a change last showed the caret
    bool m_caretShown = true;
    QTimer m_keepAlive;
    Composition m_composition;
    // A press inside the selection: a drag starts once the mouse moves far enough.
    std::optional<QPoint> m_dragStart;
    // What UpdateScrollBars last gave the bars, so that a keystroke that changes none of it
    // sets nothing; forgotten when the user moves a bar.
    struct ScrollBarValues {
        int verticalMaximum = 0;
        int verticalStep = 0;
        int verticalPage = 0;
        int verticalValue = 0;
        int horizontalMaximum = 0;
        int horizontalValue = 0;
        bool horizontalEnabled = false;
        friend bool operator==(const ScrollBarValues&, const ScrollBarValues&) = default;
    };
    std::optional<ScrollBarValues> m_scrollBarsSet;
};
