// Table painting costs: one full repaint of the table window (background,
// table, labels, stars, button and the card windows over it) for a shaped
// table and a picture table at 800 x 600 and 1920 x 1080, and the repaint of
// one card-glide step (the card's old and new place). Target: a full repaint
// under 4 ms at 1920 x 1080.

#include "Cp1251.h"
#include "Public.h"
#include "TableView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QWindow>

#include <memory>

namespace {

QTemporaryDir& Pictures() {
    static QTemporaryDir dir;
    return dir;
}

// A dealt table of three players with a shown button, at the given size.
struct Table {
    Table(int table, int cx, int cy) {
        view.table = &pub;
        pub.SetParent(&view);
        pub.m_Pack.InitPack36(&view);
        pub.m_Pack.SetValueZanta();
        pub.m_Pack.ShowAinmationCards(false);
        pub.m_NumberPlayers = 3;
        pub.SetBG(1);
        if (table == 7) {
            QImage picture(1024, 600, QImage::Format_RGB32);
            QPainter p(&picture);
            QLinearGradient g(0, 0, 1024, 600);
            g.setColorAt(0, QColor(20, 90, 40));
            g.setColorAt(1, QColor(160, 120, 40));
            p.fillRect(picture.rect(), g);
            p.end();
            const QString path = Pictures().filePath(QStringLiteral("table.jpg"));
            picture.save(path, "JPEG");
            pub.ProgView(1079, reinterpret_cast<LPARAM>(&path));
        } else {
            pub.SetTable(table);
        }
        pub.ResetStars(7);
        view.resize(cx, cy);
        view.show();
        QElapsedTimer clock;
        clock.start();
        while (!(view.windowHandle() && view.windowHandle()->isExposed()) && clock.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        pub.m_Pack.CardsToPack(true);
        pub.DoDistrCards(0, 1, 3);
        pub.ShowActiveButton(QStringLiteral("Новая партия!"), true);
        view.repaint();
    }
    TableView view;
    CPublic pub;
};

void BM_TableRepaint(benchmark::State& state) {
    Table t(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
            static_cast<int>(state.range(2)));
    for (auto _ : state)
        t.view.repaint();
}
BENCHMARK(BM_TableRepaint)
    ->ArgNames({"table", "w", "h"})
    ->Args({1, 800, 600})
    ->Args({2, 800, 600})
    ->Args({7, 800, 600})
    ->Args({1, 1920, 1080})
    ->Args({2, 1920, 1080})
    ->Args({7, 1920, 1080})
    ->Unit(benchmark::kMillisecond);

// One step of a card gliding over the shaped table: the window repaints the
// card's old and new places.
void BM_CardStepRepaint(benchmark::State& state) {
    Table t(2, 1920, 1080);
    CCard* card = t.pub.m_Pack.GetCard(0);
    const QRect table = t.pub.m_TableRect;
    int step = 0;
    for (auto _ : state) {
        card->SetCardPos(table.x() + 20 + step % 300, table.y() + 40 + step % 120);
        ++step;
    }
}
BENCHMARK(BM_CardStepRepaint)->Unit(benchmark::kMicrosecond);

// Choosing another table and background draws the cached picture anew.
void BM_TableChoiceRepaint(benchmark::State& state) {
    Table t(1, 1920, 1080);
    int n = 0;
    for (auto _ : state) {
        t.pub.SetTable(1 + n % 2);
        t.view.repaint();
        ++n;
    }
}
BENCHMARK(BM_TableChoiceRepaint)->Unit(benchmark::kMillisecond);

} // namespace
