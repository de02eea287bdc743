#include "TableFixture.h"

namespace {

class ScoringTest : public TableFixture {
protected:
    void SetBalls(std::vector<int> balls) {
        for (size_t i = 0; i < balls.size(); ++i)
            table.m_Players[i].m_Tablo.SetBallsValue(balls[i]);
    }
    std::vector<int> Balls() {
        std::vector<int> balls;
        for (int i = 0; i < 3; ++i)
            balls.push_back(table.m_Players[i].m_Tablo.GetBallsValue());
        return balls;
    }
    // Every card of the suit into the player's trick pile: 30 points.
    void TakeSuit(int player, Suit suit) {
        for (int face = Six; face <= Ace; ++face)
            Take(player, {Card(suit, static_cast<Face>(face))});
    }
    void NewParty(int players, int stars) {
        table.m_NumberPlayers = players;
        for (CPlayer& seat : table.m_Players)
            seat.m_Out = false;
        table.ResetStars(stars);
        table.m_LabelMessage.SetCaption(QString(), 0);
    }
    void NoStars(const std::vector<int>& seats) {
        for (int seat : seats)
            table.m_Players[seat - 1].m_Star.ResetStars(0);
    }
};

} // namespace

TEST_F(ScoringTest, PartyTo31IsWonAbove30CountedFromTheTrickPileWhileCardsRemain) {
    table.m_Players[2].m_Tablo.SetScoreValue(40); // the board does not count
    Take(2, {Card(Hearts, Ace), Card(Hearts, Ten), Card(Hearts, King), Card(Hearts, Queen),
             Card(Hearts, Jack)});
    EXPECT_EQ(table.IsEndGame(), -1); // exactly 30
    Take(2, {Card(Spades, Jack)});
    EXPECT_EQ(table.IsEndGame(), 2);
    Take(1, {Card(Clubs, Ace), Card(Clubs, Ten), Card(Diamonds, Ace)});
    EXPECT_EQ(table.IsEndGame(), 1); // two above 30: the lower number
}

TEST_F(ScoringTest, ZantaCountsTrumpsInHandAndLedAndIsSearchedInSeatOrder) {
    table.m_Pack.SetKozir(Spades);
    int player = 77;
    Give(3, {Card(Spades, Six), Card(Spades, Seven)});
    Take(3, {Card(Spades, Eight)}); // a taken trump is his no longer
    EXPECT_FALSE(table.IsZanta(&player));
    EXPECT_EQ(player, 77);

    Give(1, {Card(Spades, Nine), Card(Spades, Ten), Card(Spades, Jack)});
    table.MoveCard_GO(1, Card(Spades, Jack), true);
    Give(2, {Card(Spades, Queen), Card(Spades, King), Card(Spades, Ace)});
    player = 3; // checks 3, 1, 2
    EXPECT_TRUE(table.IsZanta(&player));
    EXPECT_EQ(player, 1);
    table.m_CurrentPlayer = 2;
    EXPECT_EQ(table.IsEndGame(), 2);

    Give(1, {Card(Spades, Eight)}); // four trumps are no zanta
    player = 1;
    EXPECT_TRUE(table.IsZanta(&player));
    EXPECT_EQ(player, 2);
}

TEST_F(ScoringTest, GamesWithAllCardsTakenGoToTheHighestScoreTiesInTurnOrder) {
    table.m_Game31 = false;
    SetScores({40, 40, 20});
    table.m_CurrentPlayer = 2;
    EXPECT_EQ(table.IsEndGame(), -1); // cards remain
    for (CCard* card : table.m_Pack.m_Cards)
        Take(1, {card});
    EXPECT_EQ(table.IsEndGame(), 2);
    table.m_CurrentPlayer = 3;
    EXPECT_EQ(table.IsEndGame(), 1);

    // To 31 with four players at 30 each: nobody passed 30, still one wins.
    table.m_Game31 = true;
    NewParty(4, 5);
    for (int p = 1; p <= 4; ++p)
        TakeSuit(p, static_cast<Suit>(p));
    SetScores({30, 30, 30, 30});
    EXPECT_EQ(table.IsEndGame(), -1);
    EXPECT_EQ(table.GetWinnerAllCardsTaken(), 3);
    table.m_CurrentPlayer = 0; // between parties: from the first seat
    EXPECT_EQ(table.GetWinnerAllCardsTaken(), 1);
    Give(4, {Card(Diamonds, Six)});
    EXPECT_EQ(table.GetWinnerAllCardsTaken(), -1);
    Take(2, {Card(Diamonds, Six), Card(Clubs, Ace)}); // 41 in the pile
    EXPECT_EQ(table.GetWinnerAllCardsTaken(), 2);
}

TEST_F(ScoringTest, BallsByScoreAndTwelveDropAPlayerElevenDoNot) {
    const struct {
        std::vector<int> scores, before, after;
    } cases[] = {
        {{70, 35, 15}, {0, 0, 0}, {0, 2, 4}},
        {{60, 60, 0}, {0, 0, 0}, {0, 0, 6}},
        {{25, 20, 0}, {0, 0, 0}, {4, 4, 6}}, // nobody reached 30: the winner too
        {{90, 30, 0}, {0, 0, 0}, {0, 2, 6}},
        {{0, 0, 40}, {12, 11, 0}, {12, 17, 0}}, // 12 or more collect nothing
    };
    for (const auto& c : cases) {
        SetBalls(c.before);
        SetScores({c.scores[0], c.scores[1], c.scores[2]});
        table.AddBalls(1);
        EXPECT_EQ(Balls(), c.after) << c.scores[0] << "/" << c.scores[1] << "/" << c.scores[2];
    }
    table.m_Game31 = false;
    NewParty(3, 0);
    SetBalls({11, 12, 0});
    EXPECT_EQ(table.IsEndParty(), 0x02);
    EXPECT_FALSE(table.m_Players[0].m_Out);
    EXPECT_TRUE(table.m_Players[1].m_Out);
    EXPECT_EQ(table.m_Players[1].m_Tablo.GetColorBack(), TABLO_BLACK);
    SetBalls({12}); // the user's twelfth ball: seat 3 is left
    EXPECT_EQ(table.IsEndParty(), 0x08 | 0x04 | 0x40);
}

TEST_F(ScoringTest, DroppingOutIsAnnouncedForOthersOnly) {
    const struct {
        int players;
        std::vector<int> noStars;
        QString said;
    } cases[] = {
        {3, {2}, QStringLiteral("Один игрок вылетел!")},
        {4, {3, 4}, QStringLiteral("Два игрока вылетели!")},
        {3, {1}, QString()}, // the user's own drop
    };
    for (const auto& c : cases) {
        NewParty(c.players, 2);
        NoStars(c.noStars);
        table.DoOutPlayers();
        EXPECT_EQ(table.m_LabelMessage.GetCaption(), c.said) << c.players;
    }
}
