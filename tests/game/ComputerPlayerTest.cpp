#include "ComputerPlayer.h"
#include "../table/TableFixture.h"

namespace {

// A table of two seats with a fixed draw for the one-in-ten lead.
class ComputerTest : public TableFixture {
protected:
    void SetUp() override {
        TableFixture::SetUp();
        table.m_NumberPlayers = 2;
    }
    CComputerPlayer Player(int draw) {
        return CComputerPlayer(table, [draw] { return draw; });
    }
    std::vector<CCard*> OnTable(int player, int place = e_Going) {
        std::vector<CCard*> cards;
        for (int i = 0; i < 36; ++i) {
            CCard* c = table.m_Pack.GetCard(i);
            if (c->m_Place == place && c->m_Player == player)
                cards.push_back(c);
        }
        return cards;
    }
    void Lead(int player, std::initializer_list<CCard*> cards) {
        for (CCard* c : cards) {
            Give(player, {c});
            table.MoveCard_GO(player, c, true);
        }
    }
};

} // namespace

TEST_F(ComputerTest, LeadsAWholeHandOfThreeTrumpsOrOneSuit) {
    table.m_Pack.SetKozir(Hearts);
    Give(2, {Card(Hearts, Six), Card(Hearts, King), Card(Hearts, Ace)});
    EXPECT_TRUE(Player(5).ComputerLead(2));
    EXPECT_EQ(OnTable(2).size(), 3u);

    table.m_Pack.CardsToPack(false);
    table.m_Pack.SetKozir(Hearts);
    Give(2, {Card(Clubs, Six), Card(Clubs, Jack), Card(Clubs, Ten)});
    EXPECT_TRUE(Player(5).ComputerLead(2));
    EXPECT_EQ(OnTable(2).size(), 3u);
}

TEST_F(ComputerTest, LeadsAPairOnlyOnTheOneInTenDraw) {
    table.m_Pack.SetKozir(Hearts);
    Give(2, {Card(Spades, King), Card(Spades, Seven), Card(Diamonds, Nine)});
    EXPECT_TRUE(Player(10).ComputerLead(2)); // draw 0 mod 10: both spades, weakest first
    const auto led = OnTable(2);
    ASSERT_EQ(led.size(), 2u);
    EXPECT_EQ(Card(Spades, Seven)->m_IndexX, 0);
    EXPECT_EQ(Card(Spades, King)->m_IndexX, 1);

    table.m_Pack.CardsToPack(false);
    table.m_Pack.SetKozir(Hearts);
    Give(2, {Card(Spades, King), Card(Spades, Seven), Card(Diamonds, Six)});
    EXPECT_TRUE(Player(7).ComputerLead(2)); // otherwise the single weakest card
    ASSERT_EQ(OnTable(2).size(), 1u);
    EXPECT_EQ(OnTable(2)[0], Card(Diamonds, Six));
}

TEST_F(ComputerTest, ATrumpOnlyHandLeadsItsLowestTrumpAndAnEmptyHandNothing) {
    table.m_Pack.SetKozir(Hearts);
    Give(2, {Card(Hearts, Ace), Card(Hearts, Seven)});
    EXPECT_TRUE(Player(0).ComputerLead(2));
    ASSERT_EQ(OnTable(2).size(), 1u);
    EXPECT_EQ(OnTable(2)[0], Card(Hearts, Seven));
    EXPECT_FALSE(Player(0).ComputerLead(3));
}

TEST_F(ComputerTest, KeepsTwoTrumpsWhileNobodyIsNearThirtyOne) {
    table.m_Pack.SetKozir(Hearts);
    Lead(1, {Card(Clubs, Ace)});
    Give(2, {Card(Hearts, Six), Card(Hearts, Seven), Card(Clubs, Six)});
    SetScores({10, 0});
    EXPECT_FALSE(Player(1).ComputerBeat(2)); // 10 + 3*2 + 0 < 31
    EXPECT_TRUE(OnTable(2).empty());

    SetScores({25, 0});
    EXPECT_TRUE(Player(1).ComputerBeat(2)); // 25 + 6 + 0 = 31: trump it
    EXPECT_EQ(OnTable(2).size(), 1u);
    EXPECT_TRUE(Card(Clubs, Ace)->m_Beaten);
}

