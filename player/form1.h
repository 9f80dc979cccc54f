// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "media/module_multimedia.h"
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
// the controls, the procedures and the handlers (named after control and event). The code is
// split into files by concern: form1_layout.cpp (controls at their design places),
// form1_lifecycle.cpp (load, close request, unload), form1_playlist.cpp (the playlist toolbar
// and selection), form1_playback.cpp (PlaySelected), form1_transport.cpp (the transport
// toolbar), form1_end_of_media.cpp, form1_fullscreen.cpp (GoFullscreen and the keys),
// form1_monitor.cpp (the monitor tick and the slider seek), form1_chrome.cpp (dragging and the
// title scroller), form1_keyboard.cpp (the keys outside txtfull), form1_accessible.cpp (what a
// screen reader sees). The desktop (media keys, the sound menu) follows playback through the signals
// below and drives the window only through its own procedures.
//
// The window tells the desktop what happens through signals with typed data (PlaybackChanged,
// PlayFailed...) and shows it one read-only View; failures never travel as text to be parsed.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // What the desktop shows of playback, kept where the handlers change it.
    enum class PlaybackStatus { Stopped, Playing, Paused };
    struct Playback {
        PlaybackStatus status = PlaybackStatus::Stopped;
        bool open = false;   // the last play request opened its file, which is still open
        uint64_t track = 0;  // counts the files opened, so that each has an id of its own
        QString title;       // the entry's title and path as the last play request took them
        QByteArray path;
        int32_t volume = 1000;  // 0 to 1000, given to every file opened from now on
    };
    // Why the file of a play request did not play: the result text of the step that failed (the
    // open's when the open failed) and GStreamer's description of a decoder the file needs and
    // that is not installed (empty when that was not why).
    struct PlayFailure {
        QString result;
        QString missingDecoder;
    };
    // What the desktop reads of the window: what plays and how, as the handlers left it, built
    // from the window's own state. The position is not in it: that is asked of the device
    // (PositionFrame), and the desktop reads the rest far more often.
    struct View : Playback {
        int entry = -1;            // the selected playlist entry, -1 when none is
        int entries = 0;           // how many the playlist holds
        double lengthSeconds = 0;  // as read when the file started: -0.001 when it could not be
        double totalFrames = 0;    // frames, or milliseconds without video; 0 before any open
        bool video = false;        // the open file has a picture
        bool paused = false;       // Pause is latched
        bool slowMotion = false;   // Slow Motion is latched
        bool autoReplay = false;
        bool fullscreen = false;
    };

    // The channel is the product's EngineChannel, or a test's; it must outlive the window.
    explicit Form1(zelko::media::MciChannel& channel, QWidget* parent = nullptr);
    ~Form1() override;

    // ---- The window state record. Everything starts at zero or empty; nothing is saved.
    std::string mResult;
    double mTotalSeconds = 0;
    int32_t mTotalMinutes = 0;
    QString mTotalSecondsText;
    int32_t mSeekFrame = 0;

    // ---- Controls (children of the window, created by the layout).
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

    // ---- Procedures.
    // Appends one entry as Add to Playlist does, without selecting it: `title` shown in List1,
    // `path` (the file system's bytes) in List2, each kept as these bytes and written back to
    // the playlist files unchanged. Nothing is added, and false returned, when either holds a
    // line break, which a playlist file could not store.
    bool AppendEntry(const QByteArray& title, const QByteArray& path);
    // The same for a file named from outside the window (its name and full path as the file
    // system's bytes), also refused while the window is closing. The caller selects afterwards:
    // selecting after each of many appends would lay the whole list out each time.
    // form1_external_files.cpp.
    bool AppendToPlaylist(const QByteArray& title, const QByteArray& path);
    void PlaySelected();
    void PlaySelectedFullscreen();
    void PausePlayback();
    void StopPlayback();
    void SlowMotion();
    void GoFullscreen();
    // The selected entry, played as the mode asks: fullscreen stays fullscreen.
    void PlayEntryInCurrentMode();  // form1_end_of_media.cpp
    // The end-of-media advance: selects the next entry (the first when none is selected) and
    // plays it; false, doing nothing, when the last entry is selected.
    bool PlayNextEntry();
    // Writes pl1.txt and pl2.txt now, both or neither; what failed is named on standard error
    // and by PlaylistNotSaved. Runs within a second of every change and at unload.
    void SavePlaylist();  // form1_playlist_save.cpp
    // The slider seek's last step, to a frame named by a time rather than by the slider.
    void SeekToFrame(int32_t frame);  // form1_monitor.cpp
    // Sets the volume of the open file and of every file opened later; 1000 is full.
    void SetVolume(int32_t volume);  // form1_transport.cpp
    View CurrentView() const;        // form1_view.cpp, with the desktop's commands below
    // The frame playback is at, asked of the open file; -1 when it cannot be told.
    int32_t PositionFrame();
    // Selects a playlist entry as a click would; a row outside the playlist selects none.
    void SelectEntry(int row);
    void SetAutoReplay(bool on);  // as a click on Auto Replay
    // Lets `filter` see the drops on the window and on the playlist, which both accept them.
    void AcceptDrops(QObject* filter);

    // ---- Handlers, named after control and event. Public so tests can raise them as the
    // toolkit would.
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

    // The caption of LbResult: "Result calling Function is : " followed by mResult.
    void ShowResult();

    // The file-open dialog's filter: description and pattern pairs separated by "|".
    static const char* const kMediaFilter;

