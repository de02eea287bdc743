#include "TableMoves.h"
#include "TableFixture.h"

namespace {

class TableMovesTest : public TableFixture {
protected:
    CTableMoves moves{table};

    // Seat 2 has led the seven and the nine of hearts; spades are trumps.
    void TwoHeartsLed() {
        NewGame(Spades);
        Lead(2, {Card(Hearts, Seven), Card(Hearts, Nine)});
    }
};

} // namespace

// The orders of pressing a user can choose, thrown face down and face up alike.
TEST_F(TableMovesTest, AFailedBeatThrowsTheEarlierBeatAndAThrowThrowsEveryFurtherCard) {
    for (bool closed : {true, false}) {
        SCOPED_TRACE(closed ? "thrown face down" : "thrown face up");
        table.m_ClosedCardReset = closed;
        TwoHeartsLed(); // a beat, then a card that beats nothing: both thrown
        Give(1, {Card(Hearts, Ace), Card(Clubs, Six), Card(Hearts, Ten)});
        moves.AnswerCard(1, Card(Hearts, Ace));
        EXPECT_TRUE(Card(Hearts, Nine)->m_Beaten); // the strongest it beats
        moves.AnswerCard(1, Card(Clubs, Six));
        EXPECT_EQ(At(1, e_Reset), (std::vector<CCard*>{Card(Clubs, Six), Card(Hearts, Ace)}));
        EXPECT_EQ(Card(Hearts, Ten)->m_Place, e_Hand);
        EXPECT_TRUE(table.CheckCompletionPlayer(1));

        TwoHeartsLed(); // a throw, then a card that could beat: thrown all the same
        Give(1, {Card(Clubs, Six), Card(Hearts, Ace), Card(Spades, Six)});
        moves.AnswerCard(1, Card(Clubs, Six));
        moves.AnswerCard(1, Card(Hearts, Ace));
        EXPECT_EQ(At(1, e_Reset), (std::vector<CCard*>{Card(Clubs, Six), Card(Hearts, Ace)}));
        EXPECT_TRUE(table.CheckCompletionPlayer(1));
    }
}

TEST_F(TableMovesTest, BeatsCoverTheStrongestCardEachBeatsAndTheHighestTakesTheTable) {
    TwoHeartsLed();
    Give(1, {Card(Hearts, Eight), Card(Spades, Six), Card(Clubs, Ace)});
    moves.AnswerCard(1, Card(Hearts, Eight)); // beats only the seven
    EXPECT_EQ(Card(Hearts, Eight)->m_IndexX, Card(Hearts, Seven)->m_IndexX);
    EXPECT_FALSE(table.CheckCompletionPlayer(1));
    moves.AnswerCard(1, Card(Spades, Six)); // a trump covers the nine
    EXPECT_EQ(Card(Spades, Six)->m_IndexX, Card(Hearts, Nine)->m_IndexX);
    EXPECT_TRUE(table.CheckCompletionPlayer(1));
    EXPECT_EQ(moves.TakeTrick(), 1);
    EXPECT_EQ(table.m_CurrentPlayer, 1);
    EXPECT_EQ(At(1, e_Take).size(), 4u);
}

TEST_F(TableMovesTest, ALeadTakesOnlyTheSeatsOwnCardsOfTheLedSuit) {
    NewGame(Spades);
    Give(1, {Card(Hearts, Seven), Card(Hearts, King), Card(Clubs, Six)});
    Give(2, {Card(Hearts, Ace)});
    EXPECT_FALSE(moves.LeadCard(1, Card(Hearts, Ace))); // not his
    EXPECT_TRUE(moves.LeadCard(1, Card(Hearts, Seven)));
    EXPECT_EQ(moves.LedMast(), Hearts);
    EXPECT_FALSE(moves.LeadCard(1, Card(Clubs, Six))); // another suit stays in hand
    EXPECT_EQ(Card(Clubs, Six)->m_Place, e_Hand);
    EXPECT_TRUE(moves.LeadCard(1, Card(Hearts, King)));
    EXPECT_FALSE(moves.HoldsMast(1, Hearts));
    EXPECT_EQ(table.GetNumberCardsGoing(), 2);
}
