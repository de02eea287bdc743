// The names the table keeps in the shared registry key, and the library's
// small helpers.

#include "Cp1251.h"
#include "GuiThread.h"
#include "Public.h"
#include "TestUtil.h"
#include "Util.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char kKey[] = "Software\\Tavlin2.0\\Public";
constexpr LONG kInvalidArg = static_cast<LONG>(0x80070057);

// The key, opened or created, closed when done.
class Key {
public:
    Key() { EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kKey, KEY_ALL_ACCESS, &m_key), 0); }
    ~Key() { RegCloseKey(m_key); }
    operator HKEY() const { return m_key; }

    void SetString(const char* name, const QString& text) {
        const QByteArray bytes = Cp1251FromUnicode(text);
        RegSetValueEx(m_key, name, REG_SZ, reinterpret_cast<const BYTE*>(bytes.constData()),
                      static_cast<DWORD>(bytes.size() + 1));
    }
    void SetBinary(const char* name, const QByteArray& bytes) {
        RegSetValueEx(m_key, name, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.constData()),
                      static_cast<DWORD>(bytes.size()));
    }
    QByteArray Get(const char* name, DWORD* type = nullptr) {
        BYTE data[512] = {};
        DWORD size = sizeof data;
        if (RegQueryValueEx(m_key, name, type, data, &size) != ERROR_SUCCESS)
            return {};
        return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    }

private:
    HKEY m_key = nullptr;
};

// Eleven remembered names as the registry keeps them.
QByteArray NameList(std::initializer_list<const char*> names) {
    QByteArray list(132, '\0');
    int slot = 0;
    for (const char* name : names)
        std::memcpy(list.data() + 12 * slot++, name, std::strlen(name));
    return list;
}

// A table bound to a window as the programs make it.
struct BoundTable {
    BoundTable() { table.SetParent(&window); }
    QString UserName() { return table.m_Players[0].m_LabelName.GetCaption(); }
    QString Slot(int i) { return Cp1251ToUnicode(table.m_OtherNames[i], 12); }
    void SetUserName(const QString& name) {
        QString names[11] = {name};
        table.SetUserName(names);
    }

    CWnd window;
    CPublic table;
};

} // namespace

TEST(SettingsTest, FirstStartNamesTheUserAndRemembersNobodyThenKeepsTheNames) {
    HKEY none = nullptr;
    ASSERT_NE(RegOpenKeyEx(HKEY_CURRENT_USER, kKey, KEY_READ, &none), ERROR_SUCCESS);
    {
        BoundTable t;
        EXPECT_EQ(t.UserName(), QStringLiteral("Товарищч"));
        for (int i = 0; i < 11; ++i)
            EXPECT_EQ(t.Slot(i), QString()) << i;
        HKEY created = nullptr;
        EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kKey, KEY_READ, &created), ERROR_SUCCESS);
        RegCloseKey(created);
        t.SetUserName(QStringLiteral("Вася"));
    }
    {
        Key key;
        DWORD type = 0;
        EXPECT_EQ(key.Get("UserName", &type), Cp1251FromUnicode(QStringLiteral("Вася")) + '\0');
        EXPECT_EQ(type, REG_SZ);
        EXPECT_EQ(key.Get("OtherNamesPlayers", &type).size(), 132);
        EXPECT_EQ(type, REG_BINARY);
    }
    BoundTable again;
    EXPECT_EQ(again.UserName(), QStringLiteral("Вася"));
    EXPECT_EQ(again.Slot(0), QStringLiteral("Вася"));
    EXPECT_EQ(again.Slot(1), QString());
}

TEST(SettingsTest, ATableThatNeverReadTheNamesLeavesThemAlone) {
    Key().SetString("UserName", QStringLiteral("Маша"));
    Key().SetBinary("OtherNamesPlayers", NameList({"Masha", "Petya"}));
    {
        CWnd window;
        CPublic unbound(&window);
    }
    EXPECT_EQ(Key().Get("UserName"), Cp1251FromUnicode(QStringLiteral("Маша")) + '\0');
    EXPECT_EQ(Key().Get("OtherNamesPlayers"), NameList({"Masha", "Petya"}));
}

