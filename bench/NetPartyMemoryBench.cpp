// The network program after use: three programs on the loopback play ten
// parties to 31 points, and each one's resident memory is read before and
// after. Prints one line per program.

#include "ProgramPeer.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {
long ResidentKb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int parties = argc > 1 ? std::atoi(argv[1]) : 10;
    ProgramTable table(3);
    if (!table.Ready()) {
        std::fprintf(stderr, "the programs could not be seated\n");
        return 1;
    }
    std::vector<long> before;
    for (auto& p : table.Peers()) {
        p->Ask(QStringLiteral("stars 1"));
        before.push_back(ResidentKb(p->Pid()));
    }
    for (int n = 0; n < parties; ++n) {
        const QString problem = table.PlayParty();
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "party %d: %s\n", n + 1, qPrintable(problem));
            return 1;
        }
    }
    for (size_t k = 0; k < table.Peers().size(); ++k)
        std::printf("program %zu: resident %ld kB after start, %ld kB after %d parties\n", k + 1,
                    before[k], ResidentKb(table.Peers()[k]->Pid()), parties);
    return 0;
}
