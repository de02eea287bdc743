#include "TableFixture.h"

using LayoutTest = TableFixture;

TEST_F(LayoutTest, EverySeatInPlayHasItsCardsBoardAndNameInsideTheWindowApart) {
    for (int j = 0; j < 12; ++j) // three cards a seat, in deck order
        Give(j / 3 + 1, {table.m_Pack.GetCard(j)});
    for (int players : {2, 3, 4})
        for (const QSize size : {QSize(800, 600), QSize(1024, 768)}) {
            SCOPED_TRACE(testing::Message() << players << " players " << size.width());
            table.m_NumberPlayers = players;
            table.ResetStars(5);
            table.OnSize(size.width(), size.height());
            std::vector<QRect> things; // of every seat in play: cards, board, name
            for (int seat = 1; seat <= 4; ++seat) {
                CPlayer& player = table.m_Players[seat - 1];
                const bool playing = seat <= players;
                EXPECT_EQ(player.m_Tablo.IsVisible(), playing) << seat;
                EXPECT_EQ(player.m_LabelName.IsVisible(), playing) << seat;
                EXPECT_EQ(player.m_Star.GetNumberStars(), playing ? 5 : 0) << seat;
                if (!playing)
                    continue;
                QRect cards;
                for (CCard* card : At(seat, e_Hand))
                    cards |= QRect(card->GetCardPos(), QSize(71, 96));
                things.insert(things.end(),
                              {cards, player.m_Tablo.geometry(), player.m_LabelName.GetTextRect()});
            }
            for (size_t a = 0; a < things.size(); ++a) {
                EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(things[a])) << a;
                for (size_t b = a + 1; b < things.size(); ++b)
                    EXPECT_FALSE(things[a].intersects(things[b])) << a << " and " << b;
            }
        }
}

TEST_F(LayoutTest, UsersHandSortedByValueTrumpsRightAndOneSuitSideBySide) {
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
            EXPECT_EQ(c.order[k]->GetCardPos(), QPoint(table.m_HandX[0][k], table.m_HandY[0])) << k;
    }
}

TEST_F(LayoutTest, DealSkipsSeatsOutAndARefillTurnsTheTrumpDownOnlyInAnotherHand) {
    table.m_Pack.CardsToPack(true);
    table.m_Players[1].m_Out = true;
    table.DoDistrCards(0, 1, 3);
    for (int j = 0; j < 6; ++j)
        EXPECT_EQ(table.m_Pack.GetCard(j)->m_Player, j % 2 ? 3 : 1) << j;
    EXPECT_EQ(table.GetNumberCardsPlayer(2), 0);
    table.m_Players[1].m_Out = false;

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

// A table no window shows keeps its cards' places without moving their
// windows (a simulated table costs what its rules cost); shown, every card
// is where the game put it.
TEST_F(LayoutTest, AHiddenTableMovesNoCardWindowAndShowsEveryCardInPlace) {
    window.hide();
    QList<QPoint> windows;
    for (CCard* card : table.m_Pack.m_Cards)
        windows << card->pos();
    NewGame(Hearts);
    table.DoDistrCards(0, 1, 3);
    Lead(2, {At(2, e_Hand).front()});
    QList<QPoint> after;
    int moved = 0;
    for (CCard* card : table.m_Pack.m_Cards) {
        after << card->pos();
        moved += card->GetCardPos() != card->pos();
    }
    EXPECT_EQ(after, windows);
    EXPECT_GE(moved, 9); // every card dealt
    window.show();
    for (CCard* card : table.m_Pack.m_Cards)
        EXPECT_EQ(card->geometry(), QRect(card->GetCardPos(), QSize(71, 96)));
    EXPECT_EQ(At(2, e_Going).size(), 1u);
}
