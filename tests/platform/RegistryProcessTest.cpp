// Two programs saving into the one registry file at the same time.
#include "Registry.h"

#include <gtest/gtest.h>

#include <QProcess>

TEST(Registry, TwoProgramsSavingAtOnceKeepEachOthersValues) {
    // The test runner gives this test a settings folder of its own; both writers share it.
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const char* prefix : {"a", "b"}) {
        writers.push_back(std::make_unique<QProcess>());
        writers.back()->setProcessChannelMode(QProcess::ForwardedChannels);
        writers.back()->start(
            QStringLiteral(ZANTA_REGISTRY_WRITER),
            {QString::fromLatin1(prefix), QString::number(ZANTA_REGISTRY_WRITES)});
    }
    for (auto& w : writers) {
        ASSERT_TRUE(w->waitForFinished(60000));
        ASSERT_EQ(w->exitCode(), 0);
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Tavlin2.0\\Race", KEY_READ, &key),
              ERROR_SUCCESS);
    int missing = 0;
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < ZANTA_REGISTRY_WRITES; ++i) {
            DWORD value = 0, size = sizeof value, type = 0;
            const QByteArray name = QByteArray(prefix) + QByteArray::number(i);
            if (RegQueryValueEx(key, name.constData(), &type, reinterpret_cast<BYTE*>(&value),
                                &size) != ERROR_SUCCESS ||
                value != static_cast<DWORD>(i))
                ++missing;
        }
    }
    EXPECT_EQ(missing, 0);
    RegCloseKey(key);
}
