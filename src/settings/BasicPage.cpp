#include "settings/BasicPage.h"
namespace marlune {
BasicPage::BasicPage(StatusSink status, QWidget* parent) : SettingsPageBase(std::move(status), parent) {}
void BasicPage::Store() {}
void BasicPage::Browse() {}
bool BasicPage::eventFilter(QObject* w, QEvent* e) {
    return SettingsPageBase::eventFilter(w, e);
}
} // namespace marlune
