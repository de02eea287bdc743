#include "TableFixture.h"

namespace {

class PublicRulesTest : public TableFixture {
protected:
    void SetUp() override {
        TableFixture::SetUp();
        table.m_Pack.SetKozir(Diamonds);
    }
    std::vector<CCard*> Targets(int player) {
        CCard* out[3] = {};
        table.SortCardsTable(out, player);
        std::vector<CCard*> listed;
        for (CCard* card : out)
            if (card)
                listed.push_back(card);
        return listed;
    }
};

} // namespace

TEST_F(PublicRulesTest, CompareCardsBeatsByHigherSuitCardOrAnyHigherTrump) {
    Give(1, {Card(Diamonds, Six)});
    Give(2, {Card(Clubs, Ace), Card(Clubs, King)});
    Give(3, {Card(Clubs, Ten), Card(Spades, Seven), Card(Diamonds, Seven)});
    const struct {
        CCard *a, *b;
        bool beats;
    } cases[] = {
        {Card(Diamonds, Six), Card(Clubs, Ace), true}, // any trump over a plain ace
        {Card(Clubs, Ace), Card(Diamonds, Six), false},
        {Card(Diamonds, Seven), Card(Diamonds, Six), true}, // the higher trump
        {Card(Diamonds, Six), Card(Diamonds, Seven), false},
        {Card(Clubs, Ten), Card(Clubs, King), true}, // the ten just below the ace
        {Card(Clubs, King), Card(Clubs, Ten), false},
        {Card(Clubs, Ace), Card(Spades, Seven), false}, // another plain suit
        {Card(Clubs, Ace), Card(Clubs, King), false},   // his own card
        {nullptr, Card(Clubs, Ace), false},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(table.CompareCards(cases[i].a, cases[i].b), cases[i].beats) << "case " << i;
}

TEST_F(PublicRulesTest, IsCanBitaMatchesEveryUncoveredCardAndLeavesTheTableAsFound) {
    EXPECT_TRUE(table.IsCanBita(2)); // nothing to beat
    Lead(1, {Card(Hearts, King), Card(Hearts, Seven)});
    Give(2, {Card(Hearts, Ten), Card(Hearts, Eight), Card(Clubs, Six)});
    EXPECT_TRUE(table.IsCanBita(2)); // ten on king, eight on seven
    EXPECT_TRUE(table.IsCanBita(1)); // his own cards are no targets

    // Nothing takes the ace; the two answers cannot both count against the six.
    NewGame(Diamonds);
    Lead(1, {Card(Hearts, Ace), Card(Hearts, Six)});
    Give(2, {Card(Hearts, Seven), Card(Hearts, Eight)});
    EXPECT_FALSE(table.IsCanBita(2));
    Give(3, {Card(Diamonds, Six), Card(Diamonds, Seven)});
    EXPECT_TRUE(table.IsCanBita(3));
    EXPECT_FALSE(Card(Hearts, Ace)->m_Beaten || Card(Hearts, Six)->m_Beaten);

    // A king and a seven of another suit: the ace can take only the king, so
    // the weaker answer chooses first and the trump is left for the seven.
    NewGame(Diamonds);
    Lead(1, {Card(Hearts, King)});
    Lead(2, {Card(Spades, Seven)}); // nothing checks what is laid
    Give(3, {Card(Diamonds, Six), Card(Hearts, Ace)});
    EXPECT_TRUE(table.IsCanBita(3));
    EXPECT_FALSE(Card(Hearts, King)->m_Beaten || Card(Spades, Seven)->m_Beaten);
}

TEST_F(PublicRulesTest, SortCardsTableListsUncoveredCardsOfOthersStrongestFirst) {
    // Player 2 covers a heart lead with a heart and a trump; player 3 sees
    // the two covers, of two suits.
    Lead(1, {Card(Hearts, Seven), Card(Hearts, King)});
    Give(2, {Card(Hearts, Eight), Card(Diamonds, Six)});
    table.BitaCard(Card(Hearts, Eight), Card(Hearts, Seven));
    table.BitaCard(Card(Diamonds, Six), Card(Hearts, King));
    EXPECT_EQ(Targets(3), (std::vector<CCard*>{Card(Diamonds, Six), Card(Hearts, Eight)}));
    EXPECT_TRUE(Targets(2).empty());

    NewGame(Diamonds);
    Lead(1, {Card(Clubs, Seven), Card(Clubs, Ace), Card(Clubs, Ten)});
    EXPECT_EQ(Targets(2),
              (std::vector<CCard*>{Card(Clubs, Ace), Card(Clubs, Ten), Card(Clubs, Seven)}));
}

TEST_F(PublicRulesTest, ADiscardUncoversTheCardsOfWhoeverHoldsTheTopOfTheTable) {
    // The first uncovered card in deck order is player 1's heart eight.
    Lead(1, {Card(Hearts, Seven), Card(Hearts, Eight)});
    Give(2, {Card(Hearts, King)});
    table.BitaCard(Card(Hearts, King), Card(Hearts, Seven));
    table.ResetCard(Card(Clubs, Six));
    EXPECT_FALSE(Card(Hearts, Seven)->m_Beaten);

    // Here it is player 2's heart nine: player 1's card stays covered.
    NewGame(Diamonds);
    Lead(1, {Card(Hearts, Seven), Card(Hearts, Ace)});
    Give(2, {Card(Hearts, Nine)});
    table.BitaCard(Card(Hearts, Nine), Card(Hearts, Seven));
    table.ResetCard(Card(Clubs, Six));
    EXPECT_TRUE(Card(Hearts, Seven)->m_Beaten);
}

TEST_F(PublicRulesTest, TheHighestFaceUpCardTakesTheTableWithItsDiscards) {
    EXPECT_EQ(table.GetTrickTaker(), 0);
    table.m_Pack.SetKozir(Hearts);
    Lead(1, {Card(Clubs, Ace)});
    Lead(2, {Card(Spades, Ace)});
    EXPECT_EQ(table.GetTrickTaker(), 1); // equal values: the first in deck order
    Give(3, {Card(Hearts, Six)});
    table.BitaCard(Card(Hearts, Six), Card(Spades, Ace));
    EXPECT_EQ(table.GetTrickTaker(), 3); // any trump over a plain ace
    table.ResetCard(Card(Hearts, Six));
    EXPECT_EQ(table.GetTrickTaker(), 1); // thrown cards take nothing

    Give(3, {Card(Spades, Queen)});
    table.ResetCard(Card(Diamonds, King));
    EXPECT_EQ(table.DoTakeCards(1), 11 + 11 + 4);
    for (CCard* card :
         {Card(Clubs, Ace), Card(Spades, Ace), Card(Hearts, Six), Card(Diamonds, King)})
        EXPECT_TRUE(card->m_Place == e_Take && card->m_Player == 1);
    EXPECT_EQ(Card(Spades, Queen)->m_Place, e_Hand);
    EXPECT_EQ(table.DoTakeCards(2), 0);
}
