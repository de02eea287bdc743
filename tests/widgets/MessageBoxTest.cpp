#include "MessageBox.h"
#include "Application.h"
#include "Pack.h"
#include "Resources.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <thread>

namespace {

// A box opened without blocking, left open for inspection.
struct OpenBox : CMessageBox {
    OpenBox(const QString& text, const QString& caption, UINT flags, const QIcon& icon = {}) {
        m_strText = text;
        m_strCaption = caption;
        m_nFlags |= flags;
        m_hIcon = icon;
        show();
    }
};

} // namespace

TEST(MessageBox, MissingCardPicturesAreToldFromAWorkerInABoxThatFitsItsText) {
    // A folder of narrow letters: the second line has more characters than
    // the first but is narrower.
    const QString folder(40, 'i');
    ASSERT_TRUE(QDir::current().mkpath(folder));
    platform::SetLibrarySearchPath({folder});
    CWnd table;
    CPack pack;
    ASSERT_TRUE(pack.InitPack36(&table));
    bool seen = false; // the box is inspected, then answered
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<CMessageBox*>(QApplication::activeModalWidget());
        if (!box || std::exchange(seen, true))
            return;
        EXPECT_EQ(box->thread(), qApp->thread());
        EXPECT_EQ(box->windowTitle(), "Внимание");
        const QLabel* text = box->m_wndText;
        const QStringList lines = text->text().split('\n');
        EXPECT_EQ(lines[0], "Не найдена или повреждена библиотека DeckArt.dll");
        EXPECT_TRUE(lines.back().endsWith(folder)) << lines.back().toStdString();
        // As wide as the wider line in pixels (the first), as high as both, above OK.
        const QFontMetrics fm = text->fontMetrics();
        EXPECT_EQ(text->size(), QSize(fm.horizontalAdvance(lines[0]), 2 * fm.height()));
        EXPECT_TRUE(box->rect().contains(text->geometry()));
        EXPECT_LE(text->geometry().bottom(), box->GetDlgItem(IDOK)->y());
        qobject_cast<QPushButton*>(box->GetDlgItem(IDOK))->click();
    });
    poll.start(5);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        pack.SetShirt(39);
        done = true;
    });
    const bool finished = testutil::WaitFor([&] { return done.load(); }, 10000);
    finished ? worker.join() : worker.detach(); // a box stuck on the worker: fail, not hang
    ASSERT_TRUE(finished);
    EXPECT_TRUE(seen);
    EXPECT_EQ(pack.GetShirt(), 39);
}

TEST(MessageBox, OkGivesOneEverythingElseTwo) {
    auto result = [](UINT flags, const QString& button) {
        testutil::AnswerNextModal(button);
        return CMessageBox::Show(nullptr, "Сообщение", "Заголовок", flags);
    };
    using MB = CMessageBox;
    EXPECT_EQ(result(MB::MBF_OKCANCEL, "ОК"), IDOK);
    EXPECT_EQ(result(MB::MBF_OKCANCEL, "Отмена"), IDCANCEL);
    EXPECT_EQ(result(MB::MBF_OK, ""), IDCANCEL); // closed from its caption bar
}

TEST(MessageBox, TitleIsExactlyTheCaptionAndQtsOwnDialogsSpeakRussian) {
    ASSERT_TRUE(platform::SetUpApplication("Tavlin2", "zanta"));
    OpenBox box("Текст", "Внимание", CMessageBox::MBF_OK);
    ASSERT_TRUE(box.windowHandle());
    EXPECT_EQ(box.windowHandle()->title(), "Внимание");
    // Platform plugins append the display name to every title; none is set.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    EXPECT_EQ(QGuiApplication::desktopFileName(), "zanta");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), "Открыть");
}
