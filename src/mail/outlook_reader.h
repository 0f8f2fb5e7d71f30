// The Outlook message reader: fills an OutlookMessage from a .msg file (a compound file of
// property streams "__substg1.0_TTTTYYYY", tag and type in hexadecimal) read through libgsf, and
// writes every attachment into a folder under a safe, distinct name (attachment_names.h).
// Texts: a UTF-16 property (type 001F) wins over its 8-bit twin whatever the order of the
// streams; 8-bit ones are decoded with the message's code page (0x3FFD, else 0x3FDE, else the
// configured ANSI code page), an undecodable byte becoming U+FFFD.
// Attachments: file data under its long name (3707), else its short name (3704), else its
// display name (3001), else "添付N"; an embedded message (method 5) as a standalone .msg named
// after its display name; an embedded OLE storage (method 6) as a compound file of its own.
#pragma once

#include "mail/outlook_message.h"
#include "platform/code_page.h"

#include <QString>

// 1 on success; 0 when the file is not a compound file with message properties, or a storage, stream or attachment file
// cannot be read or written. The fields read before a failure stay filled. `folder` must exist.
int ReadOutlookMessage(const QString& path, const QString& folder, OutlookMessage& message,
                       const CodePage& ansi = CodePage::System());
