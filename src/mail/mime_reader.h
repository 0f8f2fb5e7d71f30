// The reader of RFC 5322 messages (.eml, as Linux mail clients save them) over GMime: fills the
// same OutlookMessage as the Outlook reader. Names and subject have their encoded words decoded;
// the body is the text/plain parts (their charset converted; none or an unknown one: UTF-8 when
// the bytes are UTF-8, else the ANSI code page), or when there is none the text of the HTML
// parts. Attachments, written into the folder under safe, distinct names: every part with a
// file name, every non-text part, every text part other than plain or HTML or marked as an
// attachment, and every message/rfc822 part (as NAME.eml, named after its file name, else its
// subject, else "添付N"). The message id gets back the angle brackets GMime takes off.
#pragma once

#include "mail/outlook_message.h"
#include "platform/code_page.h"

#include <QString>

// 1 on success; 0 when the file holds no message header or a part cannot be written. `folder`
// must exist.
int ReadMimeMessage(const QString& path, const QString& folder, OutlookMessage& message,
                    const CodePage& ansi = CodePage::System());
