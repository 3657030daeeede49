// The network page: loading and showing the proxy, the use-proxy box, the test outcomes
// and the store with its limits.
#include "settings/NetworkPage.h"

#include "SettingsTestSupport.h"
#include "config/XmlSettingsStore.h"
#include "settings/SettingsPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTcpServer>
#include <QTest>

#include <cstdlib>
#include <memory>

namespace marlune {
namespace {

class NetworkPageTest : public test::ProgramFolderTest {
protected:
    void SetUp() override {
        test::ProgramFolderTest::SetUp();
        m_store.SetPath(Path("scnf/SSTConf.xml"));
    }
    std::unique_ptr<NetworkPage> makePage() {
        auto page = std::make_unique<NetworkPage>([this](const QString& text) { m_status = text; }, nullptr);
        page->show();
        return page;
    }
    void storeProxy(const char* type, const char* host, const char* port) {
        m_store.SetValue("ProxyType", type);
        m_store.SetValue("ProxyIp", host);
        m_store.SetValue("ProxyPort", port);
        m_store.SetValue("ProxyUser", "me");
        m_store.SetValue("ProxyPasswd", "secret");
    }
    // Runs the test and returns the message it showed.
    QString test(NetworkPage& page) {
        QStringList shown;
        ScopedSettingsPrompts prompts(
            {[&](QWidget*, const QString& text) { shown << text; }, nullptr, nullptr, nullptr});
        page.Test();
        return shown.value(0);
    }

    XmlSettingsStore m_store;
    QString m_status;
};

TEST_F(NetworkPageTest, ShowsAStoredProxy) {
    storeProxy("1", "10.0.0.8", "3128");
    auto page = makePage();
    EXPECT_TRUE(page->UseProxyBox()->isChecked());
    EXPECT_EQ(page->TypeList()->currentText(), "http代理");
    EXPECT_EQ(page->TypeList()->itemText(2), "使用IE浏览器设置");
    EXPECT_EQ(page->HostEdit()->text(), "10.0.0.8");
    EXPECT_EQ(page->PortEdit()->text(), "3128");
    EXPECT_EQ(page->PasswordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(page->HostEdit()->isEnabled());

    // Choosing another type empties the four fields.
    page->TypeList()->setFocus();
    QTest::keyClick(page->TypeList(), Qt::Key_Down);
    EXPECT_TRUE(page->HostEdit()->text().isEmpty());
    EXPECT_TRUE(page->PasswordEdit()->text().isEmpty());
}

TEST_F(NetworkPageTest, TheUseProxyBoxStartsAfresh) {
    auto page = makePage();
    EXPECT_FALSE(page->UseProxyBox()->isChecked());
    EXPECT_FALSE(page->TypeList()->isEnabled());
    EXPECT_EQ(test(*page), QString::fromUtf8(kNoProxySetText));

    test::ClickIndicator(page->UseProxyBox());
    EXPECT_TRUE(page->TypeList()->isEnabled());
    EXPECT_EQ(page->TypeList()->currentText(), "不使用代理");
    EXPECT_EQ(page->TypeList()->itemText(2), "使用浏览器设置");
    EXPECT_EQ(test(*page), QString::fromUtf8(kNoProxyChosenText));
    test::ClickIndicator(page->UseProxyBox());
    EXPECT_FALSE(page->HostEdit()->isEnabled());
}

TEST_F(NetworkPageTest, TestOutcomes) {
    storeProxy("2", "", "");
    auto page = makePage();
    ::unsetenv("http_proxy");
    ::unsetenv("HTTP_PROXY");
    EXPECT_EQ(test(*page), QString::fromUtf8(kDesktopProxyOffText));
    ::setenv("http_proxy", "ftp://nowhere", 1);
    EXPECT_EQ(test(*page), QString::fromUtf8(kDesktopProxyUnreadableText));
    ::unsetenv("http_proxy");

    // An HTTP proxy nobody listens on.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    page->TypeList()->setCurrentIndex(1);
    page->HostEdit()->setText("127.0.0.1");
    page->PortEdit()->setText(QString::number(port));
    EXPECT_EQ(test(*page), QString::fromUtf8(kProxyFailsText));
}

TEST_F(NetworkPageTest, StoreKeepsTheChosenProxyAndRefusesBadFields) {
    auto page = makePage();
    test::ClickIndicator(page->UseProxyBox());
    page->TypeList()->setCurrentIndex(1);
    page->HostEdit()->setText("192.168.1.2");
    page->PortEdit()->setText("8080");
    page->UserEdit()->setText(QString(24, QLatin1Char('u')));
    EXPECT_EQ(page->CheckBeforeStore(), QString::fromUtf8(kProxyFieldTooLongText));
    EXPECT_EQ(test(*page), QString::fromUtf8(kProxyFieldTooLongText));
    page->UserEdit()->setText(QString(23, QLatin1Char('u')));
    EXPECT_TRUE(page->CheckBeforeStore().isEmpty());
    page->PortEdit()->setText("70000");
    EXPECT_EQ(page->CheckBeforeStore(), QString::fromUtf8(kProxyAddressMissingText));
    page->PortEdit()->setText("8080");
    for (const char* host : {"192.168.1", "192.168.1.256", "1..2.3", "a.b.c.d", "1.2.3.4.5", "+1.2.3.4"}) {
        page->HostEdit()->setText(QString::fromLatin1(host));
        EXPECT_EQ(page->CheckBeforeStore(), QString::fromUtf8(kProxyAddressMissingText)) << host;
    }
    page->HostEdit()->setText("192.168.1.2");
    page->Store();
    EXPECT_EQ(m_store.GetValue("ProxyType"), "1");
    EXPECT_EQ(m_store.GetValue("ProxyIp"), "192.168.1.2");
    EXPECT_EQ(m_store.GetValue("ProxyPort"), "8080");
    EXPECT_EQ(m_store.GetValue("ProxyUser"), std::string(23, 'u'));

    // Unticked: no proxy, and nothing of the old one kept.
    test::ClickIndicator(page->UseProxyBox());
    page->Store();
    EXPECT_EQ(m_store.GetValue("ProxyType"), "0");
    EXPECT_EQ(m_store.GetValue("ProxyIp"), "");
}

} // namespace
} // namespace marlune
