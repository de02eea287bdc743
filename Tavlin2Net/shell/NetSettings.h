#pragma once
// The settings of the network program under "Software\\Tavlin2.0\\Net": read
// once when the game window is made, written once when it goes. The members
// start at the registry defaults and are declared in reading order. Every
// flag counts as true only when it is stored as 1.

#include "SettingsTable.h"

#include <QString>

class CNetSettings {
public:
    static constexpr const char* kKey = "Net"; // "Software\\Tavlin2.0\\Net"

    // Every member starts at its default, from the one table of the settings.
    CNetSettings();

    bool m_AutomaticGame;
    bool m_ClosedCardReset;
    bool m_LockAddPlayers;
    bool m_HoldSeats;
    bool m_ShowNameWnd;
    bool m_ShowTabloVictory;
    bool m_ShowTelegraph;
    bool m_ShowAnimation;
    bool m_GameForStars;
    bool m_Game31;
    int m_ShirtNumber;
    int m_TableNumber;
    int m_BGNumber;
    QString m_TableImageFile;
    bool m_Sound;

    // Puts every member back to its default, then reads what is stored. False
    // when the key can be neither opened nor created: the defaults stay.
    bool Read();
    // False when the key cannot be opened; nothing is written then.
    bool Write() const;

    // The table to show: the user's picture only while its file opens.
    int EffectiveTable() const;
};
