#include "Registry.h"
#include "Cp1251.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <vector>

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

QByteArray dword(quint32 n) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(n, bytes.data());
    return bytes;
}

QByteArray sz(const QByteArray& text) {
    return text + '\0';
}

void pointConfigAt(const QString& path) {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path));
}

HKEY create(const char* path = kPublic, DWORD access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, access, &key), ERROR_SUCCESS);
    return key;
}

QByteArray fileText() {
    QFile file(RegistryFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        pointConfigAt(dir_.path());
    }
    void TearDown() override {
        hadConfigHome_ ? qputenv("XDG_CONFIG_HOME", oldConfigHome_) : qunsetenv("XDG_CONFIG_HOME");
    }

    QTemporaryDir dir_;
    const bool hadConfigHome_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QByteArray oldConfigHome_ = qgetenv("XDG_CONFIG_HOME");
};

TEST_F(RegistryTest, ValuesKeepTheirTypeAndExactSize) {
    HKEY key = create();
    const QByteArray ivan = sz(Cp1251FromUnicode(QStringLiteral("Иван")));
    EXPECT_EQ(set(key, "UserName", REG_SZ, ivan), ERROR_SUCCESS);
    EXPECT_EQ(set(key, "NoNul", REG_SZ, "abc"), ERROR_SUCCESS);
    EXPECT_EQ(set(key, "Short", REG_DWORD, "abc"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(set(key, "Changed", REG_DWORD, dword(7)), ERROR_SUCCESS);
    EXPECT_EQ(set(key, "Changed", REG_BINARY, {}), ERROR_SUCCESS);
    EXPECT_EQ(set(key, "Shuffle", REG_DWORD, dword(0x4d2a)), ERROR_SUCCESS);
    EXPECT_EQ(set(key, "Names", REG_BINARY, QByteArray("A\0\0B", 4)), ERROR_SUCCESS);
    RegCloseKey(key);

    key = create(kPublic, KEY_READ);
    EXPECT_EQ(query(key, "UserName"), (Stored{ERROR_SUCCESS, REG_SZ, ivan}));
    EXPECT_EQ(query(key, "NoNul"), (Stored{ERROR_SUCCESS, REG_SZ, sz("abc")}));
    EXPECT_EQ(query(key, "Short").rc, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query(key, "Changed"), (Stored{ERROR_SUCCESS, REG_BINARY, {}}));
    EXPECT_EQ(query(key, "Shuffle"), (Stored{ERROR_SUCCESS, REG_DWORD, dword(0x4d2a)}));
    EXPECT_EQ(query(key, "Names"), (Stored{ERROR_SUCCESS, REG_BINARY, QByteArray("A\0\0B", 4)}));
    RegCloseKey(key);
}

TEST_F(RegistryTest, QueryHonoursTheCallersBuffer) {
    HKEY key = create();
    ASSERT_EQ(set(key, "Name", REG_BINARY, "12345678"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);

    BYTE buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), 0xCC);
    size = 7;
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(std::count(std::begin(buffer), std::end(buffer), 0xCC), 16);

    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), 9), QByteArray("12345678\xCC"));
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryTest, AwkwardNamesAndTextSurviveTheFile) {
    const std::vector<std::pair<QByteArray, QByteArray>> cases = {
        {"a=b", "x=y"},
        {"a", "plain"},
        {" lead", " spaced "},
        {"trail ", "line1\nline2\r\n"},
        {"back\\", "C:\\x41"},
        {"[bracket]", "[not a section]"},
        {";semi", ";x"},
        {"", "default"},
        {"tab\tname", "\ttab\t"},
        {"\x98", "\x98\x7f\x01"},
        {"\xC8\xEC\xFF", QByteArray("a\0b", 3)},
    };
    HKEY key = create();
    for (const auto& [name, text] : cases)
        ASSERT_EQ(set(key, name.constData(), REG_SZ, text), ERROR_SUCCESS)
            << name.toHex().constData();
    RegCloseKey(key);

    EXPECT_EQ(fileText().count('\n'), static_cast<qsizetype>(cases.size() + 1));
    key = create();
    for (const auto& [name, text] : cases)
        EXPECT_EQ(query(key, name.constData()), (Stored{ERROR_SUCCESS, REG_SZ, sz(text)}))
            << name.toHex().constData();
    RegCloseKey(key);
}

