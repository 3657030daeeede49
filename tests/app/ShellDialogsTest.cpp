// The unlock prompt, the message dialog and the about box, driven by keys and clicks.
#include "app/AboutBox.h"
#include "app/MessageDialog.h"
#include "app/QtTranslations.h"
#include "app/UnlockDialog.h"
#include "net/ServiceEndpoints.h"
#include "settings/AboutPage.h"
#include "ticker/BrowserLauncher.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

#include <vector>

namespace marlune {
namespace {

// Runs the check once the dialog's modal loop is up.
template <typename Dialog, typename Check> int RunModal(Dialog& dialog, Check check) {
    QTimer::singleShot(0, &dialog, [&] { check(); });
    return dialog.exec();
}

TEST(UnlockDialog, WrongPasswordStaysWithARedLineAndEscDoesNothing) {
    UnlockDialog dialog(QStringLiteral("Pass1"), QStringLiteral("解锁密码："));
    bool stillOpenAfterEsc = false;
    bool stillOpenAfterWrong = false;
    QString message;
    const int result = RunModal(dialog, [&] {
        EXPECT_TRUE(dialog.PasswordEdit()->text().isEmpty());
        EXPECT_EQ(dialog.PromptLabel()->text(), QStringLiteral("解锁密码："));
        EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
        QTest::keyClick(dialog.PasswordEdit(), Qt::Key_Escape);
        stillOpenAfterEsc = dialog.isVisible();
        QTest::keyClicks(dialog.PasswordEdit(), QStringLiteral("pass1")); // case matters
        QTest::keyClick(dialog.PasswordEdit(), Qt::Key_Return);
        stillOpenAfterWrong = dialog.isVisible();
        message = dialog.MessageLine()->text();
        EXPECT_EQ(dialog.MessageLine()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        dialog.PasswordEdit()->clear();
        QTest::keyClicks(dialog.PasswordEdit(), QStringLiteral("Pass1"));
        QTest::keyClick(dialog.PasswordEdit(), Qt::Key_Enter);
    });
    EXPECT_TRUE(stillOpenAfterEsc);
    EXPECT_TRUE(stillOpenAfterWrong);
    EXPECT_EQ(message, QStringLiteral("密码错误!请输入安全密码"));
    EXPECT_EQ(result, QDialog::Accepted);
}

TEST(UnlockDialog, QuitEndsThePromptAndAnEmptyPasswordMatchesOnlyAnEmptyOne) {
    UnlockDialog refused(QStringLiteral("x"), QString());
    EXPECT_EQ(RunModal(refused,
                       [&] {
                           EXPECT_EQ(refused.PromptLabel()->text(), QStringLiteral("登陆密码："));
                           QTest::mouseClick(refused.OkButton(), Qt::LeftButton); // empty: wrong
                           EXPECT_TRUE(refused.isVisible());
                           QTest::mouseClick(refused.QuitButton(), Qt::LeftButton);
                       }),
              QDialog::Rejected);
    UnlockDialog empty{QString(), QString()};
    EXPECT_EQ(RunModal(empty, [&] { QTest::mouseClick(empty.OkButton(), Qt::LeftButton); }),
              QDialog::Accepted);
}

TEST(QtTranslations, QtsOwnTextsAreChineseWhateverTheSystemLocale) {
    EXPECT_EQ(QtTextLocale(QLocale(QLocale::English, QLocale::UnitedStates)).name(), "zh_CN");
    EXPECT_EQ(QtTextLocale(QLocale::c()).name(), "zh_CN");
    EXPECT_EQ(QtTextLocale(QLocale(QLocale::Chinese, QLocale::Taiwan)).name(), "zh_TW");

    QTranslator* translator = InstallQtTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "Qt's translations (qt6-translations-l10n) are missing";
    QMessageBox box(QMessageBox::NoIcon, QString(), QStringLiteral("?"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text().remove(QLatin1Char('&')), QStringLiteral("确定"));
    EXPECT_EQ(QColorDialog().windowTitle(), QStringLiteral("选择颜色"));
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

TEST(MessageDialog, OkAndEnterAreYesEscIsNo) {
    MessageDialog yes(QStringLiteral("检测到最新版本，是否需要升级"));
    EXPECT_EQ(yes.windowTitle(), QStringLiteral("系统提示"));
    EXPECT_EQ(RunModal(yes, [&] { QTest::mouseClick(yes.OkButton(), Qt::LeftButton); }), QDialog::Accepted);
    MessageDialog enter(QStringLiteral("?"));
    EXPECT_EQ(RunModal(enter, [&] { QTest::keyClick(enter.OkButton(), Qt::Key_Return); }), QDialog::Accepted);
    MessageDialog no(QStringLiteral("?"));
    EXPECT_EQ(RunModal(no, [&] { QTest::keyClick(&no, Qt::Key_Escape); }), QDialog::Rejected);
    // A question has its "no" button too.
    MessageDialog cancel(QStringLiteral("?"));
    ASSERT_NE(cancel.CancelButton(), nullptr);
    EXPECT_EQ(cancel.CancelButton()->text(), QStringLiteral("取消"));
    EXPECT_EQ(RunModal(cancel, [&] { QTest::mouseClick(cancel.CancelButton(), Qt::LeftButton); }),
              QDialog::Rejected);
}

TEST(AboutBox, LinksOpenTheVendorPagesAndBlankSpaceOpensNothing) {
    RestoreDefaultServices();
    std::vector<QUrl> opened;
    ScopedBrowserOpener opener([&](const QUrl& url) { opened.push_back(url); });
    AboutBox about;
    about.show();
    EXPECT_EQ(about.windowTitle(), QStringLiteral("关于Sorell"));
    EXPECT_EQ(about.ProductLine()->text(), QStringLiteral("Marlune1.0 - Orvento"));
    EXPECT_EQ(about.HomeLink()->text(), QStringLiteral("www.orvento.example"));
    QTest::mouseClick(&about, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(opened.empty());
    QTest::mouseClick(about.HomeLink(), Qt::LeftButton);
    QTest::mouseClick(about.AdviceLink(), Qt::LeftButton);
    QTest::mouseClick(about.HelpLink(), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 3u);
    const QString site = QString::fromStdString(ServiceBaseUrl(Service::kVendorSite));
    EXPECT_EQ(opened[0], QUrl(site));
    EXPECT_EQ(opened[1], QUrl(site + "/ent/softinfo.php?softid=2&ver=1.0&softname=marlune"));
    EXPECT_EQ(opened[2], QUrl(site + "/ent/help.php?softid=2&ver=1.0&softname=marlune"));
    EXPECT_EQ(about.HelpLink()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(about.HelpLink()->cursor().shape(), Qt::PointingHandCursor);
}

// Enter presses 确定 wherever the keyboard is in the box (on the button itself too), Esc closes.
TEST(AboutBox, EnterPressesOkAndEscCloses) {
    RestoreDefaultServices();
    // The key, then a box still open ends with 99.
    const auto resultOf = [](AboutBox& about, QWidget* target, Qt::Key key) {
        return RunModal(about, [&about, target, key] {
            target->setFocus();
            QTest::keyClick(target, key);
            QTimer::singleShot(0, &about, [&about] {
                if (about.isVisible())
                    about.done(99);
            });
        });
    };
    AboutBox onButton;
    EXPECT_EQ(resultOf(onButton, onButton.OkButton(), Qt::Key_Return), QDialog::Accepted);
    AboutBox anywhere;
    EXPECT_EQ(resultOf(anywhere, &anywhere, Qt::Key_Enter), QDialog::Accepted);
    AboutBox escape;
    EXPECT_EQ(resultOf(escape, &escape, Qt::Key_Escape), QDialog::Rejected);
}

} // namespace
} // namespace marlune
