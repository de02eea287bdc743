#include "SettingsSheet.h"
#include "ResourceIds.h"

#include "Resources.h"
#include "Wnd.h"

#include <QCloseEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
constexpr UINT kProgramIcon = pubres::IDI_PROGRAM;
}

CSettingsSheet::CSettingsSheet(CWnd* view)
    : QDialog(view, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint |
                        Qt::CustomizeWindowHint),
      m_pView(view), m_pTabs(new QTabWidget(this)) {
    setWindowTitle(QStringLiteral("Настройки программы"));
    setWindowIcon(LoadIconResource(GetModuleResources("pub"), kProgramIcon));
    setModal(false);

    m_PageView.m_pMainParent = view;
    m_pTabs->addTab(&m_PageView, m_PageView.windowTitle());

    auto* layout = new QVBoxLayout(this);
    const QRect margin = m_PageView.MapDialogRect(QRect(0, 0, 4, 4));
    layout->setContentsMargins(margin.width(), margin.height(), margin.width(), margin.height());
    layout->addWidget(m_pTabs);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (view)
        view->installEventFilter(this);
    connect(this, &QDialog::finished, this, [this] { m_bUserOpen = false; });
}

void CSettingsSheet::Open() {
    m_bUserOpen = true;
    show();
    raise();
}

void CSettingsSheet::Retire() {
    m_bRetired = true;
    hide();
}

void CSettingsSheet::FollowFrame(QWidget* frame) {
    m_pFrame = frame;
    if (frame)
        frame->installEventFilter(this);
}

void CSettingsSheet::Restore() {
    if (m_bUserOpen && !m_bRetired && !isVisible())
        show();
}

void CSettingsSheet::AddGeneralPage(CPropertyPage* page) {
    m_pTabs->addTab(page, page->windowTitle());
    // The sheet starts on the general page, so both pages come to exist now;
    // the appearance page is the one the user sees first.
    SetActivePage(page);
    page->Create();
    m_PageView.Create();
    SetActivePage(&m_PageView);
}

CSettingsSheet::~CSettingsSheet() = default;

CPropertyPage* CSettingsSheet::GetActivePage() const {
    return qobject_cast<CPropertyPage*>(m_pTabs->currentWidget());
}

void CSettingsSheet::SetActivePage(CPropertyPage* page) {
    m_pTabs->setCurrentWidget(page);
}

bool CSettingsSheet::eventFilter(QObject* watched, QEvent* event) {
    // Settings for a table nobody sees make no sense.
    if (watched == m_pView && event->type() == QEvent::Hide)
        hide();
    else if (watched == m_pView && event->type() == QEvent::Show)
        Restore();
    else if (watched == m_pFrame && m_pFrame && event->type() == QEvent::WindowStateChange) {
        if (m_pFrame->windowState() & Qt::WindowMinimized)
            hide();
        else
            Restore();
    }
    return QDialog::eventFilter(watched, event);
}

void CSettingsSheet::closeEvent(QCloseEvent* event) {
    // The sheet lives as long as the view; closing only hides it, and a
    // sheet the user closed stays closed when the window comes back.
    event->ignore();
    m_bUserOpen = false;
    hide();
}
