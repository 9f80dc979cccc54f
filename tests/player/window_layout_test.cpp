// The window as it is created: each control at its place in twips, shown or hidden, with its
// captions, tooltips, fonts, colours and the tab order.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "helpers/picture_box.h"
#include "meter/meter3.h"
#include "player/controls/asx_toolbar.h"
#include "player/controls/cpv_slider.h"
#include "player/form1.h"
#include "player/video_host.h"
#include "window_support.h"

namespace {

const QColor kGreen(0, 255, 0);
const QColor kBlack(0, 0, 0);

class WindowLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<Form1>(channel);
        form->show();
    }
    TempCwd cwd;
    RecordingChannel channel;
    std::unique_ptr<Form1> form;
};

struct Place {
    const char* name;
    std::function<QWidget*(Form1&)> control;
    int left, top, width, height;
    bool shown;
};

#define CONTROL(member) #member, [](Form1& f) -> QWidget* { return f.member; }

const Place kPlaces[] = {
    {CONTROL(Label2), 105, 0, 2325, 330, true},
    {CONTROL(asxToolbar3), 5880, 0, 930, 330, true},
    {CONTROL(asxToolbar1), 105, 380, 5790, 330, true},
    {CONTROL(Meter31), 105, 735, 3255, 525, true},
    {CONTROL(Picture2), 3360, 735, 3480, 525, true},
    {CONTROL(cpvSlider1), 0, 1300, 3390, 240, true},
    {CONTROL(Check), 3675, 1350, 1275, 225, true},
    {CONTROL(lbcurrentime), 5145, 1350, 1170, 330, true},
    {CONTROL(asxToolbar2), 105, 1575, 3315, 330, true},
    {CONTROL(List1), 105, 1950, 3315, 1230, true},
    {CONTROL(Picture1), 1155, 3570, 3165, 2955, true},
    {CONTROL(txtfull), 3255, 4830, 960, 330, true},
    {CONTROL(List2), 4515, 2520, 2640, 1425, false},
    {CONTROL(Lbname), 3045, 3255, 1275, 330, false},
    {CONTROL(LbResult), 3570, 1890, 3270, 330, false},
    {CONTROL(LbActualCx), 525, 3570, 855, 330, false},
    {CONTROL(LbActualCy), 630, 3990, 645, 330, false},
    {CONTROL(LbFramesPerSecond), 525, 4410, 645, 330, false},
    {CONTROL(LbTotalFrames), 525, 4830, 645, 330, false},
    {CONTROL(LbCurrentRate), 525, 5565, 645, 330, false},
};

int Px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

TEST_F(WindowLayout, EveryControlSitsAtItsPlaceShownOrHidden)
{
    for (const Place& p : kPlaces) {
        QWidget* control = p.control(*form);
        ASSERT_NE(control, nullptr) << p.name;
        EXPECT_EQ(control->parentWidget(), form.get()) << p.name;
        EXPECT_EQ(control->geometry(), QRect(Px(p.left), Px(p.top), Px(p.width), Px(p.height))) << p.name;
        EXPECT_NEAR(Form1::LeftTwips(control), p.left, 7) << p.name;
        EXPECT_NEAR(Form1::TopTwips(control), p.top, 7) << p.name;
        EXPECT_NEAR(Form1::WidthTwips(control), p.width, 7) << p.name;
        EXPECT_NEAR(Form1::HeightTwips(control), p.height, 7) << p.name;
        EXPECT_EQ(control->isVisible(), p.shown) << p.name;
    }
}

TEST_F(WindowLayout, TheWindowIsFramelessBlackAndItsClientAreaIsTheDesignSize)
{
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(form->windowTitle(), "Zelko Player 1.0");
    EXPECT_EQ(form->WidthTwips(), 6900);
    EXPECT_EQ(form->HeightTwips(), 3570);
    EXPECT_EQ(form->frameGeometry().size(), form->geometry().size());
    EXPECT_FALSE(form->IsMaximized());
    EXPECT_EQ(form->palette().color(QPalette::Window), kBlack);
    EXPECT_TRUE(form->windowIcon().availableSizes().contains(QSize(32, 32)));
    EXPECT_FALSE(form->windowIcon().pixmap(32, 32).isNull());
}

