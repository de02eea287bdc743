#include "NetPagePublicSetting.h"

using namespace netcmd;

CNetPagePublicSetting::CNetPagePublicSetting()
    : CSettingsPage(IDD, QSize(242, 116), WM_PUBLIC_SETTING) {
    const std::pair<UINT, const char16_t*> boxes[] = {
        {IDC_SHOW_NAME_WND, u"Показывать окно смены имен"},
        {IDC_ANIMATION, u"Анимация карт"},
        {IDC_SOUND, u"Звуковые эффекты"},
        {IDC_TABLO_VICTORY, u"Показывать табло побед игроков"},
        {IDC_AUTOMATIC_GAME, u"Автоматическая игра"},
        {IDC_CLOSED_CARD_RESET, u"Закрытые карты сброса"},
        {IDC_LOCK_ADD_PLAYERS, u"Не подключать игроков после начала игры"},
        {IDC_GAME_FOR_STARS, u"Игра на звездочки"},
        {IDC_SHOW_TELEGRAPH, u"Чат игроков"},
        {IDC_HOLD_SEATS, u"Если игрок выйдет — за него играет компьютер, место ждет его"},
    };
    int y = 5;
    for (const auto& [id, text] : boxes) {
        AddCheckBox(static_cast<int>(id), QString::fromUtf16(text), QRect(10, y, 224, 10));
        y += 11;
    }
}

CNetPagePublicSetting::~CNetPagePublicSetting() = default;

BOOL CNetPagePublicSetting::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    SetCheck(IDC_ANIMATION, true);
    return TRUE;
}

void CNetPagePublicSetting::EnableSharedChecks(bool enable) {
    EnableControls({IDC_LOCK_ADD_PLAYERS, IDC_CLOSED_CARD_RESET, IDC_GAME_FOR_STARS}, enable);
}
