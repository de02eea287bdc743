#include "SessionWire.h"

#include <QtEndian>
#include <cstring>

namespace sessionwire {

namespace {

class Writer {
public:
    explicit Writer(FrameType type) { m_out.append(4, '\0').append(static_cast<char>(type)); }
    void U8(std::uint8_t v) { m_out.append(static_cast<char>(v)); }
    void U16(std::uint16_t v) {
        char b[2];
        qToLittleEndian(v, b);
        m_out.append(b, 2);
    }
    void U32(std::uint32_t v) {
        char b[4];
        qToLittleEndian(v, b);
        m_out.append(b, 4);
    }
    void Bytes(const QByteArray& b) { m_out.append(b); }
    // Length-prefixed, cut to what one byte can count.
    void Short(const QByteArray& b) {
        const QByteArray cut = b.left(255);
        U8(static_cast<std::uint8_t>(cut.size()));
        m_out.append(cut);
    }
    void Stamp(const std::vector<StampEntry>& s) {
        U8(static_cast<std::uint8_t>(s.size()));
        for (const StampEntry& e : s) {
            U32(e.id);
            U32(e.seq);
        }
    }
    QByteArray Done() {
        qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(m_out.size() - kHeaderSize),
                                       m_out.data());
        return m_out;
    }

private:
    QByteArray m_out;
};

class Reader {
public:
    Reader(const QByteArray& body, FrameType type) : m_body(body) {
        m_ok = !body.isEmpty() && static_cast<std::uint8_t>(body[0]) == type;
        m_pos = 1;
    }
    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_ok && m_pos == m_body.size(); }
    std::uint8_t U8() {
        if (!Need(1))
            return 0;
        return static_cast<std::uint8_t>(m_body[m_pos++]);
    }
    std::uint16_t U16() {
        if (!Need(2))
            return 0;
        const auto v = qFromLittleEndian<std::uint16_t>(m_body.constData() + m_pos);
        m_pos += 2;
        return v;
    }
    std::uint32_t U32() {
        if (!Need(4))
            return 0;
        const auto v = qFromLittleEndian<std::uint32_t>(m_body.constData() + m_pos);
        m_pos += 4;
        return v;
    }
    QByteArray Bytes(qsizetype n) {
        if (!Need(n))
            return {};
        const QByteArray b = m_body.mid(m_pos, n);
        m_pos += n;
        return b;
    }
    QByteArray Short() { return Bytes(U8()); }
    std::vector<StampEntry> Stamp() {
        const int n = U8();
        std::vector<StampEntry> s;
        if (n > kMaxStampEntries) {
            m_ok = false;
            return s;
        }
        for (int i = 0; i < n && m_ok; ++i) {
            StampEntry e;
            e.id = U32();
            e.seq = U32();
            if (e.id == 0)
                m_ok = false;
            s.push_back(e);
        }
        return s;
    }
    bool Preamble() {
        const QByteArray magic = Bytes(4);
        const std::uint16_t version = U16();
        const QByteArray guid = Bytes(16);
        return m_ok && magic == QByteArray(kMagic, 4) && version == kVersion &&
               guid == ApplicationGuid();
    }
    void Fail() { m_ok = false; }

private:
    bool Need(qsizetype n) {
        if (!m_ok || n < 0 || m_body.size() - m_pos < n)
            m_ok = false;
        return m_ok;
    }
    const QByteArray& m_body;
    qsizetype m_pos = 0;
    bool m_ok = false;
};

void WritePreamble(Writer& w) {
    w.Bytes(QByteArray(kMagic, 4));
    w.U16(kVersion);
    w.Bytes(ApplicationGuid());
}

} // namespace

QByteArray ApplicationGuid() {
    static const unsigned char guid[16] = {0xB8, 0x16, 0x78, 0x1C, 0xA0, 0xB5, 0xEC, 0x40,
                                           0xA9, 0xA1, 0x3E, 0x29, 0x0F, 0x21, 0xE6, 0xC2};
    return QByteArray(reinterpret_cast<const char*>(guid), 16);
}

QByteArray EncodeJoin(const JoinFrame& f) {
    Writer w(Join);
    WritePreamble(w);
    w.U16(f.listenPort);
    w.Short(f.name);
    return w.Done();
}

QByteArray EncodeWelcome(const WelcomeFrame& f) {
    Writer w(Welcome);
    w.U32(f.yourId);
    w.U32(f.hostId);
    w.U32(f.nextId);
    w.U32(f.maxPlayers);
    w.U8(static_cast<std::uint8_t>(f.members.size()));
    for (const MemberEntry& m : f.members) {
        w.U32(m.id);
        w.U16(m.port);
        w.Short(m.address);
        w.Short(m.name);
    }
    w.Stamp(f.delivered);
    return w.Done();
}

QByteArray EncodeRefuse(std::uint32_t result) {
    Writer w(Refuse);
    w.U32(result);
    return w.Done();
}

QByteArray EncodeHello(const HelloFrame& f) {
    Writer w(Hello);
    WritePreamble(w);
    w.U32(f.fromId);
    w.U32(f.toId);
    w.U32(f.nextSeq);
    return w.Done();
}

