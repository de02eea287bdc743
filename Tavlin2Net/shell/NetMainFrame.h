#pragma once
// The main window of the network program: menu, the game window filling the
// client area, the settings kept between runs and the window's place (shared
// with the game against the computer).
//
// Closing alone ends the program at once. A player who leaves a running
// network game sees the window vanish at once; the program ends when the
// table is still and the other peers no longer wait for this one, or after
// ten seconds at the latest.

#include "PlayNet.h"

#include <QMainWindow>

#include <functional>

class CNetAdjustment;
class CNetMenu;
class CNetSetting;
class QTimer;

class CNetMainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMinWidth = 735;
    static constexpr int kMinHeight = 552;
    static constexpr UINT TIMER_CLOSE = 115;
    static constexpr int kCloseTimeoutMs = 10000;
    // How often a pending close or break looks at the table again.
    static constexpr int kIdleRetryMs = 20;

    CNetMainFrame();
    ~CNetMainFrame() override;

    CPlayNet* View() { return m_pView; }
    CNetAdjustment* Settings() { return m_pAdjustment; }
    CNetMenu* Menu() { return m_pMenu; }
    // Runs a menu command as the menu would.
    void OnCommand(UINT id);
    // Whether the menu would offer the command now, and with a check mark.
    bool IsCommandEnabled(UINT id) const;

    bool m_CloseRequested = false;
    bool m_CloseForced = false;

    // The names dialog, as "Смена имени игрока..." opens it.
    void ShowNames();
    // Opens "Сеть" with its first step taken (from the command line), once
    // the window stands and the player has given his name.
    void OpenNetwork(std::function<void(CNetSetting&)> firstStep);

signals:
    // The window has closed for good; the program may end.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ReadSettings();
    void WriteSettings();
    void OnUpdateCommand(UINT id, QAction* item);
    void ShowNetSetting(const std::function<void(CNetSetting&)>& firstStep = {});
    void OnIdle();
    void FinishClose();
    // A hook of the game window that may be called from its strand.
    static void OnGuiThread(const std::function<void()>& fn);

    CPlayNet* m_pView;
    CNetAdjustment* m_pAdjustment;
    CNetMenu* m_pMenu;
    QTimer* m_pCloseTimer;  // TIMER_CLOSE
    QTimer* m_pIdleRetry;   // a pending close or break waits for the table
    bool m_Closing = false; // the close is accepted from now on
    bool m_FirstShow = true;
    std::function<void(CNetSetting&)> m_StartStep; // OpenNetwork's, until the first show
};
