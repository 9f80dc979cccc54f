// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <string>

#include "media/module_multimedia.h"
#include "media/task.h"
#include "player/media_lane.h"
#include "player/player.h"
#include "player/position_clock.h"
#include "player/video_fit.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTimer;

namespace zelko {

class AsxToolbar;
class CommonDialog;
class CpvSlider;
class Meter3;
class PictureBox;
class VideoHost;

// The player's only window. Its members carry the player's own names: the window state record,
// the controls, the procedures and the handlers (named after control and event). Nothing of it
// is reached from outside but the Player it shows the desktop (AsPlayer), through which the
// desktop follows playback and runs the window's own procedures; tests read the few insides
// they must through Form1Probe.
//
// A procedure that talks to the media device is a coroutine: it reads line by line as the
// procedure it is, with co_await at each media call, and the window's thread goes back to its
// event loop while a command waits for the engine. The handlers hand procedures to one lane
// (MediaLane), which runs them one at a time and applies the rule for input that comes while
// one waits.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // The channel is the product's HostChannel, or a test's; it must outlive the window.
    explicit Form1(zelko::media::MciChannel& channel, QWidget* parent = nullptr);
    ~Form1() override;

    Player& AsPlayer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class Form1Probe;
    class Facade;
    using PlaybackStatus = Player::Status;
    using Procedure = zelko::media::Task<void>;
    using LaneKind = zelko::player::MediaLane::Kind;
    // What the procedures have left of playback, the one record of it: the latched Pause and
    // Slow Motion buttons show it, and the desktop reads it.
    struct Playback {
        PlaybackStatus status = PlaybackStatus::Stopped;
        bool slowMotion = false;
        bool open = false;
        uint64_t track = 0;
        QString title;
        QByteArray path;
        int32_t volume = 1000;
    };
    enum class PauseRelease { AfterAlias, AfterName };  // when a play procedure releases Pause

    // ---- The window state record. Everything starts at zero or empty; nothing is saved.
    std::string mAlias;
    std::string mDeviceType;
    std::string mResult;
    int32_t mVideoCx = 0;
    int32_t mVideoCy = 0;
    double mTotalSeconds = 0;
    int32_t mTotalMinutes = 0;
    QString mTotalSecondsText;
    int32_t mSeekFrame = 0;
    double mTotalFrames = 0;  // what LbTotalFrames shows, as the number it is (0 before any open)

    // ---- Controls, children of the window.
    QLabel* Label2 = nullptr;
    AsxToolbar* asxToolbar3 = nullptr;
    AsxToolbar* asxToolbar1 = nullptr;
    Meter3* Meter31 = nullptr;
    PictureBox* Picture2 = nullptr;
    CpvSlider* cpvSlider1 = nullptr;
    QCheckBox* Check = nullptr;
    QLabel* lbcurrentime = nullptr;
    AsxToolbar* asxToolbar2 = nullptr;
    QListWidget* List1 = nullptr;
    VideoHost* Picture1 = nullptr;
    QLineEdit* txtfull = nullptr;
    QListWidget* List2 = nullptr;
    QLabel* Lbname = nullptr;
    QLabel* LbResult = nullptr;
    QLabel* LbActualCx = nullptr;
    QLabel* LbActualCy = nullptr;
    QLabel* LbFramesPerSecond = nullptr;
    QLabel* LbTotalFrames = nullptr;
    QLabel* LbCurrentRate = nullptr;
    QTimer* TimerAtEndFile = nullptr;
    QTimer* TimerMisc = nullptr;
    QTimer* Timerscroll = nullptr;
    CommonDialog* CommonDialog1 = nullptr;

    // The media control layer, over the window's channel.
    zelko::media::ModuleMultimedia Media;
    Facade* m_facade = nullptr;

    // ---- Layout: every control at its design place.
    struct Layout;
    void CreateControls();
    void ConnectHandlers();
    void ConnectView();

    // ---- Handlers, named after control and event.
    void Form_Load();
    void Form_QueryUnload();
    void Form_Unload();
    void asxToolbar1_ButtonClick(int index, const QString& key);
    void asxToolbar2_ButtonClick(int index, const QString& key);
    void asxToolbar3_ButtonClick(int index, const QString& key);
    void List1_Click();
    void List1_DblClick();
    void txtfull_KeyDown(int keyCode, int shift);
    void TimerAtEndFile_Timer();
    void TimerMisc_Timer();
    void Timerscroll_Timer();
    void cpvSlider1_ThumbMoved(int value);
    void Form_MouseDown(Qt::MouseButton button);
    void Picture1_MouseDown(Qt::MouseButton button);

