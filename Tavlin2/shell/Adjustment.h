#pragma once
// The single-player program's settings sheet: the appearance page and its
// general page, both reporting to the game view.

#include "PagePublicSetting.h"
#include "SettingsSheet.h"

class CAdjustment : public CSettingsSheet {
    Q_OBJECT

public:
    explicit CAdjustment(CWnd* view);
    ~CAdjustment() override;

    CPagePublicSetting m_PagePublicSetting;
};
