#include "Player.h"

#include "Wnd.h"

#include <QRect>

CPlayer::CPlayer() : m_Victory(0), m_Out(false) {}

CPlayer::CPlayer(const CPlayer& other) : CPlayer() {
    *this = other;
}

CPlayer& CPlayer::operator=(const CPlayer& other) {
    if (this == &other)
        return *this;
    m_Victory = other.m_Victory;
    m_LabelName = other.m_LabelName;
    m_Held = other.m_Held.load();
    m_Out = other.m_Out;
    m_PlayerID = other.m_PlayerID;
    m_Waiting = other.m_Waiting;
    m_Tablo.SetScoreValue(other.m_Tablo.GetScoresValue());
    m_Tablo.SetBallsValue(other.m_Tablo.GetBallsValue());
    m_Star.ResetStars(other.m_Star.GetNumberStars());
    return *this;
}

void CPlayer::SetParent(CWnd* parent) {
    m_LabelName.SetParent(parent);
    m_Tablo.CreateTablo(QRect(0, 0, 120, 40), parent, true);
    m_Star.SetParent(parent);
}

namespace {
const QString kHeldMark = QStringLiteral(" (компьютер)");
} // namespace

void CPlayer::SetName(const QString& name) {
    m_LabelName.SetCaption(m_Held ? name + kHeldMark : name, 0);
}

QString CPlayer::Name() const {
    QString caption = m_LabelName.GetCaption();
    if (m_Held && caption.endsWith(kHeldMark))
        caption.chop(kHeldMark.size());
    return caption;
}

void CPlayer::SetHeld(bool held) {
    if (held == m_Held)
        return;
    const QString name = Name();
    m_Held = held;
    SetName(name);
}

void CPlayer::SetDC(QPainter* dc) {
    m_LabelName.SetDC(dc);
    m_Star.DrawStar(dc);
}

void CPlayer::ResetScores() {
    m_Tablo.SetScoreValue(0);
}

void CPlayer::ResetBalls() {
    m_Tablo.SetBallsValue(0);
}

void CPlayer::ResetVictory() {
    m_Victory = 0;
}

void CPlayer::ResetTabloColor() {
    m_Tablo.ResetColor(true);
}
