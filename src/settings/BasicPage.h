#pragma once
// The basic page: the refresh period, the quote source, the show/hide hot key, the trading
// program, the alerts' sound and the hiding options, kept in the [sys] section of config/base.ini. Loaded
// with the dialog; stored by the dialog's apply, also when another page is on display then.

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
class HidingOptions;

inline constexpr char kNoRefreshText[] = "不刷新";
inline constexpr char kInvalidProgramText[] = "无效的文件，请重新选择";
// After the name of a quote service that no longer answers.
inline constexpr char kServiceStoppedText[] = "已停止服务";
// Asked before a hot key that other programs use is taken; %1 is the letter.
inline constexpr char kCommonShortcutQuestion[] =
    "Ctrl+%1 是其他程序常用的快捷键（复制、粘贴、保存等），设为本程序的快捷键后它们将无法使用。仍要使用吗？";

// Whether modifier + entry (" C") is a key other programs use: Ctrl with C, V, X, S, Z, A, F
// or P (copy, paste, cut, save, undo, select all, find, print).
bool IsCommonProgramShortcut(int modifier, const QString& entry);

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

    // Writes DataSour, HotKeyPress, HotKey, FreshSec, ReSoft, AutoSource, TradeHoursOnly and
    // AlertSound to base.ini.
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
    QCheckBox* AlertSoundBox() const { return m_alertSound; }
    HidingOptions& Hiding() const { return *m_hiding; }

private:
    // The modifier's id and the hot key list's entry.
    struct HotKeyChoice {
        int modifier = 0;
        int entry = -1;
        friend bool operator==(const HotKeyChoice& a, const HotKeyChoice& b) {
            return a.modifier == b.modifier && a.entry == b.entry;
        }
    };

    void createControls();
    void load();
    // Asks before a hot key other programs use is taken; a "No" puts the last one back.
    void confirmHotKey();
    void updateSliderLabel();

    std::string m_baseIniPath;
    int m_period = 0; // the slider's last offered position
    QSlider* m_slider = nullptr;
    QLabel* m_sliderLabel = nullptr;
    QButtonGroup* m_sources = nullptr;
    QCheckBox* m_autoSource = nullptr;     // AutoSource
    HidingOptions* m_hiding = nullptr;     // in SSTConf.xml
    QCheckBox* m_alertSound = nullptr;     // AlertSound
    QCheckBox* m_tradeHoursOnly = nullptr; // TradeHoursOnly
    QButtonGroup* m_modifiers = nullptr;
    QComboBox* m_hotKey = nullptr;
    QLineEdit* m_program = nullptr;
    GradientButton* m_browse = nullptr;
    HotKeyChoice m_confirmedHotKey;
};

} // namespace marlune
