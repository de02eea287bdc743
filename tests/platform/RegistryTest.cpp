#include "Registry.h"
#include "SettingsFile.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using testsettings::Dword;
using testsettings::ReadFile;

namespace {

constexpr const char* kPublic = "Software\\Tavlin2.0\\Public";

// rc, type and bytes of a value, as one comparable string.
QByteArray query(HKEY key, const char* name) {
    DWORD size = 0, type = 0;
    LONG rc = RegQueryValueEx(key, name, &type, nullptr, &size);
    QByteArray data(static_cast<qsizetype>(size), '\0');
    if (rc == ERROR_SUCCESS)
        rc = RegQueryValueEx(key, name, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    return rc != ERROR_SUCCESS ? "rc " + QByteArray::number(rc)
                               : QByteArray::number(type) + ':' + data.toHex(' ');
}

QByteArray stored(DWORD type, const QByteArray& data) {
    return QByteArray::number(type) + ':' + data.toHex(' ');
}

LONG set(HKEY key, const char* name, DWORD type, const QByteArray& data) {
    return RegSetValueEx(key, name, type, reinterpret_cast<const BYTE*>(data.constData()),
                         static_cast<DWORD>(data.size()));
}

HKEY create(const char* path = kPublic, DWORD access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, access, &key), ERROR_SUCCESS);
    return key;
}

} // namespace

