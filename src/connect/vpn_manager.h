// The server product's VPN manager: the executable "bhmanager" in the folder of the quirel
// executable, started detached and without arguments when the server's host does not answer.
#pragma once

#include <QString>
#include <optional>

// The path where the VPN manager is looked for in `programFolder`.
QString VpnManagerPath(const QString& programFolder);

// Starts the VPN manager of `programFolder`. Nothing when it started; otherwise the message
// that tells the user where it was looked for.
std::optional<QString> StartVpnManager(const QString& programFolder);
