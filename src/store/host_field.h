// The host field of the connect dialog and of server addresses: "name", "name:port",
// "[v6-address]" or "[v6-address]:port". A bare IPv6 address (more than one colon, no
// brackets) is a name without port. Only the connection itself uses the port; titles, paths,
// the probe and shortcut files use the name alone.
#pragma once

#include <QString>

struct HostField {
    QString name;      // without port and brackets
    unsigned port = 0; // 0: the client library's default
};

// Splits a host field. A port that is not a number from 1 to 65535 leaves the whole field as
// the name, so the client library reports the unknown host as it would for any other name.
HostField ParseHostField(const QString& field);
