#pragma once
// The settings sheet "Настройки программы": the appearance page first, the
// general page second. It is modeless and lives as long as the game view
// that owns it: it is made hidden together with the view, both pages are
// created at once so the view can set their controls from the stored
// settings, its close box only hides it, and it hides whenever the view is
// hidden. Both pages report to the view.

#include "PagePublicSetting.h"
#include "PageView.h"

#include <QDialog>

class CWnd;
class QTabWidget;

class CAdjustment : public QDialog {
    Q_OBJECT

public:
    explicit CAdjustment(CWnd* view);
    ~CAdjustment() override;
    CAdjustment(const CAdjustment&) = delete;
    CAdjustment& operator=(const CAdjustment&) = delete;

    CPropertyPage* GetActivePage() const;
    void SetActivePage(CPropertyPage* page);

    CPageView m_PageView;
    CPagePublicSetting m_PagePublicSetting;
    CWnd* const m_pView;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QTabWidget* m_pTabs;
};
