#pragma once
// What every page of the settings dialog has in common: a way to write into the dialog's red
// status text, and the two steps of the dialog's apply.

#include <QString>
#include <QWidget>

#include <functional>

namespace marlune {

// Writes a text into the settings dialog's status text ("" empties it).
using StatusSink = std::function<void(const QString&)>;

class SettingsPageBase : public QWidget {
    Q_OBJECT
public:
    SettingsPageBase(StatusSink status, QWidget* parent) : QWidget(parent), m_status(std::move(status)) {}

    // Empty when the page's values may be stored; otherwise the reason, for the status text.
    virtual QString CheckBeforeStore() const { return {}; }
    // Stores the page's values in its settings file.
    virtual void Store() {}

protected:
    void showStatus(const QString& text) const {
        if (m_status)
            m_status(text);
    }

private:
    StatusSink m_status;
};

} // namespace marlune
