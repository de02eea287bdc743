#pragma once
// The deck: creates and owns the 36 cards of the whole run and keeps them in
// one ordered list. Where a card lies and whose it is are members of the card;
// the order of the list is the dealing order and the order in which every
// search of the table finds its card.

#include "Card.h"

#include <atomic>
#include <cstdint>
#include <vector>

class CPack {
public:
    CPack();
    ~CPack();
    // Copies share the cards; nothing in the game copies a deck.
    CPack(const CPack& other);
    CPack& operator=(const CPack& other);

    bool InitPack36(CWnd* parent);
    void SetValueZanta();
    void SetValueKvelt();

    CCard* GetCard(const int& index);
    int GetNumberCardsInPack();
    CCard* TakeCard(int* index);
    bool IsPackEnd();
    bool IsPackFull();

    void CardsToPack(bool showKozir);
    void SetPackPos(const int& x, const int& y);
    void OpenAllCards(bool open);
    void ShowAinmationCards(bool on);
    bool IsShowAinmationCards();

    void ResetKozir();
    void SetKozir(const int& mast);
    int ShowCardKozir();

    void ShufflePack();
    void ShufflePack(char* masts, char* values);
    // Puts the deck into the order another deck's ShufflePack(masts, values)
    // produced. Arrays that do not describe a permutation of this deck leave
    // it as it was; the result tells whether the order was taken.
    bool ArrayShuffle(const char* masts, const char* values);
    int IncrementShuffle();
    void ReadShuffleFromReg();
    void WriteShuffleToReg();

    // The trump suit as SetKozir/ResetKozir last left it (0 for none), for the
    // painting thread, which must not walk the cards while a worker moves them.
    int GetKozirMast() const { return m_KozirMast.load(); }

    void SetShirt(const unsigned int& shirt);
    int GetShirt();

    int m_PackX;
    int m_PackY;
    std::uint8_t m_KozirState;
    std::vector<CCard*> m_Cards;
    int m_NumberCards;
    int m_Shirt;
    static std::atomic<std::uint32_t> m_Shuffle;

private:
    void DestroyCards();

    std::atomic<int> m_KozirMast{0};
};
