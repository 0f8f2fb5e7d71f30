// Server shortcut reader. Reading is bounded (six lines, 64 KiB) so that a wrong or huge file
// chosen by mistake costs nothing; parsing is a plain left-to-right search.
#include "server_shortcut.h"

#include <QFile>

namespace {

constexpr qsizetype kMaxBytes = 64 * 1024;
constexpr int kMaxLines = 6;

// Finds `key` in `rest` and takes the value up to the following ";", leaving `rest` after it.
std::optional<QString> TakeField(QStringView& rest, QStringView key)
{
    const qsizetype keyAt = rest.indexOf(key);
    if (keyAt < 0)
        return std::nullopt;
    const qsizetype valueAt = keyAt + key.size();
    const qsizetype end = rest.indexOf(u';', valueAt);
    if (end < 0)
        return std::nullopt;
    const QString value = rest.sliced(valueAt, end - valueAt).toString();
    rest = rest.sliced(end + 1);
    return value;
}

} // namespace

std::optional<ServerShortcut> ParseServerShortcut(const QString& joined)
{
    static constexpr QStringView kHeader = u"//--*Nubrick--*//";
    if (!joined.startsWith(kHeader))
        return std::nullopt;
    QStringView rest = QStringView(joined).sliced(kHeader.size());
    ServerShortcut shortcut;
    for (auto [key, value] : {std::pair{u"h=", &shortcut.host}, {u"u=", &shortcut.user}, {u"f=", &shortcut.table}}) {
        const std::optional<QString> field = TakeField(rest, key);
        if (!field)
            return std::nullopt;
        *value = *field;
    }
    return shortcut;
}

std::optional<ServerShortcut> ParseServerShortcutLines(QByteArrayView bytes, const CodePage& codePage)
{
    QString joined;
    qsizetype lineAt = 0;
    for (int line = 0; line < kMaxLines && lineAt < bytes.size(); ++line) {
        qsizetype end = bytes.indexOf('\n', lineAt);
        if (end < 0)
            end = bytes.size();
        QByteArrayView text = bytes.sliced(lineAt, end - lineAt);
        if (text.endsWith('\r'))
            text.chop(1);
        joined += codePage.Decode(text);
        lineAt = end + 1;
    }
    return ParseServerShortcut(joined);
}

std::optional<ServerShortcut> ReadServerShortcutFile(const QString& path, const CodePage& codePage)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ParseServerShortcutLines(file.read(kMaxBytes), codePage);
}
