#include "settings/AboutPage.h"

#include "net/ServiceEndpoints.h"
#include "ticker/BrowserLauncher.h"
#include "version/Version.h"

#include <QGridLayout>
#include <QMouseEvent>

namespace marlune {

LinkLabel::LinkLabel(const QString& text, QString address, QWidget* parent)
    : QLabel(text, parent), m_address(std::move(address)) {
    QPalette blue = palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(blue);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OpenInBrowser(m_address);
    QLabel::mousePressEvent(event);
}

AboutPage::AboutPage(StatusSink status, QWidget* parent) : SettingsPageBase(std::move(status), parent) {
    const QString site = QString::fromStdString(ServiceBaseUrl(Service::kVendorSite));
    // "Sorell1.1.0.0版": the product and the program's version.
    m_product = new QLabel(QStringLiteral("Sorell%1版").arg(QLatin1String(kMarluneVersion)), this);
    m_product->setObjectName(QStringLiteral("productLine"));
    auto* siteLabel = new QLabel(QStringLiteral("网站："), this);
    m_home = new LinkLabel(site, site, this);
    m_home->setObjectName(QStringLiteral("homeLink"));
    m_suggestion =
        new LinkLabel(QStringLiteral("意见建议"), site + QString::fromUtf8(kSuggestionPagePath), this);
    m_suggestion->setObjectName(QStringLiteral("suggestionLink"));
    m_help = new LinkLabel(QStringLiteral("使用帮助"), site + QString::fromUtf8(kHelpPagePath), this);
    m_help->setObjectName(QStringLiteral("helpLink"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_product, 0, 0, 1, 2);
    grid->addWidget(siteLabel, 1, 0);
    grid->addWidget(m_home, 1, 1);
    auto* links = new QHBoxLayout;
    links->addWidget(m_suggestion);
    links->addSpacing(20);
    links->addWidget(m_help);
    links->addStretch(1);
    grid->addLayout(links, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
}

} // namespace marlune
