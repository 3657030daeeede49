#pragma once
// The basic page: the refresh period, the quote source, the show/hide hot key and the trading
// program, kept in the [sys] section of config/base.ini. Loaded with the dialog; stored by the
// dialog's apply, also when another page is on display then.

#include "settings/SettingsPageBase.h"

#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;

namespace marlune {

class GradientButton;

inline constexpr char kNoRefreshText[] = "不刷新";
inline constexpr char kInvalidProgramText[] = "无效的文件，请重新选择";

// The slider's label: "%d 秒", or "不刷新" for 0.
QString RefreshPeriodText(int seconds);

// The period the slider offers when moved from `previous` to `requested`: 0 and 4 to 60 as
// they are; 1 to 3 become 0 when moving down and 4 when moving up.
int OfferedRefreshPeriod(int requested, int previous);

// The 36 entries of the hot key list: " 0" to " 9", then " A" to " Z".
QStringList HotKeyEntries();

class BasicPage final : public SettingsPageBase {
    Q_OBJECT
public:
    BasicPage(StatusSink status, QWidget* parent);

    // Writes DataSour, HotKeyPress, HotKey, FreshSec, ReSoft, AutoSource and TradeHoursOnly
    // to base.ini.
    void Store() override;

    // Button "浏览": choose the trading program.
    void Browse();

    // Controls, for tests.
    QSlider* Slider() const { return m_slider; }
    QLabel* SliderLabel() const { return m_sliderLabel; }
    QComboBox* HotKeyList() const { return m_hotKey; }
    QLineEdit* ProgramEdit() const { return m_program; }
    QRadioButton* SourceRadio(int source) const;     // 1 Sina, 2 163, 3 Google
    QRadioButton* ModifierRadio(int modifier) const; // 1 Alt, 2 Ctrl
    QCheckBox* AutoSourceBox() const { return m_autoSource; }
    QCheckBox* TradeHoursBox() const { return m_tradeHoursOnly; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void load();
    void stepSlider(int delta);
    // Whether the widget is a control that can have the keyboard (not a frame or the page).
    static bool takesKeyboard(QObject* watched);
    void updateSliderLabel();

    std::string m_baseIniPath;
    int m_period = 0; // the slider's last offered position
    QSlider* m_slider = nullptr;
    QLabel* m_sliderLabel = nullptr;
    QButtonGroup* m_sources = nullptr;
    QCheckBox* m_autoSource = nullptr;     // AutoSource
    QCheckBox* m_tradeHoursOnly = nullptr; // TradeHoursOnly
    QButtonGroup* m_modifiers = nullptr;
    QComboBox* m_hotKey = nullptr;
    QLineEdit* m_program = nullptr;
    GradientButton* m_browse = nullptr;
};

} // namespace marlune
