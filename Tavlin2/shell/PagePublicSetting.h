#pragma once
// The general page "Общие настройки" of the settings sheet: the game rate on
// a trackbar and the switches of the game. It keeps nothing itself: every
// change the user makes goes to the main parent (the game view) as
// WM_PUBLIC_SETTING, wParam the control id and lParam 1 for a ticked box, 0
// for a cleared one, or the trackbar's position in milliseconds.
//
// The program sets the controls through SetGameRate and SetCheck, which tell
// nobody, as the old controls did when the program moved them.

#include "PublicSettingIds.h"
#include "SettingsPage.h"

class QSlider;

class CPagePublicSetting : public CSettingsPage {
    Q_OBJECT

public:
    enum { IDD = 158 };
    static constexpr int kRateMax = 1500;
    static constexpr int kRateLine = 215;
    static constexpr int kRateInitial = 750;

    CPagePublicSetting();
    ~CPagePublicSetting() override;
    CPagePublicSetting(const CPagePublicSetting&) = delete;
    CPagePublicSetting& operator=(const CPagePublicSetting&) = delete;

    void SetGameRate(int ms);
    int GetGameRate() const;
    // "Показывать табло побед игроков" and "Игра на звездочки" belong to a
    // 31-point party only.
    void EnableGame31(bool enable);

protected:
    BOOL OnInitDialog() override;

private:
    QSlider* m_pSlider = nullptr;
};
