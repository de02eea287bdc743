#include "HelpWnd.h"
#include "ResourceIds.h"

#include "Resources.h"

#include <QDialogButtonBox>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
constexpr UINT kProgramIcon = pubres::IDI_PROGRAM;
QPointer<CHelpWnd> g_pHelpWnd;
} // namespace

CHelpWnd* CHelpWnd::ShowHelp(QWidget* parent, const QUrl& page, const QString& title) {
    if (!g_pHelpWnd)
        g_pHelpWnd = new CHelpWnd(parent, page, title);
    else if (g_pHelpWnd->m_pBrowser->source() != page)
        g_pHelpWnd->m_pBrowser->setSource(page);
    g_pHelpWnd->show();
    g_pHelpWnd->raise();
    g_pHelpWnd->activateWindow();
    return g_pHelpWnd;
}

CHelpWnd::CHelpWnd(QWidget* parent, const QUrl& page, const QString& title)
    : QDialog(parent, Qt::Window), m_pBrowser(new QTextBrowser(this)) {
    // Closed help is gone; the next F1 loads the page afresh.
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    setWindowIcon(LoadIconResource(GetModuleResources("pub"), kProgramIcon));

    // The page's headings are sized from the document's font.
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    font.setStyleHint(QFont::Serif);
    font.setPointSize(12);
    m_pBrowser->document()->setDefaultFont(font);
    m_pBrowser->setOpenExternalLinks(true);
    m_pBrowser->setSource(page);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pBrowser);
    layout->addWidget(buttons);
    resize(640, 600);
}

CHelpWnd::~CHelpWnd() = default;
