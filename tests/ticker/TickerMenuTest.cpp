// The popup menu: entries, the state-dependent texts, check marks, sizes and drawing.
#include "ticker/TickerMenu.h"

#include <QAction>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace marlune {
namespace {

TEST(TickerMenu, EntriesInMenuOrder) {
    const auto& entries = TickerMenuEntries();
    std::vector<int> ids;
    for (const MenuEntry& e : entries)
        ids.push_back(e.id);
    EXPECT_EQ(ids, (std::vector<int>{32771, 32772, 32778, 32777, 0, 32775, 32774, 32791, 32792, 0, 32780,
                                     32785, 32786, 32789, 0, 32784}));
    EXPECT_STREQ(entries[7].text, "暂停预警");
    EXPECT_STREQ(entries[8].text, "朴素显示");
    EXPECT_STREQ(entries[13].text, "关于“Marlune”");
    EXPECT_STREQ(entries[15].text, "退出");
}

TEST(TickerMenu, ShowHideTextFollowsTheWindowState) {
    const QString own = QStringLiteral("显示窗口");
    // In sight, also when the hot key showed it: the entry hides the window.
    for (int state : {1, 2, 3})
        EXPECT_EQ(MenuItemText(kMenuShowHide, own, state), QStringLiteral("隐藏窗口(最小化)")) << state;
    for (int state : {4, 5, -1, -2})
        EXPECT_EQ(MenuItemText(kMenuShowHide, own, state), QStringLiteral("显示窗口")) << state;
    for (int state : {0, 7})
        EXPECT_EQ(MenuItemText(kMenuShowHide, QStringLiteral("own"), state), QStringLiteral("own")) << state;
    EXPECT_EQ(MenuItemText(kMenuRefresh, QStringLiteral("刷新"), 1), QStringLiteral("刷新"));
}

TEST(TickerMenu, CheckMarksAndOffsets) {
    EXPECT_TRUE(MenuItemChecked(kMenuTopMost, 1, 0));
    EXPECT_TRUE(MenuItemChecked(kMenuPlainMode, 0, 0, false, true));
    EXPECT_FALSE(MenuItemChecked(kMenuPlainMode, 1, 1, true, false));
    EXPECT_FALSE(MenuItemChecked(kMenuTopMost, 0, 1));
    EXPECT_TRUE(MenuItemChecked(kMenuTransparent, 0, 1));
    EXPECT_FALSE(MenuItemChecked(kMenuTransparent, 1, 0));
    EXPECT_TRUE(MenuItemChecked(kMenuAlwaysChecked, 0, 0));
    EXPECT_FALSE(MenuItemChecked(kMenuRefresh, 1, 1, true));
    EXPECT_TRUE(MenuItemChecked(kMenuPauseAlerts, 0, 0, true));
    EXPECT_FALSE(MenuItemChecked(kMenuPauseAlerts, 1, 1, false));
    for (int gen : {2, 3}) {
        EXPECT_EQ(MenuTextOffsetY(gen), 2);
        EXPECT_EQ(MenuCheckOffsetY(gen), 5);
    }
    for (int gen : {0, 1}) {
        EXPECT_EQ(MenuTextOffsetY(gen), 4);
        EXPECT_EQ(MenuCheckOffsetY(gen), 4);
    }
}

QPixmap RedCheck() {
    QImage image(11, 11, QImage::Format_ARGB32);
    image.fill(QColor(255, 0, 0));
    return QPixmap::fromImage(image);
}

TEST(TickerMenu, ItemsAreDrawnOwnerStyle) {
    TickerMenu menu(RedCheck(), 0, nullptr);
    menu.Prepare(1, 1, 0);
    EXPECT_EQ(menu.ActionFor(kMenuShowHide)->text(), QStringLiteral("隐藏窗口(最小化)"));
    EXPECT_TRUE(menu.ActionFor(kMenuTopMost)->isChecked());
    menu.popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));

    const QRect first = menu.actionGeometry(menu.ActionFor(kMenuSettings));
    EXPECT_EQ(first.size(), QSize(130, 20));
    QAction* separator = menu.actions().at(4);
    ASSERT_TRUE(separator->isSeparator());
    const QRect sep = menu.actionGeometry(separator);
    EXPECT_EQ(sep.size(), QSize(130, 5));

    const QImage image = menu.grab().toImage();
    // Cream band on the left, white beyond it.
    EXPECT_EQ(QColor(image.pixel(first.left() + 10, first.top() + 1)), QColor(247, 243, 223));
    EXPECT_EQ(QColor(image.pixel(first.left() + 25, first.top() + 1)), QColor(Qt::white));
    // The separator: a one-pixel grey line two pixels below its top.
    EXPECT_EQ(QColor(image.pixel(sep.left() + 60, sep.top() + 2)), QColor(181, 181, 181));
    EXPECT_EQ(QColor(image.pixel(sep.left() + 60, sep.top() + 1)), QColor(Qt::white));
    EXPECT_EQ(QColor(image.pixel(sep.left() + 60, sep.top() + 3)), QColor(Qt::white));
    // The check mark of the top-most entry at (3, top + 4); none on the refresh entry.
    const QRect topMost = menu.actionGeometry(menu.ActionFor(kMenuTopMost));
    EXPECT_EQ(QColor(image.pixel(topMost.left() + 3, topMost.top() + 4)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(image.pixel(topMost.left() + 3, topMost.top() + 3)), QColor(247, 243, 223));
    const QRect refresh = menu.actionGeometry(menu.ActionFor(kMenuRefresh));
    EXPECT_EQ(QColor(image.pixel(refresh.left() + 5, refresh.top() + 8)), QColor(247, 243, 223));

    // The selected entry: light blue with a darker border.
    menu.setActiveAction(menu.ActionFor(kMenuRefresh));
    const QImage selected = menu.grab().toImage();
    EXPECT_EQ(QColor(selected.pixel(refresh.left() + 10, refresh.top() + 10)), QColor(177, 199, 233));
    EXPECT_EQ(QColor(selected.pixel(refresh.left() + 60, refresh.top())), QColor(49, 106, 197));
    menu.hide();
}

TEST(TickerMenu, ChosenEntriesReportTheirCommand) {
    TickerMenu menu(QPixmap(), 0, nullptr);
    std::vector<int> chosen;
    QObject::connect(&menu, &TickerMenu::commandChosen, [&chosen](int id) { chosen.push_back(id); });
    menu.ActionFor(kMenuSettings)->trigger();
    menu.ActionFor(kMenuAbout)->trigger();
    EXPECT_EQ(chosen, (std::vector<int>{kMenuSettings, kMenuAbout}));
    EXPECT_EQ(menu.ActionFor(12345), nullptr);
}

} // namespace
} // namespace marlune
