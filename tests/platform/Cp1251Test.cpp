#include "Cp1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

// The C library's own converter checks the whole table independently.
TEST(Cp1251, EveryByteMatchesTheSystemConverterAndOthersBecomeQuestionMarks) {
    iconv_t cd = iconv_open("UTF-16LE", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1))
        GTEST_SKIP() << "iconv has no CP1251";
    for (int b = 1; b < 256; ++b) {
        char in[1] = {static_cast<char>(b)};
        unsigned char out[2] = {};
        char* inPtr = in;
        char* outPtr = reinterpret_cast<char*>(out);
        size_t inLeft = 1, outLeft = 2;
        const bool known = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1);
        const QString decoded = Cp1251ToUnicode(in, 1);
        ASSERT_EQ(decoded.size(), 1) << b;
        EXPECT_EQ(decoded[0].unicode(), known ? out[0] | out[1] << 8 : 0xFFFD) << b;
        EXPECT_EQ(Cp1251FromChar(decoded[0]), known ? in[0] : '?') << b;
    }
    iconv_close(cd);
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(
        Cp1251FromUnicode(QStringLiteral("aą中") + emoji + QChar(0xD800) + QStringLiteral("я")),
        QByteArray("a????\xFF"));
}
