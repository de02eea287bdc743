#pragma once
// "Выбор режима работы": create a game, join one, see the connection and
// leave. The dialog keeps nothing of its own: what it shows is read from the
// peer session each time, and it is built anew every time it opens.
//
// The wait for a pending connect runs from a timer, a step at a time, so the
// dialog stays responsive: "Остановить поиск!", Cancel and closing the window
// abandon the connect at once. "ОК" leaves it pending; the dialog opened again
// resumes the wait.
//
// restartPeer is the game window's: it restarts the peer session and puts its
// table back to "no game"; true on success.

#include "Dialog.h"

#include <QString>

#include <functional>

class CDirectPlay;
class QProgressBar;
class QTimer;

class CNetSetting : public CDialog {
    Q_OBJECT

public:
    enum { IDD = 130 };
    enum {
        IDC_STATIC_NAME = 1030,
        IDC_STATIC_IP = 1031,
        IDC_STATIC_PORT = 1032,
        IDC_BUTTON_CREATE = 1058,
        IDC_BUTTON_CONNECT = 1059,
        IDC_STATIC_STATUS = 1062,
        IDC_PROGRESS = 1065,
        IDC_STATIC_SEARCH = 1066,
        IDC_CAPTION_NAME = 1067,
        IDC_CAPTION_IP = 1068,
        IDC_CAPTION_PORT = 1069,
        IDC_STATIC_HELP = 1070,
        IDC_CAPTION_MAX = 1074,
        IDC_STATIC_MAX = 1075,
    };
    // Timer 1 resumes a wait when the dialog opens; timer 2 keeps the host's status fresh.
    enum { TIMER_WAIT = 1, TIMER_STATUS = 2 };
    static constexpr int kWaitRounds = 500;
    static constexpr int kWaitSteps = 200;
    static constexpr int kStepMs = 8;

    CNetSetting(CDirectPlay& dp, std::function<QString()> seatOneName,
                std::function<bool()> restartPeer, QWidget* parent = nullptr);
    ~CNetSetting() override;

    // Whether a departed player keeps his seat in the game this table
    // creates: read for "Создать игру" and told what the user chose there.
    std::function<bool()> m_HoldSeats;
    std::function<void(bool)> m_ChooseHoldSeats;

    // Any control by its id, OK (1) included; null for an id the dialog does not have.
    QWidget* GetControl(int id) const;
    // True while the dialog waits for a connect, progress bar showing.
    bool IsWaiting() const;
    // What "Создать игру" and "Подключиться к игре" do once their dialogs
    // are answered: host for maxPlayers on port, or join server:port.
    void Create(int maxPlayers, unsigned port);
    void Connect(const QString& server, unsigned port);

    bool m_bStop = false;        // Cancel or "Остановить поиск!"
    bool m_bClose = false;       // the window was closed
    bool m_bStatusError = false; // the client status could not be read: timers stay off

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id) override;
    void OnCancel() override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnTimer(int id);
    void OnButtonCreate();
    void OnButtonConnect();

    void ResetDialog();
    void ShowHostStatus();
    void ShowClientStatus();
    void ShowJoined();
    void ReadMaxPlayers();
    bool Restart();

    void BeginWait(bool typed);
    void WaitStep();
    void EndWait();
    void ShowWaitDisplay(bool waiting);

    void SetText(int id, const QString& text);
    void Enable(int id, bool enable);

    CDirectPlay& m_dp;
    std::function<QString()> m_SeatOneName;
    std::function<bool()> m_RestartPeer;

    QProgressBar* m_pProgress;
    QTimer* m_pTimerWait;   // timer 1
    QTimer* m_pTimerStatus; // timer 2
    QTimer* m_pTimerStep;   // the steps of a running wait
    int m_WaitRound = 0;
    int m_WaitStep = 0;
    bool m_bTyped = false; // the running wait is for the address typed here
    QString m_TypedServer;
    unsigned m_TypedPort = 0;
};