TEST_F(WindowLayout, TwipGeometryRoundsToTheNearestPixelAndReadsBackAtFifteenPerPixel)
{
    QWidget* picture = form->Picture1;
    Form1::SetTwipsGeometry(picture, 1050, 3570, 4800, 3600);
    EXPECT_EQ(picture->geometry(), QRect(70, 238, 320, 240));
    Form1::SetTwipsGeometry(picture, 1042.5, 3577, 4807, 3592);  // 69.5 px, 238.47, 320.47, 239.47
    EXPECT_EQ(picture->geometry(), QRect(70, 238, 320, 239));
    EXPECT_EQ(Form1::LeftTwips(picture), 1050);
    form->SetHeightTwips(7485);
    EXPECT_EQ(form->height(), 499);
    EXPECT_EQ(form->HeightTwips(), 7485);
    EXPECT_EQ(form->WidthTwips(), 6900);
}

TEST_F(WindowLayout, CaptionsAndInitialValues)
{
    EXPECT_EQ(form->Label2->text(), "Zelko Player 1.0");
    EXPECT_EQ(form->Check->text(), "Auto Replay");
    EXPECT_FALSE(form->Check->isChecked());
    EXPECT_EQ(form->LbResult->text(), "Label1");
    for (QLabel* empty : {form->lbcurrentime, form->Lbname, form->LbActualCx, form->LbActualCy,
                          form->LbFramesPerSecond, form->LbTotalFrames, form->LbCurrentRate})
        EXPECT_TRUE(empty->text().isEmpty()) << empty->objectName().toStdString();
    EXPECT_FALSE(form->Label2->wordWrap());
    EXPECT_TRUE(form->txtfull->text().isEmpty());
    EXPECT_EQ(form->List1->count(), 0);
    EXPECT_FALSE(form->List1->isSortingEnabled());
    EXPECT_EQ(form->List1->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(form->cpvSlider1->Min(), -1);
    EXPECT_EQ(form->cpvSlider1->Max(), 100);
    EXPECT_EQ(form->cpvSlider1->Value(), -1);
    EXPECT_EQ(form->Meter31->Border(), 0);
    EXPECT_EQ(form->Meter31->Value(), 0);
    form->mResult = "Success";
    form->ShowResult();
    EXPECT_EQ(form->LbResult->text(), "Result calling Function is : Success");
    EXPECT_FALSE(form->LbResult->isVisible());
}

struct Button {
    const char* caption;
    const char* key;
    const char* toolTip;
};

void ExpectButtons(AsxToolbar* toolbar, std::initializer_list<Button> buttons)
{
    const std::string name = toolbar->objectName().toStdString();
    ASSERT_EQ(toolbar->ButtonCount(), static_cast<int>(buttons.size())) << name;
    QSignalSpy clicks(toolbar, &AsxToolbar::ButtonClick);
    int index = 1;
    for (const Button& b : buttons) {
        QAbstractButton* button = toolbar->Button(index);
        ASSERT_NE(button, nullptr) << name << index;
        EXPECT_EQ(button->text(), QString::fromLatin1(b.caption)) << name << index;
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(b.toolTip)) << name << index;
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << name << index;
        button->click();
        ASSERT_EQ(clicks.size(), index) << name;
        EXPECT_EQ(clicks.at(index - 1).at(0).toInt(), index) << name;
        EXPECT_EQ(clicks.at(index - 1).at(1).toString(), QString::fromLatin1(b.key)) << name << index;
        ++index;
    }
}

