#pragma once
// The settings controls of the options that keep the ticker from being noticed
// (config/StealthSettings.h, kept in scnf/SSTConf.xml): the display page's plain-mode switch
// with its one text colour, and the basic page's hiding options.

#include "config/StealthSettings.h"

#include <QWidget>

class QCheckBox;

namespace marlune {

class ColorSwatch;

// "朴素显示" and the swatch of its colour, on one line.
class PlainModeSwitch final : public QWidget {
    Q_OBJECT
public:
    explicit PlainModeSwitch(QWidget* parent);

    void Show(const StealthSettings& settings);
    // The plain mode and colour shown, the other options as given.
    StealthSettings Values(StealthSettings others) const;
    // The swatch shows its word on the ticker's background.
    void SetBackground(const QColor& background);
    // Opens the colour dialog, as a click on the swatch does; a colour chosen turns the mode on.
    void PickColor();

    QCheckBox* Box() const { return m_box; }
    ColorSwatch* Swatch() const { return m_swatch; }

private:
    QCheckBox* m_box = nullptr;
    ColorSwatch* m_swatch = nullptr;
};

// "收盘后自动隐藏", "行情过期时也隐藏" (open only with the first) and "隐藏时不刷新".
class HidingOptions final : public QObject {
    Q_OBJECT
public:
    explicit HidingOptions(QWidget* parent);

    void Show(const StealthSettings& settings);
    // The hiding options shown, the plain mode as given.
    StealthSettings Values(StealthSettings others) const;

    QCheckBox* AfterCloseBox() const { return m_afterClose; }
    QCheckBox* WhenStaleBox() const { return m_whenStale; }
    QCheckBox* NoRefreshBox() const { return m_noRefresh; }

private:
    QCheckBox* m_afterClose = nullptr;
    QCheckBox* m_whenStale = nullptr;
    QCheckBox* m_noRefresh = nullptr;
};

} // namespace marlune
