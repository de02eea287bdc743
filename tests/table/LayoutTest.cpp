#include "TableFixture.h"

#include <cstdlib>

namespace {

constexpr int W = 800;
constexpr int H = 600;

// Where a seat's things go at 800 x 600: hand x of cards 0..2 and y, trick
// pile, score board centre, name label anchor and the star row corner (y of
// the row under a bottom or top label depends on the font; -1 skips it).
struct SeatPlace {
    int handX[3];
    int handY;
    QPoint take;
    QPoint board;
    QPoint label;
    QPoint stars;
};

const SeatPlace kBottom{{293, 365, 437}, 499, {510, 700}, {400, 449}, {590, 444}, {467, -1}};
const SeatPlace kTop{{345, 365, 385}, 5, {458, -100}, {400, 103}, {590, 98}, {467, -1}};
const SeatPlace kLeft{{15, 35, 55}, 252, {-100, 388}, {70, 210}, {70, 185}, {8, 158}};
const SeatPlace kRight{{674, 694, 714}, 252, {900, 388}, {729, 210}, {729, 185}, {667, 158}};

class LayoutTest : public TableFixture {
protected:
    QPoint Pos(CCard* card) { return card->GetCardPos(); }

    void ExpectSeat(int seat, const SeatPlace& at) {
        SCOPED_TRACE(testing::Message() << "seat " << seat);
        const int i = seat - 1;
        CPlayer& player = table.m_Players[i];
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(table.m_HandX[i][c], at.handX[c]);
        EXPECT_EQ(table.m_HandY[i], at.handY);
        EXPECT_EQ(table.m_TakePos[i], at.take);
        if (seat != 1) { // the user's hand is sorted, checked elsewhere
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(Pos(table.m_Pack.GetCard(i * 3 + c)), QPoint(at.handX[c], at.handY));
        }

        EXPECT_TRUE(player.m_Tablo.IsVisible());
        EXPECT_EQ(player.m_Tablo.GetTabloPos(), at.board - QPoint(60, 0)); // 120 wide, centred

        EXPECT_TRUE(player.m_LabelName.IsVisible());
        const QRect label = player.m_LabelName.GetTextRect();
        EXPECT_EQ(label.y(), at.label.y());
        EXPECT_LE(std::abs(label.center().x() - at.label.x()), 3); // the shadow widens it
        const QPoint stars = player.m_Star.GetRowPos();
        EXPECT_EQ(stars.x(), at.stars.x());
        EXPECT_EQ(stars.y(), at.stars.y() >= 0 ? at.stars.y() : label.bottom() + 1 - 2);
    }

    void ExpectSeatUnused(int seat) {
        SCOPED_TRACE(testing::Message() << "unused seat " << seat);
        EXPECT_FALSE(table.m_Players[seat - 1].m_Tablo.IsVisible());
        EXPECT_FALSE(table.m_Players[seat - 1].m_LabelName.IsVisible());
        EXPECT_EQ(table.m_Players[seat - 1].m_Star.GetNumberStars(), 0);
    }
};

} // namespace

TEST_F(LayoutTest, TableColumnsRowsDiscardsPackButtonAndIconAt800x600) {
    table.OnSize(W, H);

    EXPECT_EQ(table.m_TableRect, QRect(170, 170, 460, 260)); // right 630, bottom 430
    EXPECT_EQ(table.m_GoingX[0], 519);
    EXPECT_EQ(table.m_GoingX[1], 447);
    EXPECT_EQ(table.m_GoingX[2], 375);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(table.m_GoingY[row], 202 + 25 * row);
    EXPECT_EQ(table.m_ResetX, 210);
    for (int n = 0; n < 9; ++n)
        EXPECT_EQ(table.m_ResetY[n], 202 + 10 * n);
    EXPECT_EQ(table.m_ButtonRect, QRect(512, 525, 105, 27));
    EXPECT_EQ(table.m_KozirIconX, 760);
    EXPECT_EQ(table.m_KozirIconY, 550);
    EXPECT_EQ(table.m_Pack.m_PackX, 724);
    EXPECT_EQ(table.m_Pack.m_PackY, 499);
    EXPECT_EQ(Pos(table.m_Pack.GetCard(0)), QPoint(724, 499));
    EXPECT_EQ(Pos(table.m_Pack.GetCard(35)), QPoint(731, 492)); // the pack rises to the right
    EXPECT_EQ(table.m_VictoryTable.pos(), QPoint(548, 2));
}

