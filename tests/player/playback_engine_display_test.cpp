// Playback on the real engine with the test clips, in a real X window (Picture1's native window
// is the video's parent), with the window's own timers.
#include <QRegularExpression>
#include <QSignalSpy>

#include "form_fixture.h"
#include "media/engine_channel.h"

constexpr int kDeadlineMs = 15000;  // a 2 s clip, with room for a loaded machine

class EngineTest : public FormTest<zelko::media::EngineChannel> {
protected:
    void Play(std::initializer_list<const char*> names)
    {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        for (const char* name : names)
            AddEntry(QLatin1String(name), QStringLiteral(ZELKO_CLIPS_DIR "/") + name);
        PlayRow(form->List1->count() - static_cast<int>(names.size()));
        ASSERT_EQ(form->mResult, "Success");
    }
    std::string Ask(const std::string& command)  // "" on failure
    {
        char reply[128] = {};
        return channel.sendString(command, reply, sizeof reply, 0) == 0 ? reply : "";
    }
    std::string Mode() { return Ask("status movie mode"); }
};

TEST_F(EngineTest, StartShowsTheFileAndTheTransportDrivesTheDevice)
{
    form->PlaySelected();  // nothing selected
    EXPECT_NE(form->mResult, "Success");
    EXPECT_EQ(form->LbResult->text(), "Result calling Function is : " + QString::fromStdString(form->mResult));
    EXPECT_EQ(form->Lbname->text(), QString());

    const QRect picture = form->Picture1->geometry();
    Play({"tone.wav"});
    EXPECT_EQ(form->LbActualCx->text() + form->LbActualCy->text(), "-1-1");
    EXPECT_EQ(form->HeightTwips(), 3570);
    EXPECT_EQ(form->Picture1->geometry(), picture);

    Play({"video.mpg"});  // had the audio device stayed open, its alias would be taken
    EXPECT_EQ(form->LbActualCx->text() + "x" + form->LbActualCy->text(), "320x240");
    EXPECT_EQ(form->HeightTwips(), 7485);
    EXPECT_EQ(form->Picture1->geometry(), QRect(70, 238, 320, 240));  // 1050, 3570, 4800 x 3600 twips
    EXPECT_EQ(Mode(), "playing");

    // Pause, Resume, Slow Motion and back, Stop: the device's mode or speed after each.
    const std::pair<int, const char*> steps[] = {{2, "paused"}, {2, "playing"}, {4, "400"}, {4, "1000"},
                                                 {3, "stopped"}};
    for (const auto& [button, state] : steps) {
        form->asxToolbar1_ButtonClick(button, QString());
        EXPECT_EQ(Ask(button == 4 ? "status movie speed" : "status movie mode"), state);
        EXPECT_EQ(form->LbResult->text(), "Result calling Function is : Success");
    }
}

TEST_F(EngineTest, APlaylistPlaysThroughAndStopsAfterTheLastUntilAutoReplayIsTicked)
{
    Play({"tone.wav", "video.mpg", "tone.mp3"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->List1->currentRow() == 2; }, kDeadlineMs));
    EXPECT_EQ(form->HeightTwips(), 3570);  // grew for the video, back for the audio
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->TimerMisc->isActive(); }, kDeadlineMs));
    QSignalSpy endTicks(form->TimerAtEndFile, &QTimer::timeout);
    ASSERT_TRUE(QTest::qWaitFor([&] { return endTicks.size() >= 3; }, kDeadlineMs));
    EXPECT_EQ(form->List1->currentRow(), 2) << "no wrap to the first entry";
    EXPECT_EQ(Mode(), "stopped");
    form->Check->setCheckState(Qt::Checked);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Mode() == "playing"; }, kDeadlineMs));
    EXPECT_EQ(form->Lbname->text(), "tone.mp3");
}

TEST_F(EngineTest, TheMonitorAdvancesFullscreenFollowsAndTheSliderSeeks)
{
    Play({"video.avi"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->cpvSlider1->Value() >= 20; }, kDeadlineMs));
    EXPECT_GE(form->Meter31->Value(), 10);
    EXPECT_TRUE(QRegularExpression("^0:0[0-2] / 0:0[12]$").match(form->lbcurrentime->text()).hasMatch())
        << form->lbcurrentime->text().toStdString();
    form->PausePlayback();
    ASSERT_EQ(Mode(), "paused");

    const QRect normal = form->geometry();
    form->asxToolbar1_ButtonClick(5, QString());
    const QSize screen = form->screen()->geometry().size();
    EXPECT_EQ(form->Picture1->geometry(), QRect(QPoint(0, 0), screen));
    const std::string full = std::to_string(screen.width()) + " " + std::to_string(screen.height());
    EXPECT_EQ(Ask("where movie destination"), "0 0 " + full);
    QTest::keyClick(form->txtfull, Qt::Key_Escape);
    EXPECT_EQ(form->geometry(), normal);
    EXPECT_EQ(form->Picture1->geometry(), QRect(70, 238, 320, 240));
    EXPECT_EQ(Ask("where movie destination"), "0 0 320 240");

    CpvSlider* slider = form->cpvSlider1;
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() * 3 / 4, slider->height() / 2));
    ASSERT_GT(slider->Value(), 40);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->mSeekFrame != 0; }, kDeadlineMs));  // raised from the loop
    const int32_t total = form->LbTotalFrames->text().toInt();
    EXPECT_EQ(form->mSeekFrame, static_cast<int32_t>(std::nearbyint(total * slider->Value() / 100.0)));
    EXPECT_GE(std::atoi(Ask("status movie position").c_str()), form->mSeekFrame);
    EXPECT_EQ(Mode(), "playing");  // the seek plays on, though Pause still shows pressed
    EXPECT_TRUE(QTest::qWaitFor([&] { return Mode() == "stopped"; }, kDeadlineMs));
    EXPECT_EQ(Ask("status movie position"), std::to_string(total)) << "it played on to the end";
}

