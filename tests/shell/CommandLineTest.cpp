// The programs' command line as both read it before their window: --help,
// --version, Qt's own options, and what is refused with a message.

#include "CommandLine.h"

#include <gtest/gtest.h>

namespace {

CCommandLine::Outcome Parse(const QStringList& args) {
    CCommandLine commandLine(QStringLiteral("Tavlin2"), QStringLiteral("Занта"));
    return commandLine.Parse(QStringList{QStringLiteral("/usr/bin/Tavlin2")} + args);
}

} // namespace

TEST(CommandLine, HelpAndVersionPrintAndEnd) {
    const auto help = Parse({QStringLiteral("--help")});
    EXPECT_FALSE(help.run);
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: Tavlin2 "))) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("--version")));
    EXPECT_FALSE(help.out.contains(QStringLiteral("platform"))) << "Qt's options stay out of it";
    EXPECT_FALSE(Parse({QStringLiteral("-?")}).run);

    const auto version = Parse({QStringLiteral("-v")});
    EXPECT_FALSE(version.run);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, QStringLiteral("Tavlin2 " ZANTA_VERSION "\n"));
}

TEST(CommandLine, QtOwnOptionsAreLeftToQt) {
    const auto outcome = Parse({QStringLiteral("-style"), QStringLiteral("fusion"),
                                QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                QStringLiteral("-reverse"), QStringLiteral("--stylesheet=a.qss")});
    EXPECT_TRUE(outcome.run) << outcome.err.toStdString();
    EXPECT_TRUE(Parse({}).run);
}

TEST(CommandLine, WrongArgumentsEndWithAMessage) {
    for (const QStringList& args :
         {QStringList{QStringLiteral("--bogus")}, QStringList{QStringLiteral("-x")},
          QStringList{QStringLiteral("extra")}, QStringList{QStringLiteral("-style")}}) {
        const auto outcome = Parse(args);
        EXPECT_FALSE(outcome.run) << args.join(' ').toStdString();
        EXPECT_NE(outcome.status, 0);
        EXPECT_TRUE(outcome.out.isEmpty());
        EXPECT_TRUE(outcome.err.startsWith(QStringLiteral("Tavlin2: ")));
        EXPECT_TRUE(outcome.err.contains(QStringLiteral("Tavlin2 --help")));
    }
    const auto outcome = Parse({QStringLiteral("--bogus")});
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("bogus"))) << "names what it refused";
}
