// The toolkit's events reach the window's handlers: keys in txtfull arrive as their key codes
// (Esc 27, F1-F4 112-115) whatever the shift state, and a double-click on List1 plays.
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "player/form1.h"
#include "player/video_host.h"
#include "window_support.h"

namespace {

class WindowEvents : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<Form1>(channel);
        form->show();
        Form1::SetTwipsGeometry(form->Picture1, 0, 0, 3000, 2000);  // as fullscreen mode leaves it
    }
    int OpenCommands() const
    {
        int n = 0;
        for (const std::string& text : channel.texts)
            n += text.rfind("open ", 0) == 0 ? 1 : 0;
        return n;
    }

    TempCwd cwd;
    RecordingChannel channel;
    std::unique_ptr<Form1> form;
};

TEST_F(WindowEvents, EscInTxtfullLeavesFullscreenMode)
{
    QTest::keyClick(form->txtfull, Qt::Key_Escape);
    EXPECT_EQ(Form1::TopTwips(form->Picture1), 3570);
}

TEST_F(WindowEvents, F3WithShiftHeldStopsAndPutsThePictureAtItsStopPlace)
{
    QTest::keyClick(form->txtfull, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Form1::LeftTwips(form->Picture1), 1365);
    EXPECT_EQ(Form1::TopTwips(form->Picture1), 4095);
    EXPECT_GE(channel.count("Stop"), 1);  // "Stop " + the (still empty) alias
}

TEST_F(WindowEvents, F1InTxtfullPlaysTheSelectedEntry)
{
    form->List1->addItem("a.mpg");
    form->List2->addItem("/m/a.mpg");
    form->List1->setCurrentRow(0);
    QTest::keyClick(form->txtfull, Qt::Key_F1);
    EXPECT_EQ(OpenCommands(), 1);
}

TEST_F(WindowEvents, OtherKeysInTxtfullDoNothing)
{
    const auto sentBefore = channel.texts.size();
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_F5, Qt::Key_Space, Qt::Key_Tab})
        QTest::keyClick(form->txtfull, key);
    EXPECT_EQ(Form1::TopTwips(form->Picture1), 0);
    EXPECT_EQ(Form1::LeftTwips(form->Picture1), 0);
    EXPECT_EQ(channel.texts.size(), sentBefore);
}

TEST_F(WindowEvents, ADoubleClickOnAnEntryPlaysIt)
{
    form->List1->addItem("a.mpg");
    form->List2->addItem("/m/a.mpg");
    const QPoint entry = form->List1->visualItemRect(form->List1->item(0)).center();
    QTest::mouseDClick(form->List1->viewport(), Qt::LeftButton, {}, entry);
    EXPECT_EQ(form->List2->currentRow(), 0);
    EXPECT_EQ(OpenCommands(), 1);
    ASSERT_FALSE(channel.texts.empty());
}

}  // namespace
