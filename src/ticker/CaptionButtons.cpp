#include "ticker/CaptionButtons.h"

#include "ticker/HoverButton.h"
#include "ticker/TickerLayout.h"

#include <QPixmap>
#include <QProxyStyle>

namespace marlune {

namespace {

// The caption buttons' tips wake up after half a second.
class TipDelayStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 500;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

struct CaptionButtonSpec {
    int id;
    const char* image;
    const char* tip;
};

const CaptionButtonSpec kCaptionButtons[] = {
    {kButtonClose, ":/images/button_close.png", "关闭"}, {kButtonHide, ":/images/button_hide.png", "最小化"},
    {kButtonSet, ":/images/button_set.png", "设置"},     {kButtonData, ":/images/button_data.png", "数据"},
    {kButtonFresh, ":/images/button_fresh.png", "刷新"},
};

} // namespace

CaptionButtons::CaptionButtons(const QPixmap& strip, QWidget* body) : QObject(body) {
    auto* tipStyle = new TipDelayStyle();
    tipStyle->setParent(this);
    for (const CaptionButtonSpec& spec : kCaptionButtons) {
        auto* button = new HoverButton(spec.id, body);
        button->setStyle(tipStyle);
        button->SetStrip(QPixmap(QString::fromLatin1(spec.image)));
        button->setProperty("tip", QString::fromUtf8(spec.tip));
        connect(button, &HoverButton::clicked, this, &CaptionButtons::clicked);
        m_buttons[spec.id] = button;
    }
    // The background strip as a button without hover and without size, as the window
    // template has it.
    auto* stripButton = new HoverButton(kButtonStrip, body);
    stripButton->SetStrip(strip);
    stripButton->SetHoverEnabled(false);
    m_buttons[kButtonStrip] = stripButton;
}

void CaptionButtons::Place(int windowWidth) {
    const std::pair<int, int> buttonX[] = {{kButtonClose, kCloseButtonX},
                                           {kButtonHide, kHideButtonX},
                                           {kButtonSet, kSetButtonX},
                                           {kButtonData, DataButtonX(windowWidth)},
                                           {kButtonFresh, FreshButtonX(windowWidth)}};
    for (const auto& [id, x] : buttonX)
        m_buttons[id]->setGeometry(x, kCaptionButtonY, kCaptionButtonSize, kCaptionButtonSize);
    m_buttons[kButtonStrip]->setGeometry(69, 0, 0, 0);
}

void CaptionButtons::SetTransparency(const ChromeTransparency& transparency, const QColor& background) {
    const bool tips = CaptionTipsActive(transparency);
    for (auto& [id, button] : m_buttons) {
        button->SetTransparency(transparency, background);
        button->setToolTip(tips ? button->property("tip").toString() : QString());
    }
}

HoverButton* CaptionButtons::Button(int id) const {
    auto found = m_buttons.find(id);
    return found != m_buttons.end() ? found->second : nullptr;
}

} // namespace marlune