    // ---- Procedures.
    Procedure PlaySelected();
    Procedure PlaySelectedFullscreen();
    Procedure PausePlayback();
    Procedure StopPlayback();
    Procedure SlowMotion();
    Procedure GoFullscreen();
    Procedure PlayEntryInCurrentMode();  // the selected entry; fullscreen stays fullscreen
    // The end-of-media advance: selects the next entry (the first when none is selected) and
    // plays it; does nothing when the last entry is selected.
    Procedure PlayNextEntry();
    // What the handlers run: a button's, a key's or a clock's whole work.
    Procedure TransportButton(int index);  // asxToolbar1's button, then the focus
    Procedure FullscreenKey(int keyCode);  // txtfull's key
    Procedure EndOfMediaTick();
    Procedure MonitorTick();
    Procedure SliderSeek(int32_t percent);
    Procedure SeekTo(int32_t frame);
    Procedure SendSeek();
    Procedure SetVolume(int32_t volume);
    // Appends one entry without selecting it; refused (false) while the window closes or when
    // either text holds a line break, which a playlist file could not store.
    bool AppendEntry(const QByteArray& title, const QByteArray& path);
    void PlaylistAdd();
    void PlaylistRemove();
    void PlaylistClearAll();
    bool SelectNextEntry();  // the next entry, the first when none is selected; false after the last
    void ShowResult();       // LbResult's caption: "Result calling Function is : " and mResult

    // Playback start.
    zelko::media::Task<std::string> OpenSelectedAndFillLabels(PauseRelease release);
    bool PlayStarted(const std::string& openResult);
    bool ArrangeNormalWindow(int32_t cx, int32_t cy);  // true when the video is shown smaller
    QRect WorkArea() const;                            // of the screen the window is on
    zelko::player::VideoFit FitToWorkArea(int32_t cx, int32_t cy) const;
    void KeepInsideWorkArea();

    // The playback record, and the latched buttons that show it.
    void SetStatus(PlaybackStatus status);  // also runs or stops the position clock
    void ReleasePause();                    // Paused becomes Stopped; any other status stays
    void SetSlowMotion(bool on);
    Player::State CurrentState() const;
    int32_t PositionFrame() const;  // from the position clock, -1 with nothing open

    // Fullscreen mode; the window state is the mode.
    void MaximizeOverPicture1();
    void FollowMaximizedSize();
    void RestoreForm();
    Procedure PlaceVideoInPicture1();
    Procedure LeaveFullscreen();         // Esc
    Procedure StopAndLeaveFullscreen();  // F3
    bool SliderKey(int key);             // true when the key moved the focused slider's thumb

    // The playlist files.
    void WatchPlaylist();
    void PlaylistChanged();
    void SavePlaylist();  // both files or neither; what failed is named
    void ReportSave(const QStringList& report);

    // ---- Geometry in twips (15 per pixel), as the procedures reckon it.
    int HeightTwips() const;
    int WidthTwips() const;
    void SetHeightTwips(int twips);
    bool IsMaximized() const;  // window state 2: fullscreen mode
    static void SetTwipsGeometry(QWidget* control, double left, double top, double width, double height);
    static int LeftTwips(const QWidget* control);
    static int TopTwips(const QWidget* control);
    static int WidthTwips(const QWidget* control);
    static int HeightTwips(const QWidget* control);

    static int SelectedIndex(const QListWidget* list);         // -1 when nothing is selected
    static QString SelectedText(const QListWidget* list);      // empty when nothing is selected
    static QByteArray SelectedBytes(const QListWidget* list);  // the entry's bytes, likewise
    static void EnableTimer(QTimer* timer);

    bool m_unloaded = false;  // the close request and unload run once
    Playback m_playback;
    zelko::media::ModuleMultimedia::Failure m_openFailure;  // the latest open's, when it failed
    QRect m_normalGeometry;                                 // the normal window's geometry, kept while maximized
    int m_releasedKey = 0;                                  // txtfull's last key release, to know a repeat's press by
    quint64 m_releasedAt = 0;
    QTimer* m_saveTimer = nullptr;
    bool m_titlesMarked = false;     // pl1.txt began with a byte-order mark, and will again
    bool m_pathsMarked = false;      // likewise pl2.txt
    bool m_titlesLeftAlone = false;  // pl1.txt was there but not read, so it is never written
    bool m_pathsLeftAlone = false;
    QString m_lastSaveReport;
    zelko::player::PositionClock m_position;  // where playback stands, as last learned
    // Last of all: it goes first, with the procedures in it, while all they use is still there.
    zelko::player::MediaLane m_lane;
};

}  // namespace zelko
