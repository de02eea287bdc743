#pragma once
// The settings sheet "Настройки программы": the appearance page first, the
// program's general page second. It is modeless and lives as long as the
// game window that owns it: it is made hidden together with the window, both
// pages are created at once so the window can set their controls from the
// stored settings, its close box only hides it, and it hides whenever the
// window is hidden or the frame minimised. Opened by the user, it comes back
// with the window; closed by the user, it stays closed. Both pages report to
// the window.

#include "PageView.h"

#include <QDialog>

class CWnd;
class QTabWidget;

class CSettingsSheet : public QDialog {
    Q_OBJECT

public:
    explicit CSettingsSheet(CWnd* view);
    ~CSettingsSheet() override;
    CSettingsSheet(const CSettingsSheet&) = delete;
    CSettingsSheet& operator=(const CSettingsSheet&) = delete;

    CPropertyPage* GetActivePage() const;
    void SetActivePage(CPropertyPage* page);

    // "Настройки": shows the sheet and keeps it with the window from now on.
    void Open();
    // The frame is closing: hidden, and it never comes back.
    void Retire();
    // Hides and shows with the frame's minimise and restore.
    void FollowFrame(QWidget* frame);

    CPageView m_PageView;
    CWnd* const m_pView;

protected:
    // The program's general page, second; called once by the program's
    // sheet as it is made. Both pages are created, the appearance page is
    // the one the user sees first.
    void AddGeneralPage(CPropertyPage* page);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Restore();

    QTabWidget* m_pTabs;
    QWidget* m_pFrame = nullptr;
    bool m_bUserOpen = false; // the user opened it and has not closed it
    bool m_bRetired = false;
};
