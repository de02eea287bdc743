#include "ComputerPlayer.h"
#include "TableFixture.h"

#include <algorithm>

namespace {

// A table of two seats, hearts trump, with a fixed draw for the one-in-ten lead.
class ComputerTest : public TableFixture {
protected:
    void SetUp() override {
        TableFixture::SetUp();
        table.m_NumberPlayers = 2;
        table.m_Pack.SetKozir(Hearts);
    }
    CComputerPlayer Player(int draw = 1) {
        return CComputerPlayer(table, [draw] { return draw; });
    }
    std::vector<CCard*> Led(int seat) { return At(seat, e_Going); }
};

} // namespace

TEST_F(ComputerTest, LeadsAWholeHandOfOneSuitAPairOnTheOneInTenDrawElseTheWeakestCard) {
    const struct {
        std::vector<CCard*> hand;
        int draw;
        std::vector<CCard*> led; // in the order laid; none: the whole hand
    } cases[] = {
        {{Card(Hearts, Six), Card(Hearts, King), Card(Hearts, Ace)}, 5, {}}, // three trumps
        {{Card(Clubs, Six), Card(Clubs, Ten), Card(Clubs, Jack)}, 5, {}},    // one plain suit
        {{Card(Spades, King), Card(Spades, Seven), Card(Diamonds, Nine)},
         10,
         {Card(Spades, Seven), Card(Spades, King)}},
        {{Card(Spades, King), Card(Spades, Seven), Card(Diamonds, Six)}, 7, {Card(Diamonds, Six)}},
        {{Card(Hearts, Ace), Card(Hearts, Seven)}, 0, {Card(Hearts, Seven)}}, // trumps only
    };
    for (const auto& c : cases) {
        NewGame(Hearts);
        for (CCard* card : c.hand)
            Give(2, {card});
        EXPECT_TRUE(Player(c.draw).ComputerLead(2));
        std::vector<CCard*> led = Led(2);
        std::sort(led.begin(), led.end(),
                  [](const CCard* a, const CCard* b) { return a->m_IndexX < b->m_IndexX; });
        EXPECT_EQ(led, c.led.empty() ? c.hand : c.led) << c.hand[0]->m_Mast << " " << c.draw;
    }
    EXPECT_FALSE(Player().ComputerLead(3)); // an empty hand
}

TEST_F(ComputerTest, KeepsTwoTrumpsWhileNobodyIsNearThirtyOne) {
    Lead(1, {Card(Clubs, Ace)});
    Give(2, {Card(Hearts, Six), Card(Hearts, Seven), Card(Clubs, Six)});
    SetScores({10, 0});
    EXPECT_FALSE(Player().ComputerBeat(2)); // 10 + 3*2 + 0 < 31
    EXPECT_TRUE(Led(2).empty());

    SetScores({25, 0});
    EXPECT_TRUE(Player().ComputerBeat(2)); // 25 + 6 + 0 = 31: trump it
    EXPECT_EQ(Led(2).size(), 1u);
    EXPECT_TRUE(Card(Clubs, Ace)->m_Beaten);
}

TEST_F(ComputerTest, BeatsStrongestFirstUnlessAnsweringLastThenMostPointsFirst) {
    for (int players : {3, 2}) {
        SCOPED_TRACE(players);
        NewGame(Hearts);
        table.m_NumberPlayers = players; // with 2, seat 2 answers last
        Lead(1, {Card(Clubs, Six)});
        Give(2, {Card(Hearts, Six), Card(Clubs, Seven), Card(Clubs, Ace)});
        EXPECT_TRUE(Player().ComputerBeat(2));
        EXPECT_EQ(Led(2), std::vector<CCard*>{players == 3 ? Card(Hearts, Six) : Card(Clubs, Ace)});
    }
}

TEST_F(ComputerTest, CoversTwoSuitsOnTheTableStrongestTargetFirst) {
    // Seat 2 has covered a heart lead with a heart and a trump; seat 3, with
    // seat 4 still to answer, must cover both: the trump on the trump.
    table.m_NumberPlayers = 4;
    table.m_Pack.SetKozir(Diamonds);
    Lead(1, {Card(Hearts, Seven), Card(Hearts, King)});
    Give(2, {Card(Hearts, Eight), Card(Diamonds, Six)});
    table.BitaCard(Card(Hearts, Eight), Card(Hearts, Seven));
    table.BitaCard(Card(Diamonds, Six), Card(Hearts, King));
    Give(3, {Card(Diamonds, Seven), Card(Hearts, Nine), Card(Clubs, Six)});
    EXPECT_TRUE(Player().ComputerBeat(3));
    EXPECT_EQ(Card(Diamonds, Seven)->m_IndexX, Card(Diamonds, Six)->m_IndexX);
    EXPECT_EQ(Card(Hearts, Nine)->m_IndexX, Card(Hearts, Eight)->m_IndexX);
    EXPECT_EQ(Card(Clubs, Six)->m_Place, e_Hand);
}

TEST_F(ComputerTest, CoveringOnlyOneOfTwoLeadsLaysNothingAndThrowsTwo) {
    Lead(1, {Card(Clubs, Ten), Card(Clubs, Ace)});
    Give(2, {Card(Clubs, King), Card(Spades, Six), Card(Diamonds, Seven)});
    auto player = Player();
    EXPECT_FALSE(player.ComputerBeat(2));
    EXPECT_TRUE(Led(2).empty());
    player.ComputerThrow(2);
    EXPECT_EQ(At(2, e_Reset).size(), 2u);
    EXPECT_EQ(table.GetNumberCardsPlayer(2), 1);
}

TEST_F(ComputerTest, ThrowsTheWeakestCardUpTo15PointsOfTheHumanThenTheFewestPoints) {
    // The trump six is the weakest in points, the jack in value.
    const struct {
        int human;
        std::vector<CCard*> hand;
        CCard* thrown;
    } cases[] = {
        {14, {Card(Hearts, Six), Card(Spades, Jack)}, Card(Spades, Jack)},
        {15, {Card(Hearts, Six), Card(Spades, Jack)}, Card(Spades, Jack)},
        {16, {Card(Hearts, Six), Card(Spades, Jack)}, Card(Hearts, Six)},
        {16, {Card(Hearts, Ten), Card(Spades, Jack), Card(Diamonds, Six)}, Card(Diamonds, Six)},
        {16,
         {Card(Hearts, Ten), Card(Spades, Jack)},
         Card(Spades, Jack)}, // a jack before a trump ten
    };
    for (const auto& c : cases) {
        NewGame(Hearts);
        Lead(1, {Card(Clubs, Ace)});
        for (CCard* card : c.hand)
            Give(2, {card});
        SetScores({c.human});
        Player().ComputerThrow(2);
        EXPECT_EQ(At(2, e_Reset), std::vector<CCard*>{c.thrown}) << c.human;
    }
}
