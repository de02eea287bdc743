// The peer session on loopback: how long a 12-byte record takes from the
// send to the last of three peers' callbacks, and how long a join of a
// session of three takes. And the simulated session: what a record to three
// peers costs a simulation that drives every delivery itself.

#include "SimNetwork.h"
#include "SimPeerSession.h"
#include "TcpPeerSession.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Counter {
    std::mutex mutex;
    std::condition_variable changed;
    int received = 0;
    int created = 0;
    int completed = 0;
    CPeerSession::Callback Callback() {
        return [this](const PeerEvent& e) {
            std::lock_guard lock(mutex);
            received += e.type == PeerEvent::Receive;
            created += e.type == PeerEvent::CreatePlayer;
            completed += e.type == PeerEvent::ConnectComplete && e.result == S_OK;
            changed.notify_all();
        };
    }
    template <class Pred> bool Wait(Pred pred) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), pred);
    }
};

struct Peer {
    Counter counter;
    CTcpPeerSession session{counter.Callback()};
};

std::vector<std::unique_ptr<Peer>> Session(int count, quint16& port) {
    std::vector<std::unique_ptr<Peer>> peers;
    peers.push_back(std::make_unique<Peer>());
    peers[0]->session.Host(0, 16, QHostAddress::LocalHost);
    port = peers[0]->session.GetLocalHostAddresses().at(0).second;
    for (int i = 1; i < count; ++i) {
        peers.push_back(std::make_unique<Peer>());
        peers.back()->session.Connect(QStringLiteral("127.0.0.1"), port);
        peers.back()->counter.Wait([&] { return peers.back()->counter.completed == 1; });
    }
    for (auto& p : peers)
        p->counter.Wait([&] { return p->counter.created >= count; });
    return peers;
}

void Percentiles(benchmark::State& state, std::vector<double> us) {
    if (us.empty())
        return;
    std::sort(us.begin(), us.end());
    state.counters["p50_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
}

void BM_RecordToLastOfFourPeers(benchmark::State& state) {
    quint16 port = 0;
    auto peers = Session(4, port);
    const QByteArray record(12, '\x04');
    std::vector<double> us;
    int sent = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        peers[1]->session.SendToAll(record);
        ++sent;
        for (int i : {0, 2, 3})
            peers[i]->counter.Wait([&] { return peers[i]->counter.received >= sent; });
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(elapsed);
        us.push_back(elapsed * 1e6);
    }
    Percentiles(state, us);
}
BENCHMARK(BM_RecordToLastOfFourPeers)->UseManualTime()->Iterations(5000);

void BM_JoinSessionOfThree(benchmark::State& state) {
    quint16 port = 0;
    auto peers = Session(3, port);
    std::vector<double> us;
    for (auto _ : state) {
        Peer joiner;
        const auto start = Clock::now();
        joiner.session.Connect(QStringLiteral("127.0.0.1"), port);
        joiner.counter.Wait([&] { return joiner.counter.completed == 1; });
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(elapsed);
        us.push_back(elapsed * 1e6);
        joiner.session.Close();
    }
    Percentiles(state, us);
}
BENCHMARK(BM_JoinSessionOfThree)->UseManualTime()->Iterations(200);

void BM_SimulatedRecordToThreePeers(benchmark::State& state) {
    CSimNetwork net(1);
    int received = 0;
    std::vector<std::unique_ptr<CSimPeerSession>> peers;
    for (int i = 0; i < 4; ++i)
        peers.push_back(
            net.NewSession([&](const PeerEvent& e) { received += e.type == PeerEvent::Receive; }));
    peers[0]->Host(0, 4);
    for (int i = 1; i < 4; ++i)
        peers[i]->Connect(QStringLiteral("127.0.0.1"), 2301);
    for (int i = 0; i < 1000 && net.DeliverNext(); ++i) {
    }
    const QByteArray record(12, '\x04');
    for (auto _ : state) {
        peers[1]->SendToAll(record);
        while (net.DeliverNext()) {
        }
    }
    state.counters["received"] = received;
}
BENCHMARK(BM_SimulatedRecordToThreePeers)->Iterations(20000);

} // namespace
