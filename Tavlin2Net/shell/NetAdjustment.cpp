#include "NetAdjustment.h"

CNetAdjustment::CNetAdjustment(CWnd* view) : CSettingsSheet(view) {
    m_PagePublicSetting.m_pMainParent = view;
    AddGeneralPage(&m_PagePublicSetting);
}

CNetAdjustment::~CNetAdjustment() = default;
