// A drop of mail messages on the editor: which drops are message drops, and the registration
// they start on the document. A message drop is one whose URLs are all local .msg or .eml
// files, or one that carries a message as message/rfc822 data (Linux mail clients drag that);
// any other drop is left to the editor and the main window as before.
//
// Invariant: a drop never moves anything. The source is told the drop was a copy, and the
// dropped files are only read.
#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class CQuirelDoc;
class CServerStore;
class QMimeData;
class RegistrationProgress;
class UserPrompts;

class DroppedMessages {
public:
    static bool IsMessageDrop(const QMimeData& data);

    // Takes the files of a message drop (a message/rfc822 payload is written to a temporary
    // file kept while this object lives, since the drop's data is gone once the drop is over).
    explicit DroppedMessages(const QMimeData& data);
    const QStringList& Files() const { return m_files; }

private:
    std::shared_ptr<QTemporaryDir> m_payloadFolder;
    QStringList m_files;
};

// The document's open server table, or null after message 118 (no server table is open).
CServerStore* MessageDropTarget(CQuirelDoc& doc, UserPrompts& prompts);

// Registers the files into the table: the save-before-leaving step first (its Cancel stops
// everything: 0), the batch, the step again, then the newest memo is shown. The messages not
// registered are listed at the end with the reason. 1 when it ran.
int RegisterDroppedMessages(CQuirelDoc& doc, CServerStore& table, UserPrompts& prompts,
                            RegistrationProgress& progress, const QStringList& files);
