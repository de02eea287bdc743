#include "HostileMember.h"

#include <QElapsedTimer>
#include <QTcpSocket>

#include <future>

using namespace sessionwire;

struct HostileMember::Link {
    std::unique_ptr<QTcpSocket> socket;
    FrameReader reader;
    std::uint32_t peer = 0;
    bool member = false; // greeted (or welcomed): data and heartbeats flow
    QElapsedTimer sinceSend;
};

HostileMember::HostileMember(QByteArray name) : m_name(std::move(name)) {
    m_thread = std::thread([this] { Run(); });
}

HostileMember::~HostileMember() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_thread.join();
}

void HostileMember::Call(const std::function<void()>& fn) {
    std::promise<void> done;
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back([&] {
            fn();
            done.set_value();
        });
    }
    done.get_future().wait();
}

void HostileMember::Run() {
    for (;;) {
        std::deque<std::function<void()>> calls;
        {
            std::lock_guard lock(m_mutex);
            if (m_quit)
                break;
            calls.swap(m_calls);
        }
        for (auto& fn : calls)
            fn();
        Service();
        if (m_links.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_links.clear();
}

void HostileMember::Write(Link& link, const QByteArray& bytes) {
    link.socket->write(bytes);
    link.socket->flush();
    link.sinceSend.restart();
}

// Reads what arrived on every link, answers greetings and sends heartbeats.
void HostileMember::Service() {
    // By index: a welcome adds links.
    for (size_t i = 0; i < m_links.size(); ++i) {
        Link& link = *m_links[i];
        if (link.socket->state() != QAbstractSocket::ConnectedState)
            continue;
        link.socket->waitForReadyRead(5);
        ReadLink(link);
        if (link.member && link.sinceSend.elapsed() >= 400)
            Write(link, EncodeEmpty(Heartbeat));
    }
}

void HostileMember::ReadLink(Link& link) {
    const QByteArray bytes = link.socket->readAll();
    link.reader.Append(bytes.constData(), bytes.size());
    while (auto body = link.reader.Next()) {
        const auto type = static_cast<std::uint8_t>((*body)[0]);
        if (type == Data) {
            if (auto data = DecodeData(*body))
                m_lastSeq[data->origin] = std::max(m_lastSeq[data->origin], data->seq);
        } else if (type == Welcome && m_id == 0) {
            if (auto w = DecodeWelcome(*body)) {
                m_id = w->yourId;
                m_host = w->hostId;
                link.peer = m_host;
                link.member = true;
                for (const StampEntry& s : w->delivered)
                    m_lastSeq[s.id] = s.seq;
                for (const MemberEntry& m : w->members) {
                    if (m.id == m_id || m.id == m_host)
                        continue;
                    auto other = std::make_unique<Link>();
                    other->socket = std::make_unique<QTcpSocket>();
                    other->socket->connectToHost(QString::fromLatin1(m.address), m.port);
                    if (!other->socket->waitForConnected(2000))
                        continue;
                    other->peer = m.id;
                    other->member = true;
                    Write(*other, EncodeHello(HelloFrame{m_id, m.id, m_ownSeq + 1}));
                    m_links.push_back(std::move(other));
                }
                return; // the link may have moved: the rest is read next time
            }
        }
    }
}

std::unique_ptr<HostileMember::Link> HostileMember::Open(quint16 port) {
    auto link = std::make_unique<Link>();
    link->socket = std::make_unique<QTcpSocket>();
    link->socket->connectToHost(QHostAddress::LocalHost, port);
    if (!link->socket->waitForConnected(2000))
        return nullptr;
    return link;
}

bool HostileMember::Join(quint16 hostPort, int timeoutMs) {
    bool ok = false;
    Call([&] {
        auto link = Open(hostPort);
        if (!link)
            return;
        // Our listen port is never used: nobody joins after us in these tests.
        Write(*link, EncodeJoin(JoinFrame{1, m_name}));
        m_links.push_back(std::move(link));
        QElapsedTimer t;
        t.start();
        while (m_id == 0 && t.elapsed() < timeoutMs) {
            m_links.front()->socket->waitForReadyRead(50);
            ReadLink(*m_links.front());
        }
        ok = m_id != 0;
    });
    return ok;
}

bool HostileMember::Greet(quint16 port, std::uint32_t fromId, std::uint32_t toId) {
    bool ok = false;
    Call([&] {
        auto link = Open(port);
        if (!link)
            return;
        m_id = fromId;
        link->peer = toId;
        link->member = true;
        Write(*link, EncodeHello(HelloFrame{fromId, toId, 1}));
        m_links.push_back(std::move(link));
        ok = true;
    });
    return ok;
}

int HostileMember::HoldSilent(quint16 port, int count, const QHostAddress& from) {
    int held = 0;
    Call([&] {
        std::vector<Link*> opened;
        for (int i = 0; i < count; ++i) {
            auto link = std::make_unique<Link>();
            link->socket = std::make_unique<QTcpSocket>();
            if (!link->socket->bind(from))
                continue;
            link->socket->connectToHost(QHostAddress::LocalHost, port);
            if (!link->socket->waitForConnected(2000))
                continue;
            opened.push_back(link.get());
            m_links.push_back(std::move(link));
        }
        // Those the port refuses are closed on its side at once.
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 300) {
            for (Link* link : opened)
                link->socket->waitForReadyRead(5);
        }
        for (Link* link : opened)
            held += link->socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
    });
    return held;
}

std::uint32_t HostileMember::Id() {
    std::uint32_t id = 0;
    Call([&] { id = m_id; });
    return id;
}

std::uint32_t HostileMember::HostId() {
    std::uint32_t id = 0;
    Call([&] { id = m_host; });
    return id;
}

std::uint32_t HostileMember::LastSeq(std::uint32_t origin) {
    std::uint32_t seq = 0;
    Call([&] { seq = m_lastSeq[origin]; });
    return seq;
}

bool HostileMember::Connected() {
    bool any = false;
    Call([&] {
        for (auto& link : m_links)
            any = any || (link->member && link->socket->state() == QAbstractSocket::ConnectedState);
    });
    return any;
}

void HostileMember::SendOwn(DataKind kind, const QByteArray& payload) {
    Call([&] {
        DataFrame f;
        f.origin = m_id;
        f.seq = ++m_ownSeq;
        f.kind = kind;
        f.payload = payload;
        const QByteArray bytes = EncodeData(f);
        for (auto& link : m_links)
            if (link->member)
                Write(*link, bytes);
    });
}

void HostileMember::SendFrame(const DataFrame& frame, std::uint32_t toOnly) {
    Call([&] {
        const QByteArray bytes = EncodeData(frame);
        for (auto& link : m_links)
            if (link->member && (toOnly == 0 || link->peer == toOnly))
                Write(*link, bytes);
    });
}

void HostileMember::Close() {
    Call([&] { m_links.clear(); });
}
