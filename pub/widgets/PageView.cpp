#include "PageView.h"

#include <QApplication>
#include <QFileDialog>
#include <QFrame>
#include <QListWidget>
#include <QPushButton>

namespace {

const QString kFilter =
    QStringLiteral("(*.bmp;*.jpeg;*.gif)|*.bmp;*.gif;*.jpeg;*.jpg;*.JPG|All Files (*.*)|*.*||");

// A filter of the old file dialog, "name|patterns;...|...||", as Qt name
// filters. The names stay as they are shown; "*.*" matched every file there.
QStringList NameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

void SetBorder(QListWidget* list, bool border) {
    list->setFrameStyle(border ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
    list->setLineWidth(1);
}

} // namespace

CPageView::CPageView() : CPropertyPage(IDD, QStringLiteral("Вид программы"), QSize(242, 91)) {
    AddGroupBox(IDC_STATIC,
                QStringLiteral("Рубашка карт ---------- Выбор стола ------------ Выбор фона"),
                QRect(4, 3, 236, 85));
    AddListBox(IDC_LIST_SHIRTS, QRect(8, 16, 74, 48), true);
    AddListBox(IDC_LIST_TABLES, QRect(84, 16, 74, 48), true);
    AddListBox(IDC_LIST_BG, QRect(160, 16, 74, 48), true);
    AddButton(IDC_BUTTON_TABLEIMAGE, QStringLiteral("Картинка стола"), QRect(84, 69, 74, 14))
        ->hide();
    DoDataExchange();
}

CPageView::~CPageView() = default;

void CPageView::DoDataExchange() {
    m_listShirts = qobject_cast<QListWidget*>(GetDlgItem(IDC_LIST_SHIRTS));
    m_listTables = qobject_cast<QListWidget*>(GetDlgItem(IDC_LIST_TABLES));
    m_listBg = qobject_cast<QListWidget*>(GetDlgItem(IDC_LIST_BG));
}

BOOL CPageView::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    for (int i = 1; i <= 7; ++i) {
        m_listShirts->addItem(QStringLiteral("Рубашка №%1").arg(i));
        m_listBg->addItem(QStringLiteral("Фон №%1").arg(i));
    }
    m_listTables->addItem(QStringLiteral("Без стола"));
    for (int i = 1; i <= 7; ++i)
        m_listTables->addItem(QStringLiteral("Стол №%1").arg(i));
    m_listShirts->setCurrentRow(0);
    m_listTables->setCurrentRow(1);
    m_listBg->setCurrentRow(0);
    // Only the thin border is left; SetGroupFocus moves it.
    for (QListWidget* list : {m_listShirts, m_listTables, m_listBg})
        SetBorder(list, true);
    return TRUE;
}

void CPageView::SendMainParent(UINT wParam, LPARAM lParam) {
    if (m_pMainParent)
        m_pMainParent->SendMessage(WM_PAGE_VIEW, wParam, lParam);
}

void CPageView::SetGroupFocus(QListWidget* list) {
    for (QListWidget* each : {m_listShirts, m_listTables, m_listBg})
        SetBorder(each, each == list);
    update();
}

void CPageView::OnCommand(int id, UINT code) {
    switch (id) {
    case IDC_LIST_SHIRTS:
        if (code == LBN_SELCHANGE)
            OnLbnSelchangeListShirts();
        else if (code == LBN_SETFOCUS)
            OnLbnSetfocusListShirts();
        break;
    case IDC_LIST_TABLES:
        if (code == LBN_SELCHANGE)
            OnLbnSelchangeListTables();
        else if (code == LBN_SETFOCUS)
            OnLbnSetfocusListTables();
        break;
    case IDC_LIST_BG:
        if (code == LBN_SELCHANGE)
            OnLbnSelchangeListBg();
        else if (code == LBN_SETFOCUS)
            OnLbnSetfocusListBg();
        break;
    case IDC_BUTTON_TABLEIMAGE:
        if (code == BN_CLICKED)
            OnBnClickedButtonTableimage();
        break;
    default:
        break;
    }
}

void CPageView::OnActivate(UINT state) {
    CPropertyPage::OnActivate(state);
    // The program may have moved the tables list meanwhile.
    ShowTableImageButton();
}

void CPageView::OnLbnSelchangeListShirts() {
    SendMainParent(IDC_LIST_SHIRTS, m_listShirts->currentRow());
}

void CPageView::OnLbnSelchangeListTables() {
    ShowTableImageButton();
    SendMainParent(IDC_LIST_TABLES, m_listTables->currentRow());
}

void CPageView::OnLbnSelchangeListBg() {
    SendMainParent(IDC_LIST_BG, m_listBg->currentRow());
}

void CPageView::OnLbnSetfocusListShirts() {
    SetGroupFocus(m_listShirts);
}

void CPageView::OnLbnSetfocusListTables() {
    SetGroupFocus(m_listTables);
}

void CPageView::OnLbnSetfocusListBg() {
    SetGroupFocus(m_listBg);
}

void CPageView::ShowTableImageButton() {
    if (QWidget* button = GetDlgItem(IDC_BUTTON_TABLEIMAGE))
        button->setVisible(m_listTables->currentRow() == kTableImage);
}

void CPageView::OnBnClickedButtonTableimage() {
    QFileDialog dialog(m_pMainParent ? static_cast<QWidget*>(m_pMainParent.data()) : this,
                       QStringLiteral("Выбери картинку для фона стола"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The filter list shows the names alone, as the patterns are part of them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(NameFilters(kFilter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();

    if (path.size() > kMaxPath) {
        QApplication::beep();
        return;
    }
    SendMainParent(IDC_BUTTON_TABLEIMAGE, reinterpret_cast<LPARAM>(&path));
}
