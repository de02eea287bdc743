#pragma once
// The general page "Общие настройки" of the settings sheet: the game rate on
// a trackbar and the switches of the game. It keeps nothing itself: every
// change the user makes goes to the main parent (the game view) as
// WM_PUBLIC_SETTING, wParam the control id and lParam 1 for a ticked box, 0
// for a cleared one, or the trackbar's position in milliseconds.
//
// The program sets the controls through SetGameRate and SetCheck, which tell
// nobody, as the old controls did when the program moved them.

#include "PropertyPage.h"
#include "PublicSettingIds.h"
#include "Wnd.h"

#include <QHash>
#include <QPointer>

class QCheckBox;
class QSlider;

class CPagePublicSetting : public CPropertyPage {
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

    // Any control of the page by id; null for unknown ids.
    QWidget* GetControl(int id) const;

    void SetGameRate(int ms);
    int GetGameRate() const;
    void SetCheck(int id, bool checked);
    bool GetCheck(int id) const;
    // "Показывать табло побед игроков" and "Игра на звездочки" belong to a
    // 31-point party only.
    void EnableGame31(bool enable);

    // Receives the notifications; not owned, set by the owner of the sheet.
    QPointer<CWnd> m_pMainParent;

protected:
    BOOL OnInitDialog() override;

private:
    void SendMainParent(UINT id, LPARAM value);
    QCheckBox* AddCheckBox(int id, const QString& text, QRect dlgUnits);

    QSlider* m_pSlider = nullptr;
    QHash<int, QWidget*> m_controls;
};
