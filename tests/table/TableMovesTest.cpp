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
        EXPECT_EQ(Card(Hearts, Ace)->IsFaceShown(), !closed);
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
