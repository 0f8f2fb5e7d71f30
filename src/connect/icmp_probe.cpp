// The reachability probe (see icmp_probe.h). Sockets are Linux's: a datagram socket of
// protocol ICMP is the unprivileged "ping socket" (allowed by net.ipv4.ping_group_range), on
// which the kernel fills the identifier and the checksum and hands back only replies to it; a
// raw socket (CAP_NET_RAW) sees every ICMP message, so replies are matched by our identifier.
#include "icmp_probe.h"

#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kHopLimit = 255;
constexpr std::uint8_t kEchoRequestV4 = 8;
constexpr std::uint8_t kEchoReplyV4 = 0;
constexpr std::uint8_t kEchoRequestV6 = 128;
constexpr std::uint8_t kEchoReplyV6 = 129;
constexpr std::uint16_t kSequence = 1;
constexpr qsizetype kEchoHeaderBytes = 8;
// The ping command's own start and end on top of its one-second wait.
constexpr int kPingCommandGraceMs = 2000;

struct Target {
    sockaddr_storage address{};
    socklen_t length = 0;
    bool v4 = true;
};

class Socket {
public:
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

// Names under .invalid never exist (RFC 6761): no lookup is sent for them.
bool IsInvalidName(QString name)
{
    if (name.endsWith(u'.'))
        name.chop(1);
    return name.compare(u"invalid", Qt::CaseInsensitive) == 0 || name.endsWith(u".invalid", Qt::CaseInsensitive);
}

std::optional<Target> Resolve(const QString& hostName)
{
    if (hostName.isEmpty() || hostName.contains(QChar(0)) || IsInvalidName(hostName))
        return std::nullopt;
    // An internationalised name is looked up in its ASCII form; addresses are taken as written.
    QByteArray name = QUrl::toAce(hostName);
    if (name.isEmpty())
        name = hostName.toUtf8();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.constData(), nullptr, &hints, &found) != 0 || !found)
        return std::nullopt;
    std::optional<Target> target;
    if ((found->ai_family == AF_INET || found->ai_family == AF_INET6) && found->ai_addrlen <= sizeof(sockaddr_storage)) {
        target.emplace();
        std::memcpy(&target->address, found->ai_addr, found->ai_addrlen);
        target->length = found->ai_addrlen;
        target->v4 = found->ai_family == AF_INET;
    }
    freeaddrinfo(found);
    return target;
}

std::uint16_t InternetChecksum(const std::array<std::uint8_t, kEchoHeaderBytes>& bytes)
{
    std::uint32_t sum = 0;
    for (size_t i = 0; i < bytes.size(); i += 2)
        sum += std::uint32_t(bytes[i] << 8 | bytes[i + 1]);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return std::uint16_t(~sum);
}

// Type, code, checksum, identifier, sequence; no payload. ICMPv6 checksums are always the
// kernel's; an IPv4 ping socket replaces the identifier and the checksum.
std::array<std::uint8_t, kEchoHeaderBytes> EchoRequest(bool v4, std::uint16_t id)
{
    std::array<std::uint8_t, kEchoHeaderBytes> bytes = {
        v4 ? kEchoRequestV4 : kEchoRequestV6, 0, 0, 0, std::uint8_t(id >> 8), std::uint8_t(id), 0, kSequence};
    if (v4) {
        const std::uint16_t checksum = InternetChecksum(bytes);
        bytes[2] = std::uint8_t(checksum >> 8);
        bytes[3] = std::uint8_t(checksum);
    }
    return bytes;
}

bool SameAddress(const sockaddr_storage& from, const Target& target)
{
    if (from.ss_family != target.address.ss_family)
        return false;
    if (target.v4)
        return reinterpret_cast<const sockaddr_in&>(from).sin_addr.s_addr ==
               reinterpret_cast<const sockaddr_in&>(target.address).sin_addr.s_addr;
    return std::memcmp(&reinterpret_cast<const sockaddr_in6&>(from).sin6_addr,
                       &reinterpret_cast<const sockaddr_in6&>(target.address).sin6_addr, sizeof(in6_addr)) == 0;
}

