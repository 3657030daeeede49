// Files: a settings page saves its keys of one file in one write, so that nothing can
// leave it half applied (the lock switched on with the old password).
#include "settings/SecurityPage.h"

#include "SettingsTestSupport.h"
#include "config/XmlSettingsStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <cstdio>

namespace marlune {
namespace {

class PageSaveTest : public test::ProgramFolderTest {};

TEST_F(PageSaveTest, TheSecurityPageIsSavedWholeOrNotAtAll) {
    // A settings file whose last key of the page cannot be added (no Body to add it to):
    // the save fails, and the keys before it are not written either.
    const std::string xml = Path("scnf/SSTConf.xml");
    WriteBytes(
        "scnf/SSTConf.xml",
        "<?xml "
        "version=\"1.0\"?>\n<Config><Lock><Securty>0</Securty><LoginPd>old</LoginPd></Lock></Config>\n");
    const std::string before = ReadBytes("scnf/SSTConf.xml");
    SecurityPage page([](const QString&) {}, nullptr);
    page.show();
    page.PasswordEdit()->setText(QStringLiteral("new"));
    test::ClickIndicator(page.HiddenBox());
    ASSERT_EQ(page.Mode(), 2);
    page.Store();
    EXPECT_EQ(ReadBytes("scnf/SSTConf.xml"), before);

    // With the shipped file everything lands, in one replace of the file.
    std::remove(xml.c_str());
    ASSERT_TRUE(CreateFirstRunFilesIn(m_folder));
    SecurityPage again([](const QString&) {}, nullptr);
    again.show();
    again.PasswordEdit()->setText(QStringLiteral("new"));
    test::ClickIndicator(again.HiddenBox());
    again.Store();
    XmlSettingsStore store;
    store.SetPath(xml);
    EXPECT_EQ(store.GetValue("Securty"), "2");
    EXPECT_NE(store.GetValue("LoginPd"), "0"); // the new password, in the form it is stored in
    EXPECT_FALSE(store.GetValue("LoginPd").empty());
    EXPECT_EQ(store.GetValue("LockTime"), "1");
}

} // namespace
} // namespace marlune
