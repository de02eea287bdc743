#include "BeginHelpDlg.h"

#include "Wnd.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>

namespace {

// Times New Roman, 12 points at 96 dots per inch.
constexpr int kTextPixels = 16;
// Smaller than this is no longer read comfortably.
constexpr int kSmallestTextPixels = 12;

class CDialogFace final : public CWnd {
public:
    CDialogFace(QWidget* parent, const CMyLabel& title) : CWnd(parent), m_Title(title) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    BOOL OnEraseBkgnd(QPainter& dc) override {
        const QRect rc = rect();
        dc.fillRect(rc, palette().window());
        // Without a caption the window manager may draw no frame; draw our own.
        dc.setPen(palette().color(QPalette::Light));
        dc.drawLine(rc.topLeft(), rc.topRight());
        dc.drawLine(rc.topLeft(), rc.bottomLeft());
        dc.setPen(palette().color(QPalette::Dark));
        dc.drawLine(rc.bottomLeft(), rc.bottomRight());
        dc.drawLine(rc.topRight(), rc.bottomRight());
        return TRUE;
    }
    void OnPaint(QPainter& dc) override { m_Title.SetDC(&dc); }

private:
    const CMyLabel& m_Title;
};

} // namespace

CBeginHelpDlg::CBeginHelpDlg(QWidget* parent)
    : CDialog(parent), m_pFace(new CDialogFace(this, m_Title)) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(MapDialogRect(QRect(0, 0, 320, 239)).size());
    m_pFace->setGeometry(rect());
    m_pFace->lower();

    m_Font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    m_Font.setStyleHint(QFont::Serif);
    m_Font.setPixelSize(kTextPixels);

    QLabel* text = AddStatic(IDC_STATIC_RULES, QString(), QRect(8, 30, 304, 184));
    text->setWordWrap(true);
    AddButton(IDOK, QStringLiteral("ОК"), QRect(135, 219, 50, 14));
}

CBeginHelpDlg::~CBeginHelpDlg() = default;

QString CBeginHelpDlg::RulesText() {
    return QStringLiteral(
        R"(В игре Занта обычно участвуют 2-4 человека. Каждому игроку сдается по три карты, назначается козырная масть. "Первоходящий" из игроков кладет карты на стол лицом вверх, другие игроки должны бить эти карты в соответствии с достоинством карт или, если нет возможности бить карты, сбрасывают карты рубашкой вверх рядом с не битыми картами. Если игрок бьет карты, он кладет свои карты лицом вверх на карты, которые бьет. После завершения круга (т. е. если все игроки осуществили свой ход каким-либо образом), игрок который смог побить открытые карты или если его карты не были биты, забирает все карты на столе себе в взятку. Также осуществляются и дальнейшие ходы. Игра продолжается до тех пор пока какой-либо из игроков не наберет 31 очко или одному из игроков не выпадут три козырных карты, т.е. выпадает Занта. Игра вызывает интерес своей стремительностью, поскольку набрать 31 очко можно очень быстро, но это могут сделать и Ваши соперники.)");
}

BOOL CBeginHelpDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_Title.SetParent(m_pFace);
    m_Title.SetMyLabelFont(24, 600, QString(), 0);
    m_Title.SetCaption(QStringLiteral("Суть игры"), 0);
    m_Title.Show(true);

    auto* text = static_cast<QLabel*>(GetDlgItem(IDC_STATIC_RULES));
    text->setText(RulesText());
    // Our dialog units are a little smaller than those the box was drawn in;
    // the whole text must still show, so the font gives way where it must.
    for (int pixels = kTextPixels; pixels >= kSmallestTextPixels; --pixels) {
        m_Font.setPixelSize(pixels);
        text->setFont(m_Font);
        if (text->heightForWidth(text->width()) <= text->height())
            break;
    }
    GetDlgItem(IDOK)->setFont(m_Font);
    return TRUE;
}

void CBeginHelpDlg::showEvent(QShowEvent* event) {
    CDialog::showEvent(event);
    m_pFace->setGeometry(rect());
    m_Title.SetMyLabelPos(width() / 2, 20, 2);
}
