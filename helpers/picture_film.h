// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QtGui/qwindowdefs.h>
#include <cstddef>
#include <functional>
#include <memory>

namespace zelko {

namespace platform {
class FrameStrip;
}

class PictureBox;

// The frames of an animation on a PictureBox, drawn once with the box's own drawing and kept in
// the X server as pixmaps of a small native window over the box. Showing a frame is then one copy
// request, and a run of frames can be handed to the server whole, which shows them on its own
// clock, so the window does not wake for each. While the box cannot be seen (the window is
// minimized, or the strip wholly covered) nothing is drawn; the run's timing goes on, and when it
// shows again it shows the frame the run has come to. Each frame is exactly what the box's
// painting would put on the screen at the box's pixel ratio. Owned by its box; UI thread only.
class PictureFilm {
public:
    // At most this much of the X server's memory for one box's frames; a longer animation is
    // drawn step by step instead.
    static constexpr std::size_t kMostServerBytes = 16u << 20;

    // Draws `count` frames, frame k being what draw(k) leaves on the box's canvas, and uploads
    // them. Nothing where frames cannot be kept (no X11 display through Qt, a box that does not
    // show, frames beyond kMostServerBytes). `previous` passes on its connection for timed copies.
    static std::unique_ptr<PictureFilm> record(PictureBox& box, const QString& key, int count,
                                               const std::function<void(int)>& draw, PictureFilm* previous);
    ~PictureFilm();
    PictureFilm(const PictureFilm&) = delete;
    PictureFilm& operator=(const PictureFilm&) = delete;

    // Whether these are the frames `key` asks for, with the box where it lies now.
    bool fits(const PictureBox& box, const QString& key) const;

    int count() const;
    std::size_t serverBytes() const;
    qint64 madeNs() const { return m_madeNs; }  // making the strip, drawing and uploading the frames

    // Shows `frame` now (the strip is mapped first when it is not).
    void show(int frame);
    // Has the server show frames first.. one every intervalNs, the first one interval from now.
    // False when the server cannot time them.
    bool run(int first, qint64 intervalNs);
    // Ends a run: the frames handed over and not yet shown are dropped.
    void stop();
    bool running() const;
    // Whether a run's frames wait in the server now (none while the strip cannot be seen).
    bool queued() const { return m_queued; }
    // Takes the strip off the box; the frames stay for the next time.
    void hide();
    bool mapped() const;

private:
    PictureFilm(PictureBox& box, std::unique_ptr<platform::FrameStrip> strip, const QString& key, double ratio,
                const QRect& area, WId window, WId host);
    bool recordFrames(int count, const std::function<void(int)>& draw);
    bool addFrame(const QRect& inkBefore);
    QRect partOf(const QRect& changed) const;
    bool visible() const;
    void refresh(bool exposed);
    int runShown() const;
    int currentFrame() const;
    void queueFrom(int frame);

    PictureBox& m_box;
    std::unique_ptr<platform::FrameStrip> m_strip;
    QString m_key;
    double m_ratio;
    QRect m_area;  // device pixels of the box's window that its painting covers whole
    WId m_window;  // the box's top-level window
    WId m_host;    // the native window the strip lies in: the box's own, or the nearest around it
    qint64 m_madeNs = 0;
    bool m_minimized = false;
    bool m_wasVisible = false;
    int m_current = -1;  // the frame shown last by show(), or before the run
    // The run: frames m_runFirst.. one every m_intervalMs of the server's clock from m_serverStartMs.
    bool m_running = false;
    bool m_queued = false;
    int m_runFirst = 0;
    int64_t m_intervalMs = 0;
    int64_t m_serverStartMs = 0;
    QElapsedTimer m_runClock;
    int m_queuedEnd = 0;  // the frame after the last one handed over
    QTimer m_more;        // hands over the rest of a long run
    QObject m_context;    // for connections that end with the film
};

}  // namespace zelko
