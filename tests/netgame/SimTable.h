#pragma once
// One peer's network table without its game window: the table on a window
// never shown, its flow, a session of a simulated network, a virtual clock
// that only the test moves and a view that only records. Its steps run on
// the thread that causes them, so a run has one thread of time.

#include "NetTableFlow.h"

#include "SimNetwork.h"
#include "VirtualClock.h"
#include "Wnd.h"

#include <QStringList>

#include <mutex>

class RecordingView final : public IFlowView {
public:
    QSize ClientSize() const override { return {800, 600}; }
    void Repaint() override {}
    void ShowChatSeats(int, const std::array<QString, 3>&) override {}
    void ShowChatName(int, const QString&) override {}
    void ShowChatLine(int, const QString&) override {}
    void Notice(const QString& text, const QString&) override;
    void ShowTitle(const QString&) override {}
    void ShowCheck(UINT, bool) override {}
    void EnableSharedChecks(bool) override {}
    QStringList Notices() const;

private:
    mutable std::mutex m_Mutex;
    QStringList m_Notices;
};

struct SimTable {
    SimTable(CSimNetwork& net, const QString& name);
    ~SimTable();
    SimTable(const SimTable&) = delete;
    SimTable& operator=(const SimTable&) = delete;

    // The session the table talks through now (a new one after a restart).
    CPeerSession* Session() const { return m_Current; }

    CWnd window;
    CPublic table;
    CTableMoves moves{table};
    CDirectPlay session{nullptr};
    CVirtualClock clock;
    RecordingView view;
    CNetTableFlow flow{table, moves, session, clock, view, CGameStrand::Mode::Caller};

private:
    CPeerSession* m_Current = nullptr;
};
