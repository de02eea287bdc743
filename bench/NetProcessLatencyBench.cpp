// Four network programs, each a process of its own, on the loopback: how
// long a card clicked on one program takes to lie on each of the three
// others, and to be painted there. The programs stamp the click, the card's
// arrival on their table and its first painting there themselves (the test
// control's "stamps", on the monotonic clock all processes share), so the
// driving of the programs through their standard input is not measured.
// Plays until enough cards were played and prints p50, p99 and the maximum
// in microseconds: of every arrival, of the last of the three arrivals of a
// card, per receiving program, and of every first painting.
//
// netprocess_bench [cards=400] [quiet ms=30] [seed=3]; the programs are left
// alone for the quiet time after each click before they are asked anything.

#include "ProgramPeer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <vector>

namespace {

struct Stamps {
    qint64 click = 0;
    int mast = 0;
    int value = 0;
    struct Laid {
        int mast = 0;
        int value = 0;
        qint64 at = 0;
        qint64 painted = 0;
    };
    std::vector<Laid> laid;

    std::optional<Laid> Find(int m, int v) const {
        for (const Laid& l : laid)
            if (l.mast == m && l.value == v)
                return l;
        return std::nullopt;
    }
};

// "stamps click <us> <mast> <value> laid <mast>:<value>:<us>:<painted us> ..."
Stamps Read(const QString& answer) {
    const QStringList w = answer.split(' ', Qt::SkipEmptyParts);
    Stamps s;
    if (w.size() < 6 || w[0] != QStringLiteral("stamps"))
        return s;
    s.click = w[2].toLongLong();
    s.mast = w[3].toInt();
    s.value = w[4].toInt();
    for (const QString& item : w.mid(6)) {
        const QStringList f = item.split(':');
        if (f.size() == 4)
            s.laid.push_back({f[0].toInt(), f[1].toInt(), f[2].toLongLong(), f[3].toLongLong()});
    }
    return s;
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

void Print(const char* what, const std::vector<double>& us) {
    const double max = us.empty() ? 0 : *std::max_element(us.begin(), us.end());
    std::printf("%-34s p50 %8.0f us  p99 %8.0f us  max %8.0f us  (n=%zu)\n", what,
                Percentile(us, 0.5), Percentile(us, 0.99), max, us.size());
}

QString LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll()).section(' ', 0, 2);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int cards = argc > 1 ? std::max(1, std::atoi(argv[1])) : 400;
    const int quietMs = argc > 2 ? std::clamp(std::atoi(argv[2]), 0, 1000) : 30;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 3;
    const QString loadBefore = LoadAverage();

    ProgramTable table(4, seed);
    if (!table.Ready()) {
        std::fprintf(stderr, "the programs could not be seated:\n%s", qPrintable(table.Describe()));
        return 1;
    }
    auto& peers = table.Peers();
    for (auto& p : peers)
        p->Ask(QStringLiteral("stamps"));

    std::mt19937 random(seed);
    std::vector<double> each, slowest, painted;
    std::vector<std::vector<double>> byReceiver(peers.size());
    int played = 0, lost = 0;
    const int maxActions = cards * 20;
    const QDeadlineTimer deadline(30 * 60 * 1000);
    for (int action = 0; played < cards && action < maxActions && !deadline.hasExpired(); ++action) {
        if (!table.WaitSettled()) {
            std::fprintf(stderr, "the programs did not settle after %d cards:\n%s", played,
                         qPrintable(table.Describe()));
            return 1;
        }
        // The first program that may act: the button now and then, or a legal card.
        size_t actor = peers.size();
        QString card;
        bool pressed = false;
        for (size_t k = 0; k < peers.size() && actor == peers.size() && !pressed; ++k) {
            ProgramPeer& p = *peers[k];
            if (!p.GetState().canAct)
                continue;
            const QString caption = p.Ask(QStringLiteral("caption")).mid(8);
            const QStringList legal = p.Ask(QStringLiteral("legal")).split(' ', Qt::SkipEmptyParts).mid(1);
            if (!caption.isEmpty() && (legal.isEmpty() || random() % 2 == 0))
                pressed = p.Ask(QStringLiteral("button")) == QStringLiteral("ok");
            else if (!legal.isEmpty()) {
                actor = k;
                card = legal[static_cast<int>(random() % static_cast<unsigned>(legal.size()))];
            }
        }
        if (pressed)
            continue;
        if (actor == peers.size()) {
            std::fprintf(stderr, "nobody could act after %d cards:\n%s", played, qPrintable(table.Describe()));
            return 1;
        }
        for (auto& p : peers)
            p->Ask(QStringLiteral("stamps")); // forgets what was laid before
        if (peers[actor]->Ask(QStringLiteral("card ") + card) != QStringLiteral("ok"))
            continue;
        QThread::msleep(static_cast<unsigned long>(quietMs));
        if (!table.WaitSettled()) {
            std::fprintf(stderr, "the programs did not settle after a card:\n%s", qPrintable(table.Describe()));
            return 1;
        }
        const Stamps click = Read(peers[actor]->Ask(QStringLiteral("stamps")));
        if (click.click == 0)
            continue;
        double last = 0;
        bool everywhere = true;
        for (size_t k = 0; k < peers.size(); ++k) {
            if (k == actor)
                continue;
            const std::optional<Stamps::Laid> at =
                Read(peers[k]->Ask(QStringLiteral("stamps"))).Find(click.mast, click.value);
            if (!at || at->at < click.click) {
                everywhere = false;
                continue;
            }
            const double us = static_cast<double>(at->at - click.click);
            if (at->painted >= at->at)
                painted.push_back(static_cast<double>(at->painted - click.click));
            each.push_back(us);
            byReceiver[k].push_back(us);
            last = std::max(last, us);
        }
        if (everywhere) {
            slowest.push_back(last);
            ++played;
        } else {
            ++lost;
        }
    }

    std::printf("netprocess_bench: 4 programs on the loopback, %d cards, %d not laid everywhere; "
                "load average %s before, %s after\n",
                played, lost, qPrintable(loadBefore), qPrintable(LoadAverage()));
    Print("click to laid, every arrival:", each);
    Print("click to laid on all three:", slowest);
    for (size_t k = 0; k < peers.size(); ++k) {
        const QByteArray what = QStringLiteral("  on program %1 (%2):").arg(k + 1).arg(k == 0 ? QStringLiteral("host") : QStringLiteral("joiner")).toUtf8();
        Print(what.constData(), byReceiver[k]);
    }
    Print("click to painted, every arrival:", painted);
    return played >= cards ? 0 : 1;
}