TEST(Registry, ValuesSurviveTheFileWithTheirTypeAndExactSize) {
    const std::vector<std::pair<QByteArray, QByteArray>> texts = {
        {"a=b", "x=y"},        {" lead", " spaced "},    {"trail ", "l1\nl2\r\n"},
        {"back\\", "C:\\x41"}, {"[bracket]", "[no]"},    {";semi", "\t;x\t"},
        {"", "default"},       {"\x98", "\x98\x7f\x01"}, {"\xC8\xEC\xFF", QByteArray("a\0b", 3)},
        {"NoNul", "abc"}, // stored with the NUL it lacks
    };
    HKEY key = create();
    for (const auto& [name, text] : texts)
        ASSERT_EQ(set(key, name.constData(), REG_SZ, text), ERROR_SUCCESS);
    EXPECT_EQ(set(key, "Changed", REG_DWORD, Dword(7)), ERROR_SUCCESS);
    EXPECT_EQ(set(key, "Changed", REG_BINARY, {}), ERROR_SUCCESS);
    EXPECT_EQ(set(key, "Names", REG_BINARY, QByteArray("A\0\0B", 4)), ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_EQ(ReadFile().count('\n'), qsizetype(texts.size() + 3));
    key = create(kPublic, KEY_READ);
    for (const auto& [name, text] : texts)
        EXPECT_EQ(query(key, name.constData()), stored(REG_SZ, text + '\0')) << name.toHex().data();
    EXPECT_EQ(query(key, "Changed"), stored(REG_BINARY, {}));
    EXPECT_EQ(query(key, "Names"), stored(REG_BINARY, QByteArray("A\0\0B", 4)));
    RegCloseKey(key);
}

TEST(Registry, KeysMatchWithoutCaseAndHandlesSeeEachOthersChanges) {
    HKEY first = create(), second = create("SOFTWARE\\tavlin2.0\\PUBLIC\\"), sub = nullptr;
    set(first, "UserName", REG_SZ, "a");
    EXPECT_EQ(query(second, "USERNAME"), stored(REG_SZ, QByteArray("a", 2)));
    EXPECT_EQ(RegDeleteValue(second, "userName"), ERROR_SUCCESS);
    EXPECT_EQ(query(first, "UserName"), "rc 2");

    // Empty keys stay in the file; parts already stored keep their spelling.
    ASSERT_EQ(RegCreateKeyEx(second, "Sub", KEY_READ, &sub), ERROR_SUCCESS);
    EXPECT_EQ(ReadFile(), "[Software\\Tavlin2.0\\Public]\n\n[Software\\Tavlin2.0\\Public\\Sub]\n");

    // Rights and closed handles are refused; a new handle never revives a closed one.
    EXPECT_EQ(set(sub, "X", REG_DWORD, Dword(1)), ERROR_ACCESS_DENIED);
    RegCloseKey(first);
    HKEY again = create();
    EXPECT_EQ(set(first, "X", REG_DWORD, Dword(1)), ERROR_INVALID_HANDLE);
    for (HKEY key : {second, sub, again})
        RegCloseKey(key);
}

TEST(Registry, DamagedFileKeepsItsGoodValuesAndIsWrittenClean) {
    const QByteArray noise("\x01\xff\0junk=[[\x98\n\r=\0\xD0]", 17);
    testsettings::WriteFile(
        "Outside=sz:x\n[Software\\Tavlin2.0\\Public]\r\nUserName=sz:\xD0\x98\xD0\xB2\n"
        "Broken=dword:12x\nWide=dword:123456789\nBadHex=hex:41,zz\nHalf=hex:41,6\n"
        "Kind=qword:1\nNoType=sz\nShuffle=dword:00004d2a\nUtf=sz:\xC3\x28\n" +
        noise + "\n[Software\\Tavlin2.0\\Pub\nLost=dword:1\n[Software\\Tavlin2.0\\Public]\n" +
        "  Binary = hex: 01, 02\nTail=sz:en");

    HKEY key = create();
    EXPECT_EQ(query(key, "UserName"), stored(REG_SZ, QByteArray("\xC8\xE2", 3)));
    EXPECT_EQ(query(key, "Binary"), stored(REG_BINARY, "\x01\x02"));
    for (const char* name :
         {"Outside", "Broken", "Wide", "BadHex", "Half", "Kind", "NoType", "Utf", "Lost"})
        EXPECT_EQ(query(key, name), "rc 2") << name;

    ASSERT_EQ(set(key, "New", REG_DWORD, Dword(1)), ERROR_SUCCESS);
    EXPECT_EQ(QString::fromUtf8(ReadFile()),
              "[Software\\Tavlin2.0\\Public]\nUserName=sz:Ив\nShuffle=dword:00004d2a\n"
              "Binary=hex:01,02\nTail=sz:en\nNew=dword:00000001\n");
    RegCloseKey(key);
}

TEST(Registry, AWriteReplacesTheFileAndAnEditOutsideIsSeen) {
    HKEY key = create();
    ASSERT_EQ(set(key, "Old", REG_SZ, QByteArray(5000, 'o')), ERROR_SUCCESS);
    const QByteArray before = ReadFile();
    QFile reader(RegistryFilePath());
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    ASSERT_EQ(reader.read(10), before.left(10));
    ASSERT_EQ(set(key, "New", REG_SZ, QByteArray(5000, 'n')), ERROR_SUCCESS);
    // The reader holds the old file and reads it to its end, unmixed.
    EXPECT_EQ(before.left(10) + reader.readAll(), before);

    // Another program edits the file in place: the next query sees it.
    testsettings::WriteFile("[Software\\Tavlin2.0\\Public]\nOld=sz:edited\n");
    EXPECT_EQ(query(key, "Old"), stored(REG_SZ, QByteArray("edited", 7)));
    EXPECT_EQ(query(key, "New"), "rc 2");
    RegCloseKey(key);
}

TEST(Registry, AnUnusableSettingsFolderFailsCleanlyAndIsNamed) {
    EXPECT_EQ(RegistryStorageProblem(), QString());
    testsettings::BlockTheFolder(); // "Tavlin2.0" is a plain file
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kPublic, KEY_ALL_ACCESS, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(set(HKEY_CURRENT_USER, "X", REG_DWORD, Dword(1)), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(RegistryStorageProblem().startsWith(QStringLiteral("Настройки не будут")));
    EXPECT_TRUE(RegistryStorageProblem().contains(QFileInfo(RegistryFilePath()).path()));
}

TEST(Registry, ConcurrentWritersLoseNothing) {
    constexpr int kThreads = 4, kValues = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            HKEY key = create();
            for (int i = 0; i < kValues; ++i)
                set(key, QByteArray::number(t * kValues + i).constData(), REG_DWORD, Dword(i));
            RegCloseKey(key);
        });
    for (std::thread& thread : threads)
        thread.join();
    HKEY key = create(kPublic, KEY_READ);
    for (int n = 0; n < kThreads * kValues; ++n)
        EXPECT_EQ(query(key, QByteArray::number(n).constData()), stored(REG_DWORD, Dword(n % 25)));
    RegCloseKey(key);
}
