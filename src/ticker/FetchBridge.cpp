#include "ticker/FetchBridge.h"

#include <QMetaObject>

namespace marlune {

FetchBridge::FetchBridge(Handler handler, QObject* parent) : QObject(parent), m_handler(std::move(handler)) {}

void FetchBridge::OnFetchStatus(const FetchReport& report) {
    // The report lives on the worker's stack; the worker waits in Run until the task has
    // run or has been released, so the reference stays valid for as long as it is used.
    const auto post = [this](BlockingHandoff::Task task) {
        QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
    };
    m_handoff.Run(post, [this, &report] { m_handler(report); });
}

void FetchBridge::ReleaseWaitingReports() {
    m_handoff.Release();
}

} // namespace marlune
