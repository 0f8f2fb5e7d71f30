// The main window's side of a message drop: it accepts a message drag as a copy (never a move,
// so a file manager keeps the user's message files) and, once the drop is over, shows
// CDropOLMsg over the document's server table, or message 118 when none is open.
#pragma once

class CQuirelDoc;
class QDragEnterEvent;
class QDropEvent;
class QWidget;
class UserPrompts;

// True when the drag is a message drag (then accepted as a copy).
bool AcceptMessageDrag(QDragEnterEvent* event);
// True when the drop was a message drop (accepted as a copy, its registration queued on
// `window`; the document and the prompts must outlive the window's event loop turn).
bool TakeMessageDrop(QDropEvent* event, CQuirelDoc& doc, UserPrompts& prompts, QWidget* window);