TEST(SettingsTest, SetUserNameMovesARememberedNameToTheFront) {
    Key().SetBinary("OtherNamesPlayers", NameList({"a0", "a1", "a2", "a3", "Kolya", "a5", "a6"}));
    BoundTable t;
    t.table.m_NumberPlayers = 3;
    t.SetUserName(QStringLiteral("Kolya"));
    const char* expected[11] = {"Kolya", "a0", "a1", "a2", "a3", "a5", "a6", "", "", "", ""};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(t.Slot(i), QString::fromLatin1(expected[i])) << i;
    EXPECT_EQ(t.UserName(), QStringLiteral("Kolya"));
    EXPECT_EQ(t.table.m_VictoryTable.m_entries[0].name, QStringLiteral("Kolya"));

    // The dialog shows the current name first, then the remembered ones.
    t.table.m_Players[0].SetName(QStringLiteral("Nina"));
    QString names[11];
    t.table.InitNameDlg(names);
    EXPECT_EQ(names[0], QStringLiteral("Nina"));
    EXPECT_EQ(names[1], QStringLiteral("a0"));
}

TEST(SettingsTest, SetUserNameDropsTheOldestWhenAllSlotsAreFull) {
    Key().SetBinary("OtherNamesPlayers",
                    NameList({"n0", "n1", "n2", "n3", "n4", "n5", "n6", "n7", "n8", "n9", "n10"}));
    BoundTable t;
    t.SetUserName(QStringLiteral("new"));
    EXPECT_EQ(t.Slot(0), QStringLiteral("new"));
    for (int i = 1; i < 11; ++i)
        EXPECT_EQ(t.Slot(i), QStringLiteral("n%1").arg(i - 1)) << i;
}

TEST(SettingsTest, NamesAreKeptAsAtMostElevenWindows1251Bytes) {
    {
        BoundTable t;
        t.SetUserName(QStringLiteral("Александр Сергеевич"));
        EXPECT_EQ(t.UserName(), QStringLiteral("Александр С"));
        EXPECT_EQ(t.Slot(0), QStringLiteral("Александр С"));
        t.SetUserName(QStringLiteral("李Ёжик"));
        EXPECT_EQ(t.UserName(), QStringLiteral("?Ёжик"));
        EXPECT_EQ(t.Slot(1), QStringLiteral("Александр С"));
        // Set by a program without the dialog, a long name is still saved readable.
        t.table.m_Players[0].SetName(QStringLiteral("Очень длинное имя"));
    }
    BoundTable again;
    EXPECT_EQ(again.UserName(), QStringLiteral("Очень длинн"));
}

TEST(SettingsTest, DamagedStoredNamesGiveDefaults) {
    // Twelve bytes do not fit the buffer with their zero: the default name.
    Key().SetString("UserName", QStringLiteral("Абвгдежзийкл"));
    Key().SetBinary("OtherNamesPlayers", NameList({"one", "two"}).left(100));
    {
        BoundTable t;
        EXPECT_EQ(t.UserName(), QStringLiteral("Товарищч"));
        for (int i = 0; i < 11; ++i)
            EXPECT_EQ(t.Slot(i), QString()) << i;
    }
    Key().SetString("UserName", QStringLiteral("Абвгдежзийк")); // eleven fit
    Key().SetBinary("OtherNamesPlayers", NameList({"one"}) + QByteArray(8, 'x'));
    {
        BoundTable t;
        EXPECT_EQ(t.UserName(), QStringLiteral("Абвгдежзийк"));
        EXPECT_EQ(t.Slot(0), QString());
    }
    // A list without zeros still gives names that end within their slots.
    Key().SetBinary("OtherNamesPlayers", QByteArray(132, 'z'));
    Key().SetBinary("UserName", "Dima"); // not a string
    BoundTable t;
    EXPECT_EQ(t.UserName(), QStringLiteral("Товарищч"));
    EXPECT_EQ(t.Slot(10), QString(11, QLatin1Char('z')));
}

