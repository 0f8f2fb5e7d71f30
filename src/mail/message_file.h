// A saved mail message of either kind, told apart by its first bytes: a compound file is an
// Outlook .msg, anything else is read as an RFC 5322 message (.eml).
#pragma once

#include "mail/outlook_message.h"

#include <QString>

// 1 on success, 0 when the file is not a readable message (see the two readers).
int ReadMessageFile(const QString& path, const QString& folder, OutlookMessage& message);
