#include "PagePublicSetting.h"

#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

CPagePublicSetting::CPagePublicSetting() : CSettingsPage(IDD, QSize(242, 84), WM_PUBLIC_SETTING) {
    AddControl(IDC_GROUP_RATE,
               AddGroupBox(IDC_GROUP_RATE, QStringLiteral("Темп игры"), QRect(6, 4, 50, 76)));

    m_pSlider = new QSlider(Qt::Vertical, this);
    m_pSlider->setGeometry(MapDialogRect(QRect(12, 15, 18, 60)));
    m_pSlider->setTickPosition(QSlider::NoTicks);
    m_pSlider->setRange(0, kRateMax);
    m_pSlider->setSingleStep(kRateLine);
    // The old trackbar paged by a fifth of its range.
    m_pSlider->setPageStep(kRateMax / 5);
    // The fastest rate, 0, is at the top, under the "+".
    m_pSlider->setInvertedAppearance(true);
    m_pSlider->setInvertedControls(true);
    AddControl(IDC_SLIDER_RATE, m_pSlider);
    connect(m_pSlider, &QSlider::valueChanged, this,
            [this](int position) { SendMainParent(IDC_SLIDER_RATE, position); });

    // A narrow static: each mark of the scale wraps onto a line of its own.
    auto* scale = new QLabel(QStringLiteral("+   -   -   -   - "), this);
    scale->setTextFormat(Qt::PlainText);
    scale->setWordWrap(true);
    scale->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scale->setGeometry(MapDialogRect(QRect(34, 15, 8, 52)));
    AddControl(IDC_STATIC_SCALE, scale);
    auto* scaleEnd = new QLabel(QStringLiteral("_"), this);
    scaleEnd->setTextFormat(Qt::PlainText);
    scaleEnd->setGeometry(MapDialogRect(QRect(34, 63, 8, 9)));
    AddControl(IDC_STATIC_SCALE_END, scaleEnd);

    AddCheckBox(IDC_CHECK_ANIMATION, QStringLiteral("Анимация карт"), QRect(66, 8, 120, 10));
    AddCheckBox(IDC_CHECK_SOUND, QStringLiteral("Звуковые эффекты"), QRect(66, 20, 120, 10));
    AddCheckBox(IDC_CHECK_OPEN_CARDS, QStringLiteral("Открытые карты"), QRect(66, 32, 120, 10));
    AddGroupBox(IDC_STATIC, QStringLiteral("Игра до 31 очка "), QRect(62, 44, 174, 36));
    AddCheckBox(IDC_CHECK_TABLO_VICTORY, QStringLiteral("Показывать табло побед игроков"),
                QRect(70, 55, 160, 10));
    AddCheckBox(IDC_CHECK_STARS, QStringLiteral("Игра на звездочки"), QRect(70, 66, 160, 10));
}

CPagePublicSetting::~CPagePublicSetting() = default;

BOOL CPagePublicSetting::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    {
        const QSignalBlocker quiet(m_pSlider);
        m_pSlider->setValue(kRateInitial);
    }
    SetCheck(IDC_CHECK_ANIMATION, true);
    return TRUE;
}

void CPagePublicSetting::SetGameRate(int ms) {
    const QSignalBlocker quiet(m_pSlider);
    m_pSlider->setValue(ms);
}

int CPagePublicSetting::GetGameRate() const {
    return m_pSlider->value();
}

void CPagePublicSetting::EnableGame31(bool enable) {
    EnableControls({IDC_CHECK_TABLO_VICTORY, IDC_CHECK_STARS}, enable);
}
