#pragma once
// The display page's group of options that keep the ticker from being noticed: the plain
// mode with its one text colour, hiding after the day's last session (and while the quotes
// are stale), and no requests while the user has hidden the window. They are kept in
// scnf/SSTConf.xml (config/StealthSettings.h).

#include "config/StealthSettings.h"

#include <QGroupBox>

class QCheckBox;

namespace marlune {

class ColorSwatch;

class StealthOptions final : public QGroupBox {
    Q_OBJECT
public:
    explicit StealthOptions(QWidget* parent);

    void Show(const StealthSettings& settings);
    StealthSettings Values() const;
    // The plain colour's swatch shows its word on the ticker's background.
    void SetBackground(const QColor& background);
    // Opens the colour dialog for the plain colour, as a click on its swatch does.
    void PickPlainColor();

    // Controls, for tests.
    QCheckBox* PlainModeBox() const { return m_plainMode; }
    ColorSwatch* PlainColorSwatch() const { return m_plainColor; }
    QCheckBox* HideAfterCloseBox() const { return m_hideAfterClose; }
    QCheckBox* HideWhenStaleBox() const { return m_hideWhenStale; }
    QCheckBox* NoRefreshHiddenBox() const { return m_noRefreshHidden; }

private:
    QCheckBox* m_plainMode = nullptr;
    ColorSwatch* m_plainColor = nullptr;
    QCheckBox* m_hideAfterClose = nullptr;
    QCheckBox* m_hideWhenStale = nullptr;
    QCheckBox* m_noRefreshHidden = nullptr;
};

} // namespace marlune
