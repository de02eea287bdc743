#include "TableFixture.h"

#include <vector>

namespace {

class ScoringTest : public TableFixture {
protected:
    void TakeAll(int player) {
        for (int i = 0; i < table.m_Pack.GetNumberCardsInPack(); ++i)
            Take(player, {table.m_Pack.GetCard(i)});
    }
    std::vector<int> Balls(int seats) {
        std::vector<int> balls;
        for (int i = 0; i < seats; ++i)
            balls.push_back(table.m_Players[i].m_Tablo.GetBallsValue());
        return balls;
    }
    void ClearOut() {
        for (CPlayer& seat : table.m_Players)
            seat.m_Out = false;
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

TEST_F(ScoringTest, PartyTo12BallsEndsWithTheLastTrickAndTiesGoInTurnOrder) {
    table.m_Game31 = false;
    SetScores({40, 40, 20});
    table.m_CurrentPlayer = 2;
    EXPECT_EQ(table.IsEndGame(), -1);
    TakeAll(1);
    EXPECT_EQ(table.IsEndGame(), 2);
    table.m_CurrentPlayer = 3;
    EXPECT_EQ(table.IsEndGame(), 1);
}

TEST_F(ScoringTest, AGameTo31WithAllCardsTakenAndNobodyAbove30IsStillWon) {
    table.m_NumberPlayers = 4;
    table.ResetStars(5);
    for (int p = 1; p <= 4; ++p)
        TakeSuit(p, static_cast<Suit>(p));
    SetScores({30, 30, 30, 30});
    table.m_CurrentPlayer = 3;
    EXPECT_EQ(table.IsEndGame(), -1);
    EXPECT_EQ(table.GetWinnerAllCardsTaken(), 3);
    table.m_CurrentPlayer = 0; // between parties: from the first seat
    EXPECT_EQ(table.GetWinnerAllCardsTaken(), 1);
    EXPECT_EQ(table.StateGame(), 0x08 | 0x04);

    Give(4, {Card(Diamonds, Six)});
    EXPECT_EQ(table.GetWinnerAllCardsTaken(), -1);
    EXPECT_EQ(table.StateGame(), 0x04);

    Take(2, {Card(Diamonds, Six), Card(Clubs, Ace)}); // 41 in the pile
    EXPECT_EQ(table.GetWinnerAllCardsTaken(), 2);
}

TEST_F(ScoringTest, AddBallsByScore) {
    const std::vector<std::vector<int>> scores = {
        {70, 35, 15}, {60, 60, 0}, {25, 20, 0}, {90, 30, 0}};
    const std::vector<std::vector<int>> added = {{0, 2, 4}, {0, 0, 6}, {4, 4, 6}, {0, 2, 6}};
    for (size_t i = 0; i < scores.size(); ++i) {
        SetBalls({0, 0, 0});
        SetScores({scores[i][0], scores[i][1], scores[i][2]});
        table.AddBalls(1);
        EXPECT_EQ(Balls(3), added[i]) << "scores " << scores[i][0] << "/" << scores[i][1];
    }
}

TEST_F(ScoringTest, AddBallsPassesOverFullAndOutSeatsAndTheSeatDropsAbove11) {
    table.m_Game31 = false;
    SetBalls({12, 3, 11, 5});
    table.m_Players[1].m_Out = true;
    SetScores({10, 0, 20, 0});
    table.AddBalls(1);
    EXPECT_EQ(Balls(4), (std::vector<int>{12, 3, 15, 5})); // seat 4 is not in play
    table.DoOutPlayers();
    EXPECT_TRUE(table.m_Players[2].m_Out);
    EXPECT_FALSE(table.m_Players[3].m_Out);
}

TEST_F(ScoringTest, DroppingOutIsAnnouncedForOthersOnly) {
    table.ResetStars(2);
    table.m_Players[1].m_Star.ResetStars(0);
    table.DoOutPlayers();
    EXPECT_TRUE(table.m_Players[1].m_Out);
    EXPECT_EQ(table.m_Players[1].m_Tablo.GetColorBack(), TABLO_BLACK);
    EXPECT_EQ(table.m_LabelMessage.GetCaption(), QStringLiteral("Один игрок вылетел!"));
    EXPECT_TRUE(table.m_LabelMessage.IsVisible());

    // Four players: two at once, or one after another, are two.
    table.m_LabelMessage.SetCaption(QString(), 0);
    table.m_NumberPlayers = 4;
    table.m_Players[3].m_Star.ResetStars(0);
    table.DoOutPlayers();
    EXPECT_EQ(table.m_LabelMessage.GetCaption(), QStringLiteral("Два игрока вылетели!"));
    table.m_LabelMessage.SetCaption(QString(), 0);
    ClearOut();
    table.ResetStars(2);
    table.m_Players[2].m_Star.ResetStars(0);
    table.m_Players[3].m_Star.ResetStars(0);
    table.DoOutPlayers();
    EXPECT_EQ(table.m_LabelMessage.GetCaption(), QStringLiteral("Два игрока вылетели!"));

    // The user's own drop is not announced.
    table.m_LabelMessage.SetCaption(QString(), 0);
    ClearOut();
    table.ResetStars(2);
    table.m_Players[0].m_Star.ResetStars(0);
    table.DoOutPlayers();
    EXPECT_TRUE(table.m_Players[0].m_Out);
    EXPECT_EQ(table.m_LabelMessage.GetCaption(), QString());
}

TEST_F(ScoringTest, IsEndPartyAndStateGameCodes) {
    table.ResetStars(3);
    table.m_Players[2].m_Star.ResetStars(0);
    EXPECT_EQ(table.StateGame(), 2); // nothing dealt: no out check at all
    EXPECT_FALSE(table.m_Players[2].m_Out);

    Give(1, {Card(Clubs, Six)});
    EXPECT_EQ(table.StateGame(), 0x04); // seat 3 drops, the party goes on
    EXPECT_TRUE(table.m_Players[2].m_Out);
    EXPECT_EQ(table.IsEndParty(), 0x02);

    table.m_Players[0].m_Star.ResetStars(0);
    Take(2, {Card(Hearts, Ace), Card(Hearts, Ten), Card(Spades, Ace)});
    EXPECT_EQ(table.StateGame(), 0x08 | 0x10 | 0x20);
    EXPECT_EQ(table.IsEndParty(), 0x08 | 0x04 | 0x20);

    ClearOut();
    table.ResetStars(3);
    table.m_Players[1].m_Star.ResetStars(0);
    table.m_Players[2].m_Star.ResetStars(0);
    EXPECT_EQ(table.IsEndParty(), 0x04 | 0x10);
}

TEST_F(ScoringTest, MinBallsAndMaxScoresCountAllFourSeats) {
    SetBalls({5, 6, 7});
    EXPECT_EQ(table.GetMinBalls(), 0); // the empty fourth seat
    SetScores({10, 20, 30, 40});
    EXPECT_EQ(table.GetMaxScores(), 40);
}

TEST_F(ScoringTest, StarsGoToTheWinnerFromEveryOtherSeatInPlay) {
    table.m_Players[3].m_Star.ResetStars(7);
    table.ResetStars(5);
    table.DecrementStars(2);
    std::vector<int> stars;
    for (const CPlayer& seat : table.m_Players)
        stars.push_back(seat.m_Star.GetNumberStars());
    EXPECT_EQ(stars, (std::vector<int>{4, 6, 4, 7}));
}
