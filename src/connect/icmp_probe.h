// The reachability probe: does the server's host answer one ICMP echo? Before connecting, the
// program asks this of the host used last time, to offer the VPN manager when it is silent.
//
// One echo request goes to the first address the name resolves to (IPv4 or IPv6): no payload,
// TTL (hop limit) 255, reachable only on an echo reply within 1000 ms, no retry. The echo is
// sent the first way the system allows: an unprivileged ICMP datagram socket, else a raw socket,
// else the system's ping command with the same parameters. Names under .invalid never resolve
// and send nothing, not even a DNS query.
#pragma once

#include <QString>

enum class ProbeResult {
    kReachable,
    kUnreachable,  // no such name, or no reply in time
    kNoEchoMethod, // the name resolved, but no way to send an echo was allowed
};

// The ways to send the echo, tried in this order; tests allow one at a time.
enum ProbeMethod : unsigned {
    kProbeDatagramSocket = 1,
    kProbeRawSocket = 2,
    kProbePingCommand = 4,
    kProbeAllMethods = 7,
};

inline constexpr int kProbeTimeoutMs = 1000;

// Blocks for the name lookup plus at most the echo's time-out.
ProbeResult ProbeHost(const QString& hostName, unsigned methods = kProbeAllMethods);