TEST_F(WindowLayout, ToolbarButtonsKeepTheirBlanksKeysAndTooltips)
{
    // The window's own handlers stay out of this: only the buttons are looked at.
    for (AsxToolbar* toolbar : {form->asxToolbar1, form->asxToolbar2, form->asxToolbar3})
        QObject::disconnect(toolbar, nullptr, form.get(), nullptr);
    ExpectButtons(form->asxToolbar1, {{"Play         ", "play", "Play   F1"},
                                      {"Pause      ", "pause", "Pause   F2"},
                                      {"Stop          ", "stop", "Stop   F3"},
                                      {"Slow Motion", "forward", "Slow Motion  F4"},
                                      {"Fullscreen   ", "fullscreen", "Fullscreen"}});
    ExpectButtons(form->asxToolbar2, {{"Add to Playlist", "add", "Add media to playlist"},
                                      {"Remove", "remove", "Remove meddia from playlist"},
                                      {"Clear All", "clear", "Clear Playlist"}});
    ExpectButtons(form->asxToolbar3, {{"Close   ", "close", "Close"}});
}

TEST_F(WindowLayout, FontsAskForTheDesignFaces)
{
    struct FontCase {
        QWidget* control;
        const char* family;
        double points;
        bool bold;
    };
    const FontCase cases[] = {
        {form->Label2, "Tahoma", 12, true},
        {form->asxToolbar3, "MS Sans Serif", 8.25, false},
        {form->asxToolbar1, "Tahoma", 8.25, false},
        {form->asxToolbar2, "Tahoma", 8.25, false},
        {form->Check, "Tahoma", 8.25, false},
        {form->List1, "Tahoma", 8.25, false},
        {form->Lbname, "Tahoma", 8.25, false},
        {form->LbTotalFrames, "Tahoma", 8.25, false},
        {form->lbcurrentime, "MS Sans Serif", 8.25, false},
        {form->txtfull, "MS Sans Serif", 8.25, false},
        {form->LbResult, "MS Sans Serif", 8.25, false},
        {form.get(), "MS Sans Serif", 8.25, false},
    };
    for (const FontCase& c : cases) {
        const std::string name = c.control->objectName().toStdString();
        EXPECT_EQ(c.control->font().family(), QString::fromLatin1(c.family)) << name;
        EXPECT_DOUBLE_EQ(c.control->font().pointSizeF(), c.points) << name;
        EXPECT_EQ(c.control->font().bold(), c.bold) << name;
    }
}

TEST_F(WindowLayout, GreenOnBlackWhereDesigned)
{
    for (QWidget* control : std::initializer_list<QWidget*>{form->Label2, form->Check, form->lbcurrentime,
                                                            form->List1, form->Lbname}) {
        const std::string name = control->objectName().toStdString();
        EXPECT_EQ(control->palette().color(QPalette::WindowText), kGreen) << name;
        EXPECT_EQ(control->palette().color(QPalette::Window), kBlack) << name;
    }
    EXPECT_EQ(form->List1->palette().color(QPalette::Text), kGreen);
    EXPECT_EQ(form->List1->palette().color(QPalette::Base), kBlack);
    EXPECT_EQ(form->txtfull->palette().color(QPalette::Base), kBlack);
    EXPECT_EQ(form->Picture2->BackColor(), kGreen);
    EXPECT_EQ(form->Picture1->palette().color(QPalette::Window), kBlack);
    EXPECT_EQ(form->cpvSlider1->palette().color(QPalette::Window), kBlack);
}

TEST_F(WindowLayout, TabOrderRunsThroughTheFocusableControlsAsDesigned)
{
    const std::vector<QWidget*> expected{form->Picture1, form->Check, form->Picture2, form->List1,
                                         form->List2, form->txtfull, form->Meter31};
    std::vector<QWidget*> chain;
    QWidget* w = form->Picture1;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != form->Picture1 && chain.size() < 50);
    EXPECT_EQ(chain, expected);
}

}  // namespace
