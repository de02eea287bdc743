#include "Registry.h"
#include "Cp1251.h"
#include "SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <unistd.h>
#include <vector>

using testsettings::Dword;
using testsettings::ReadFile;
using testsettings::WriteFile;

namespace {

constexpr const char* kPublic = "Software\\Tavlin2.0\\Public";

struct Stored {
    LONG rc = ERROR_SUCCESS;
    DWORD type = REG_NONE;
    QByteArray data;
    bool operator==(const Stored&) const = default;
};

void PrintTo(const Stored& s, std::ostream* os) {
    *os << "{rc " << s.rc << ", type " << s.type << ", " << s.data.toHex(' ').constData() << "}";
}

Stored query(HKEY key, const char* name) {
    Stored s;
    DWORD size = 0;
    if ((s.rc = RegQueryValueEx(key, name, &s.type, nullptr, &size)) != ERROR_SUCCESS)
        return {s.rc, REG_NONE, {}};
    s.data.resize(size);
    s.rc = RegQueryValueEx(key, name, nullptr, reinterpret_cast<BYTE*>(s.data.data()), &size);
    return s;
}

LONG set(HKEY key, const char* name, DWORD type, const QByteArray& data) {
    return RegSetValueEx(key, name, type, reinterpret_cast<const BYTE*>(data.constData()),
                         static_cast<DWORD>(data.size()));
}

QByteArray sz(const QByteArray& text) {
    return text + '\0';
}

HKEY create(const char* path = kPublic, DWORD access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, access, &key), ERROR_SUCCESS);
    return key;
}

} // namespace

