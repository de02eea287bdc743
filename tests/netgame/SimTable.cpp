#include "SimTable.h"

#include "SimPeerSession.h"

void RecordingView::Notice(const QString& text, const QString&) {
    std::lock_guard lock(m_Mutex);
    m_Notices << text;
}

QStringList RecordingView::Notices() const {
    std::lock_guard lock(m_Mutex);
    return m_Notices;
}

SimTable::SimTable(CSimNetwork& net, const QString& name) {
    session.SetSessionFactory([this, &net](CPeerSession::Callback callback) {
        auto made = net.NewSession(std::move(callback));
        m_Current = made.get();
        return std::unique_ptr<CPeerSession>(std::move(made));
    });
    window.resize(800, 600);
    CPublic& t = table;
    t.m_Game31 = true;
    t.m_AutomaticGame = true;
    t.m_NumberPlayers = 1;
    t.SetParent(&window);
    t.m_Pack.InitPack36(&window);
    t.m_Pack.SetValueZanta();
    t.m_Pack.ShowAinmationCards(false);
    for (auto& seat : t.m_Players)
        seat.ResetScores();
    flow.ChangeName(name);
    // Each player's program its own token.
    flow.SetSeatToken(netrec::TokenHash(name.toUtf8()));
}

SimTable::~SimTable() { flow.Stop(); }