TEST_F(LayoutTest, ResizePutsTableCardsDiscardsAndTrickPilesInPlace) {
    table.OnSize(1000, 700);
    // Two face-up columns with a cover, three discards, a trick pile.
    CCard* led = Card(Hearts, Seven);
    CCard* cover = Card(Hearts, King);
    CCard* second = Card(Spades, Six);
    Give(2, {led, second});
    table.MoveCard_GO(2, led, true);
    table.MoveCard_GO(2, second, true);
    Give(3, {cover});
    table.BitaCard(cover, led);
    CCard* discards[3] = {Card(Clubs, Six), Card(Clubs, Seven), Card(Clubs, Eight)};
    for (CCard* card : discards) {
        Give(1, {card});
        table.ResetCard(card);
    }
    Take(4, {Card(Diamonds, Ace)});

    table.OnSize(W, H);
    EXPECT_EQ(Pos(led), QPoint(519, 202));
    EXPECT_EQ(Pos(cover), QPoint(519, 227));
    EXPECT_EQ(Pos(second), QPoint(447, 202));
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(Pos(discards[n]), QPoint(210, 202 + 10 * n));
    EXPECT_EQ(Pos(Card(Diamonds, Ace)), table.m_TakePos[3]);
    // Later discards lie over earlier ones.
    const QObjectList& stack = window.children();
    EXPECT_LT(stack.indexOf(discards[0]), stack.indexOf(discards[1]));
    EXPECT_LT(stack.indexOf(discards[1]), stack.indexOf(discards[2]));
}

TEST_F(LayoutTest, SeatsForTwoThreeAndFourPlayers) {
    for (int j = 0; j < 12; ++j) // three cards a seat, in deck order
        Give(j / 3 + 1, {table.m_Pack.GetCard(j)});
    table.m_NumberPlayers = 4;
    table.ResetStars(5);

    table.m_NumberPlayers = 2;
    table.OnSize(W, H);
    ExpectSeat(1, kBottom);
    ExpectSeat(2, kTop);
    ExpectSeatUnused(3);
    ExpectSeatUnused(4);

    table.m_NumberPlayers = 3;
    table.SetCoordinateCardsPlayers(W, H);
    ExpectSeat(1, kBottom);
    ExpectSeat(2, kLeft);
    ExpectSeat(3, kRight);
    ExpectSeatUnused(4);

    table.m_NumberPlayers = 4;
    table.SetCoordinateCardsPlayers(W, H);
    ExpectSeat(1, kBottom);
    ExpectSeat(2, kLeft);
    ExpectSeat(3, kTop);
    ExpectSeat(4, kRight);
}

TEST_F(LayoutTest, UsersHandSortedByValueTrumpsRightAndOneSuitSideBySide) {
    table.OnSize(W, H);
    const int x[3] = {293, 365, 437};

    // No trump: heart six, club king, heart ace -> club king, heart six, heart ace.
    Give(1, {Card(Hearts, Six), Card(Clubs, King), Card(Hearts, Ace)});
    table.CorrectLocationCardsUser();
    EXPECT_EQ(Pos(Card(Clubs, King)), QPoint(x[0], 499));
    EXPECT_EQ(Pos(Card(Hearts, Six)), QPoint(x[1], 499));
    EXPECT_EQ(Pos(Card(Hearts, Ace)), QPoint(x[2], 499));

    // A trump six goes right of any plain ace; here the middle card shares
    // the lowest's suit, so the order stays.
    table.m_Pack.SetKozir(Spades);
    for (CCard* card : {Card(Hearts, Six), Card(Clubs, King), Card(Hearts, Ace)})
        card->m_Place = e_Pack;
    Give(1, {Card(Spades, Six), Card(Clubs, Ace), Card(Clubs, Seven)});
    table.CorrectLocationCardsUser();
    EXPECT_EQ(Pos(Card(Clubs, Seven)), QPoint(x[0], 499));
    EXPECT_EQ(Pos(Card(Clubs, Ace)), QPoint(x[1], 499));
    EXPECT_EQ(Pos(Card(Spades, Six)), QPoint(x[2], 499));

    // Two cards: sorted only.
    Card(Clubs, Seven)->m_Place = e_Pack;
    table.CorrectLocationCardsUser();
    EXPECT_EQ(Pos(Card(Clubs, Ace)), QPoint(x[0], 499));
    EXPECT_EQ(Pos(Card(Spades, Six)), QPoint(x[1], 499));
}

