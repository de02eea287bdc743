#include "MyImage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>

namespace {

QString WriteBytes(const QString& name, const QByteArray& bytes) {
    QFile file(QDir::current().filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

// A red band over a blue one: shows whether a picture comes out upright. Qt
// writes no GIF; this one is 2 x 2.
QString TwoBands(const QString& name, const char* format) {
    if (QByteArray(format) == "GIF")
        return WriteBytes(name,
                          QByteArray::fromHex("47494638396102000200810000ff00000000ff00"
                                              "00000000002c0000000002000200000203049814003b"));
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter(&image).fillRect(0, 10, 40, 10, Qt::blue);
    const QString path = QDir::current().filePath(name);
    EXPECT_TRUE(image.save(path, format));
    return path;
}

} // namespace

TEST(MyImageTest, LoadsEveryFormatByItsBytesAndDrawsItUprightAndStretched) {
    for (auto [name, format] :
         {std::pair{"t.bmp", "BMP"}, {"t.jpg", "JPEG"}, {"t.gif", "GIF"}, {"png.gif", "PNG"}}) {
        SCOPED_TRACE(name);
        CMyImage image;
        ASSERT_EQ(image.LoadFileImage(TwoBands(name, format)), S_OK);
        QImage target(120, 120, QImage::Format_RGB32);
        target.fill(Qt::white);
        QPainter p(&target);
        EXPECT_EQ(CMyImage(image).DrawImage(&p, QRect(10, 10, 100, 100)), S_OK); // a copy shares it
        p.end();
        EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::white)); // nothing outside
        const QColor top = target.pixelColor(60, 20), bottom = target.pixelColor(60, 100);
        EXPECT_TRUE(top.red() > 200 && top.blue() < 60) << top.name().toStdString();
        EXPECT_TRUE(bottom.blue() > 200 && bottom.red() < 60) << bottom.name().toStdString();
    }
}

TEST(MyImageTest, WhatCannotBeReadOrShownLeavesTheImageEmptyWithItsStatus) {
    const QString ok = TwoBands("ok.bmp", "BMP");
    QFile small(ok); // a bitmap claiming 30000 x 30000 pixels in a few bytes
    ASSERT_TRUE(small.open(QIODevice::ReadOnly));
    const QByteArray huge = small.readAll().replace(18, 8, QByteArray::fromHex("3075000030750000"));
    QFile big(QDir::current().filePath("big.png")); // over the size any table picture needs
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(33 * 1024 * 1024));
    big.close();
    const std::pair<QString, HRESULT> cases[] = {
        {QDir::current().filePath("missing.jpg"), HRESULT(0x80070002)},
        {QDir::currentPath(), HRESULT(0x80070005)}, // a folder
        {WriteBytes("junk.bmp", QByteArray(300, 'x')), CTL_E_INVALIDPICTURE},
        {WriteBytes("huge.bmp", huge), CTL_E_INVALIDPICTURE},
        {big.fileName(), E_OUTOFMEMORY},
    };
    for (const auto& [path, status] : cases) {
        SCOPED_TRACE(path.toStdString());
        CMyImage image;
        ASSERT_EQ(image.LoadFileImage(ok), S_OK);
        EXPECT_EQ(image.LoadFileImage(path), status);
        EXPECT_FALSE(image.HasImage());
        EXPECT_EQ(image.DrawImage(nullptr, QRect(0, 0, 10, 10)), E_UNEXPECTED);
    }
    // A missing resource keeps the picture.
    CMyImage image;
    ASSERT_EQ(image.LoadFileImage(ok), S_OK);
    EXPECT_EQ(image.LoadResourceImage(59999), E_FAIL);
    EXPECT_TRUE(image.HasImage());
}
