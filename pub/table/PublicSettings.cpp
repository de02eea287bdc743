// The table's life with its window, and the player names it keeps in the
// registry key shared by both programs.

#include "Public.h"
#include "PublicArt.h"

#include "Cp1251.h"
#include "TableLog.h"
#include "Util.h"
#include "Wnd.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
const char kUserName[] = "UserName";
const char kOtherNames[] = "OtherNamesPlayers";
constexpr int kNameSlots = 11;
constexpr int kSlotSize = 12;
constexpr int kMaxName = kSlotSize - 1;

constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

const QString kDefaultUserName = QStringLiteral("Товарищч");

// A name as the slots and "UserName" hold it: Windows-1251, "?" for what the
// code page lacks, at most 11 bytes, so it always reads back.
QByteArray NameBytes(const QString& name) {
    return Cp1251Field(name, kSlotSize);
}

QByteArray SlotBytes(const char (&slot)[kSlotSize]) {
    return QByteArray(slot, static_cast<qsizetype>(strnlen(slot, kMaxName)));
}

void FillSlot(char (&slot)[kSlotSize], const QByteArray& name) {
    std::memset(slot, 0, kSlotSize);
    std::memcpy(slot, name.constData(),
                static_cast<std::size_t>(std::min<qsizetype>(name.size(), kMaxName)));
}
} // namespace

CPublic::~CPublic() {
    // A table that never read the names must not overwrite the stored ones.
    if (m_Art->namesRead)
        WriteSettingToReg();
}

void CPublic::SetParent(CWnd* parent) {
    if (m_Art->bound || !parent) {
        if (!m_Art->bound)
            m_pParent = parent;
        return;
    }
    m_Art->bound = true;
    m_pParent = parent;
    m_VictoryTable.CreateVictoryTablo(QRect(0, 5, 250, 87), parent);
    for (CPlayer& player : m_Players)
        player.SetParent(parent);
    m_LabelMessage.SetParent(parent);
    m_LabelAnnounce.SetParent(parent);
    m_LabelResult.SetParent(parent);

    for (CPlayer& player : m_Players) {
        player.m_LabelName.SetColorText(kYellow);
        player.m_LabelName.SetMyLabelFont(-18, 600, QStringLiteral("Courier New"), 0);
        player.m_LabelName.SetShade(true);
    }
    m_LabelMessage.SetColorText(kWhite);
    m_LabelMessage.SetMyLabelFont(24, 600, QStringLiteral("Times New Roman"), 0);
    m_LabelMessage.SetShade(true);
    m_LabelAnnounce.SetColorText(kWhite);
    m_LabelAnnounce.SetMyLabelFont(34, 800, QStringLiteral("Times New Roman"), 0);
    m_LabelAnnounce.SetShade(true);
    m_LabelResult.SetColorText(kWhite);
    m_LabelResult.SetMyLabelFont(34, 800, QStringLiteral("Times New Roman"), 0);
    m_LabelResult.SetShade(true);

    for (CPlayer& player : m_Players)
        player.ResetVictory();
    ReadSettingFromReg();
}

void CPublic::ReadSettingFromReg() {
    const CSettingsKey key(CSettingsKey::kPublic);
    if (!key) {
        // Settings that cannot be read must not leave the user without a name.
        qCWarning(lcTable) << "the shared names cannot be read; the default name is used";
        m_Players[0].SetName(kDefaultUserName);
        return;
    }
    char name[kSlotSize] = {};
    Util_ReadStringRegKeyCch(key, kUserName, name, kSlotSize,
                             Cp1251FromUnicode(kDefaultUserName).constData());
    m_Players[0].SetName(Cp1251ToUnicode(name, -1));
    DXUtil_ReadBinaryRegKey(key, kOtherNames, m_OtherNames, sizeof(m_OtherNames), nullptr);
    // A damaged list still gives names that end within their slots.
    for (auto& slot : m_OtherNames)
        slot[kMaxName] = '\0';
    m_Art->namesRead = true;
}

void CPublic::WriteSettingToReg() {
    const CSettingsKey key(CSettingsKey::kPublic);
    if (!key)
        return;
    const QByteArray name = NameBytes(m_Players[0].m_LabelName.GetCaption());
    Util_WriteStringRegKey(key, kUserName, name.constData());
    DXUtil_WriteBinaryRegKey(key, kOtherNames, m_OtherNames, sizeof(m_OtherNames));
}

void CPublic::InitNameDlg(QString* names) {
    if (!names)
        return;
    FillSlot(m_OtherNames[0], NameBytes(m_Players[0].m_LabelName.GetCaption()));
    for (int i = 0; i < kNameSlots; ++i)
        names[i] = Cp1251ToUnicode(SlotBytes(m_OtherNames[i]));
}

void CPublic::SetUserName(QString* names) {
    if (!names)
        return;
    const QByteArray name = NameBytes(names[0]);
    std::vector<QByteArray> list{name};
    for (const auto& slot : m_OtherNames) {
        const QByteArray remembered = SlotBytes(slot);
        if (!remembered.isEmpty() && remembered != name)
            list.push_back(remembered);
    }
    for (int i = 0; i < kNameSlots; ++i)
        FillSlot(m_OtherNames[i], i < static_cast<int>(list.size()) ? list[i] : QByteArray());

    const QString shown = Cp1251ToUnicode(name);
    m_Players[0].SetName(shown);
    m_VictoryTable.DistrPlaceVictory(shown, 1, m_Players[0].m_Victory, m_NumberPlayers);
}