QByteArray EncodeData(const DataFrame& f) {
    Writer w(Data);
    w.U32(f.origin);
    w.U32(f.seq);
    w.U8(f.kind);
    w.Stamp(f.stamp);
    w.U16(static_cast<std::uint16_t>(f.payload.size()));
    w.Bytes(f.payload);
    return w.Done();
}

QByteArray EncodeEmpty(FrameType type) {
    Writer w(type);
    return w.Done();
}

std::optional<JoinFrame> DecodeJoin(const QByteArray& body) {
    Reader r(body, Join);
    if (!r.Preamble())
        return std::nullopt;
    JoinFrame f;
    f.listenPort = r.U16();
    f.name = r.Short();
    if (!r.AtEnd() || f.listenPort == 0)
        return std::nullopt;
    return f;
}

std::optional<WelcomeFrame> DecodeWelcome(const QByteArray& body) {
    Reader r(body, Welcome);
    WelcomeFrame f;
    f.yourId = r.U32();
    f.hostId = r.U32();
    f.nextId = r.U32();
    f.maxPlayers = r.U32();
    const int n = r.U8();
    if (n > kMaxMembers)
        return std::nullopt;
    for (int i = 0; i < n && r.Ok(); ++i) {
        MemberEntry m;
        m.id = r.U32();
        m.port = r.U16();
        m.address = r.Short();
        m.name = r.Short();
        if (m.id == 0)
            r.Fail();
        f.members.push_back(std::move(m));
    }
    f.delivered = r.Stamp();
    if (!r.AtEnd() || f.yourId == 0 || f.hostId == 0 || f.nextId <= f.yourId)
        return std::nullopt;
    return f;
}

std::optional<std::uint32_t> DecodeRefuse(const QByteArray& body) {
    Reader r(body, Refuse);
    const std::uint32_t v = r.U32();
    if (!r.AtEnd())
        return std::nullopt;
    return v;
}

std::optional<HelloFrame> DecodeHello(const QByteArray& body) {
    Reader r(body, Hello);
    if (!r.Preamble())
        return std::nullopt;
    HelloFrame f;
    f.fromId = r.U32();
    f.toId = r.U32();
    f.nextSeq = r.U32();
    if (!r.AtEnd() || f.fromId == 0 || f.toId == 0 || f.nextSeq == 0)
        return std::nullopt;
    return f;
}

std::optional<DataFrame> DecodeData(const QByteArray& body) {
    Reader r(body, Data);
    DataFrame f;
    f.origin = r.U32();
    f.seq = r.U32();
    const std::uint8_t kind = r.U8();
    f.stamp = r.Stamp();
    const std::uint16_t size = r.U16();
    if (size > kMaxPayload)
        return std::nullopt;
    f.payload = r.Bytes(size);
    if (!r.AtEnd() || f.origin == 0 || f.seq == 0 || kind > NameChanged)
        return std::nullopt;
    f.kind = static_cast<DataKind>(kind);
    return f;
}

QByteArray EncodeMember(const MemberEntry& m) {
    QByteArray out(4 + 2, '\0');
    qToLittleEndian(m.id, out.data());
    qToLittleEndian(m.port, out.data() + 4);
    const QByteArray addr = m.address.left(255), name = m.name.left(255);
    out.append(static_cast<char>(addr.size())).append(addr);
    out.append(static_cast<char>(name.size())).append(name);
    return out;
}

std::optional<MemberEntry> DecodeMember(const QByteArray& payload) {
    QByteArray body = payload;
    body.prepend(static_cast<char>(Data)); // reuse the reader's bounds checks
    Reader r(body, Data);
    MemberEntry m;
    m.id = r.U32();
    m.port = r.U16();
    m.address = r.Short();
    m.name = r.Short();
    if (!r.AtEnd() || m.id == 0)
        return std::nullopt;
    return m;
}

QByteArray EncodeU32(std::uint32_t v) {
    QByteArray out(4, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

std::optional<std::uint32_t> DecodeU32(const QByteArray& payload) {
    if (payload.size() != 4)
        return std::nullopt;
    return qFromLittleEndian<std::uint32_t>(payload.constData());
}

void FrameReader::Append(const char* data, qsizetype size) {
    if (m_broken)
        return;
    if (m_offset > 0 && m_offset * 2 > m_buffer.size()) {
        m_buffer.remove(0, m_offset);
        m_offset = 0;
    }
    m_buffer.append(data, size);
}

std::optional<QByteArray> FrameReader::Next() {
    if (m_broken || Buffered() < kHeaderSize)
        return std::nullopt;
    const auto length = qFromLittleEndian<std::uint32_t>(m_buffer.constData() + m_offset);
    if (length == 0 || length > static_cast<std::uint32_t>(kMaxFrame)) {
        m_broken = true;
        m_buffer.clear();
        m_offset = 0;
        return std::nullopt;
    }
    if (Buffered() < kHeaderSize + static_cast<qsizetype>(length))
        return std::nullopt;
    QByteArray body = m_buffer.mid(m_offset + kHeaderSize, length);
    m_offset += kHeaderSize + length;
    if (m_offset == m_buffer.size()) {
        m_buffer.clear();
        m_offset = 0;
    }
    return body;
}

} // namespace sessionwire
