#include "Adjustment.h"

CAdjustment::CAdjustment(CWnd* view) : CSettingsSheet(view) {
    m_PagePublicSetting.m_pMainParent = view;
    AddGeneralPage(&m_PagePublicSetting);
}

CAdjustment::~CAdjustment() = default;
