#pragma once
// The session's bytes on the wire: frames, their kinds and their fields. Pure
// functions over byte arrays, so every reader can be fed any bytes at all.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace sessionwire {

constexpr char kMagic[4] = {'Z', 'N', 'T', 'A'};
constexpr std::uint16_t kVersion = 2;
// The game's application GUID {1C7816B8-B5A0-40EC-A9A1-3E290F21E6C2} as DirectPlay stores it.
QByteArray ApplicationGuid();

constexpr int kHeaderSize = 4;     // little-endian body length
constexpr int kMaxPayload = 1024;  // the largest record is 552 bytes
constexpr int kMaxFrame = 2048;    // a welcome with four members and long names
constexpr int kMaxNameBytes = 256; // UTF-8
constexpr int kMaxStampEntries = 32;
constexpr int kMaxMembers = 32;

enum FrameType : std::uint8_t {
    Join = 1,
    Welcome = 2,
    Refuse = 3,
    Hello = 4,
    Data = 5,
    Heartbeat = 6,
    Bye = 7,
};

// What a data frame carries besides the application's records.
enum DataKind : std::uint8_t {
    UserRecord = 0,
    MemberAdded = 1,
    MemberGone = 2,
    MaxPlayers = 3,
    NameChanged = 4,
};

struct StampEntry {
    std::uint32_t id = 0;
    std::uint32_t seq = 0;
};

struct MemberEntry {
    std::uint32_t id = 0;
    std::uint16_t port = 0;
    QByteArray address; // text form
    QByteArray name;    // UTF-8
};

struct JoinFrame {
    std::uint16_t listenPort = 0;
    QByteArray name;
};

struct WelcomeFrame {
    std::uint32_t yourId = 0;
    std::uint32_t hostId = 0;
    std::uint32_t nextId = 0;
    std::uint32_t maxPlayers = 0;
    std::vector<MemberEntry> members;
    std::vector<StampEntry> delivered;
};

struct HelloFrame {
    std::uint32_t fromId = 0;
    std::uint32_t toId = 0;
    // The sender's records from this sequence on come over this link; those
    // before it reach the receiver only as other members' copies.
    std::uint32_t nextSeq = 1;
};

struct DataFrame {
    std::uint32_t origin = 0;
    std::uint32_t seq = 0;
    DataKind kind = UserRecord;
    std::vector<StampEntry> stamp;
    QByteArray payload;
};

// A whole frame, header included.
QByteArray EncodeJoin(const JoinFrame& f);
QByteArray EncodeWelcome(const WelcomeFrame& f);
QByteArray EncodeRefuse(std::uint32_t result);
QByteArray EncodeHello(const HelloFrame& f);
QByteArray EncodeData(const DataFrame& f);
QByteArray EncodeEmpty(FrameType type);

// Readers take a frame body (type byte first) and refuse anything malformed,
// including trailing bytes and a wrong GUID or version.
std::optional<JoinFrame> DecodeJoin(const QByteArray& body);
std::optional<WelcomeFrame> DecodeWelcome(const QByteArray& body);
std::optional<std::uint32_t> DecodeRefuse(const QByteArray& body);
std::optional<HelloFrame> DecodeHello(const QByteArray& body);
std::optional<DataFrame> DecodeData(const QByteArray& body);

// Payloads of the control kinds of data frames.
QByteArray EncodeMember(const MemberEntry& m);
std::optional<MemberEntry> DecodeMember(const QByteArray& payload);
QByteArray EncodeU32(std::uint32_t v);
std::optional<std::uint32_t> DecodeU32(const QByteArray& payload);

// Cuts frames out of a byte stream. A length of 0 or above kMaxFrame poisons
// the reader for good: the stream cannot be trusted past it.
class FrameReader {
public:
    void Append(const char* data, qsizetype size);
    // The next whole frame body, or nothing yet.
    std::optional<QByteArray> Next();
    bool Broken() const { return m_broken; }
    qsizetype Buffered() const { return m_buffer.size() - m_offset; }

private:
    QByteArray m_buffer;
    qsizetype m_offset = 0;
    bool m_broken = false;
};

} // namespace sessionwire
