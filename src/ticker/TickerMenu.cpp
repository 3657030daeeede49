#include "ticker/TickerMenu.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace marlune {

namespace {

const QColor kBandColour(247, 243, 223);
const QColor kSeparatorColour(181, 181, 181);
const QColor kSelectedFill(177, 199, 233);
const QColor kSelectedBorder(49, 106, 197);
const QColor kGreyedText(194, 194, 194);
const QColor kFrameColour(151, 151, 151);

constexpr char kOwnTextProperty[] = "marluneOwnText";

// Draws the items the way the ticker's menu looks; everything else is the base style.
class TickerMenuStyle final : public QProxyStyle {
public:
    TickerMenuStyle(const QPixmap& checkMark, int osGeneration)
        : m_checkMark(checkMark), m_osGeneration(osGeneration) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        switch (metric) {
        case PM_MenuPanelWidth:
            return 1;
        case PM_MenuHMargin:
        case PM_MenuVMargin:
        case PM_MenuDesktopFrameWidth:
            return 0;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_MenuItem) {
            const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            const bool separator = item && item->menuItemType == QStyleOptionMenuItem::Separator;
            return QSize(kMenuItemWidth, separator ? kMenuSeparatorHeight : kMenuItemHeight);
        }
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_PanelMenu || element == PE_FrameMenu) {
            painter->fillRect(option->rect, Qt::white);
            painter->setPen(kFrameColour);
            painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuEmptyArea) {
            painter->fillRect(option->rect, Qt::white);
            return;
        }
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuItem || item == nullptr) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        const QRect r = item->rect;
        const QRect band(r.left(), r.top(), kMenuBandWidth, r.height());
        painter->save();
        if (item->menuItemType == QStyleOptionMenuItem::Separator) {
            painter->fillRect(r, Qt::white);
            painter->fillRect(r.adjusted(0, 2, 0, -2), kSeparatorColour);
            painter->fillRect(band, kBandColour);
            painter->restore();
            return;
        }
        const bool enabled = item->state & State_Enabled;
        if (item->state & State_Selected) {
            painter->fillRect(r, kSelectedFill);
            painter->setPen(kSelectedBorder);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(r.adjusted(0, 0, -1, -1));
        } else {
            painter->fillRect(r, Qt::white);
            painter->fillRect(band, kBandColour);
        }
        if (item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked && !m_checkMark.isNull())
            painter->drawPixmap(r.left() + kMenuCheckX, r.top() + MenuCheckOffsetY(m_osGeneration),
                                m_checkMark);
        painter->setPen(enabled ? QColor(Qt::black) : kGreyedText);
        painter->setFont(item->font);
        const int textTop = r.top() + MenuTextOffsetY(m_osGeneration);
        const QRect textRect(r.left() + kMenuTextX, textTop, r.width() - kMenuTextX,
                             r.bottom() + 1 - textTop);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, item->text);
        painter->restore();
    }

private:
    QPixmap m_checkMark;
    int m_osGeneration;
};

} // namespace

const std::vector<MenuEntry>& TickerMenuEntries() {
    static const std::vector<MenuEntry> entries = {
        {kMenuSettings, "设置"},
        {kMenuRefresh, "刷新"},
        {kMenuAddStock, "添加自选股"},
        {kMenuStartTrading, "启动交易软件"},
        {0, ""},
        {kMenuTopMost, "总在最顶层"},
        {kMenuShowHide, "显示窗口"},
        {kMenuPauseAlerts, "暂停预警"},
        {kMenuPlainMode, "朴素显示"},
        {0, ""},
        {kMenuVendorHome, "Orvento"},
        {kMenuAdvice, "我要提建议"},
        {kMenuMarket, "股票行情"},
        {kMenuAbout, "关于“Marlune”"},
        {0, ""},
        {kMenuExit, "退出"},
    };
    return entries;
}

QString MenuItemText(int id, const QString& ownText, int windowState) {
    if (id != kMenuShowHide)
        return ownText;
    // While the window is in sight (also when the hot key showed it) the entry hides it.
    switch (windowState) {
    case 1:
    case 2:
    case 3:
        return QStringLiteral("隐藏窗口(最小化)");
    case 4:
    case 5:
    case -1:
    case -2:
        return QStringLiteral("显示窗口");
    default:
        return ownText;
    }
}

bool MenuItemChecked(int id, int topMost, int transBK, bool alertsPaused, bool plainMode) {
    return (id == kMenuTopMost && topMost == 1) || (id == kMenuTransparent && transBK == 1) ||
           (id == kMenuPauseAlerts && alertsPaused) || (id == kMenuPlainMode && plainMode) ||
           id == kMenuAlwaysChecked;
}

int MenuTextOffsetY(int osGeneration) {
    return osGeneration == 2 || osGeneration == 3 ? 2 : 4;
}

int MenuCheckOffsetY(int osGeneration) {
    return osGeneration == 2 || osGeneration == 3 ? 5 : 4;
}

TickerMenu::TickerMenu(const QPixmap& checkMark, int osGeneration, QWidget* parent) : QMenu(parent) {
    auto* style = new TickerMenuStyle(checkMark, osGeneration);
    style->setParent(this);
    setStyle(style);
    QFont menuFont = font();
    menuFont.setPixelSize(12);
    setFont(menuFont);
    for (const MenuEntry& entry : TickerMenuEntries()) {
        if (entry.id == 0) {
            addSeparator();
            continue;
        }
        QAction* action = addAction(QString::fromUtf8(entry.text));
        action->setData(entry.id);
        action->setProperty(kOwnTextProperty, QString::fromUtf8(entry.text));
        const int id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { emit commandChosen(id); });
    }
}

QAction* TickerMenu::ActionFor(int id) const {
    for (QAction* action : actions()) {
        if (action->data().toInt() == id && !action->isSeparator())
            return action;
    }
    return nullptr;
}

void TickerMenu::Prepare(int windowState, int topMost, int transBK, bool alertsPaused, bool plainMode) {
    for (QAction* action : actions()) {
        if (action->isSeparator())
            continue;
        const int id = action->data().toInt();
        action->setText(MenuItemText(id, action->property(kOwnTextProperty).toString(), windowState));
        const bool checked = MenuItemChecked(id, topMost, transBK, alertsPaused, plainMode);
        action->setCheckable(checked);
        action->setChecked(checked);
    }
}

} // namespace marlune
