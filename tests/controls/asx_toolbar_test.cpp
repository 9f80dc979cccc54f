// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/controls/asx_toolbar.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

namespace zelko {

TEST(AsxToolbar, AClickRaisesButtonClickAndLeavesTheLatchedStateAlone)
{
    const QStringList keys = {"play", "pause", "stop", "forward", "fullscreen"};
    AsxToolbar toolbar;
    toolbar.setGeometry(7, 25, 386, 22);  // 5790 x 330 twips
    for (const QString& key : keys) {
        toolbar.AddButton(key + "   ", key, key);
    }
    toolbar.show();
    QSignalSpy clicks(&toolbar, &AsxToolbar::ButtonClick);
    toolbar.SetButtonPressed(2, true);  // a put raises nothing
    for (int i = 1; i <= 5; ++i) {
        QTest::mouseClick(toolbar.Button(i), Qt::LeftButton);
    }
    QTest::mouseClick(toolbar.Button(2), Qt::LeftButton);
    ASSERT_EQ(clicks.count(), 6);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(clicks.at(i - 1).at(0).toInt(), i);
        EXPECT_EQ(clicks.at(i - 1).at(1).toString(), keys[i - 1]);
        EXPECT_EQ(toolbar.ButtonPressed(i), i == 2) << i;
    }
    toolbar.SetButtonPressed(2, false);
    EXPECT_FALSE(toolbar.ButtonPressed(2));
    // A pressed button is drawn sunk, so the user sees the latch.
    const QImage idle = toolbar.Button(4)->grab().toImage();
    toolbar.SetButtonPressed(4, true);
    EXPECT_NE(toolbar.Button(4)->grab().toImage(), idle);
    for (int outside : {0, 6, -3}) {
        toolbar.SetButtonPressed(outside, true);
        EXPECT_FALSE(toolbar.ButtonPressed(outside)) << outside;
        EXPECT_EQ(toolbar.Button(outside), nullptr);
    }
}

// A screen reader hears a check-style button as a button that can be checked and is checked
// (and pressed) while latched; a click, which leaves the latch alone, leaves that alone too.
TEST(AsxToolbar, AScreenReaderHearsTheLatchOfACheckStyleButton)
{
    AsxToolbar toolbar;
    toolbar.AddButton("Play", "play", "Play");
    toolbar.AddButton("Pause", "pause", "Pause", AsxToolbar::ButtonStyle::Check);
    toolbar.show();
    const auto state = [&](int index) { return QAccessible::queryAccessibleInterface(toolbar.Button(index))->state(); };
    for (int index : {1, 2}) {
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(toolbar.Button(index));
        EXPECT_EQ(button->role(), QAccessible::Button) << index;
        EXPECT_EQ(state(index).checkable, index == 2);
        EXPECT_FALSE(state(index).checked || state(index).pressed);
    }
    toolbar.SetButtonPressed(2, true);
    EXPECT_TRUE(state(2).checked && state(2).pressed);
    QTest::mouseClick(toolbar.Button(2), Qt::LeftButton);
    EXPECT_TRUE(state(2).checked);
    toolbar.SetButtonPressed(2, false);
    EXPECT_FALSE(state(2).checked || state(2).pressed);
    toolbar.SetButtonPressed(1, true);  // a plain button latched reads as pressed, never checked
    EXPECT_TRUE(state(1).pressed && !state(1).checked);
}

TEST(AsxToolbar, ItsButtonsTipsShowInTheToolbarsOwnTooltipFont)
{
    QFont sansSerif(QStringLiteral("MS Sans Serif"));
    sansSerif.setPointSizeF(8.25);
    QFont other(QStringLiteral("Tahoma"));
    other.setPointSizeF(12);
    AsxToolbar first, second;
    first.AddButton("Play", "play", "Play   F1");
    second.AddButton("Close", "close", "Close");
    second.SetToolTipFont(other);
    first.SetToolTipFont(sansSerif);
    EXPECT_EQ(first.ToolTipFont(), sansSerif);
    for (AsxToolbar* toolbar : {&second, &first}) {
        toolbar->show();
        QAbstractButton* button = toolbar->Button(1);
        QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(button, &hover);
        EXPECT_EQ(QToolTip::text(), button->toolTip());
        EXPECT_EQ(QToolTip::font(), toolbar->ToolTipFont()) << button->toolTip().toStdString();
    }
}

}  // namespace zelko
