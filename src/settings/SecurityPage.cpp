#include "settings/SecurityPage.h"
namespace marlune {
SecurityPage::SecurityPage(StatusSink status, QWidget* parent)
    : SettingsPageBase(std::move(status), parent) {}
QString SecurityPage::CheckBeforeStore() const {
    return {};
}
void SecurityPage::Store() {}
} // namespace marlune
