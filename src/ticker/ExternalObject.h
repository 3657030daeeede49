#pragma once
// The object that pages shown in the program's web panes reach as window.external.

#include <QObject>
#include <QString>

namespace marlune {

class ExternalObject final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // window.external.ShowDlg(text, value): opens text in the default browser; value is taken
    // because the pages pass one, and is not used. Texts that are not web addresses are
    // refused quietly (see OpenInBrowser).
    Q_INVOKABLE void ShowDlg(const QString& text, int value);
};

} // namespace marlune