signals:
    // A handler changed what playback is: a file started or failed, paused, resumed, stopped,
    // ended or closed; slow motion or the volume changed.
    void PlaybackChanged();
    // A seek was sent; playback goes on from there.
    void Seeked();
    // The rest of the view changed: the selection, the playlist, Auto Replay or fullscreen.
    void ViewChanged();
    // The file of a play request did not play: the entry's title and path, and why.
    void PlayFailed(const QString& title, const QByteArray& path, const Form1::PlayFailure& failure);
    // The playlist could not be saved: one line per file that was not, saying why.
    void PlaylistNotSaved(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;  // form1_keyboard.cpp
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;  // form1_view.cpp

private:
    void ConnectView();  // form1_view.cpp
    // The window state record's parts that stay inside the window.
    std::string mAlias;
    std::string mDeviceType;
    int32_t mVideoCx = 0;
    int32_t mVideoCy = 0;
    double mTotalFrames = 0;  // what LbTotalFrames shows, as the number it is (0 before any open)
    // The media control layer, over the window's channel.
    zelko::media::ModuleMultimedia Media;

    void CreateControls();                             // form1_layout.cpp
    void ConnectHandlers();                            // form1.cpp
    bool ArrangeNormalWindow(int32_t cx, int32_t cy);  // form1_playback.cpp
    void PlaylistAdd();                                // form1_playlist.cpp
    void PlaylistRemove();
    void PlaylistClearAll();
    bool SliderKey(int key);      // form1_keyboard.cpp: true when the key moved the slider's thumb
    bool m_unloaded = false;      // the close request and unload run once
    bool m_titlesMarked = false;  // pl1.txt began with a byte-order mark, and will again
    bool m_pathsMarked = false;   // likewise pl2.txt
    void WatchPlaylist();         // form1_playlist_save.cpp
    void PlaylistChanged();
    void ReportSave(const QStringList& report);
    QTimer* m_saveTimer = nullptr;
    bool m_titlesLeftAlone = false;  // pl1.txt was there but not read, so it is never written
    bool m_pathsLeftAlone = false;
    QString m_lastSaveReport;

    // ---- Members added by the playback/transport/end-of-media/fullscreen/monitor files.
    enum class PauseRelease { AfterAlias, AfterName };         // when a play procedure releases Pause
    static int SelectedIndex(const QListWidget* list);         // -1 when nothing is selected
    static QString SelectedText(const QListWidget* list);      // empty when nothing is selected
    static QByteArray SelectedBytes(const QListWidget* list);  // the entry's bytes, likewise
    static void EnableTimer(QTimer* timer);
    std::string OpenSelectedAndFillLabels(PauseRelease release);  // form1_playback.cpp
    bool PlayStarted(const std::string& openResult);
    QRect WorkArea() const;  // of the screen the window is on
    zelko::player::VideoFit FitToWorkArea(int32_t cx, int32_t cy) const;
    void KeepInsideWorkArea();
    void SendSeek();              // form1_monitor.cpp
    void MaximizeOverPicture1();  // form1_fullscreen.cpp
    void FollowMaximizedSize();
    void RestoreForm();
    void PlaceVideoInPicture1();
    void LeaveFullscreen();         // Esc
    void StopAndLeaveFullscreen();  // F3
    QRect m_normalGeometry;         // the normal window's geometry, kept while maximized
    int m_releasedKey = 0;          // txtfull's last key release, to know a repeat's press by
    quint64 m_releasedAt = 0;
    Playback m_playback;
    zelko::media::ModuleMultimedia::Failure m_openFailure;  // the latest open's, when it failed
};

}  // namespace zelko
