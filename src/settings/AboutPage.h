#pragma once
// The about page, the last page of the settings dialog: the product line and three links to
// the vendor's web site (home page, suggestions, help), opened in the default browser.

#include "settings/SettingsPageBase.h"

#include <QLabel>

namespace marlune {

inline constexpr char kSuggestionPagePath[] = "/ent/softinfo.php?softid=2&ver=1.0&softname=marlune";
inline constexpr char kHelpPagePath[] = "/ent/help.php?softid=2&ver=1.0&softname=marlune";

// A blue text that opens an address in the default browser when clicked, with the hand cursor.
class LinkLabel final : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& text, QString address, QWidget* parent);
    const QString& Address() const { return m_address; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_address;
};

class AboutPage final : public SettingsPageBase {
    Q_OBJECT
public:
    AboutPage(StatusSink status, QWidget* parent);

    QLabel* ProductLine() const { return m_product; }
    LinkLabel* HomeLink() const { return m_home; }
    LinkLabel* SuggestionLink() const { return m_suggestion; }
    LinkLabel* HelpLink() const { return m_help; }

private:
    QLabel* m_product = nullptr;
    LinkLabel* m_home = nullptr;
    LinkLabel* m_suggestion = nullptr;
    LinkLabel* m_help = nullptr;
};

} // namespace marlune
