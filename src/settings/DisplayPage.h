#pragma once
// The display page: which quote columns the ticker window shows, the header row, the total
// line and the refresh time, five custom colours, font size and weight, and the window and
// start-up options (top-most, transparent background, docking auto-hide, start with the
// desktop session, tray and start-hidden behaviour, automatic upgrade, new-stock tips), and the
// plain mode beside the colours (settings/StealthOptions.h). Loaded from and stored to
// scnf/SSTConf.xml; the ticker window and the owner take them from there after an apply.

#include "config/DisplaySettings.h"
#include "settings/SettingsPageBase.h"

#include <array>
#include <map>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;

namespace marlune {

inline constexpr char kNoColumnText[] = "显示列不能全为空";

// The five colours in the order of their swatches.
enum class SwatchId : int { Up = 0, Down, Name, Title, Background };
inline constexpr int kSwatchCount = 5;

class ColorSwatch;
class PlainModeSwitch;

class DisplayPage final : public SettingsPageBase {
    Q_OBJECT
public:
    // Check box ids of the page (the dialog template's numbers).
    enum BoxId : int {
        kBoxCode = 1067,
        kBoxChangeRate = 1068,
        kBoxPlRate = 1025,
        kBoxPrice = 1026,
        kBoxName = 1027,
        kBoxChange = 1028,
        kBoxPlAmount = 1029,
        kBoxTotal = 1030,
        kBoxCustColor = 1031,
        kBoxShowHead = 1033,
        kBoxDisplayFresh = 1034,
        kBoxTopMost = 1035,
        kBoxAutoHide = 1072,
        kBoxAutoRun = 1036,
        kBoxMiniTray = 1037,
        kBoxMiniWnd = 1039,
        kBoxAutoUpdate = 1079,
        kBoxNewStockTip = 1093,
        kBoxActiveWnd = 1096,
        kBoxFontBold = 1040,
        // Not in the dialog template: base.ini's TransBK, which the template left to the
        // first run alone.
        kBoxTransparent = 1098,
    };

    DisplayPage(StatusSink status, QWidget* parent);

    QString CheckBeforeStore() const override;
    // Writes every value with SetValue, then registers or removes the autostart entry.
    void Store() override;

    // The values the controls show now.
    DisplaySettings Values() const;

    // Opens the colour dialog for a swatch, as a click on it does.
    void PickColor(SwatchId swatch);

    // Controls, for tests.
    QCheckBox* Box(BoxId id) const;
    ColorSwatch* Swatch(SwatchId swatch) const { return m_swatches[static_cast<int>(swatch)]; }
    QComboBox* FontSizeList() const { return m_fontSize; }
    PlainModeSwitch* PlainMode() const { return m_plainMode; }

private:
    void createControls();
    void load();
    void onColumnClicked();
    void onCustomColorClicked();
    void setColors(const std::array<Rgb, kSwatchCount>& colors);
    // The text colours' swatches show their words on the background colour.
    void showSwatchesOnBackground();

    std::string m_xmlPath;
    bool m_loaded = false;
    std::map<int, QCheckBox*> m_boxes;
    std::array<ColorSwatch*, kSwatchCount> m_swatches{};
    QComboBox* m_fontSize = nullptr;
    PlainModeSwitch* m_plainMode = nullptr;
};

} // namespace marlune
