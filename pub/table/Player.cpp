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
    m_Name = other.m_Name;
    m_Held = other.m_Held;
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

void CPlayer::SetName(const QString& name) {
    m_Name = name;
    ShowName();
}

QString CPlayer::Name() const {
    return m_Name;
}

void CPlayer::SetHeld(bool held) {
    if (held == m_Held)
        return;
    m_Held = held;
    ShowName();
}

void CPlayer::ShowName() {
    m_LabelName.SetCaption(m_Held ? m_Name + QStringLiteral(" (компьютер)") : m_Name, 0);
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
