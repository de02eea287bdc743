#include "Adjustment.h"
#include "ResourceIds.h"

#include "Resources.h"
#include "Wnd.h"

#include <QCloseEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
constexpr UINT kProgramIcon = pubres::IDI_PROGRAM;
}

CAdjustment::CAdjustment(CWnd* view)
    : QDialog(view, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint |
                        Qt::CustomizeWindowHint),
      m_pView(view), m_pTabs(new QTabWidget(this)) {
    setWindowTitle(QStringLiteral("Настройки программы"));
    setWindowIcon(LoadIconResource(GetModuleResources("pub"), kProgramIcon));
    setModal(false);

    m_PageView.m_pMainParent = view;
    m_PagePublicSetting.m_pMainParent = view;
    m_pTabs->addTab(&m_PageView, m_PageView.windowTitle());
    m_pTabs->addTab(&m_PagePublicSetting, m_PagePublicSetting.windowTitle());

    auto* layout = new QVBoxLayout(this);
    const QRect margin = m_PageView.MapDialogRect(QRect(0, 0, 4, 4));
    layout->setContentsMargins(margin.width(), margin.height(), margin.width(), margin.height());
    layout->addWidget(m_pTabs);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The sheet starts on the general page, so both pages come to exist now;
    // the appearance page is the one the user sees first.
    SetActivePage(&m_PagePublicSetting);
    m_PagePublicSetting.Create();
    m_PageView.Create();
    SetActivePage(&m_PageView);

    if (view)
        view->installEventFilter(this);
}

CAdjustment::~CAdjustment() = default;

CPropertyPage* CAdjustment::GetActivePage() const {
    return qobject_cast<CPropertyPage*>(m_pTabs->currentWidget());
}

void CAdjustment::SetActivePage(CPropertyPage* page) {
    m_pTabs->setCurrentWidget(page);
}

bool CAdjustment::eventFilter(QObject* watched, QEvent* event) {
    // Settings for a table nobody sees make no sense.
    if (watched == m_pView && event->type() == QEvent::Hide)
        hide();
    return QDialog::eventFilter(watched, event);
}

void CAdjustment::closeEvent(QCloseEvent* event) {
    // The sheet lives as long as the view; closing only hides it.
    event->ignore();
    hide();
}
