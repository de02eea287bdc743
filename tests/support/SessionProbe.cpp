// A peer on the command line, for the multi-process tests:
//   session_probe host <port> [max] [name]   |   session_probe join <host> <port> [name]
// Prints every session event as a line; reads commands on standard input:
//   send N         N records "R" + counter
//   ask            a question "Q" + counter; every probe answers one with "A" + asker + counter
//   name TEXT      set max N      whoami      leave      crash
//   partial ID...  one record "P" to those peers only, then die at once
// Records are printed as "recv <from> <hex>".

#include "TcpPeerSession.h"

#include <QCoreApplication>
#include <QtEndian>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace {

std::mutex g_out;

void Say(const std::string& line) {
    std::lock_guard lock(g_out);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QByteArray Record(char tag, std::uint32_t a, std::uint32_t b = 0) {
    QByteArray r(12, '\0');
    r[0] = tag;
    qToLittleEndian(a, r.data() + 4);
    qToLittleEndian(b, r.data() + 8);
    return r;
}

std::string Hex(std::uint32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "%x", v);
    return b;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr,
                     "usage: session_probe host <port> [max] [name] | join <host> <port> [name]\n");
        return 2;
    }
    CPeerSession* session = nullptr;
    std::atomic<std::uint32_t> counter{0};
    CTcpPeerSession peer([&](const PeerEvent& e) {
        switch (e.type) {
        case PeerEvent::ConnectComplete:
            Say("complete " + Hex(static_cast<std::uint32_t>(e.result)));
            break;
        case PeerEvent::CreatePlayer:
            Say("create " + std::to_string(e.player));
            break;
        case PeerEvent::DestroyPlayer:
            Say("destroy " + std::to_string(e.player));
            break;
        case PeerEvent::HostMigrate:
            Say("host " + std::to_string(e.player));
            break;
        case PeerEvent::IndicateConnect:
            Say("indicate");
            break;
        case PeerEvent::PeerInfo:
            Say("info " + std::to_string(e.player));
            break;
        case PeerEvent::TerminateSession:
            Say("terminate");
            break;
        case PeerEvent::Warning:
            Say("warning " + e.data.toStdString());
            break;
        case PeerEvent::Receive:
            Say("recv " + std::to_string(e.player) + " " + e.data.toHex().toStdString());
            if (!e.data.isEmpty() && e.data[0] == 'Q' && e.data.size() >= 8)
                session->SendToAll(Record(
                    'A', e.player, qFromLittleEndian<std::uint32_t>(e.data.constData() + 4)));
            break;
        }
    });
    session = &peer;

    const bool host = args[1] == QLatin1String("host");
    const QString name = args.value(4, QStringLiteral("probe"));
    peer.SetName(name);
    if (host) {
        const HRESULT hr =
            peer.Host(static_cast<std::uint16_t>(args[2].toUInt()),
                      args.value(3, QStringLiteral("4")).toInt(), QHostAddress::LocalHost);
        const auto local = peer.GetLocalHostAddresses();
        Say("hosted " + Hex(static_cast<std::uint32_t>(hr)) + " " +
            std::to_string(local.empty() ? 0 : local.front().second));
        if (hr != S_OK)
            return 1;
    } else {
        peer.Connect(args[2], static_cast<std::uint16_t>(args.value(3).toUInt()));
    }

    std::thread input([&] {
        std::string line;
        while (std::getline(std::cin, line)) {
            std::istringstream in(line);
            std::string cmd;
            in >> cmd;
            if (cmd == "send") {
                int n = 0;
                in >> n;
                for (int i = 0; i < n; ++i)
                    peer.SendToAll(Record('R', ++counter));
            } else if (cmd == "ask") {
                peer.SendToAll(Record('Q', ++counter));
            } else if (cmd == "name") {
                std::string text;
                std::getline(in >> std::ws, text);
                peer.SetName(QString::fromStdString(text));
            } else if (cmd == "max") {
                int n = 0;
                in >> n;
                peer.SetMaxPlayers(n);
            } else if (cmd == "whoami") {
                std::ostringstream out;
                const auto local = peer.GetLocalHostAddresses();
                out << "me " << peer.LocalPlayer() << " host " << peer.HostPlayer() << " port "
                    << (local.empty() ? 0 : local.front().second) << " max " << peer.MaxPlayers()
                    << " players";
                for (DPNID id : peer.Players()) {
                    const auto info = peer.GetPeerInfo(id);
                    out << " " << id << ":" << (info ? info->name.toStdString() : "?");
                }
                Say(out.str());
            } else if (cmd == "partial") {
                std::vector<DPNID> to;
                DPNID id = 0;
                while (in >> id)
                    to.push_back(id);
                peer.SendToSomeForTest(Record('P', ++counter), to);
                std::raise(SIGKILL);
            } else if (cmd == "crash") {
                std::raise(SIGKILL);
            } else if (cmd == "leave") {
                break;
            }
        }
        peer.Close();
        Say("left");
        QMetaObject::invokeMethod(
            &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    });
    const int rc = app.exec();
    input.join();
    return rc;
}
