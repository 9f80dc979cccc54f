// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>

namespace zelko {

// The player as the desktop reaches it (media keys, the sound menu, files from outside): what
// plays and how, and named commands that each do what a click, a key or the end of a file does
// in the window. A command returns nothing: it asks, and the state and the signals below tell
// what came of it. Only the playlist's edits are done when the call returns; a command that
// talks to the media device may finish later. Runs on the UI thread.
class Player : public QObject {
    Q_OBJECT
public:
    // Paused is Pause latched: the button shows it and the bus tells it, from this one value.
    enum class Status { Stopped, Playing, Paused };

    struct State {
        Status status = Status::Stopped;
        bool slowMotion = false;  // Slow Motion is latched
        bool open = false;        // the last play request opened its file, which is still open
        uint64_t track = 0;       // counts the files opened, so that each has an id of its own
        QString title;            // the entry's title and path as the last play request took them
        QByteArray path;
        int32_t volume = 1000;     // 0 to 1000, given to every file opened from now on
        double lengthSeconds = 0;  // as read when the file started: -0.001 when it could not be
        double totalFrames = 0;    // frames, or milliseconds without video; 0 before any open
        bool video = false;        // the open file has a picture
        int entry = -1;            // the selected playlist entry, -1 when none is
        int entries = 0;           // how many the playlist holds
        bool autoReplay = false;
        bool fullscreen = false;
    };

    // Why the file of a play request did not play: the result text of the step that failed (the
    // open's when the open failed) and GStreamer's description of a decoder the file needs and
    // that is not installed (empty when that was not why).
    struct PlayFailure {
        QString result;
        QString missingDecoder;
    };

    using QObject::QObject;
    ~Player() override;

    virtual State Now() const = 0;
    // The frame playback is at, as the window last learned it (a start, a seek, the monitor)
    // and moved on since at the playing speed; -1 with no file open. It never waits on the
    // engine. Not in the state: the desktop reads the rest far more often.
    virtual int32_t PositionFrame() = 0;

    // Selects the entry and plays it as the window's mode plays: fullscreen stays fullscreen.
    virtual void PlayEntry(int row) = 0;
    // What the end of a file does without Auto Replay: the next entry plays, the first when none
    // is selected; after the last, nothing.
    virtual void PlayNext() = 0;
    virtual void TogglePause() = 0;  // as the Pause button
    virtual void Stop() = 0;         // as the Stop button
    virtual void ToggleSlowMotion() = 0;
    // The slider seek's last step, to a frame named by a time rather than by the slider.
    virtual void SeekToFrame(int32_t frame) = 0;
    // The volume of the open file and of every file opened later; 1000 is full.
    virtual void SetVolume(int32_t volume) = 0;
    virtual void SetAutoReplay(bool on) = 0;  // as a click on Auto Replay
    // In as the Fullscreen button goes, out as Esc leaves; playback goes on either way.
    virtual void SetFullscreen(bool on) = 0;

    // Appends one entry as Add to Playlist does, without selecting it: `title` shown, `path`
    // (the file system's bytes) played, each kept as these bytes and written back to the
    // playlist files unchanged. Refused while the window closes, and when either holds a line
    // break, which a playlist file could not store.
    virtual void AppendEntry(const QByteArray& title, const QByteArray& path) = 0;
    // Lets `filter` see the drops on the window and on the playlist, which both accept them.
    virtual void AcceptDrops(QObject* filter) = 0;

    virtual void Raise() = 0;  // brings the window to the front, restored from the task bar
    virtual void Close() = 0;  // as the Close button: the playlist is saved
    // The window's native id, as the desktop's services name a window.
    virtual quintptr NativeWindow() = 0;

signals:
    // Playback changed: a file started or failed, paused, resumed, stopped, ended or closed;
    // slow motion or the volume changed.
    void PlaybackChanged();
    // A seek was sent; playback goes on from there.
    void Seeked();
    // The rest of the state changed: the selection, the playlist, Auto Replay or fullscreen.
    void ViewChanged();
    // The file of a play request did not play: the entry's title and path, and why.
    void PlayFailed(const QString& title, const QByteArray& path, const zelko::Player::PlayFailure& failure);
    // The playlist could not be saved: one line per file that was not, saying why.
    void PlaylistNotSaved(const QString& text);
    // The close has begun: the playlist is about to be written for the last time.
    void Closing();
};

}  // namespace zelko
