#include "settings/DisplayPage.h"
namespace marlune {
DisplayPage::DisplayPage(StatusSink status, QWidget* parent) : SettingsPageBase(std::move(status), parent) {}
QString DisplayPage::CheckBeforeStore() const {
    return {};
}
void DisplayPage::Store() {}
} // namespace marlune
