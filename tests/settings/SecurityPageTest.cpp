// The security page: loading the lock keys, the password checks of the two boxes, the store.
#include "settings/SecurityPage.h"

#include "SettingsTestSupport.h"
#include "config/XmlSettingsStore.h"
#include "settings/LockPassword.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace marlune {
namespace {

class SecurityPageTest : public test::ProgramFolderTest {
protected:
    void SetUp() override {
        test::ProgramFolderTest::SetUp();
        m_store.SetPath(Path("scnf/SSTConf.xml"));
    }
    std::unique_ptr<SecurityPage> makePage() {
        auto page = std::make_unique<SecurityPage>([this](const QString& text) { m_status = text; }, nullptr);
        page->show();
        return page;
    }

    XmlSettingsStore m_store;
    QString m_status;
};

TEST_F(SecurityPageTest, LoadsTheModeAndTheMinutes) {
    m_store.SetValue("Securty", "3");
    m_store.SetValue("LoginPd", "abc1");
    m_store.SetValue("LockTime", "10");
    auto page = makePage();
    EXPECT_TRUE(page->PasswordEdit()->text().isEmpty()); // never shown
    EXPECT_TRUE(page->HasPassword());
    EXPECT_EQ(page->PasswordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(page->StartupBox()->isChecked());
    EXPECT_TRUE(page->HiddenBox()->isChecked());
    EXPECT_TRUE(page->MinutesList()->isEnabled());
    EXPECT_EQ(page->MinutesList()->count(), 10);
    EXPECT_EQ(page->MinutesList()->currentText(), "10");

    // A stored minutes text that is no entry selects "1"; mode 1 leaves the list off and empty.
    m_store.SetValue("LockTime", "15");
    m_store.SetValue("Securty", "2");
    EXPECT_EQ(makePage()->MinutesList()->currentText(), "1");
    m_store.SetValue("Securty", "1");
    auto startupOnly = makePage();
    EXPECT_TRUE(startupOnly->StartupBox()->isChecked());
    EXPECT_FALSE(startupOnly->MinutesList()->isEnabled());
    EXPECT_EQ(startupOnly->MinutesList()->count(), 0);
}

TEST_F(SecurityPageTest, BoxesNeedAPassword) {
    auto page = makePage();
    page->PasswordEdit()->clear();
    test::ClickIndicator(page->HiddenBox());
    EXPECT_FALSE(page->HiddenBox()->isChecked());
    EXPECT_EQ(m_status, QString::fromUtf8(kEmptyPasswordText));
    test::ClickIndicator(page->StartupBox());
    EXPECT_FALSE(page->StartupBox()->isChecked());

    page->PasswordEdit()->setText("pass");
    test::ClickIndicator(page->HiddenBox());
    EXPECT_TRUE(page->HiddenBox()->isChecked());
    EXPECT_TRUE(m_status.isEmpty());
    EXPECT_TRUE(page->MinutesList()->isEnabled());
    page->MinutesList()->setCurrentIndex(page->MinutesList()->findText("30"));
    test::ClickIndicator(page->StartupBox());
    EXPECT_EQ(page->Mode(), 3);
    EXPECT_TRUE(page->CheckBeforeStore().isEmpty());
    page->Store();
    EXPECT_EQ(m_store.GetValue("Securty"), "3");
    EXPECT_EQ(m_store.GetValue("LockTime"), "30");
    // Stored as a salted digest, never as typed.
    const QString stored = QString::fromStdString(m_store.GetValue("LoginPd"));
    EXPECT_TRUE(IsHashedLockPassword(stored));
    EXPECT_FALSE(stored.contains("pass"));
    EXPECT_TRUE(LockPasswordMatches(stored, "pass"));
    EXPECT_FALSE(LockPasswordMatches(stored, "pas"));
    EXPECT_FALSE(LockPasswordMatches(stored, "pass "));
    EXPECT_NE(HashLockPassword("pass"), HashLockPassword("pass")); // a new salt each time
    EXPECT_TRUE(page->PasswordEdit()->text().isEmpty());

    // Unticking the lock after hiding turns the list off; the stored minutes stay.
    test::ClickIndicator(page->HiddenBox());
    EXPECT_FALSE(page->MinutesList()->isEnabled());
    // The field left empty keeps the password.
    EXPECT_TRUE(page->CheckBeforeStore().isEmpty());
    page->Store();
    EXPECT_EQ(QString::fromStdString(m_store.GetValue("LoginPd")), stored);
    EXPECT_TRUE(makePage()->HasPassword());
}

TEST_F(SecurityPageTest, AClearTextPasswordOfOldStillOpensAndIsStoredAsADigestNextTime) {
    m_store.SetValue("Securty", "1");
    m_store.SetValue("LoginPd", "abc1");
    EXPECT_TRUE(LockPasswordMatches("abc1", "abc1"));
    EXPECT_FALSE(LockPasswordMatches("abc1", "abc"));
    EXPECT_FALSE(LockPasswordMatches("", "x"));
    EXPECT_FALSE(LockPasswordMatches("sha256i$x$00$00", "abc1")); // a damaged digest opens nothing
    auto page = makePage();
    EXPECT_TRUE(page->CheckBeforeStore().isEmpty());
    page->Store();
    const QString stored = QString::fromStdString(m_store.GetValue("LoginPd"));
    EXPECT_TRUE(IsHashedLockPassword(stored));
    EXPECT_TRUE(LockPasswordMatches(stored, "abc1"));
    // A new one typed replaces it.
    auto next = makePage();
    next->PasswordEdit()->setText("zz99");
    next->Store();
    const QString replaced = QString::fromStdString(m_store.GetValue("LoginPd"));
    EXPECT_TRUE(LockPasswordMatches(replaced, "zz99"));
    EXPECT_FALSE(LockPasswordMatches(replaced, "abc1"));
}

TEST_F(SecurityPageTest, WithoutTheFileTheLockIsOffAndNothingIsStored) {
    ASSERT_TRUE(QFile::remove(QString::fromStdString(Path("scnf/SSTConf.xml"))));
    auto page = makePage();
    EXPECT_TRUE(page->PasswordEdit()->text().isEmpty());
    EXPECT_FALSE(page->StartupBox()->isChecked());
    EXPECT_FALSE(page->MinutesList()->isEnabled());
    page->Store();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("scnf/SSTConf.xml"))));
}

} // namespace
} // namespace marlune