TEST_F(LayoutTest, DealForThreePlayersGoesRoundTheSeatsThreeTimes) {
    table.OnSize(W, H);
    table.m_Pack.CardsToPack(true);
    table.DoDistrCards(0, 2, 3);

    // Unshuffled: deck cards 0..8 go to seats 2, 3, 1, 2, 3, 1, 2, 3, 1.
    const int seatOf[9] = {2, 3, 1, 2, 3, 1, 2, 3, 1};
    for (int j = 0; j < 9; ++j) {
        CCard* card = table.m_Pack.GetCard(j);
        EXPECT_EQ(card->m_Place, e_Hand) << j;
        EXPECT_EQ(card->m_Player, seatOf[j]) << j;
        EXPECT_EQ(card->IsFaceShown(), seatOf[j] == 1) << j;
    }
    EXPECT_EQ(table.m_Pack.GetCard(9)->m_Place, e_Pack);
    // Seat 2's cards lie in deal order at its hand positions.
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(Pos(table.m_Pack.GetCard(3 * k)), QPoint(15 + 20 * k, 252));
    // The first deal turns the trump up beside the pack and makes its suit trump.
    CCard* kozir = table.m_Pack.GetCard(35);
    EXPECT_TRUE(kozir->IsFaceShown());
    EXPECT_EQ(Pos(kozir), QPoint(731 - 50, 492));
    EXPECT_EQ(table.GetMastKozir(), kozir->m_Mast);
}

TEST_F(LayoutTest, DealSkipsSeatsThatAreOut) {
    table.OnSize(W, H);
    table.m_Pack.CardsToPack(true);
    table.m_Players[1].m_Out = true;
    table.DoDistrCards(0, 1, 3);

    const int seatOf[6] = {1, 3, 1, 3, 1, 3};
    for (int j = 0; j < 6; ++j)
        EXPECT_EQ(table.m_Pack.GetCard(j)->m_Player, seatOf[j]) << j;
    EXPECT_EQ(table.m_Pack.GetCard(6)->m_Place, e_Pack);
    EXPECT_EQ(table.GetNumberCardsPlayer(2), 0);
}

TEST_F(LayoutTest, RefillFromTheLastCardsTurnsTheTrumpDownOnlyInAnotherHand) {
    table.OnSize(W, H);
    for (int refillFor : {2, 1}) {
        SCOPED_TRACE(refillFor);
        table.m_Pack.CardsToPack(true);
        table.m_Pack.ShowCardKozir();
        CCard* kozir = table.m_Pack.GetCard(35);
        ASSERT_TRUE(kozir->IsFaceShown());
        // Everything but the trump card is gone; the seat holds two cards.
        for (int j = 0; j < 35; ++j)
            Take(1, {table.m_Pack.GetCard(j)});
        table.m_Pack.GetCard(0)->m_Place = e_Hand;
        table.m_Pack.GetCard(0)->m_Player = refillFor;
        table.m_Pack.GetCard(1)->m_Place = e_Hand;
        table.m_Pack.GetCard(1)->m_Player = refillFor;

        table.DoDistrCards(2, refillFor, 3);
        EXPECT_EQ(kozir->m_Player, refillFor);
        EXPECT_EQ(kozir->m_Place, e_Hand);
        EXPECT_EQ(kozir->IsFaceShown(), refillFor == 1);
    }
}

TEST_F(LayoutTest, DealWithoutSeatsDealsNothingAndAStrayFirstSeatStartsAtOne) {
    table.OnSize(W, H);
    table.m_Pack.CardsToPack(true);
    table.m_NumberPlayers = 0;
    table.DoDistrCards(0, 1, 3);
    EXPECT_TRUE(table.m_Pack.IsPackFull());
    table.m_NumberPlayers = 3;
    table.DoDistrCards(-5, 7, 3);
    EXPECT_EQ(table.m_Pack.GetCard(0)->m_Player, 1);
    EXPECT_EQ(table.GetNumberCardsPlayer(3), 3);
}
