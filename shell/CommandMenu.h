#pragma once
// A program's menu bar: every item reports its command number to one command
// handler (the frame, which offers it to the game window first); before a
// popup opens, an update handler may enable, gray or check each of its items
// by number, as the old command-update handlers did.
//
// The game window's context menu is the main popup, with a settings item and
// a help item added for as long as it is open. F1 sends the help command.

#include "WinTypes.h"

#include <QMenuBar>

#include <functional>

class QMenu;

class CCommandMenu : public QMenuBar {
    Q_OBJECT

public:
    using CommandHandler = std::function<void(UINT id)>;
    using UpdateHandler = std::function<void(UINT id, QAction* item)>;

    // The numbers the context menu's own items and F1 send.
    struct ContextCommands {
        UINT settings;
        UINT helpContents;
        UINT help; // F1
    };

    // The F1 shortcut lives on frame; the frame may also be given later with
    // QMainWindow::setMenuBar.
    CCommandMenu(QWidget* frame, ContextCommands commands, CommandHandler onCommand,
                 UpdateHandler onUpdate);
    ~CCommandMenu() override;

    // The item with the command number, also inside submenus; null when none.
    QAction* FindCommand(UINT id) const;
    static UINT GetCommandId(const QAction* item);
    // "Главная".
    QMenu* GetMainPopup() const { return m_pMainPopup; }

    // Shows the main popup at the screen point as the context menu and
    // returns when it closes: the chosen command, already handed to the
    // command handler, or 0.
    UINT TrackPopupMenu(const QPoint& screenPos);

protected:
    // The builders of a program's menu. A popup's items are updated each time
    // it opens; the first popup made is the main one.
    QMenu* AddPopup(QWidget* parent, const QString& text);
    QAction* AddCommand(QWidget* menu, const QString& text, UINT id, bool check = false);

private:
    void OnTriggered(QAction* item);
    void UpdatePopup(QMenu* popup);

    const ContextCommands m_Commands;
    CommandHandler m_onCommand;
    UpdateHandler m_onUpdate;
    QMenu* m_pMainPopup = nullptr;
    bool m_bTracking = false;
};