TEST_F(ComputerTest, BeatsStrongestFirstUnlessAnsweringLast) {
    table.m_Pack.SetKozir(Hearts);
    table.m_NumberPlayers = 3;
    Lead(1, {Card(Clubs, Six)});
    Give(2, {Card(Hearts, Six), Card(Clubs, Ace)});
    EXPECT_TRUE(Player(1).ComputerBeat(2)); // seat 3 still to answer
    EXPECT_EQ(Card(Hearts, Six)->m_Place, e_Going);
    EXPECT_EQ(Card(Clubs, Ace)->m_Place, e_Hand);

    table.m_Pack.CardsToPack(false);
    table.m_Pack.SetKozir(Hearts);
    table.m_NumberPlayers = 2; // seat 2 answers last
    Lead(1, {Card(Clubs, Six)});
    Give(2, {Card(Hearts, Six), Card(Clubs, Ace)});
    EXPECT_TRUE(Player(1).ComputerBeat(2));
    EXPECT_EQ(Card(Clubs, Ace)->m_Place, e_Going);
    EXPECT_EQ(Card(Hearts, Six)->m_Place, e_Hand);
}

TEST_F(ComputerTest, CoveringOnlyOneOfTwoLeadsLaysNothingAndThrowsTwo) {
    table.m_Pack.SetKozir(Hearts);
    Lead(1, {Card(Clubs, Ten), Card(Clubs, Ace)});
    Give(2, {Card(Clubs, King), Card(Spades, Six), Card(Diamonds, Seven)});
    auto player = Player(1);
    EXPECT_FALSE(player.ComputerBeat(2));
    EXPECT_TRUE(OnTable(2).empty());
    player.ComputerThrow(2);
    EXPECT_EQ(OnTable(2, e_Reset).size(), 2u);
    EXPECT_EQ(table.GetNumberCardsPlayer(2), 1);
}

TEST_F(ComputerTest, ThrowsFewestPointsOnceTheHumanIsPastFifteen) {
    table.m_Pack.SetKozir(Hearts);
    Lead(1, {Card(Clubs, Ace)});
    Give(2, {Card(Hearts, Ten), Card(Spades, Jack), Card(Diamonds, Six)});
    SetScores({16, 0});
    Player(1).ComputerThrow(2);
    EXPECT_EQ(Card(Diamonds, Six)->m_Place, e_Reset); // a six before a jack

    table.m_Pack.CardsToPack(false);
    table.m_Pack.SetKozir(Hearts);
    Lead(1, {Card(Clubs, Ace)});
    Give(2, {Card(Hearts, Ten), Card(Spades, Jack)});
    Player(1).ComputerThrow(2);
    EXPECT_EQ(Card(Spades, Jack)->m_Place, e_Reset); // a jack before a trump ten

    table.m_Pack.CardsToPack(false);
    table.m_Pack.SetKozir(Hearts);
    Lead(1, {Card(Clubs, Ace)});
    Give(2, {Card(Spades, Jack), Card(Diamonds, Nine)});
    SetScores({15, 0}); // at 15 the lowest value goes: the nine (4) before the jack (5)
    Player(1).ComputerThrow(2);
    EXPECT_EQ(Card(Diamonds, Nine)->m_Place, e_Reset);
}

TEST_F(ComputerTest, MatchBeatsPairsEachTargetOnce) {
    table.m_Pack.SetKozir(Hearts);
    CCard* targets[3] = {Card(Clubs, Ace), Card(Clubs, Six), nullptr};
    targets[0]->m_Player = targets[1]->m_Player = 1;
    CCard* hand[3] = {Card(Clubs, Eight), Card(Clubs, Seven), nullptr};
    Lead(1, {Card(Clubs, Ace), Card(Clubs, Six)});
    int pairs[3][2];
    EXPECT_FALSE(Player(0).MatchBeats(targets, hand, pairs)); // both want the six
    EXPECT_EQ(pairs[0][0], 0);
    EXPECT_EQ(pairs[0][1], 1);
    EXPECT_EQ(pairs[1][0], -1);
}
