#pragma once
// A shown table with an unshuffled deck valued for this game: a card is found
// by suit and face, and placed by writing its members. No animations; timed
// pauses are skipped, not slept.

#include "Public.h"
#include "Star.h"
#include "TableView.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

enum Suit { Clubs = 1, Spades, Hearts, Diamonds };
enum Face { Six = 1, Seven, Eight, Nine, Ten, Jack, Queen, King, Ace };

class TableFixture : public testing::Test {
protected:
    void SetUp() override {
        window.table = &table;
        table.SetParent(&window);
        table.m_Pack.InitPack36(&window);
        table.m_Pack.SetValueZanta();
        table.m_Pack.ShowAinmationCards(false);
        table.m_NumberPlayers = 3;
        window.resize(800, 600);
        window.show();
        table.OnSize(800, 600);
    }

    void TearDown() override {
        // Star animations run on threads of their own and use the seats.
        EXPECT_TRUE(testutil::WaitFor([] { return CStar::m_staticCountThreads == 0; }));
    }

    // The deck is never shuffled: card j of suit s sits at (s - 1) * 9 + j - 1.
    CCard* Card(Suit suit, Face face) { return table.m_Pack.GetCard((suit - 1) * 9 + face - 1); }

    void Put(int player, int place, std::initializer_list<CCard*> cards) {
        for (CCard* card : cards) {
            card->m_Place = place;
            card->m_Player = player;
        }
    }
    void Give(int player, std::initializer_list<CCard*> cards) { Put(player, e_Hand, cards); }
    void Take(int player, std::initializer_list<CCard*> cards) { Put(player, e_Take, cards); }

    // The player leads the cards, in this order, from his hand.
    void Lead(int player, std::initializer_list<CCard*> cards) {
        for (CCard* card : cards) {
            Give(player, {card});
            table.MoveCard_GO(player, card, true);
        }
    }

    // A new game with this trump: every card back in the pack.
    void NewGame(Suit trump) {
        table.m_Pack.CardsToPack(false);
        table.m_Pack.SetKozir(trump);
    }

    // The player's cards lying at the place, in deck order.
    std::vector<CCard*> At(int player, int place) {
        std::vector<CCard*> cards;
        for (CCard* card : table.m_Pack.m_Cards)
            if (card->m_Place == place && card->m_Player == player)
                cards.push_back(card);
        return cards;
    }

    void SetScores(std::initializer_list<int> scores) {
        int i = 0;
        for (int s : scores)
            table.m_Players[i++].m_Tablo.SetScoreValue(s);
    }
    testutil::PauseCounter pauses;
    TableView window;
    CPublic table;
};
