#include "settings/MyStocksPage.h"

#include "net/FetchManager.h"
#include "ticker/FetchBridge.h"

namespace marlune {

MyStocksPage::MyStocksPage(StatusSink status, QWidget* parent)
    : SettingsPageBase(std::move(status), parent) {}
MyStocksPage::MyStocksPage(StatusSink status, JobStarter startJob, QWidget* parent)
    : SettingsPageBase(std::move(status), parent), m_startJob(std::move(startJob)) {}
MyStocksPage::~MyStocksPage() = default;
void MyStocksPage::Add() {}
void MyStocksPage::MoveUp() {}
void MyStocksPage::MoveDown() {}
void MyStocksPage::Delete() {}
void MyStocksPage::SaveDetails() {}
void MyStocksPage::ShowDetails(int) {}
void MyStocksPage::HandleFetchStatus(const FetchReport&) {}
bool MyStocksPage::eventFilter(QObject* w, QEvent* e) {
    return SettingsPageBase::eventFilter(w, e);
}
void MyStocksPage::keyPressEvent(QKeyEvent* e) {
    SettingsPageBase::keyPressEvent(e);
}

} // namespace marlune
