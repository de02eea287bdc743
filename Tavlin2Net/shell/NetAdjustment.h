#pragma once
// The network program's settings sheet: the appearance page and the network
// general page, both reporting to the game window.

#include "NetPagePublicSetting.h"
#include "SettingsSheet.h"

class CNetAdjustment : public CSettingsSheet {
    Q_OBJECT

public:
    explicit CNetAdjustment(CWnd* view);
    ~CNetAdjustment() override;

    CNetPagePublicSetting m_PagePublicSetting;
};
