#pragma once
// The settings of the single-player program under "Software\\Tavlin2.0\\Comp":
// read once right after the settings sheet exists, written once when the view
// goes away. The members start at the registry defaults; the view applies
// them in the order they are declared here, which is the reading order.
//
// A value that is missing, of another size or type, or outside what the game
// can use reads as its default, so a damaged registry never starts the game
// in a state it cannot be in.

#include "WinTypes.h"

#include <QString>

class CCompSettings {
public:
    static constexpr const char* kKey = "Software\\Tavlin2.0\\Comp";

    // Card backs are the pictures 37..43 of the card-picture library.
    static constexpr int kFirstShirt = 37;
    static constexpr int kLastShirt = 43;
    // Tables 0..7; 7 is the user's own picture.
    static constexpr int kTableImage = 7;
    static constexpr int kLastTable = 7;
    static constexpr int kLastBG = 6;
    // The trackbar "Темп игры" runs 0..1500 ms.
    static constexpr int kMaxGameRate = 1500;
    // Buffers of the stored strings, with their terminating zero.
    static constexpr DWORD kNameBytes = 12;
    static constexpr DWORD kPathBytes = 260;

    bool m_FirstHelp = true;
    int m_NumberPlayers = 2;
    int m_GameRate = 500; // ms
    bool m_ShowTabloVictory = true;
    bool m_ShowAnimation = true;
    bool m_Sound = true;
    bool m_GameForStars = true;
    bool m_Game31 = true;
    int m_ShirtNumber = kFirstShirt;
    int m_TableNumber = 1;
    int m_BGNumber = 0;
    // Seats 2, 3 and 4: "NameComp1" .. "NameComp3".
    QString m_NameComp[3] = {QStringLiteral("Евлампий"), QStringLiteral("Кирилл"),
                             QStringLiteral("Кузьма")};
    QString m_TableImageFile = QStringLiteral("image.jpg");
    // Only written; this program never shows the names window by itself.
    bool m_NoShowNameWnd = false;

    // False when the key can be neither opened nor created: then nothing is
    // read and the caller keeps its own values.
    bool Read();
    // False when the key cannot be opened; nothing is written then.
    bool Write() const;

    // The table to show for m_TableNumber: the user's picture only while its
    // file opens for reading, table 1 otherwise.
    int EffectiveTable() const;
};
