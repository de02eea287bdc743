#include "TableFixture.h"

namespace {

class LayoutTest : public TableFixture {
protected:
    QRect Area(CCard* card) { return QRect(card->GetCardPos(), QSize(71, 96)); }
    QPoint Hand(int seat, int k) {
        return QPoint(table.m_HandX[seat - 1][k], table.m_HandY[seat - 1]);
    }
};

} // namespace

TEST_F(LayoutTest, EverySeatInPlayHasItsCardsBoardAndNameInsideTheWindowApart) {
    for (int j = 0; j < 12; ++j) // three cards a seat, in deck order
        Give(j / 3 + 1, {table.m_Pack.GetCard(j)});
    for (int players : {2, 3, 4}) {
        for (const QSize size : {QSize(800, 600), QSize(1024, 768)}) {
            SCOPED_TRACE(testing::Message() << players << " players " << size.width());
            table.m_NumberPlayers = players;
            table.ResetStars(5);
            table.OnSize(size.width(), size.height());
            const QRect window(QPoint(0, 0), size);
            std::vector<QRect> things; // of every seat in play: cards, board, name
            for (int seat = 1; seat <= 4; ++seat) {
                CPlayer& player = table.m_Players[seat - 1];
                const bool playing = seat <= players;
                EXPECT_EQ(player.m_Tablo.IsVisible(), playing) << seat;
                EXPECT_EQ(player.m_LabelName.IsVisible(), playing) << seat;
                if (!playing)
                    continue;
                EXPECT_EQ(player.m_Star.GetNumberStars(), 5);
                QRect cards;
                for (int k = 0; k < 3; ++k)
                    cards |= Area(table.m_Pack.GetCard((seat - 1) * 3 + k));
                things.push_back(cards);
                things.push_back(player.m_Tablo.geometry());
                things.push_back(player.m_LabelName.GetTextRect());
            }
            for (size_t a = 0; a < things.size(); ++a) {
                EXPECT_TRUE(window.contains(things[a])) << a;
                for (size_t b = a + 1; b < things.size(); ++b)
                    EXPECT_FALSE(things[a].intersects(things[b])) << a << " and " << b;
            }
            for (int seat = players + 1; seat <= 4; ++seat)
                EXPECT_EQ(table.m_Players[seat - 1].m_Star.GetNumberStars(), 0);
        }
    }
}

TEST_F(LayoutTest, ResizePutsTableCardsDiscardsAndTrickPilesInPlace) {
    table.OnSize(1000, 700);
    CCard* led = Card(Hearts, Seven);
    CCard* second = Card(Spades, Six);
    CCard* cover = Card(Hearts, King);
    Lead(2, {led, second});
    Give(3, {cover});
    table.BitaCard(cover, led);
    CCard* discards[3] = {Card(Clubs, Six), Card(Clubs, Seven), Card(Clubs, Eight)};
    for (CCard* card : discards)
        table.ResetCard(card);
    Take(4, {Card(Diamonds, Ace)});

    table.OnSize(800, 600);
    EXPECT_EQ(led->GetCardPos(), QPoint(table.m_GoingX[0], table.m_GoingY[0]));
    EXPECT_EQ(cover->GetCardPos(), QPoint(table.m_GoingX[0], table.m_GoingY[1]));
    EXPECT_EQ(second->GetCardPos(), QPoint(table.m_GoingX[1], table.m_GoingY[0]));
    EXPECT_FALSE(Area(led).intersects(Area(second)));
    EXPECT_TRUE(table.m_TableRect.contains(Area(cover)));
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(discards[n]->GetCardPos(), QPoint(table.m_ResetX, table.m_ResetY[n]));
    EXPECT_EQ(Card(Diamonds, Ace)->GetCardPos(), table.m_TakePos[3]);
    // Later discards lie over earlier ones.
    const QObjectList& stack = window.children();
    EXPECT_LT(stack.indexOf(discards[0]), stack.indexOf(discards[1]));
    EXPECT_LT(stack.indexOf(discards[1]), stack.indexOf(discards[2]));
}

