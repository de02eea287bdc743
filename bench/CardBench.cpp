// Card animation and drawing costs: one full flip and one full move with
// animation on (paced by their pauses), and one repaint of a card window.

#include "Pack.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

namespace {

struct Table {
    Table() {
        wnd.resize(790, 650);
        wnd.show();
        // Repaints only draw once the window is on screen.
        QElapsedTimer clock;
        clock.start();
        while (!(wnd.windowHandle() && wnd.windowHandle()->isExposed()) && clock.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        pack.InitPack36(&wnd);
        pack.ShowAinmationCards(true);
        pack.CardsToPack(false);
        card = pack.GetCard(0);
        card->SetCardPos(100, 100);
    }
    CWnd wnd;
    CPack pack;
    CCard* card = nullptr;
};

Table& table() {
    static Table* t = new Table;
    return *t;
}

void BM_CardFlip(benchmark::State& state) {
    CCard* card = table().card;
    bool open = true;
    for (auto _ : state) {
        card->CardOpen(open);
        open = !open;
    }
}
BENCHMARK(BM_CardFlip)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CardMove(benchmark::State& state) {
    CCard* card = table().card;
    bool there = true;
    for (auto _ : state) {
        card->CardMove(there ? 400 : 100, there ? 300 : 100, 0, false);
        there = !there;
    }
}
BENCHMARK(BM_CardMove)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CardRepaint(benchmark::State& state) {
    CCard* card = table().card;
    card->CardClose(false);
    for (auto _ : state)
        card->repaint();
}
BENCHMARK(BM_CardRepaint)->Unit(benchmark::kMicrosecond);

} // namespace
