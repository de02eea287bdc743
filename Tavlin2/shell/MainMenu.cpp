#include "MainMenu.h"

#include <QAction>
#include <QMenu>

#include <utility>

CMainMenu::CMainMenu(QWidget* frame, CommandHandler onCommand, UpdateHandler onUpdate)
    : QMenuBar(frame), m_onCommand(std::move(onCommand)), m_onUpdate(std::move(onUpdate)) {
    m_pMainPopup = addMenu(QStringLiteral("Главная"));
    AddCommand(m_pMainPopup, QStringLiteral("Новая партия"), ID_NEW_PARTY);
    AddCommand(m_pMainPopup, QStringLiteral("Следующая игра"), ID_NEXT_GAME);
    m_pMainPopup->addSeparator();
    AddCommand(m_pMainPopup, QStringLiteral("Игра до 31 очка"), ID_GAME31, true);
    AddCommand(m_pMainPopup, QStringLiteral("Игра до 12 баллов"), ID_GAME12, true);
    m_pMainPopup->addSeparator();
    AddCommand(m_pMainPopup, QStringLiteral("Смена имен игроков..."), ID_CHANGE_NAMES);
    QMenu* players = m_pMainPopup->addMenu(QStringLiteral("Количество игроков"));
    AddCommand(players, QStringLiteral("два игрока"), ID_TWO_PLAYERS, true);
    AddCommand(players, QStringLiteral("три игрока"), ID_THREE_PLAYERS, true);
    AddCommand(players, QStringLiteral("четыре игрока"), ID_FOUR_PLAYERS, true);
    m_pMainPopup->addSeparator();
    AddCommand(m_pMainPopup, QStringLiteral("E&xit"), ID_EXIT);

    AddCommand(this, QStringLiteral("Настройки"), ID_SETTINGS);

    QMenu* help = addMenu(QStringLiteral("Справка"));
    AddCommand(help, QStringLiteral("Справка"), ID_HELP_CONTENTS);
    help->addSeparator();
    AddCommand(help, QStringLiteral("О программе..."), ID_APP_ABOUT);

    for (QMenu* popup : {m_pMainPopup, players, help})
        connect(popup, &QMenu::aboutToShow, this, [this, popup] { UpdatePopup(popup); });

    auto* helpKey = new QAction(this);
    helpKey->setData(ID_HELP);
    helpKey->setShortcut(QKeySequence(Qt::Key_F1));
    helpKey->setShortcutContext(Qt::WindowShortcut);
    connect(helpKey, &QAction::triggered, this, [this, helpKey] { OnTriggered(helpKey); });
    if (frame)
        frame->addAction(helpKey);
}

CMainMenu::~CMainMenu() = default;

QAction* CMainMenu::AddCommand(QWidget* menu, const QString& text, UINT id, bool check) {
    auto* item = new QAction(text, menu);
    item->setData(id);
    // Checkable so it can show a mark; which one is marked is the update handler's call.
    item->setCheckable(check);
    menu->addAction(item);
    connect(item, &QAction::triggered, this, [this, item] { OnTriggered(item); });
    return item;
}

UINT CMainMenu::GetCommandId(const QAction* item) {
    return item ? item->data().toUInt() : 0;
}

QAction* CMainMenu::FindCommand(UINT id) const {
    const QList<QAction*> all = findChildren<QAction*>();
    for (QAction* item : all) {
        if (!item->isSeparator() && GetCommandId(item) == id)
            return item;
    }
    return nullptr;
}

void CMainMenu::UpdatePopup(QMenu* popup) {
    if (!m_onUpdate)
        return;
    const QList<QAction*> items = popup->actions();
    for (QAction* item : items) {
        if (const UINT id = GetCommandId(item))
            m_onUpdate(id, item);
    }
}

void CMainMenu::OnTriggered(QAction* item) {
    // The context menu hands its choice over once it is closed and tidied.
    if (m_bTracking)
        return;
    if (const UINT id = GetCommandId(item); id && m_onCommand) {
        const CommandHandler handler = m_onCommand; // outlives this menu, if need be
        handler(id);
    }
}

UINT CMainMenu::TrackPopupMenu(const QPoint& screenPos) {
    QMenu* popup = m_pMainPopup;
    const QList<QAction*> items = popup->actions();
    if (items.isEmpty())
        return 0;

    auto* settings = new QAction(QStringLiteral("Настройки..."), popup);
    settings->setData(ID_SETTINGS);
    auto* topSeparator = new QAction(popup);
    topSeparator->setSeparator(true);
    auto* helpSeparator = new QAction(popup);
    helpSeparator->setSeparator(true);
    auto* help = new QAction(QStringLiteral("Справка..."), popup);
    help->setData(ID_HELP_CONTENTS);
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