TEST(SettingsTest, StringAndNumberHelpersGiveTheStoredValueOrTheDefault) {
    Key key;
    char text[12];
    std::memset(text, 'x', sizeof text);
    Util_WriteStringRegKey(key, "Empty", "");
    Util_ReadStringRegKeyCch(key, "Empty", text, sizeof text, "def");
    EXPECT_STREQ(text, "def");
    Util_ReadStringRegKeyCch(key, "Missing", text, 4, "default");
    EXPECT_STREQ(text, "def"); // cut to the buffer
    EXPECT_EQ(Util_WriteStringRegKey(key, "Name", "Petya"), 0);
    Util_ReadStringRegKeyCch(key, "Name", text, sizeof text, "def");
    EXPECT_STREQ(text, "Petya");
    Util_ReadStringRegKeyCch(key, "Name", text, 5, "def"); // "Petya" and its zero need 6
    EXPECT_STREQ(text, "def");
    EXPECT_EQ(Util_WriteStringRegKey(key, "Name", nullptr), kInvalidArg);

    DWORD number = 0;
    Util_ReadIntRegKey(key, "Name", &number, 7); // a string is no number
    EXPECT_EQ(number, 7u);
    int flag = 0;
    Util_WriteBoolRegKey(key, "Flag", 1);
    Util_ReadBoolRegKey(key, "Flag", &flag, 0);
    EXPECT_TRUE(BOOLTobool(flag));
    Util_ReadBoolRegKey(key, "NoFlag", &flag, 2);
    EXPECT_FALSE(BOOLTobool(flag)); // only 1 is true
    EXPECT_EQ(boolToBOOL(true), 1);
}

TEST(SettingsTest, BinaryHelperReadsExactlyItsSizeOrTheDefault) {
    Key key;
    const char def[4] = {1, 2, 3, 4};
    char data[4];
    DXUtil_ReadBinaryRegKey(key, "Missing", data, 4, def);
    EXPECT_EQ(QByteArray(data, 4), QByteArray(def, 4));
    DXUtil_ReadBinaryRegKey(key, "Missing", data, 4, nullptr);
    EXPECT_EQ(QByteArray(data, 4), QByteArray(4, '\0'));

    EXPECT_EQ(DXUtil_WriteBinaryRegKey(key, "Blob", "abcd", 4), 0);
    DXUtil_ReadBinaryRegKey(key, "Blob", data, 4, def);
    EXPECT_EQ(QByteArray(data, 4), QByteArray("abcd"));
    // Shorter or longer than asked: zeros, never half a value.
    std::memcpy(data, "wxyz", 4);
    DXUtil_WriteBinaryRegKey(key, "Blob", "ab", 2);
    DXUtil_ReadBinaryRegKey(key, "Blob", data, 4, def);
    EXPECT_EQ(QByteArray(data, 4), QByteArray(4, '\0'));
    DXUtil_WriteBinaryRegKey(key, "Blob", "abcdef", 6);
    DXUtil_ReadBinaryRegKey(key, "Blob", data, 4, def);
    EXPECT_EQ(QByteArray(data, 4), QByteArray(4, '\0'));
}

TEST(SettingsTest, AppProcessMessageHandlesWhatIsPendingAndReturnsWhenNothingIs) {
    AppProcessMessage();
    bool ran = false;
    platform::PostToGuiThread([&] { ran = true; });
    for (int i = 0; i < 5 && !ran; ++i)
        AppProcessMessage();
    EXPECT_TRUE(ran);
}
