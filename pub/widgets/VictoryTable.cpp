#include "VictoryTable.h"

#include "Colour.h"
#include "GuiThread.h"

#include <QPainter>

#include <algorithm>
#include <array>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGreen = RGB(0, 130, 0);
// Row colours by place 1 to 4: light yellow, light grey, light orange, black.
constexpr COLORREF kPlaceColors[] = {RGB(255, 255, 100), RGB(220, 220, 220), RGB(255, 200, 140),
                                     kBlack};

constexpr int kRowTop = 18;
constexpr int kRowStep = 16;
// The panel's height: a title band and 17 pixels per row.
constexpr int kTitleHeight = 20;
constexpr int kRowHeight = 17;

constexpr char kLeft = 0;
constexpr char kCentred = 2;

} // namespace

CVictoryTable::CVictoryTable() : CWnd(nullptr) {
    LOGFONT title;
    title.lfHeight = -13;
    title.lfWeight = 700;
    title.lfUnderline = 1;
    title.lfCharSet = RUSSIAN_CHARSET;
    title.lfFaceName = QStringLiteral("Times New Roman");
    m_lblTitle.SetParent(this);
    m_lblTitle.SetMyLabelFont(&title);
    m_lblTitle.SetColorText(kWhite);
    m_lblTitle.SetCaption(QStringLiteral("   КОЛИЧЕСТВО ПОБЕД ИГРОКОВ   "), 0);
    for (int row = 0; row < kRows; ++row) {
        for (CMyLabel* label : {&m_lblName[row], &m_lblVictories[row], &m_lblPlace[row]}) {
            label->SetParent(this);
            label->SetMyLabelFont(-17, 400, QStringLiteral("Times New Roman"), 0);
        }
    }
}

CVictoryTable::~CVictoryTable() = default;

int CVictoryTable::CreateVictoryTablo(const QRect& rect, CWnd* parent) {
    if (!parent)
        return 0;
    platform::RunOnGuiThread([&] {
        setParent(parent);
        setWindowTitle(QString());
        setGeometry(rect);
    });
    const int created = OnCreate();
    ShowWindow(SW_SHOW);
    return created;
}

int CVictoryTable::OnCreate() {
    const int width = GetClientRect().width();
    m_lblTitle.SetMyLabelPos(width / 2, 0, kCentred);
    m_lblTitle.Show(true);
    for (int row = 0; row < kRows; ++row) {
        const int y = kRowTop + kRowStep * row;
        m_lblPlace[row].SetMyLabelPos(4, y, kLeft);
        m_lblName[row].SetMyLabelPos(68, y, kLeft);
        m_lblVictories[row].SetMyLabelPos(width - 18, y, kCentred);
        m_lblPlace[row].Show(true);
        m_lblName[row].Show(true);
        m_lblVictories[row].Show(true);
    }
    return 1;
}

void CVictoryTable::DistrPlaceVictory(const QString& name, const int& seat, const int& victories,
                                      const int& players) {
    if (seat < 1 || seat > kRows || players < 1 || players > kRows)
        return;
    platform::RunOnGuiThread([&] {
        m_entries[seat - 1] = Entry{victories, name};
        SetHeight(players);

        std::array<const Entry*, kRows> ranked{};
        for (int i = 0; i < players; ++i)
            ranked[i] = &m_entries[i];
        // Equal counts keep their seat order.
        std::stable_sort(
            ranked.begin(), ranked.begin() + players,
            [](const Entry* a, const Entry* b) { return a->victories > b->victories; });

        // Dense places: equal counts share a place, the next count takes the
        // next place. Four rows never get beyond place 4.
        int place = 1;
        for (int row = 0; row < players; ++row) {
            if (row > 0 && ranked[row]->victories != ranked[row - 1]->victories)
                ++place;
            Award(row, place, ranked[row]->victories, ranked[row]->name);
            SetRowColor(row, kPlaceColors[place - 1]);
        }
    });
}

void CVictoryTable::Award(const int& row, const int& place, const int& victories,
                          const QString& name) {
    if (row < 0 || row >= kRows)
        return;
    m_lblPlace[row].SetCaption(GetStringPlace(place), 0);
    m_lblName[row].SetCaption(name, 0);
    m_lblVictories[row].SetCaption(NumberVictoryToStr(victories), 0);
}

QString CVictoryTable::GetStringPlace(const int& place) const {
    if (place < 1 || place > kRows)
        return QString();
    return QStringLiteral("%1 место").arg(place);
}

QString CVictoryTable::NumberVictoryToStr(const int& n) const {
    return QString::number(n).rightJustified(3, QLatin1Char(' '));
}

void CVictoryTable::SetHeight(const int& players) {
    ResetDraw(players);
    if (players >= 1 && players <= kRows) {
        platform::RunOnGuiThread([&] {
            SetWindowPos(nullptr, 0, 0, width(), kTitleHeight + kRowHeight * players,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        });
    }
    Invalidate();
}

void CVictoryTable::ResetDraw(const int& from) {
    for (int row = std::max(from, 0); row < kRows; ++row) {
        m_lblPlace[row].SetCaption(QString(), 0);
        m_lblName[row].SetCaption(QString(), 0);
        m_lblVictories[row].SetCaption(QString(), 0);
    }
}

void CVictoryTable::ResetPlace() {
    for (CMyLabel& place : m_lblPlace)
        place.SetCaption(GetStringPlace(1), 0);
}

void CVictoryTable::SetRowColor(int row, COLORREF color) {
    m_lblPlace[row].SetColorText(color);
    m_lblName[row].SetColorText(color);
    m_lblVictories[row].SetColorText(color);
}

BOOL CVictoryTable::OnEraseBkgnd(QPainter& dc) {
    // A 1-pixel black outline round the green.
    dc.setPen(QPen(ToColor(kBlack), 1));
    dc.setBrush(ToColor(kGreen));
    dc.drawRect(rect().adjusted(0, 0, -1, -1));
    m_lblTitle.SetDC(&dc);
    for (int row = 0; row < kRows; ++row) {
        m_lblName[row].SetDC(&dc);
        m_lblVictories[row].SetDC(&dc);
        m_lblPlace[row].SetDC(&dc);
    }
    return TRUE;
}
