// The names the table keeps in the shared registry key.

#include "Cp1251.h"
#include "Public.h"
#include "SettingsFile.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

QByteArray Text(const QString& text) {
    return Cp1251FromUnicode(text) + '\0';
}

void SetPublic(const char* name, DWORD type, const QByteArray& data) {
    ASSERT_EQ(testsettings::Set("Public", name, type, data), ERROR_SUCCESS);
}

// A table bound to a window as the programs make it.
struct BoundTable {
    BoundTable() { table.SetParent(&window); }
    QString UserName() { return table.m_Players[0].m_LabelName.GetCaption(); }
    // The remembered names up to the last one that is not empty.
    QStringList Slots() {
        QStringList names;
        for (const auto& slot : table.m_OtherNames)
            names << Cp1251ToUnicode(slot, 12);
        while (!names.isEmpty() && names.back().isEmpty())
            names.removeLast();
        return names;
    }
    void SetUserName(const QString& name) {
        QString names[11] = {name};
        table.SetUserName(names);
    }
    CWnd window;
    CPublic table;
};

} // namespace

TEST(SettingsTest, FirstStartNamesTheUserAndRemembersNobodyThenKeepsTheNames) {
    {
        BoundTable t;
        EXPECT_EQ(t.UserName(), QStringLiteral("Товарищч"));
        EXPECT_EQ(t.Slots(), QStringList());
        t.SetUserName(QStringLiteral("Вася"));
    }
    EXPECT_EQ(testsettings::Get("Public", "UserName"), Text(QStringLiteral("Вася")));
    EXPECT_EQ(BoundTable().Slots(), QStringList{"Вася"});
    SetPublic("UserName", REG_SZ, Text(QStringLiteral("Маша")));
    { // a table that never read the names leaves them alone
        CWnd window;
        CPublic unbound(&window);
    }
    EXPECT_EQ(BoundTable().UserName(), QStringLiteral("Маша"));
    testsettings::BlockTheFolder(); // an unusable folder still names the user
    EXPECT_EQ(BoundTable().UserName(), QStringLiteral("Товарищч"));
}

TEST(SettingsTest, SetUserNameMovesARememberedNameToTheFrontOrDropsTheOldest) {
    QByteArray list(132, '\0'); // eleven slots of twelve bytes
    int slot = 0;
    for (const char* name : {"a0", "a1", "a2", "a3", "Kolya", "a5"})
        std::memcpy(list.data() + 12 * slot++, name, std::strlen(name));
    SetPublic("OtherNamesPlayers", REG_BINARY, list);
    BoundTable t;
    t.SetUserName(QStringLiteral("Kolya"));
    EXPECT_EQ(t.Slots(), (QStringList{"Kolya", "a0", "a1", "a2", "a3", "a5"}));
    for (const char* name : {"b0", "b1", "b2", "b3", "b4", "b5"})
        t.SetUserName(QString::fromLatin1(name));
    EXPECT_EQ(t.Slots().join(','), "b5,b4,b3,b2,b1,b0,Kolya,a0,a1,a2,a3");
}

TEST(SettingsTest, NamesAreKeptAsAtMostElevenWindows1251Bytes) {
    {
        BoundTable t;
        t.SetUserName(QStringLiteral("Александр Се")); // twelve letters
        EXPECT_EQ(t.UserName(), QStringLiteral("Александр С"));
        t.SetUserName(QStringLiteral("李Ёжик"));
        EXPECT_EQ(t.UserName(), QStringLiteral("?Ёжик"));
        EXPECT_EQ(t.Slots()[1], QStringLiteral("Александр С"));
        // Set by a program without the dialog, a long name is still saved readable.
        t.table.m_Players[0].SetName(QStringLiteral("Очень длинное имя"));
    }
    EXPECT_EQ(BoundTable().UserName(), QStringLiteral("Очень длинн"));
}

TEST(SettingsTest, DamagedStoredNamesGiveDefaults) {
    // Twelve bytes do not fit the buffer with their zero: the default name.
    SetPublic("UserName", REG_SZ, Text(QStringLiteral("Абвгдежзийкл")));
    SetPublic("OtherNamesPlayers", REG_BINARY, QByteArray(100, 'a')); // too short
    {
        BoundTable t;
        EXPECT_EQ(t.UserName(), QStringLiteral("Товарищч"));
        EXPECT_EQ(t.Slots(), QStringList());
    }
    // A list without zeros still gives names that end within their slots.
    SetPublic("OtherNamesPlayers", REG_BINARY, QByteArray(132, 'z'));
    SetPublic("UserName", REG_BINARY, "Dima"); // not a string
    BoundTable t;
    EXPECT_EQ(t.UserName(), QStringLiteral("Товарищч"));
    EXPECT_EQ(t.Slots()[10], QString(11, QLatin1Char('z')));
}
