// The window as it is created: each control at its place in twips, shown or hidden, with its
// caption (trailing blanks kept) and tooltip; a toolbar's are its buttons', joined by "|", and
// its tips show in their own font.
#include <cmath>

#include "form_fixture.h"

struct Place {
    const char* name;
    int left, top, width, height;  // twips
    bool shown;
    const char* caption;
    const char* toolTip;
};

const Place kPlaces[] = {
    {"Label2", 105, 0, 2325, 330, true, "Zelko Player 1.0", ""},
    {"asxToolbar3", 5880, 0, 930, 330, true, "Close   ", "Close"},
    {"asxToolbar1", 105, 380, 5790, 330, true, "Play         |Pause      |Stop          |Slow Motion|Fullscreen   ",
     "Play   F1|Pause   F2|Stop   F3|Slow Motion  F4|Fullscreen"},
    {"Meter31", 105, 735, 3255, 525, true, "", ""},
    {"Picture2", 3360, 735, 3480, 525, true, "", ""},
    {"cpvSlider1", 0, 1300, 3390, 240, true, "", ""},
    {"Check", 3675, 1350, 1275, 225, true, "Auto Replay", ""},
    {"lbcurrentime", 5145, 1350, 1170, 330, true, "", ""},
    {"asxToolbar2", 105, 1575, 3315, 330, true, "Add to Playlist|Remove|Clear All",
     "Add media to playlist|Remove meddia from playlist|Clear Playlist"},
    {"List1", 105, 1950, 3315, 1230, true, "", ""},
    {"Picture1", 1155, 3570, 3165, 2955, true, "", ""},
    {"txtfull", 3255, 4830, 960, 330, true, "", ""},
    {"List2", 4515, 2520, 2640, 1425, false, "", ""},
    {"Lbname", 3045, 3255, 1275, 330, false, "", ""},
    {"LbResult", 3570, 1890, 3270, 330, false, "Label1", ""},
    {"LbActualCx", 525, 3570, 855, 330, false, "", ""},
    {"LbActualCy", 630, 3990, 645, 330, false, "", ""},
    {"LbFramesPerSecond", 525, 4410, 645, 330, false, "", ""},
    {"LbTotalFrames", 525, 4830, 645, 330, false, "", ""},
    {"LbCurrentRate", 525, 5565, 645, 330, false, "", ""},
};

// The control's property, or its buttons' joined by "|".
static QString Text(QWidget* control, const char* property)
{
    auto* toolbar = qobject_cast<AsxToolbar*>(control);
    QStringList parts;
    for (int i = 1; toolbar && i <= toolbar->ButtonCount(); ++i)
        parts << toolbar->Button(i)->property(property).toString();
    return toolbar ? parts.join('|') : control->property(property).toString();
}

static int Px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

using WindowLayout = FormTest<FakeDevice>;

TEST_F(WindowLayout, EveryControlSitsAtItsPlaceWithItsCaptionAndTooltip)
{
    EXPECT_EQ(form->WidthTwips(), 6900);
    EXPECT_EQ(form->HeightTwips(), 3570);
    for (const Place& p : kPlaces) {
        SCOPED_TRACE(p.name);
        QWidget* control = form->findChild<QWidget*>(QLatin1String(p.name), Qt::FindDirectChildrenOnly);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), QRect(Px(p.left), Px(p.top), Px(p.width), Px(p.height)));
        EXPECT_EQ(control->isVisible(), p.shown);
        EXPECT_EQ(Text(control, "text"), QString::fromLatin1(p.caption));
        EXPECT_EQ(Text(control, "toolTip"), QString::fromLatin1(p.toolTip));
        if (const auto* toolbar = qobject_cast<AsxToolbar*>(control)) {
            EXPECT_EQ(toolbar->ToolTipFont().family(), "MS Sans Serif");
            EXPECT_EQ(toolbar->ToolTipFont().pointSizeF(), 8.25);
        }
    }
}

