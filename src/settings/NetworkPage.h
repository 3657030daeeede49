#pragma once
// The network page: the proxy every download of the program goes through, kept in
// scnf/SSTConf.xml, and a test that fetches a small text file through the entered proxy.
// After an apply the stored proxy is the one the downloads use.

#include "settings/SettingsPageBase.h"

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace marlune {

class GradientButton;

// Messages of the proxy test.
inline constexpr char kNoProxySetText[] = "没有设置代理";
inline constexpr char kNoProxyChosenText[] = "没有选择代理";
inline constexpr char kDesktopProxyOffText[] = "IE没有设置代理，请先设置IE代理";
inline constexpr char kDesktopProxyUnreadableText[] = "获取IE代理数据失败, 请检查是否有安全软件阻止";
inline constexpr char kProxyWorksText[] = "代理设置成功";
inline constexpr char kProxyFailsText[] = "代理设置失败。请检查代理设置";
// Apply refuses these.
inline constexpr char kProxyFieldTooLongText[] = "代理服务器、端口、用户名和密码最多23个字符";
inline constexpr char kProxyAddressMissingText[] = "请输入代理服务器的IP地址和端口(1-65535)";

// Host, port, user and password each hold at most this many characters.
inline constexpr int kMaxProxyFieldLength = 23;

class NetworkPage final : public SettingsPageBase {
    Q_OBJECT
public:
    NetworkPage(StatusSink status, QWidget* parent);

    QString CheckBeforeStore() const override;
    // Writes ProxyType, ProxyIp, ProxyPort, ProxyUser and ProxyPasswd, then makes the stored
    // proxy the one every download uses.
    void Store() override;

    // Button "测试".
    void Test();

    // Controls, for tests.
    QCheckBox* UseProxyBox() const { return m_useProxy; }
    QComboBox* TypeList() const { return m_type; }
    QLineEdit* HostEdit() const { return m_host; }
    QLineEdit* PortEdit() const { return m_port; }
    QLineEdit* UserEdit() const { return m_user; }
    QLineEdit* PasswordEdit() const { return m_password; }

private:
    void createControls();
    void load();
    void fillTypeList(const char* desktopEntry);
    void setFieldsEnabled(bool enabled);
    void clearFields();
    void onUseProxyClicked();
    int chosenType() const;

    std::string m_xmlPath;
    bool m_loaded = false;
    QCheckBox* m_useProxy = nullptr;
    QComboBox* m_type = nullptr;
    QLineEdit* m_host = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    GradientButton* m_test = nullptr;
};

} // namespace marlune