// Waits for the echo reply from the target. A raw IPv4 socket delivers the IP header in front
// of the ICMP message; `id` is checked only where other processes' replies can arrive.
ProbeResult AwaitReply(int fd, const Target& target, bool withIpHeader, std::optional<std::uint16_t> id,
                       Clock::time_point deadline)
{
    const std::uint8_t replyType = target.v4 ? kEchoReplyV4 : kEchoReplyV6;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return ProbeResult::kUnreachable;
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, int(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return ProbeResult::kUnreachable;
        std::array<std::uint8_t, 1024> buffer;
        sockaddr_storage from{};
        socklen_t fromLength = sizeof from;
        const ssize_t received =
            ::recvfrom(fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (received < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return ProbeResult::kUnreachable;
        }
        const qsizetype at = withIpHeader && received > 0 ? (buffer[0] & 0x0F) * 4 : 0;
        if (received - at < kEchoHeaderBytes)
            continue;
        const std::uint8_t* icmp = buffer.data() + at;
        const std::uint16_t replyId = std::uint16_t(icmp[4] << 8 | icmp[5]);
        const std::uint16_t sequence = std::uint16_t(icmp[6] << 8 | icmp[7]);
        if (icmp[0] == replyType && sequence == kSequence && (!id || replyId == *id) && SameAddress(from, target))
            return ProbeResult::kReachable;
    }
}

// One echo through a socket of `type` (SOCK_DGRAM or SOCK_RAW); kNoEchoMethod when the system
// does not allow that socket.
ProbeResult EchoBySocket(const Target& target, int type)
{
    const Socket socket(::socket(target.v4 ? AF_INET : AF_INET6, type | SOCK_CLOEXEC,
                                 target.v4 ? int(IPPROTO_ICMP) : int(IPPROTO_ICMPV6)));
    if (socket.Fd() < 0)
        return ProbeResult::kNoEchoMethod;
    const int hops = kHopLimit;
    const int set = target.v4 ? ::setsockopt(socket.Fd(), IPPROTO_IP, IP_TTL, &hops, sizeof hops)
                              : ::setsockopt(socket.Fd(), IPPROTO_IPV6, IPV6_UNICAST_HOPS, &hops, sizeof hops);
    if (set != 0)
        return ProbeResult::kNoEchoMethod;
    const bool raw = type == SOCK_RAW;
    const auto id = std::uint16_t(std::random_device()());
    const auto request = EchoRequest(target.v4, id);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kProbeTimeoutMs);
    if (::sendto(socket.Fd(), request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&target.address),
                 target.length) != ssize_t(request.size()))
        return ProbeResult::kUnreachable;
    return AwaitReply(socket.Fd(), target, raw && target.v4, raw ? std::optional(id) : std::nullopt, deadline);
}

// iputils ping: exit 0 after a reply, 1 without one, anything else when it could not ping.
ProbeResult EchoByPingCommand(const Target& target)
{
    const QString ping = QStandardPaths::findExecutable(QStringLiteral("ping"));
    if (ping.isEmpty())
        return ProbeResult::kNoEchoMethod;
    std::array<char, INET6_ADDRSTRLEN> text{};
    const void* address = target.v4 ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in&>(target.address).sin_addr)
                                    : &reinterpret_cast<const sockaddr_in6&>(target.address).sin6_addr;
    if (!inet_ntop(target.v4 ? AF_INET : AF_INET6, address, text.data(), text.size()))
        return ProbeResult::kNoEchoMethod;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(ping, {target.v4 ? QStringLiteral("-4") : QStringLiteral("-6"), QStringLiteral("-n"),
                         QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-s"), QStringLiteral("0"),
                         QStringLiteral("-t"), QString::number(kHopLimit), QStringLiteral("-W"),
                         QString::number(kProbeTimeoutMs / 1000), QString::fromLatin1(text.data())});
    if (!process.waitForStarted())
        return ProbeResult::kNoEchoMethod;
    if (!process.waitForFinished(kProbeTimeoutMs + kPingCommandGraceMs)) {
        process.kill();
        process.waitForFinished();
        return ProbeResult::kUnreachable;
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return ProbeResult::kUnreachable;
    switch (process.exitCode()) {
    case 0:
        return ProbeResult::kReachable;
    case 1:
        return ProbeResult::kUnreachable;
    default:
        return ProbeResult::kNoEchoMethod;
    }
}

} // namespace

ProbeResult ProbeHost(const QString& hostName, unsigned methods)
{
    const std::optional<Target> target = Resolve(hostName);
    if (!target)
        return ProbeResult::kUnreachable;
    struct Way {
        ProbeMethod method;
        ProbeResult (*echo)(const Target&);
    };
    static constexpr Way kWays[] = {
        {kProbeDatagramSocket, [](const Target& t) { return EchoBySocket(t, SOCK_DGRAM); }},
        {kProbeRawSocket, [](const Target& t) { return EchoBySocket(t, SOCK_RAW); }},
        {kProbePingCommand, EchoByPingCommand},
    };
    for (const Way& way : kWays) {
        if (!(methods & way.method))
            continue;
        const ProbeResult result = way.echo(*target);
        if (result != ProbeResult::kNoEchoMethod)
            return result;
    }
    return ProbeResult::kNoEchoMethod;
}
