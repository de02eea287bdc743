#pragma once
// A table bound to a shown window, its deck built and valued for this game
// and never shuffled, so a card is found by suit and face. Hands, table cards
// and trick piles are set up by writing the cards' members directly.
// Animations are off and timed pauses are counted instead of slept.

#include "Public.h"
#include "Star.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

enum Suit { Clubs = 1, Spades, Hearts, Diamonds };
enum Face { Six = 1, Seven, Eight, Nine, Ten, Jack, Queen, King, Ace };

class TableFixture : public testing::Test {
protected:
    void SetUp() override {
        window.resize(800, 600);
        window.show();
        table.SetParent(&window);
        table.m_Pack.InitPack36(&window);
        table.m_Pack.SetValueZanta();
        table.m_Pack.ShowAinmationCards(false);
        table.m_NumberPlayers = 3;
        for (int i = 0; i < 3; ++i)
            table.m_GoingX[i] = 500 - 72 * i;
        for (int i = 0; i < 4; ++i)
            table.m_GoingY[i] = 200 + 25 * i;
        table.m_ResetX = 210;
        for (int i = 0; i < 9; ++i)
            table.m_ResetY[i] = 200 + 10 * i;
        for (int i = 0; i < 4; ++i)
            table.m_TakePos[i] = QPoint(100 * (i + 1), 700);
    }

    void TearDown() override {
        // Star animations run on threads of their own and use the seats.
        EXPECT_TRUE(testutil::WaitFor([] { return CStar::m_staticCountThreads == 0; }));
    }

    // The deck is never shuffled: card j of suit s sits at (s - 1) * 9 + j - 1.
    CCard* Card(Suit suit, Face face) { return table.m_Pack.GetCard((suit - 1) * 9 + face - 1); }

    void Give(int player, std::initializer_list<CCard*> cards) {
        for (CCard* card : cards) {
            card->m_Place = e_Hand;
            card->m_Player = player;
        }
    }

    void Take(int player, std::initializer_list<CCard*> cards) {
        for (CCard* card : cards) {
            card->m_Place = e_Take;
            card->m_Player = player;
        }
    }

    // Every card of the suit into the player's trick pile: 30 points.
    void TakeSuit(int player, Suit suit) {
        for (int face = Six; face <= Ace; ++face)
            Take(player, {Card(suit, static_cast<Face>(face))});
    }

    void SetScores(std::initializer_list<int> scores) {
        int i = 0;
        for (int s : scores)
            table.m_Players[i++].m_Tablo.SetScoreValue(s);
    }

    void SetBalls(std::initializer_list<int> balls) {
        int i = 0;
        for (int b : balls)
            table.m_Players[i++].m_Tablo.SetBallsValue(b);
    }

    testutil::PauseCounter pauses;
    CWnd window;
    CPublic table;
};
