// Message drops on the main window (see message_drop_view.h).
#include "message_drop_view.h"

#include "mail/message_drop.h"
#include "mail/view/drop_ol_msg.h"
#include "store/server_store.h"

#include <QDropEvent>
#include <QMetaObject>
#include <QMimeData>
#include <memory>

bool AcceptMessageDrag(QDragEnterEvent* event)
{
    if (!DroppedMessages::IsMessageDrop(*event->mimeData()))
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

bool TakeMessageDrop(QDropEvent* event, CQuirelDoc& doc, UserPrompts& prompts, QWidget* window)
{
    if (!DroppedMessages::IsMessageDrop(*event->mimeData()))
        return false;
    // The data lives only during the drop: the files (or the payload's copy) are taken now.
    auto dropped = std::make_shared<DroppedMessages>(*event->mimeData());
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Run once the drop is over, so the source is not kept waiting by the modal dialog.
    QMetaObject::invokeMethod(
        window,
        [dropped, &doc, &prompts, window] {
            CServerStore* table = MessageDropTarget(doc, prompts);
            if (!table)
                return;
            CDropOLMsg dialog(
                [&](RegistrationProgress& progress) {
                    RegisterDroppedMessages(doc, *table, prompts, progress, dropped->Files());
                },
                window);
            dialog.exec();
        },
        Qt::QueuedConnection);
    return true;
}
