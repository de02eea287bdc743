#pragma once
// The appearance page "Вид программы" of both programs' settings sheet: the
// card back, the table and the background in three lists, and a button to
// pick the user's own table picture. The page applies nothing itself: it
// reports every choice to its main window, which hands it to the table
// (CPublic::ProgView).
//
// Notifications, WM_PAGE_VIEW sent synchronously to m_pMainParent:
//   wParam 1050, 1051, 1052: the user changed the selection of the backs,
//     tables or backgrounds list; lParam is the new index.
//   wParam 1079: a picture was chosen with "Картинка стола"; lParam is the
//     address of a const QString holding its full path exactly as the file
//     system names it, valid only during the call (copy it). A path longer
//     than kMaxPath characters is refused with a beep and nothing is sent:
//     the settings keep no longer one.

#include "PropertyPage.h"
#include "Wnd.h"

#include <QPointer>

class QListWidget;
class QPushButton;

constexpr UINT WM_PAGE_VIEW = WM_USER + 41; // 1065

class CPageView : public CPropertyPage {
    Q_OBJECT

public:
    enum { IDD = 157 };
    enum {
        IDC_LIST_SHIRTS = 1050,
        IDC_LIST_TABLES = 1051,
        IDC_LIST_BG = 1052,
        IDC_BUTTON_TABLEIMAGE = 1079,
    };
    // "Стол №7", the user's own picture.
    static constexpr int kTableImage = 7;
    // Longest path the picture notification carries, in characters.
    static constexpr int kMaxPath = 259;

    CPageView();
    ~CPageView() override;
    CPageView(const CPageView&) = delete;
    CPageView& operator=(const CPageView&) = delete;

    // Sends WM_PAGE_VIEW to the main parent and returns when it is handled;
    // nothing without a main parent.
    void SendMainParent(UINT wParam, LPARAM lParam);
    // Frames only the given list, the one with the focus.
    void SetGroupFocus(QListWidget* list);

    // The programs move the selections to their stored settings through these
    // (setCurrentRow), which notifies nobody.
    QListWidget* m_listShirts = nullptr;
    QListWidget* m_listTables = nullptr;
    QListWidget* m_listBg = nullptr;
    // Receives the notifications; not owned, set by the owner of the sheet.
    QPointer<CWnd> m_pMainParent;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange();
    void OnCommand(int id, UINT code) override;
    void OnActivate(UINT state) override;

    void OnLbnSelchangeListShirts();
    void OnLbnSelchangeListTables();
    void OnLbnSelchangeListBg();
    void OnLbnSetfocusListShirts();
    void OnLbnSetfocusListTables();
    void OnLbnSetfocusListBg();
    void OnBnClickedButtonTableimage();

private:
    void ShowTableImageButton();
};