TEST_F(LayoutTest, UsersHandSortedByValueTrumpsRightAndOneSuitSideBySide) {
    table.OnSize(800, 600);
    const struct {
        Suit trump;
        std::vector<CCard*> order; // left to right
    } cases[] = {
        {Suit(0), {Card(Clubs, King), Card(Hearts, Six), Card(Hearts, Ace)}},
        // The middle card shares the lowest's suit, so the order stays.
        {Spades, {Card(Clubs, Seven), Card(Clubs, Ace), Card(Spades, Six)}},
        {Spades, {Card(Clubs, Ace), Card(Spades, Six)}}, // two cards: sorted only
    };
    for (const auto& c : cases) {
        NewGame(c.trump);
        for (auto it = c.order.rbegin(); it != c.order.rend(); ++it)
            Give(1, {*it});
        table.CorrectLocationCardsUser();
        for (size_t k = 0; k < c.order.size(); ++k)
            EXPECT_EQ(c.order[k]->GetCardPos(), Hand(1, static_cast<int>(k))) << k;
    }
}

TEST_F(LayoutTest, DealGoesRoundTheSeatsInPlayAndTurnsUpTheTrump) {
    table.OnSize(800, 600);
    table.m_Pack.CardsToPack(true);
    table.DoDistrCards(0, 2, 3);
    // Unshuffled: deck cards 0..8 go to seats 2, 3, 1, 2, 3, 1, 2, 3, 1.
    for (int j = 0; j < 9; ++j) {
        CCard* card = table.m_Pack.GetCard(j);
        const int seat = (j + 1) % 3 + 1;
        EXPECT_EQ(card->m_Place, e_Hand) << j;
        EXPECT_EQ(card->m_Player, seat) << j;
        EXPECT_EQ(card->IsFaceShown(), seat == 1) << j;
        if (seat == 2) {
            EXPECT_EQ(card->GetCardPos(), Hand(2, j / 3));
        }
    }
    EXPECT_EQ(table.m_Pack.GetCard(9)->m_Place, e_Pack);
    CCard* kozir = table.m_Pack.GetCard(35);
    EXPECT_TRUE(kozir->IsFaceShown());
    EXPECT_EQ(table.GetMastKozir(), kozir->m_Mast);

    // Seats out, or none at all, get nothing; a stray first seat starts at 1.
    table.m_Pack.CardsToPack(true);
    table.m_Players[1].m_Out = true;
    table.DoDistrCards(0, 1, 3);
    for (int j = 0; j < 6; ++j)
        EXPECT_EQ(table.m_Pack.GetCard(j)->m_Player, j % 2 ? 3 : 1) << j;
    EXPECT_EQ(table.GetNumberCardsPlayer(2), 0);
    table.m_Pack.CardsToPack(true);
    table.m_NumberPlayers = 0;
    table.DoDistrCards(0, 1, 3);
    EXPECT_TRUE(table.m_Pack.IsPackFull());
    table.m_NumberPlayers = 3;
    table.m_Players[1].m_Out = false;
    table.DoDistrCards(-5, 7, 3);
    EXPECT_EQ(table.m_Pack.GetCard(0)->m_Player, 1);
    EXPECT_EQ(table.GetNumberCardsPlayer(3), 3);
}

TEST_F(LayoutTest, RefillFromTheLastCardsTurnsTheTrumpDownOnlyInAnotherHand) {
    table.OnSize(800, 600);
    for (int refillFor : {2, 1}) {
        SCOPED_TRACE(refillFor);
        table.m_Pack.CardsToPack(true);
        table.m_Pack.ShowCardKozir();
        CCard* kozir = table.m_Pack.GetCard(35);
        // Everything but the trump card is gone; the seat holds two cards.
        for (int j = 0; j < 35; ++j)
            Take(1, {table.m_Pack.GetCard(j)});
        Give(refillFor, {table.m_Pack.GetCard(0), table.m_Pack.GetCard(1)});
        table.DoDistrCards(2, refillFor, 3);
        EXPECT_EQ(kozir->m_Player, refillFor);
        EXPECT_EQ(kozir->m_Place, e_Hand);
        EXPECT_EQ(kozir->IsFaceShown(), refillFor == 1);
    }
}
