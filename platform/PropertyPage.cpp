#include "PropertyPage.h"

#include "DialogUnits.h"

#include <QEvent>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

#include <functional>
#include <utility>

namespace {

// A list box as the old platform had it: the page hears of selection changes
// made by the user, not of those made by the program, and the user can move
// the selection but never take it away.
class ListBox final : public QListWidget {
public:
    ListBox(QWidget* parent, std::function<void(UINT)> notify)
        : QListWidget(parent), m_notify(std::move(notify)) {}

protected:
    void mousePressEvent(QMouseEvent* e) override {
        ByUser([&] { QListWidget::mousePressEvent(e); });
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        ByUser([&] { QListWidget::mouseMoveEvent(e); });
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        ByUser([&] { QListWidget::mouseReleaseEvent(e); });
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        ByUser([&] { QListWidget::mouseDoubleClickEvent(e); });
    }
    void keyPressEvent(QKeyEvent* e) override {
        ByUser([&] { QListWidget::keyPressEvent(e); });
    }
    void focusInEvent(QFocusEvent* e) override {
        QListWidget::focusInEvent(e);
        m_notify(LBN_SETFOCUS);
    }
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override {
        const auto flags = QListWidget::selectionCommand(index, event);
        // Ctrl+click would clear a single selection.
        return flags & QItemSelectionModel::Deselect ? QItemSelectionModel::NoUpdate : flags;
    }

private:
    template <class F> void ByUser(F&& handle) {
        const int before = currentRow();
        handle();
        if (currentRow() != before)
            m_notify(LBN_SELCHANGE);
    }

    std::function<void(UINT)> m_notify;
};

} // namespace

CPropertyPage::CPropertyPage(UINT templateId, const QString& caption, QSize size, QWidget* parent)
    : QWidget(parent), m_nTemplateId(templateId), m_sizeTemplate(size) {
    setFont(platform::DefaultDialogFont());
    setWindowTitle(caption);
    const QSize pixels = MapDialogRect(QRect(QPoint(0, 0), size)).size();
    setMinimumSize(pixels);
    resize(pixels);
}

CPropertyPage::~CPropertyPage() {
    // Controls go while this is still a page: a list that gains the focus as
    // another goes still reports to OnCommand.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void CPropertyPage::Create(QWidget* parent) {
    if (parent && parent != parentWidget())
        setParent(parent);
    if (m_bInitDone)
        return;
    m_bInitDone = true;
    OnInitDialog();
    // List boxes show whole entries only: their height is cut down to a
    // whole number of rows, as the old platform did unless told otherwise.
    for (const QPointer<QWidget>& item : std::as_const(m_items)) {
        auto* list = dynamic_cast<ListBox*>(item.data());
        if (!list || list->count() == 0)
            continue;
        const int row = list->sizeHintForRow(0);
        const int frame = 2 * list->frameWidth();
        if (row > 0 && list->height() - frame > row)
            list->resize(list->width(), (list->height() - frame) / row * row + frame);
    }
}

QSize CPropertyPage::GetDialogBaseUnits() const {
    return platform::DialogBaseUnits(font());
}

QRect CPropertyPage::MapDialogRect(QRect dlgUnits) const {
    return platform::MapDialogRect(dlgUnits, font());
}

void CPropertyPage::Register(int id, QWidget* control) {
    if (id != IDC_STATIC)
        m_items.insert(id, control);
}

QPushButton* CPropertyPage::AddButton(int id, const QString& text, QRect dlgUnits) {
    auto* button = new QPushButton(text, this);
    button->setGeometry(MapDialogRect(dlgUnits));
    // A page's buttons never take Enter from the sheet's OK.
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id, BN_CLICKED); });
    Register(id, button);
    return button;
}

QGroupBox* CPropertyPage::AddGroupBox(int id, const QString& text, QRect dlgUnits) {
    auto* box = new QGroupBox(text, this);
    box->setGeometry(MapDialogRect(dlgUnits));
    // Only a frame: the controls inside are the page's, drawn over it.
    box->lower();
    Register(id, box);
    return box;
}

QListWidget* CPropertyPage::AddListBox(int id, QRect dlgUnits, bool sorted) {
    auto* list = new ListBox(this, [this, id](UINT code) { OnCommand(id, code); });
    list->setGeometry(MapDialogRect(dlgUnits));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    list->setSortingEnabled(sorted);
    list->setUniformItemSizes(true);
    Register(id, list);
    return list;
}

QWidget* CPropertyPage::GetDlgItem(int id) const {
    return m_items.value(id);
}

QSize CPropertyPage::sizeHint() const {
    return MapDialogRect(QRect(QPoint(0, 0), m_sizeTemplate)).size();
}

void CPropertyPage::setVisible(bool visible) {
    if (visible)
        Create();
    QWidget::setVisible(visible);
}

BOOL CPropertyPage::OnInitDialog() {
    return TRUE;
}

void CPropertyPage::OnCommand(int, UINT) {}

void CPropertyPage::OnActivate(UINT) {}

bool CPropertyPage::event(QEvent* e) {
    // Qt hands activation down to the visible children of the window.
    if (e->type() == QEvent::WindowActivate)
        OnActivate(WA_ACTIVE);
    else if (e->type() == QEvent::WindowDeactivate)
        OnActivate(WA_INACTIVE);
    return QWidget::event(e);
}
