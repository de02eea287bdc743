#pragma once
// The network program's general page "Общие настройки": nine switches, no
// game rate (the pace is the slowest table's). Every click goes to the game
// window as netcmd::WM_PUBLIC_SETTING. The boxes of the settings every peer
// shares (joining locked, discards face down, the stars game) can be greyed
// together while the party's leader alone may change them.

#include "NetCommands.h"
#include "SettingsPage.h"

class CNetPagePublicSetting : public CSettingsPage {
    Q_OBJECT

public:
    enum { IDD = 158 };

    CNetPagePublicSetting();
    ~CNetPagePublicSetting() override;

    // 1077, 1078 and 1080 together.
    void EnableSharedChecks(bool enable);

protected:
    BOOL OnInitDialog() override;
};
