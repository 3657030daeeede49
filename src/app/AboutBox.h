#pragma once
// The about box of the popup menu: the product line, the vendor's web site and two of its
// pages as links that open in the default browser, and the ownership and user-group lines.
// Modal, in the middle of the work area.

#include <QDialog>

class QLabel;
class QPushButton;

namespace marlune {

class LinkLabel;

class AboutBox final : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    QLabel* ProductLine() const { return m_product; }
    QLabel* VersionLine() const { return m_version; }
    LinkLabel* HomeLink() const { return m_home; }
    LinkLabel* AdviceLink() const { return m_advice; }
    LinkLabel* HelpLink() const { return m_help; }
    QPushButton* OkButton() const { return m_ok; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_version = nullptr;
    QLabel* m_product = nullptr;
    LinkLabel* m_home = nullptr;
    LinkLabel* m_advice = nullptr;
    LinkLabel* m_help = nullptr;
    QPushButton* m_ok = nullptr;
};

// The address shown for the vendor's web site: its host (and port) without the scheme.
QString VendorSiteDisplayName(const QString& siteAddress);

} // namespace marlune
