#include "SettingsTable.h"

#include "Cp1251.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>

namespace settingstable {

namespace {

// A path is kept as UTF-8 bytes; one stored in the old code page (any
// Cyrillic path, which is never valid UTF-8) still reads as it was.
QString PathFromBytes(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? Cp1251ToUnicode(bytes.constData(), -1) : text;
}

} // namespace

int EffectiveTable(int table, const QString& imageFile) {
    if (table != kTableImage)
        return table;
    QFile file(imageFile);
    return file.open(QIODevice::ReadOnly) ? kTableImage : 1;
}

bool ReadFlag(HKEY key, const char* name, Kind kind, int def) {
    int value = 0;
    Util_ReadBoolRegKey(key, name, &value, def);
    return kind == Kind::SoundFlag ? value != 0 : BOOLTobool(value);
}

int ReadNumber(HKEY key, const char* name, int def, int low, int high) {
    DWORD value = 0;
    Util_ReadIntRegKey(key, name, &value, static_cast<DWORD>(def));
    const auto signedValue = static_cast<LONG>(value);
    return signedValue >= low && signedValue <= high ? signedValue : def;
}

QString ReadText(HKEY key, const char* name, Kind kind, DWORD cch, const char16_t* def) {
    if (kind == Kind::Path) {
        // Room for the longest path in UTF-8, four bytes a letter.
        const DWORD bytes = cch * 4;
        QByteArray buffer(static_cast<qsizetype>(bytes), '\0');
        const QByteArray defBytes = QString::fromUtf16(def).toUtf8();
        Util_ReadStringRegKeyCch(key, name, buffer.data(), bytes, defBytes.constData());
        return PathFromBytes(QByteArray(buffer.constData()));
    }
    QByteArray buffer(static_cast<qsizetype>(cch), '\0');
    const QByteArray defBytes = Cp1251FromUnicode(QString::fromUtf16(def));
    Util_ReadStringRegKeyCch(key, name, buffer.data(), cch, defBytes.constData());
    return Cp1251ToUnicode(buffer.constData(), -1);
}

void WriteFlag(HKEY key, const char* name, bool value) {
    Util_WriteBoolRegKey(key, name, boolToBOOL(value));
}

void WriteNumber(HKEY key, const char* name, int value) {
    Util_WriteIntRegKey(key, name, static_cast<DWORD>(value));
}

void WriteText(HKEY key, const char* name, Kind kind, DWORD cch, const QString& value) {
    if (kind == Kind::Path) // as the file system names it, whatever its letters; never cut
        Util_WriteStringRegKey(key, name, value.toUtf8().constData());
    else
        Util_WriteStringRegKey(key, name, Cp1251Field(value, cch).constData());
}

} // namespace settingstable
