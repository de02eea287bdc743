#include "Telegraph.h"

#include "Cp1251.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace {

const QString kTitle = QStringLiteral("  ЧАТ ИГРОКОВ  ");
const QColor kPanelColour(120, 120, 120);
const QColor kLineColour(220, 222, 255);

constexpr int kInputHeight = 20;
// Panel heights for 1..4 players; the input field sits under the last line in play.
constexpr int kHeights[4] = {44, 62, 79, 96};
constexpr int kInputTops[4] = {20, 37, 54, 71};
const QRect kLineRects[3] = {QRect(QPoint(2, 20), QPoint(245, 34)),
                             QRect(QPoint(2, 37), QPoint(245, 51)),
                             QRect(QPoint(2, 54), QPoint(245, 68))};

void PaintOn(QWidget* w, const QFont& font) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, kLineColour);
    palette.setColor(QPalette::Base, kLineColour);
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
    w->setFont(font);
}

} // namespace

CTelegraph::CTelegraph() {
    // 9-point Courier and 13-pixel Times, in pixels so the 29 characters of
    // a line fit its width at any screen resolution.
    m_FontLines.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    m_FontLines.setStyleHint(QFont::TypeWriter);
    m_FontLines.setPixelSize(12);
    // Said outright, or the lines would take bold and underline from the panel's font.
    m_FontLines.setBold(false);
    m_FontLines.setUnderline(false);
    m_FontTitle.setFamilies(
        {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    m_FontTitle.setStyleHint(QFont::Serif);
    m_FontTitle.setPixelSize(13);
    m_FontTitle.setBold(true);
    m_FontTitle.setUnderline(true);
}

CTelegraph::~CTelegraph() = default;

void CTelegraph::Create(QWidget* parent, QPoint position) {
    setParent(parent);
    setGeometry(position.x(), position.y(), kWidth, kHeights[3]);
    setFont(m_FontTitle);

    for (int i = 0; i < 3; ++i) {
        m_Lines[i] = new QLabel(this);
        m_Lines[i]->setTextFormat(Qt::PlainText);
        m_Lines[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_Lines[i]->setWordWrap(false);
        m_Lines[i]->setGeometry(kLineRects[i]);
        PaintOn(m_Lines[i], m_FontLines);
    }
    m_Lines[0]->setObjectName(QString::number(IDC_LINE_SEAT2));

    m_Edit = new QLineEdit(this);
    m_Edit->setObjectName(QString::number(IDC_INPUT));
    m_Edit->setGeometry(2, kInputTops[3], kLineRects[0].width(), kInputHeight);
    m_Edit->setMaxLength(kMaxInput);
    m_Edit->setValidator(NewCp1251Validator(m_Edit));
    HintRefusedCharacters(m_Edit);
    PaintOn(m_Edit, m_FontLines);
    // Only the user's own edits go out, never a text set by the program.
    connect(m_Edit, &QLineEdit::textEdited, this,
            [this](const QString& text) { OnEditChange(text); });

    show();
}

void CTelegraph::SetPlayers(int count) {
    if (count < 1 || count > 4 || m_Edit == nullptr)
        return;
    resize(kWidth, kHeights[count - 1]);
    for (int i = 0; i < 3; ++i) {
        const bool inPlay = i < count - 1;
        m_Lines[i]->setVisible(inPlay);
        if (inPlay)
            SetLine(i + 2, QString());
    }
    m_Edit->move(2, kInputTops[count - 1]);
    // Three or four players always see who says what, whatever the setting.
    if (count >= 3)
        show();
}

void CTelegraph::SetLine(int seat, const QString& text) {
    if (seat < 2 || seat > 4 || m_Edit == nullptr)
        return;
    m_Texts[seat - 2] = text;
    const QString& name = m_Names[seat - 2];
    const qsizetype over = text.size() + name.size() - kMaxLine;
    // The newest characters stay in view.
    const QString shown = over > 0 ? text.mid(std::min(over, text.size())) : text;
    m_Lines[seat - 2]->setText(name + QLatin1Char(':') + shown);
    m_LastText = shown;
}

void CTelegraph::SetName(int seat, const QString& name) {
    if (seat < 2 || seat > 4)
        return;
    m_Names[seat - 2] = name;
    SetLine(seat, m_Texts[seat - 2]);
}

void CTelegraph::PlaceInCorner(int clientHeight) {
    move(2, clientHeight - height() - 2);
}

void CTelegraph::OnEditChange(const QString& text) {
    const QByteArray bytes = Cp1251Field(text, kMaxInput + 1);
    if (m_Send) {
        m_Send(bytes);
        return;
    }
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_SEND_CHAT, reinterpret_cast<WPARAM>(bytes.constData()), 0);
}

BOOL CTelegraph::OnEraseBkgnd(QPainter& dc) {
    const QRect client = rect();
    dc.fillRect(client, kPanelColour);
    dc.setPen(Qt::black);
    dc.drawRect(client.adjusted(0, 0, -1, -1));
    dc.setFont(m_FontTitle);
    dc.setPen(Qt::white);
    dc.drawText(client.adjusted(1, 1, -1, -1), Qt::AlignHCenter | Qt::AlignTop, kTitle);
    return TRUE;
}
