// The reachability probe, on the loopback addresses and names under .invalid only: every way
// of sending the echo either gets the loopback's answer or reports that the system does not
// allow it (many machines allow no ICMP socket and have no ping command); the ping command gets
// one echo's parameters and its exit status decides.
#include "connect/icmp_probe.h"

#include "fake_ping_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(IcmpProbeTest, LoopbackAnswersEveryWayTheSystemAllows)
{
    for (const QString& host : {u"127.0.0.1"_s, u"::1"_s}) {
        for (const unsigned method : {kProbeDatagramSocket, kProbeRawSocket, kProbePingCommand}) {
            const ProbeResult result = ProbeHost(host, method);
            EXPECT_NE(result, ProbeResult::kUnreachable) << host.toStdString() << " method " << method;
        }
        EXPECT_EQ(ProbeHost(host, 0), ProbeResult::kNoEchoMethod) << host.toStdString();
    }
}

TEST(IcmpProbeTest, NamesUnderInvalidAreUnreachableWithoutAnyWayTried)
{
    for (const QString& host : {u"server.invalid"_s, u"SERVER.Invalid."_s, u"invalid"_s, u"[::1].invalid"_s})
        EXPECT_EQ(ProbeHost(host, 0), ProbeResult::kUnreachable) << host.toStdString();
    EXPECT_EQ(ProbeHost({}), ProbeResult::kUnreachable);
}

TEST(IcmpProbeTest, PingCommandSendsOneEchoWithoutPayloadAndItsStatusDecides)
{
    const struct {
        int status;
        ProbeResult result;
    } rows[] = {
        {0, ProbeResult::kReachable},
        {1, ProbeResult::kUnreachable},
        {2, ProbeResult::kNoEchoMethod}, // ping itself could not send
    };
    for (const auto& row : rows) {
        const FakePingCommand ping(row.status);
        EXPECT_EQ(ProbeHost(u"127.0.0.1"_s, kProbePingCommand), row.result) << "exit " << row.status;
        EXPECT_THAT(ping.Arguments(), testing::ElementsAre("-4", "-n", "-c", "1", "-s", "0", "-t", "255", "-W", "1",
                                                           "127.0.0.1"));
    }
    const FakePingCommand ping(0);
    EXPECT_EQ(ProbeHost(u"::1"_s, kProbePingCommand), ProbeResult::kReachable);
    EXPECT_EQ(ping.Arguments().first(), "-6");
    EXPECT_EQ(ping.Arguments().last(), "::1");
}

} // namespace
