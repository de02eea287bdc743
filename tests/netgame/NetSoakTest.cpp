// Parties one after another among two to four tables of both kinds, players
// leaving (the host too) and new ones joining at random moments. Every
// table must agree with the others whenever they stand still, and no party
// may hang. ZANTA_NETGAME_SOAK sets the number of parties (the CMake option
// ZANTA_NETGAME_SOAK_PARTIES, a few, by default); ZANTA_NETGAME_SEED the seed.

#include "NetPeers.h"

#include <gtest/gtest.h>

#include <random>

TEST(NetSoak, PartiesWithDeparturesAndRejoins) {
    const int parties = qEnvironmentVariableIsSet("ZANTA_NETGAME_SOAK")
                            ? qEnvironmentVariableIntValue("ZANTA_NETGAME_SOAK")
                            : ZANTA_NETGAME_SOAK_PARTIES;
    const unsigned seed =
        qEnvironmentVariableIsSet("ZANTA_NETGAME_SEED")
            ? static_cast<unsigned>(qEnvironmentVariableIntValue("ZANTA_NETGAME_SEED"))
            : 31u;
    std::mt19937 random(seed);
    int played = 0, departures = 0;
    while (played < parties) {
        const int players = 2 + static_cast<int>(random() % 3);
        const bool game31 = random() % 2 == 0;
        NetPeers peers(players, game31, random());
        ASSERT_EQ(peers.Peer(0).NumberPlayers(), players);
        peers.SetStars(1);
        peers.SetLockAddPlayers(false);
        for (int k = 0; k < 4 && played < parties; ++k, ++played) {
            SCOPED_TRACE(QStringLiteral("party %1 of %2 players, to %3")
                             .arg(played)
                             .arg(peers.Count())
                             .arg(peers.Table(0).m_Game31 ? "31" : "12")
                             .toStdString());
            if (random() % 2 == 0) {
                // Someone leaves after a number of actions; another comes.
                int actions = static_cast<int>(random() % 120);
                ASSERT_EQ(peers.PlayUntil([&] { return actions-- <= 0; }).toStdString(), "");
                peers.Drop(static_cast<int>(random() % peers.Count()));
                ++departures;
                if (peers.Count() < 2 || random() % 2 == 0) {
                    ASSERT_TRUE(peers.Join());
                }
                // The new set of windows keeps the short parties.
                peers.SetStars(1);
                peers.SetLockAddPlayers(false);
            }
            ASSERT_EQ(peers.PlayParty().toStdString(), "");
        }
    }
    if (parties > 3)
        qInfo() << "soak:" << played << "parties," << departures << "departures";
}
