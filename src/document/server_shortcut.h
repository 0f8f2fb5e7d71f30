// Server shortcut file (.nbk): a small text file naming a server table. Its first lines, joined
// without separator, read "//--*Nubrick--*//h=HOST;u=USER;f=TABLE;"; each key is searched for
// after the previous value's ";" and anything between the fields is ignored.
#pragma once

#include "platform/code_page.h"

#include <QString>
#include <optional>

struct ServerShortcut {
    QString host, user, table;

    friend bool operator==(const ServerShortcut&, const ServerShortcut&) = default;
};

// Parses the joined text; nothing when the header, a key or a ";" is missing.
std::optional<ServerShortcut> ParseServerShortcut(const QString& joined);

// Parses the file's bytes: at most its first six lines, line ends removed, each decoded with the
// code page, joined.
std::optional<ServerShortcut> ParseServerShortcutLines(QByteArrayView bytes, const CodePage& codePage);

// Reads the first 64 KiB of the file and parses its lines; nothing when the file cannot be read
// or parsed.
std::optional<ServerShortcut> ReadServerShortcutFile(const QString& path, const CodePage& codePage);
