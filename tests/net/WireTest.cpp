// The frame readers against their writers, cut streams and random bytes.

#include "SessionWire.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QtEndian>

using namespace sessionwire;

TEST(SessionWire, FramesReadBackWholeAcrossAnyCutOfTheStream) {
    WelcomeFrame w;
    w.yourId = 4;
    w.hostId = 1;
    w.nextId = 5;
    w.maxPlayers = 4;
    w.members = {{1, 2301, "", "Хозяин"}, {4, 40000, "127.0.0.1", QByteArray(255, 'n')}};
    w.delivered = {{1, 7}, {4, 0}};
    DataFrame d{3, 9, MemberGone, {{1, 2}, {3, 8}}, EncodeU32(2)};
    QByteArray stream = EncodeJoin({2302, "Иван"}) + EncodeWelcome(w) + EncodeData(d) +
                        EncodeEmpty(Heartbeat) + EncodeHello({4, 1, 7}) + EncodeRefuse(0x80158610);
    for (int cut = 1; cut <= 7; cut += 3) {
        FrameReader r;
        std::vector<QByteArray> bodies;
        for (qsizetype i = 0; i < stream.size(); i += cut) {
            r.Append(stream.constData() + i, std::min<qsizetype>(cut, stream.size() - i));
            while (auto b = r.Next())
                bodies.push_back(*b);
        }
        ASSERT_EQ(bodies.size(), 6u);
        EXPECT_EQ(r.Buffered(), 0);
        EXPECT_EQ(DecodeJoin(bodies[0])->name, QByteArray("Иван"));
        const auto back = DecodeWelcome(bodies[1]);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->members.at(1).name, QByteArray(255, 'n'));
        EXPECT_EQ(back->delivered.at(0).seq, 7u);
        const auto data = DecodeData(bodies[2]);
        ASSERT_TRUE(data);
        EXPECT_EQ(data->stamp.at(1).seq, 8u);
        EXPECT_EQ(DecodeU32(data->payload), 2u);
        EXPECT_EQ(DecodeHello(bodies[4])->toId, 1u);
        EXPECT_EQ(DecodeHello(bodies[4])->nextSeq, 7u);
        EXPECT_EQ(*DecodeRefuse(bodies[5]), 0x80158610u);
        // A body never reads as another kind.
        EXPECT_FALSE(DecodeData(bodies[0]));
        EXPECT_FALSE(DecodeJoin(bodies[4]));
    }
}

TEST(SessionWire, MalformedFramesAreRefusedNotRead) {
    QByteArray join = EncodeJoin({2302, "x"}).mid(kHeaderSize);
    EXPECT_TRUE(DecodeJoin(join));
    EXPECT_FALSE(DecodeJoin(join + 'z')) << "trailing bytes";
    EXPECT_FALSE(DecodeJoin(join.chopped(1)));
    QByteArray guid = join;
    guid[1 + 4 + 2 + 15] = 0;
    EXPECT_FALSE(DecodeJoin(guid));
    QByteArray version = join;
    version[1 + 4] = 1; // the version before greetings said where records start
    EXPECT_FALSE(DecodeJoin(version));
    EXPECT_FALSE(DecodeHello(EncodeHello({2, 1, 0}).mid(kHeaderSize))) << "no record number 0";
    EXPECT_FALSE(DecodeData(EncodeData({0, 1, UserRecord, {}, "a"}).mid(kHeaderSize)));
    EXPECT_FALSE(DecodeData(EncodeData({1, 0, UserRecord, {}, "a"}).mid(kHeaderSize)));
    QByteArray kind = EncodeData({1, 1, UserRecord, {}, "a"}).mid(kHeaderSize);
    kind[9] = 9;
    EXPECT_FALSE(DecodeData(kind));
    QByteArray longStamp = EncodeData({1, 1, UserRecord, {}, ""}).mid(kHeaderSize);
    longStamp[10] = char(200); // entries claimed, not there
    EXPECT_FALSE(DecodeData(longStamp));

    // A length prefix of 0 or beyond the cap poisons the stream for good.
    for (quint32 length : {0u, quint32(kMaxFrame + 1), 1u << 30, 0xFFFFFFFFu}) {
        FrameReader r;
        QByteArray bytes(4, '\0');
        qToLittleEndian(length, bytes.data());
        r.Append(bytes.constData(), 4);
        r.Append(QByteArray(100, 'a').constData(), 100);
        EXPECT_FALSE(r.Next());
        EXPECT_TRUE(r.Broken());
        EXPECT_EQ(r.Buffered(), 0);
        r.Append(EncodeEmpty(Heartbeat).constData(), 5);
        EXPECT_FALSE(r.Next());
    }
}

// Random bytes, and valid frames with random bytes changed, through every reader.
TEST(SessionWire, RandomBytesNeverCrashOrOverread) {
    QRandomGenerator rng(20261207);
    const QByteArray samples[] = {
        EncodeJoin({1, "abc"}), EncodeWelcome({2, 1, 3, 4, {{1, 2, "a", "b"}}, {{1, 1}}}),
        EncodeHello({2, 1, 1}),
        EncodeData({1, 1, MemberAdded, {{1, 1}}, EncodeMember({2, 3, "a", "b"})}), EncodeRefuse(1)};
    for (int i = 0; i < ZANTA_NET_FUZZ; ++i) {
        QByteArray bytes = samples[i % 5];
        const int flips = 1 + rng.bounded(4);
        for (int f = 0; f < flips; ++f)
            bytes[rng.bounded(bytes.size())] = static_cast<char>(rng.bounded(256));
        if (i % 3 == 0) {
            bytes.resize(rng.bounded(64));
            for (auto& c : bytes)
                c = static_cast<char>(rng.bounded(256));
        }
        FrameReader r;
        r.Append(bytes.constData(), bytes.size());
        while (auto body = r.Next()) {
            ASSERT_FALSE(body->isEmpty());
            ASSERT_LE(body->size(), kMaxFrame);
            DecodeJoin(*body);
            DecodeWelcome(*body);
            DecodeHello(*body);
            DecodeRefuse(*body);
            if (auto d = DecodeData(*body)) {
                ASSERT_LE(d->payload.size(), kMaxPayload);
                DecodeMember(d->payload);
                DecodeU32(d->payload);
            }
        }
        EXPECT_LE(r.Buffered(), bytes.size());
    }
}
