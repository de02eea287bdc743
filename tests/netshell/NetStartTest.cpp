// "--host [PORT]" and "--join ADDRESS[:PORT]" as the network program reads them.

#include "NetStart.h"
#include "CommandLine.h"

#include <gtest/gtest.h>

namespace {

struct Read {
    CCommandLine::Outcome outcome;
    CNetStart start;
};

Read Parse(const QStringList& args) {
    Read r;
    CCommandLine commandLine(QStringLiteral("Tavlin2Net"), QString());
    CNetStart::AddOptions(commandLine);
    r.outcome = commandLine.Parse(QStringList{QStringLiteral("Tavlin2Net")} + args,
                                  [&] { return r.start.Read(commandLine.Parser()); });
    return r;
}

} // namespace

TEST(NetStart, HostAndJoinWithTheirPorts) {
    const struct {
        QStringList args;
        CNetStart::Mode mode;
        const char* address;
        unsigned port;
    } cases[] = {
        {{}, CNetStart::None, "", 2301},
        {{"--host"}, CNetStart::Host, "", 2301},
        {{"--host", "4000"}, CNetStart::Host, "", 4000},
        {{"--join", "192.168.1.5"}, CNetStart::Join, "192.168.1.5", 2301},
        {{"--join=table.local:2400"}, CNetStart::Join, "table.local", 2400},
        {{"--join", "[::1]:65535"}, CNetStart::Join, "::1", 65535},
        {{"--join", "[fe80::1]"}, CNetStart::Join, "fe80::1", 2301},
        {{"--join", "fe80::1"}, CNetStart::Join, "fe80::1", 2301},
    };
    for (const auto& c : cases) {
        const Read r = Parse(c.args);
        const std::string what = c.args.join(' ').toStdString();
        ASSERT_TRUE(r.outcome.run) << what << ": " << r.outcome.err.toStdString();
        EXPECT_EQ(r.start.m_Mode, c.mode) << what;
        EXPECT_EQ(r.start.m_Address, QString::fromLatin1(c.address)) << what;
        EXPECT_EQ(r.start.m_Port, c.port) << what;
    }
}

TEST(NetStart, RefusesWhatCannotBeOpened) {
    const QStringList bad[] = {
        {"--host", "0"},
        {"--host", "65536"},
        {"--host", "port"},
        {"--host", "1", "2"},
        {"4000"},
        {"--host", "--join", "a"},
        {"--join"},
        {"--join", ""},
        {"--join", ":2301"},
        {"--join", "a:"},
        {"--join", "a:99999"},
        {"--join", "[::1"},
        {"--join", "[::1]x"},
        {"--join", "a:-1"},
    };
    for (const QStringList& args : bad) {
        const Read r = Parse(args);
        EXPECT_FALSE(r.outcome.run) << args.join(' ').toStdString();
        EXPECT_EQ(r.outcome.status, 1);
        EXPECT_TRUE(r.outcome.err.startsWith(QStringLiteral("Tavlin2Net: ")));
    }
}
