#include "CommandMenu.h"

#include <QAction>
#include <QMenu>

#include <utility>

CCommandMenu::CCommandMenu(QWidget* frame, ContextCommands commands, CommandHandler onCommand,
                           UpdateHandler onUpdate)
    : QMenuBar(frame), m_Commands(commands), m_onCommand(std::move(onCommand)),
      m_onUpdate(std::move(onUpdate)) {
    auto* helpKey = new QAction(this);
    helpKey->setData(m_Commands.help);
    helpKey->setShortcut(QKeySequence(Qt::Key_F1));
    helpKey->setShortcutContext(Qt::WindowShortcut);
    connect(helpKey, &QAction::triggered, this, [this, helpKey] { OnTriggered(helpKey); });
    if (frame)
        frame->addAction(helpKey);
}

QMenu* CCommandMenu::AddPopup(QWidget* parent, const QString& text) {
    auto* popup = new QMenu(text, parent);
    if (auto* bar = qobject_cast<QMenuBar*>(parent))
        bar->addMenu(popup);
    else if (auto* menu = qobject_cast<QMenu*>(parent))
        menu->addMenu(popup);
    if (!m_pMainPopup)
        m_pMainPopup = popup;
    connect(popup, &QMenu::aboutToShow, this, [this, popup] { UpdatePopup(popup); });
    return popup;
}

CCommandMenu::~CCommandMenu() = default;

QAction* CCommandMenu::AddCommand(QWidget* menu, const QString& text, UINT id, bool check) {
    auto* item = new QAction(text, menu);
    item->setData(id);
    // Checkable so it can show a mark; which one is marked is the update handler's call.
    item->setCheckable(check);
    menu->addAction(item);
    connect(item, &QAction::triggered, this, [this, item] { OnTriggered(item); });
    return item;
}

UINT CCommandMenu::GetCommandId(const QAction* item) {
    return item ? item->data().toUInt() : 0;
}

QAction* CCommandMenu::FindCommand(UINT id) const {
    const QList<QAction*> all = findChildren<QAction*>();
    for (QAction* item : all) {
        if (!item->isSeparator() && GetCommandId(item) == id)
            return item;
    }
    return nullptr;
}

void CCommandMenu::UpdatePopup(QMenu* popup) {
    if (!m_onUpdate)
        return;
    const QList<QAction*> items = popup->actions();
    for (QAction* item : items) {
        if (const UINT id = GetCommandId(item))
            m_onUpdate(id, item);
    }
}

void CCommandMenu::OnTriggered(QAction* item) {
    // The context menu hands its choice over once it is closed and tidied.
    if (m_bTracking)
        return;
    if (const UINT id = GetCommandId(item); id && m_onCommand) {
        const CommandHandler handler = m_onCommand; // outlives this menu, if need be
        handler(id);
    }
}

UINT CCommandMenu::TrackPopupMenu(const QPoint& screenPos) {
    QMenu* popup = m_pMainPopup;
    const QList<QAction*> items = popup->actions();
    if (items.isEmpty())
        return 0;

    auto* settings = new QAction(QStringLiteral("Настройки..."), popup);
    settings->setData(m_Commands.settings);
    auto* topSeparator = new QAction(popup);
    topSeparator->setSeparator(true);
    auto* helpSeparator = new QAction(popup);
    helpSeparator->setSeparator(true);
    auto* help = new QAction(QStringLiteral("Справка..."), popup);
    help->setData(m_Commands.helpContents);
    const QList<QAction*> added = {settings, topSeparator, helpSeparator, help};

    popup->insertAction(items.first(), settings);
    popup->insertAction(items.first(), topSeparator);
    popup->insertAction(items.last(), helpSeparator);
    popup->insertAction(items.last(), help);

    m_bTracking = true;
    QAction* chosen = popup->exec(screenPos);
    m_bTracking = false;
    const UINT id = GetCommandId(chosen);

    for (QAction* item : added) {
        popup->removeAction(item);
        delete item;
    }
    // The handler may do anything, even destroy the frame and this menu with it.
    if (id && m_onCommand) {
        const CommandHandler handler = m_onCommand;
        handler(id);
    }
    return id;
}
