#include "Cp1251.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <optional>

namespace {

// The C library's own converter, an independent check of the whole table.
std::optional<char16_t> referenceDecode(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-16LE", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[4] = {};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = 1, outLeft = sizeof out;
    const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || outLeft != 2)
        return std::nullopt;
    return static_cast<char16_t>(out[0] | (out[1] << 8));
}

} // namespace

TEST(Cp1251, EveryByteMatchesTheSystemConverter) {
    if (!referenceDecode('A'))
        GTEST_SKIP() << "iconv has no CP1251";
    for (int b = 1; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const QString decoded = Cp1251ToUnicode(&byte, 1);
        ASSERT_EQ(decoded.size(), 1) << b;
        if (b == 0x98) {
            EXPECT_EQ(decoded[0], QChar(0xFFFD));
            EXPECT_EQ(Cp1251FromChar(decoded[0]), '?');
            continue;
        }
        EXPECT_EQ(decoded[0].unicode(), referenceDecode(static_cast<unsigned char>(b))) << b;
        EXPECT_EQ(Cp1251FromChar(decoded[0]), byte) << b;
    }
}

TEST(Cp1251, CharactersOutsideBecomeOneQuestionMarkEach) {
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    ASSERT_EQ(emoji.size(), 2);
    const QString loneSurrogate(QChar(0xD800));
    EXPECT_EQ(
        Cp1251FromUnicode(QStringLiteral("aą中") + emoji + loneSurrogate + QStringLiteral("я")),
        QByteArray("a????\xFF"));
}

TEST(Cp1251, TextAndFieldsEndAtNul) {
    EXPECT_EQ(Cp1251ToUnicode(QByteArray("\xC8\xE2\0tail", 7)), QStringLiteral("Ив"));
    EXPECT_EQ(Cp1251ToUnicode(nullptr, 5), QString());
    // A field of 12 bytes keeps 11 and its zero; a NUL ends the text first.
    EXPECT_EQ(Cp1251Field(QStringLiteral("Александр Сергеевич"), 12),
              Cp1251FromUnicode(QStringLiteral("Александр С")));
    EXPECT_EQ(Cp1251Field(QStringLiteral("Ив") + QChar(0) + "an", 12), QByteArray("\xC8\xE2"));
    EXPECT_EQ(Cp1251Field(QString(300, u'я'), 0), QByteArray(300, '\xFF'));
    EXPECT_EQ(Cp1251ToUnicode(Cp1251Field(QStringLiteral("Ёё№«»€ Ok"), 0)),
              QStringLiteral("Ёё№«»€ Ok"));
}
