#pragma once
// The settings of the single-player program under "Software\\Tavlin2.0\\Comp":
// read once right after the settings sheet exists, written once when the view
// goes away. The members start at the registry defaults; the view applies
// them in the order they are declared here, which is the reading order.
//
// A value that is missing, of another size or type, or outside what the game
// can use reads as its default, so a damaged registry never starts the game
// in a state it cannot be in.

#include "SettingsTable.h"

#include <QString>

class CCompSettings {
public:
    static constexpr const char* kKey = "Comp"; // "Software\\Tavlin2.0\\Comp"

    static constexpr int kFirstShirt = settingstable::kFirstShirt;
    static constexpr int kTableImage = settingstable::kTableImage;
    // The trackbar "Темп игры" runs 0..1500 ms.
    static constexpr int kMaxGameRate = 1500;

    // Every member starts at its default, from the one table of the settings.
    CCompSettings();

    bool m_FirstHelp;
    int m_NumberPlayers;
    int m_GameRate; // ms
    bool m_ShowTabloVictory;
    bool m_ShowAnimation;
    bool m_Sound;
    bool m_GameForStars;
    bool m_Game31;
    int m_ShirtNumber;
    int m_TableNumber;
    int m_BGNumber;
    // Seats 2, 3 and 4: "NameComp1" .. "NameComp3".
    QString m_NameComp[3];
    QString m_TableImageFile;
    // Only written; this program never shows the names window by itself.
    bool m_NoShowNameWnd;

    // Puts every member back to its default, then reads what is stored. False
    // when the key can be neither opened nor created: the defaults stay.
    bool Read();
    // False when the key cannot be opened; nothing is written then.
    bool Write() const;

    // The table to show for m_TableNumber: the user's picture only while its
    // file opens for reading, table 1 otherwise.
    int EffectiveTable() const;
};
