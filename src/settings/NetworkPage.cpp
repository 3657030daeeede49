#include "settings/NetworkPage.h"
namespace marlune {
NetworkPage::NetworkPage(StatusSink status, QWidget* parent) : SettingsPageBase(std::move(status), parent) {}
QString NetworkPage::CheckBeforeStore() const {
    return {};
}
void NetworkPage::Store() {}
void NetworkPage::Test() {}
} // namespace marlune
