#pragma once
// Menu 8037 of the main frame. Every item reports its command number to one
// command handler (the frame, which offers it to the view first); before a
// popup opens, an update handler may enable, gray or check each of its items
// by number, as the old command-update handlers did.
//
// The view's context menu is the first popup, "Главная", with "Настройки..."
// and "Справка..." added for as long as it is open.

#include "Commands.h"

#include <QMenuBar>

#include <functional>

class QMenu;

class CMainMenu : public QMenuBar {
    Q_OBJECT

public:
    using CommandHandler = std::function<void(UINT id)>;
    using UpdateHandler = std::function<void(UINT id, QAction* item)>;

    // The F1 shortcut lives on frame; the frame may also be given later with
    // QMainWindow::setMenuBar.
    CMainMenu(QWidget* frame, CommandHandler onCommand, UpdateHandler onUpdate = {});
    ~CMainMenu() override;

    // The item with the command number, also inside submenus; null when none.
    QAction* FindCommand(UINT id) const;
    static UINT GetCommandId(const QAction* item);
    // "Главная".
    QMenu* GetMainPopup() const { return m_pMainPopup; }

    // Shows "Главная" at the screen point as the context menu and returns when
    // it closes: the chosen command, already handed to the command handler,
    // or 0.
    UINT TrackPopupMenu(const QPoint& screenPos);

private:
    QAction* AddCommand(QWidget* menu, const QString& text, UINT id, bool check = false);
    void OnTriggered(QAction* item);
    void UpdatePopup(QMenu* popup);

    CommandHandler m_onCommand;
    UpdateHandler m_onUpdate;
    QMenu* m_pMainPopup = nullptr;
    bool m_bTracking = false;
};