TEST(Registry, ValuesKeepTheirTypeAndExactSizeWithinTheCallersBuffer) {
    HKEY key = create();
    const QByteArray ivan = sz(Cp1251FromUnicode(QStringLiteral("Иван")));
    EXPECT_EQ(set(key, "UserName", REG_SZ, ivan), ERROR_SUCCESS);
    EXPECT_EQ(set(key, "NoNul", REG_SZ, "abc"), ERROR_SUCCESS);
    EXPECT_EQ(set(key, "Short", REG_DWORD, "abc"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(set(key, "Changed", REG_DWORD, Dword(7)), ERROR_SUCCESS);
    EXPECT_EQ(set(key, "Changed", REG_BINARY, {}), ERROR_SUCCESS);
    EXPECT_EQ(set(key, "Names", REG_BINARY, QByteArray("A\0\0B", 4)), ERROR_SUCCESS);
    RegCloseKey(key);

    key = create(kPublic, KEY_READ);
    EXPECT_EQ(query(key, "UserName"), (Stored{ERROR_SUCCESS, REG_SZ, ivan}));
    EXPECT_EQ(query(key, "NoNul"), (Stored{ERROR_SUCCESS, REG_SZ, sz("abc")}));
    EXPECT_EQ(query(key, "Short").rc, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query(key, "Changed"), (Stored{ERROR_SUCCESS, REG_BINARY, {}}));
    EXPECT_EQ(query(key, "Names"), (Stored{ERROR_SUCCESS, REG_BINARY, QByteArray("A\0\0B", 4)}));

    // Too small a buffer gets nothing, only the size it needs.
    BYTE buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 0xCC);
    DWORD size = 3;
    EXPECT_EQ(RegQueryValueEx(key, "Names", nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::count(std::begin(buffer), std::end(buffer), 0xCC), 8);
    EXPECT_EQ(RegQueryValueEx(key, "Names", nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST(Registry, AwkwardNamesAndTextSurviveTheFile) {
    const std::vector<std::pair<QByteArray, QByteArray>> cases = {
        {"a=b", "x=y"},           {" lead", " spaced "},
        {"trail ", "l1\nl2\r\n"}, {"back\\", "C:\\x41"},
        {"[bracket]", "[no]"},    {";semi", ";x"},
        {"", "default"},          {"tab\tname", "\ttab\t"},
        {"\x98", "\x98\x7f\x01"}, {"\xC8\xEC\xFF", QByteArray("a\0b", 3)},
    };
    HKEY key = create();
    for (const auto& [name, text] : cases)
        ASSERT_EQ(set(key, name.constData(), REG_SZ, text), ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_EQ(ReadFile().count('\n'), static_cast<qsizetype>(cases.size() + 1));
    key = create();
    for (const auto& [name, text] : cases)
        EXPECT_EQ(query(key, name.constData()), (Stored{ERROR_SUCCESS, REG_SZ, sz(text)}))
            << name.toHex().constData();
    RegCloseKey(key);
}

TEST(Registry, KeysMatchWithoutCaseAndHandlesSeeEachOthersChanges) {
    DWORD disposition = 0;
    HKEY first = nullptr, second = nullptr, sub = nullptr, probe = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kPublic, KEY_ALL_ACCESS, &first, &disposition), 0);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\tavlin2.0\\PUBLIC\\", KEY_ALL_ACCESS,
                             &second, &disposition),
              0);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    set(first, "UserName", REG_SZ, "a");
    EXPECT_EQ(query(second, "USERNAME").data, sz("a"));
    set(second, "USERNAME", REG_SZ, "b");
    EXPECT_EQ(query(first, "username").data, sz("b"));
    EXPECT_EQ(RegDeleteValue(second, "userName"), ERROR_SUCCESS);
    EXPECT_EQ(query(first, "UserName").rc, ERROR_FILE_NOT_FOUND);

    // Empty keys stay in the file; parts already stored keep their spelling.
    ASSERT_EQ(RegCreateKeyEx(second, "Sub", KEY_READ, &sub), ERROR_SUCCESS);
    EXPECT_EQ(QString::fromUtf8(ReadFile()),
              QStringLiteral("[Software\\Tavlin2.0\\Public]\n\n"
                             "[Software\\Tavlin2.0\\Public\\Sub]\n"));
    EXPECT_EQ(RegOpenKeyEx(first, "empty", KEY_READ, &probe), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(probe, nullptr);
    for (HKEY key : {first, second, sub})
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST(Registry, BadHandlesAndRightsAreRefused) {
    HKEY readOnly = create(kPublic, KEY_READ);
    EXPECT_EQ(set(readOnly, "X", REG_DWORD, Dword(1)), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegCloseKey(readOnly), ERROR_SUCCESS);
    HKEY again = create(); // a new handle never brings a closed one back
    HKEY result = nullptr;
    DWORD size = 0;
    for (HKEY bad : {readOnly, HKEY(nullptr)}) {
        EXPECT_EQ(set(bad, "X", REG_DWORD, Dword(1)), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegQueryValueEx(bad, "X", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCreateKeyEx(bad, "Sub", KEY_READ, &result), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
    }
    RegCloseKey(again);
}

TEST(Registry, DamagedFileKeepsItsGoodValuesAndIsWrittenClean) {
    QByteArray noise;
    std::mt19937 random(1);
    for (int i = 0; i < 300; ++i)
        noise.append(static_cast<char>(random() & 0xFF));
    WriteFile("Outside=sz:x\n[Software\\Tavlin2.0\\Public]\r\n"
              "UserName=sz:\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\n"
              "Broken=dword:12x\nWide=dword:123456789\nBadHex=hex:41,zz\nHalf=hex:41,6\n"
              "Kind=qword:1\nNoType=sz\nShuffle=dword:00004d2a\nUtf=sz:\xC3\x28\n" +
              noise + "\n[Software\\Tavlin2.0\\Pub\nLost=dword:1\n[Software\\Tavlin2.0\\Public]\n" +
              "  Binary = hex: 01, 02\nTail=sz:en");

    HKEY key = create();
    EXPECT_EQ(query(key, "UserName").data, sz(Cp1251FromUnicode(QStringLiteral("Иван"))));
    EXPECT_EQ(query(key, "Binary").data, QByteArray("\x01\x02"));
    for (const char* name :
         {"Outside", "Broken", "Wide", "BadHex", "Half", "Kind", "NoType", "Utf", "Lost"})
        EXPECT_EQ(query(key, name).rc, ERROR_FILE_NOT_FOUND) << name;

    ASSERT_EQ(set(key, "New", REG_DWORD, Dword(1)), ERROR_SUCCESS);
    EXPECT_EQ(
        QString::fromUtf8(ReadFile()),
        QStringLiteral("[Software\\Tavlin2.0\\Public]\nUserName=sz:Иван\nShuffle=dword:00004d2a\n"
                       "Binary=hex:01,02\nTail=sz:en\nNew=dword:00000001\n"));
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
    WriteFile("[Software\\Tavlin2.0\\Public]\nOld=sz:edited\n");
    EXPECT_EQ(query(key, "Old").data, sz("edited"));
    EXPECT_EQ(query(key, "New").rc, ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST(Registry, UnusableSettingsFolderFailsCleanlyAndIsNamed) {
    EXPECT_EQ(RegistryStorageProblem(), QString());
    testsettings::BlockTheFolder(); // "Tavlin2.0" is a plain file
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kPublic, KEY_ALL_ACCESS, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kPublic, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(set(HKEY_CURRENT_USER, "X", REG_DWORD, Dword(1)), ERROR_ACCESS_DENIED);
    const QString folder = QFileInfo(RegistryFilePath()).absolutePath();
    EXPECT_TRUE(RegistryStorageProblem().startsWith(QStringLiteral("Настройки не будут")));
    EXPECT_TRUE(RegistryStorageProblem().contains(folder));

    qputenv("XDG_CONFIG_HOME", "");
    EXPECT_EQ(RegistryFilePath(), QDir::homePath() + "/.config/Tavlin2.0/registry.ini");
}

TEST(Registry, AFileThatCannotBeReadIsNeverReplaced) {
    if (geteuid() == 0)
        GTEST_SKIP() << "file modes do not bind root";
    WriteFile("[Software\\Tavlin2.0\\Public]\nUserName=sz:kept\n");
    QFile::setPermissions(RegistryFilePath(), QFileDevice::Permissions());
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kPublic, KEY_ALL_ACCESS, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(set(HKEY_CURRENT_USER, "X", REG_DWORD, Dword(1)), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(RegistryStorageProblem().contains(RegistryFilePath()));
    QFile::setPermissions(RegistryFilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadFile(), "[Software\\Tavlin2.0\\Public]\nUserName=sz:kept\n");

    // A folder that takes no new file cannot keep the settings either.
    QFile::remove(RegistryFilePath());
    const QString folder = QFileInfo(RegistryFilePath()).absolutePath();
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(RegistryStorageProblem().contains(folder));
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kPublic, KEY_ALL_ACCESS, &key),
              ERROR_ACCESS_DENIED);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(Registry, ConcurrentWritersLoseNothing) {
    constexpr int kThreads = 4, kValues = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            HKEY key = create();
            for (int i = 0; i < kValues; ++i)
                set(key, QByteArray::number(t * kValues + i).constData(), REG_DWORD, Dword(i));
            RegCloseKey(key);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    HKEY key = create(kPublic, KEY_READ);
    for (int n = 0; n < kThreads * kValues; ++n)
        EXPECT_EQ(query(key, QByteArray::number(n).constData()).data, Dword(n % kValues)) << n;
    RegCloseKey(key);
}
