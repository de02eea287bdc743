// Test runner: a headless application, and for every test a fresh settings
// folder and a fresh current folder, so no test sees another's files.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace {

class FreshFolders : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo&) override {
        m_config = std::make_unique<QTemporaryDir>();
        m_work = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
        m_previousDir = QDir::currentPath();
        QDir::setCurrent(m_work->path());
    }
    void OnTestEnd(const testing::TestInfo&) override {
        QDir::setCurrent(m_previousDir);
        m_work.reset();
        m_config.reset();
    }

private:
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_previousDir;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshFolders);
    return RUN_ALL_TESTS();
}
