#pragma once
// The main window of the single-player program: menu, the game view filling
// the client area, the settings kept between runs and the window's place.
// Closing waits until nothing on the table moves, so no worker ever touches a
// destroyed view.

#include "PlayWithComputer.h"

#include <QMainWindow>

class CAdjustment;
class CMainMenu;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMinWidth = 690;
    static constexpr int kMinHeight = 574;

    CMainFrame();
    ~CMainFrame() override;

    CPlayWithComputer* View() { return m_pView; }
    CAdjustment* Settings() { return m_pAdjustment; }
    CMainMenu* Menu() { return m_pMenu; }
    // Runs a menu command as the menu would.
    void OnCommand(UINT id);

    bool m_CloseRequested = false;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ReadSettings();
    void WriteSettings();
    void OnUpdateCommand(UINT id, QAction* item);
    void ShowNames();
    void RequestClose(bool savePlacement);

    CPlayWithComputer* m_pView;
    CAdjustment* m_pAdjustment;
    CMainMenu* m_pMenu;
    bool m_Closing = false;
};