TEST_F(RegistryTest, KeysMatchWithoutCaseAndKeepTheFirstSpelling) {
    DWORD disposition = 0;
    HKEY first = nullptr, second = nullptr, sub = nullptr, probe = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kPublic, KEY_ALL_ACCESS, &first, &disposition), 0);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\tavlin2.0\\PUBLIC\\", KEY_ALL_ACCESS,
                             &second, &disposition),
              0);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    // Two handles to one key see each other's changes.
    set(first, "UserName", REG_SZ, "a");
    set(second, "USERNAME", REG_SZ, "b");
    EXPECT_EQ(query(first, "username").data, sz("b"));
    EXPECT_TRUE(fileText().contains("\nUserName=sz:b\n"));
    EXPECT_EQ(RegDeleteValue(second, "userName"), ERROR_SUCCESS);
    EXPECT_EQ(query(first, "UserName").rc, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValue(first, "UserName"), ERROR_FILE_NOT_FOUND);

    // Empty keys stay in the file; parts already stored keep their spelling.
    ASSERT_EQ(RegCreateKeyEx(second, "Sub", KEY_READ, &sub), ERROR_SUCCESS);
    RegCloseKey(create("software\\TAVLIN2.0\\Empty"));
    EXPECT_EQ(QString::fromUtf8(fileText()), QStringLiteral("[Software\\Tavlin2.0\\Public]\n"
                                                            "\n[Software\\Tavlin2.0\\Public\\Sub]\n"
                                                            "\n[Software\\Tavlin2.0\\Empty]\n"));
    EXPECT_EQ(RegOpenKeyEx(first, "empty", KEY_READ, &probe), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(probe, nullptr);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "software", KEY_READ, &probe), ERROR_SUCCESS);
    for (HKEY key : {first, second, sub, probe})
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, BadHandlesAndRightsAreRefused) {
    HKEY readOnly = create(kPublic, KEY_READ);
    EXPECT_EQ(set(readOnly, "X", REG_DWORD, dword(1)), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(readOnly, "X"), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegCloseKey(readOnly), ERROR_SUCCESS);

    HKEY result = nullptr;
    DWORD size = 0;
    for (HKEY bad : {readOnly, HKEY(nullptr)}) {
        EXPECT_EQ(set(bad, "X", REG_DWORD, dword(1)), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegQueryValueEx(bad, "X", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegDeleteValue(bad, "X"), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegOpenKeyEx(bad, "", KEY_READ, &result), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCreateKeyEx(bad, "Sub", KEY_READ, &result), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
    }
    // A new handle never brings a closed one back.
    HKEY again = create();
    EXPECT_EQ(RegCloseKey(readOnly), ERROR_INVALID_HANDLE);
    RegCloseKey(again);
}

TEST_F(RegistryTest, DamagedFileKeepsItsGoodValues) {
    QByteArray noise;
    std::mt19937 random(1);
    for (int i = 0; i < 300; ++i)
        noise.append(static_cast<char>(random() & 0xFF));
    QDir().mkpath(dir_.filePath("Tavlin2.0"));
    QFile file(RegistryFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Outside=sz:x\n"
               "[Software\\Tavlin2.0\\Public]\r\n"
               "UserName=sz:\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\n"
               "Broken=dword:12x\nWide=dword:123456789\nBadHex=hex:41,zz\nHalf=hex:41,6\n"
               "Kind=qword:1\nNoType=sz\nShuffle=dword:00004d2a\nUtf=sz:\xC3\x28\n" +
               noise +
               "\n[Software\\Tavlin2.0\\Pub\nLost=dword:1\n[Software\\Tavlin2.0\\Public]\n" +
               "  Binary = hex: 01, 02\nTail=sz:en");
    file.close();

    HKEY key = create();
    EXPECT_EQ(query(key, "UserName").data, sz(Cp1251FromUnicode(QStringLiteral("Иван"))));
    EXPECT_EQ(query(key, "Shuffle").data, dword(0x4d2a));
    EXPECT_EQ(query(key, "Binary").data, QByteArray("\x01\x02"));
    EXPECT_EQ(query(key, "Tail").data, sz("en"));
    for (const char* name :
         {"Outside", "Broken", "Wide", "BadHex", "Half", "Kind", "NoType", "Utf", "Lost"})
        EXPECT_EQ(query(key, name).rc, ERROR_FILE_NOT_FOUND) << name;

    ASSERT_EQ(set(key, "New", REG_DWORD, dword(1)), ERROR_SUCCESS);
    EXPECT_EQ(
        QString::fromUtf8(fileText()),
        QStringLiteral("[Software\\Tavlin2.0\\Public]\nUserName=sz:Иван\nShuffle=dword:00004d2a\n"
                       "Binary=hex:01,02\nTail=sz:en\nNew=dword:00000001\n"));
    RegCloseKey(key);
}

TEST_F(RegistryTest, UnwritableLocationFailsWithoutHarm) {
    const QString blocker = dir_.filePath("blocker");
    QFile(blocker).open(QIODevice::WriteOnly);
    pointConfigAt(blocker);
    EXPECT_EQ(RegistryFilePath(), blocker + "/Tavlin2.0/registry.ini");
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kPublic, KEY_ALL_ACCESS, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kPublic, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(set(HKEY_CURRENT_USER, "X", REG_DWORD, dword(1)), ERROR_ACCESS_DENIED);

    // The folder turns into a file while a handle is open.
    pointConfigAt(dir_.path());
    key = create();
    ASSERT_TRUE(QDir(dir_.filePath("Tavlin2.0")).removeRecursively());
    QFile(dir_.filePath("Tavlin2.0")).open(QIODevice::WriteOnly);
    EXPECT_EQ(set(key, "X", REG_DWORD, dword(1)), ERROR_ACCESS_DENIED);
    EXPECT_EQ(query(key, "X").rc, ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    qputenv("XDG_CONFIG_HOME", "");
    EXPECT_EQ(RegistryFilePath(), QDir::homePath() + "/.config/Tavlin2.0/registry.ini");
}

TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
    constexpr int kThreads = 4, kValues = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            HKEY key = create();
            for (int i = 0; i < kValues; ++i)
                set(key, QByteArray::number(t * kValues + i).constData(), REG_DWORD, dword(i));
            RegCloseKey(key);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    HKEY key = create(kPublic, KEY_READ);
    for (int n = 0; n < kThreads * kValues; ++n)
        EXPECT_EQ(query(key, QByteArray::number(n).constData()).data, dword(n % kValues)) << n;
    RegCloseKey(key);
}

} // namespace
