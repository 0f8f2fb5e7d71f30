#include "settings.h"

#include <QCoreApplication>
#include <QSettings>

namespace {
// Kept as code points so that the source encoding can never change them.
const char16_t kDefaultLeftKin[] = {
    0x3001, 0x3002, 0xFF0E, 0xFF0C, 0x30FB, 0xFF1F, 0xFF01, 0x3005, 0x30FD, 0x30FE, 0x309D, 0x309E, 0x30FC,
    0xFF0D, 0xFF09, 0x3015, 0xFF5D, 0x300D, 0x300F, 0x3011, 0x0029, 0x007D, 0x005D, 0xFF63, 0xFF9E, 0xFF9F, 0};
const char16_t kDefaultRightKin[] = {
    0xFF3B, 0xFF5B, 0xFF08, 0x300C, 0xFFE5, 0xFF04, 0x3014, 0x300E, 0x3010, 0x0028, 0x007B, 0x005B, 0xFF62, 0};

constexpr int kLogFontBytes = 92;
} // namespace

void InitSettingsIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("KORVAN"));
    QCoreApplication::setApplicationName(QStringLiteral("Quirel"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
}

QString ReadLeftKin()
{
    return QSettings().value("Options/LeftKin", QString::fromUtf16(kDefaultLeftKin)).toString();
}

QString ReadRightKin()
{
    return QSettings().value("Options/RightKin", QString::fromUtf16(kDefaultRightKin)).toString();
}

QByteArray ReadAnsiCodePage()
{
    const QByteArray name = QSettings().value("Options/AnsiCodePage").toByteArray();
    return name.isEmpty() ? QByteArrayLiteral("CP932") : name;
}

int ReadLinespaceWider()
{
    return QSettings().value("Options/LinespaceWider", 0).toInt();
}

int ReadKeyboardLayout()
{
    return QSettings().value("Options/KeyboardLayout", 0).toInt();
}

EditorOptions ReadEditorOptions()
{
    return {ReadLeftKin(), ReadRightKin(), ReadLinespaceWider(), ReadKeyboardLayout()};
}

std::optional<QByteArray> ReadDefaultFontLog()
{
    const QByteArray bytes = QSettings().value("Font/DefaultFontLog").toByteArray();
    if (bytes.size() != kLogFontBytes)
        return std::nullopt;
    return bytes;
}

bool WriteDefaultFontLog(const QByteArray& logFont)
{
    if (logFont.size() != kLogFontBytes)
        return false;
    QSettings settings;
    settings.setValue("Font/DefaultFontLog", logFont);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString ReadWebSearchHost()
{
    return QSettings().value("Options/WebSearchHost").toString();
}

void WriteWebSearchHost(const QString& host)
{
    QSettings().setValue("Options/WebSearchHost", host);
}

QByteArray ReadWindowGeometry()
{
    return QSettings().value("Options/WindowGeometry").toByteArray();
}

void WriteWindowGeometry(const QByteArray& geometry)
{
    QSettings().setValue("Options/WindowGeometry", geometry);
}
