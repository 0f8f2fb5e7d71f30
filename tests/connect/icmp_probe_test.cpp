// The reachability probe on loopback addresses and names under .invalid only: every way of
// sending the echo gets the loopback's answer or says the system does not allow it (many
// machines allow no ICMP socket and have no ping command); the ping command gets one echo's
// parameters and its exit status decides.
#include "connect/icmp_probe.h"

#include "fake_ping_command.h"

#include <gmock/gmock.h>

using namespace Qt::StringLiterals;

TEST(IcmpProbeTest, LoopbackAnswersEveryAllowedWayAndInvalidNamesNone)
{
    for (const QString& host : {u"127.0.0.1"_s, u"::1"_s}) {
        for (const unsigned method : {kProbeDatagramSocket, kProbeRawSocket, kProbePingCommand})
            EXPECT_NE(ProbeHost(host, method), ProbeResult::kUnreachable) << host.toStdString() << " way " << method;
        EXPECT_EQ(ProbeHost(host, 0), ProbeResult::kNoEchoMethod);
    }
    // Never looked up, so no way is needed to find them silent.
    for (const QString& host : {u"server.invalid"_s, u"SERVER.Invalid."_s, u""_s})
        EXPECT_EQ(ProbeHost(host, 0), ProbeResult::kUnreachable) << host.toStdString();
}

TEST(IcmpProbeTest, PingCommandSendsOneEchoWithoutPayloadAndItsStatusDecides)
{
    const std::tuple<QString, int, ProbeResult> rows[] = {
        {u"127.0.0.1"_s, 0, ProbeResult::kReachable}, {u"127.0.0.1"_s, 1, ProbeResult::kUnreachable},
        {u"127.0.0.1"_s, 2, ProbeResult::kNoEchoMethod}, {u"::1"_s, 0, ProbeResult::kReachable}};
    for (const auto& [host, status, result] : rows) {
        const FakePingCommand ping(status);
        EXPECT_EQ(ProbeHost(host, kProbePingCommand), result) << host.toStdString() << " exit " << status;
        EXPECT_THAT(ping.Arguments(), testing::ElementsAre(host.contains(u':') ? "-6" : "-4", "-n", "-c", "1", "-s", "0",
                                                           "-t", "255", "-W", "1", host));
    }
}
