// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/picture_film.h"

#include <QPainter>
#include <QTransform>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <utility>

#include "helpers/picture_box.h"
#include "platform/strip/frame_strip.h"

namespace zelko {

namespace {

// A run is handed to the server in batches of about three seconds of frames at the main window's
// pace, so the server's reading of the waiting connection never holds up the window's writes.
constexpr int kFramesPerBatch = 100;
// The next batch goes this long before the one before runs out.
constexpr int64_t kBatchLeadMs = 500;

QRect deviceArea(const PictureBox& box, double ratio)
{
    const QPoint offset = box.mapTo(box.window(), QPoint(0, 0));
    // The device pixels the box's painting covers whole; a pixel it shares with the window
    // around it at a fractional ratio stays the window's own.
    const int left = static_cast<int>(std::ceil(offset.x() * ratio));
    const int top = static_cast<int>(std::ceil(offset.y() * ratio));
    const int right = static_cast<int>(std::floor((offset.x() + box.width()) * ratio));
    const int bottom = static_cast<int>(std::floor((offset.y() + box.height()) * ratio));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// The native window the strip is to lie in: the box's own when it has one (siblings of a native
// widget get one too), so the strip is above what the box shows and below what covers the box.
WId nativeHost(const PictureBox& box)
{
    if (box.internalWinId() != 0) {
        return box.internalWinId();
    }
    const QWidget* native = box.nativeParentWidget();
    return native != nullptr ? native->internalWinId() : box.window()->internalWinId();
}

platform::FrameStrip::Rect stripRect(const QRect& rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

}  // namespace

std::unique_ptr<PictureFilm> PictureFilm::record(PictureBox& box, const QString& key, int count,
                                                 const std::function<void(int)>& draw, PictureFilm* previous)
{
    QElapsedTimer made;
    made.start();
    QWidget* top = box.window();
    if (count <= 0 || !box.isVisible() || top->windowHandle() == nullptr) {
        return nullptr;
    }
    const double ratio = box.devicePixelRatioF();
    const QRect area = deviceArea(box, ratio);
    if (area.isEmpty()) {
        return nullptr;
    }
    const WId window = top->winId();
    const WId host = nativeHost(box);
    auto strip = platform::FrameStrip::create(static_cast<std::uintptr_t>(host), static_cast<std::uintptr_t>(window),
                                              stripRect(area), box.m_back.rgb() & 0xffffffu,
                                              previous != nullptr ? previous->m_strip.get() : nullptr);
    if (!strip) {
        return nullptr;
    }
    std::unique_ptr<PictureFilm> film(new PictureFilm(box, std::move(strip), key, ratio, area, window, host));
    const bool recorded = film->recordFrames(count, draw);
    film->m_madeNs = made.nsecsElapsed();
    if (!recorded) {
        return nullptr;
    }
    return film;
}

PictureFilm::PictureFilm(PictureBox& box, std::unique_ptr<platform::FrameStrip> strip, const QString& key, double ratio,
                         const QRect& area, WId window, WId host)
    : m_box(box), m_strip(std::move(strip)), m_key(key), m_ratio(ratio), m_area(area), m_window(window), m_host(host)
{
    m_strip->onChange([this](bool exposed) { refresh(exposed); });
    m_more.setSingleShot(true);
    QObject::connect(&m_more, &QTimer::timeout, &m_context, [this] { queueFrom(m_queuedEnd); });
    // Some window managers keep a minimized window mapped; Qt knows it from the window's state.
    QWindow* handle = box.window()->windowHandle();
    const auto minimized = [](QWindow::Visibility state) {
        return state == QWindow::Minimized || state == QWindow::Hidden;
    };
    m_minimized = minimized(handle->visibility());
    QObject::connect(handle, &QWindow::visibilityChanged, &m_context, [this, minimized](QWindow::Visibility state) {
        m_minimized = minimized(state);
        refresh(false);
    });
}

PictureFilm::~PictureFilm() = default;

bool PictureFilm::recordFrames(int count, const std::function<void(int)>& draw)
{
    // The box's own drawing makes each frame on its canvas; no step shows meanwhile.
    const bool recording = std::exchange(m_box.m_recording, true);
    // A text wider than the box fills it in the middle of its run, where the frames are largest:
    // two frames from there tell whether all of them would fit, before any is drawn in vain.
    bool kept = true;
    if (count > 2) {
        draw(count / 2 - 1);
        const QRect middle = m_box.m_drawn;
        draw(count / 2);
        const QRect part = partOf(middle | m_box.m_drawn);
        kept = std::size_t(part.width()) * std::size_t(part.height()) * 4 * std::size_t(count) <= kMostServerBytes;
    }
    QRect inkBefore = m_box.rect();  // the first frame covers whatever showed before it
    std::size_t largest = 0;
    for (int k = 0; k < count && kept; ++k) {
        draw(k);
        const std::size_t before = m_strip->serverBytes();
        kept = addFrame(inkBefore);
        inkBefore = m_box.m_drawn;
        // A long text is found out early: the frames to come are as large as the largest so far.
        const std::size_t after = m_strip->serverBytes();
        if (k > 0) {
            largest = std::max(largest, after - before);
        }
        kept = kept && after + largest * std::size_t(count - k - 1) <= kMostServerBytes;
    }
    m_box.m_recording = recording;
    kept = m_strip->commit() && kept;
    // The canvas holds the last frame; the window under the strip shows the same from now on.
    m_box.update();
    return kept;
}

// The frame on the canvas, where it differs from the frame before (what either has drawn), as
// the box's painting puts it in the window's device pixels: the canvas scaled by the pixel
// ratio from the box's place in the window, so each pixel samples the canvas pixel it does there.
bool PictureFilm::addFrame(const QRect& inkBefore)
{
    const QRect part = partOf(m_box.m_drawn | inkBefore);
    const QPoint offset = m_box.mapTo(m_box.window(), QPoint(0, 0));
    if (part.isEmpty()) {
        return m_strip->addFrame({}, nullptr, 0);
    }
    QImage pixels(part.size(), QImage::Format_RGB32);
    QPainter painter(&pixels);
    painter.setTransform(
        QTransform(m_ratio, 0, 0, m_ratio, offset.x() * m_ratio - part.x(), offset.y() * m_ratio - part.y()));
    painter.drawImage(m_box.rect(), m_box.m_canvas, m_box.rect());
    painter.end();
    return m_strip->addFrame(stripRect(part.translated(-m_area.topLeft())),
                             reinterpret_cast<const uint32_t*>(pixels.constBits()), pixels.bytesPerLine());
}

// The device pixels of the window that show `changed` (in the box's pixels), within the strip.
QRect PictureFilm::partOf(const QRect& changed) const
{
    const QRect inBox = changed & m_box.rect();
    if (inBox.isEmpty()) {
        return {};
    }
    const QPoint offset = m_box.mapTo(m_box.window(), QPoint(0, 0));
    // One device pixel more on each side holds every pixel whose sample falls in the area.
    const int left = static_cast<int>(std::floor((offset.x() + inBox.left()) * m_ratio)) - 1;
    const int top = static_cast<int>(std::floor((offset.y() + inBox.top()) * m_ratio)) - 1;
    const int right = static_cast<int>(std::ceil((offset.x() + inBox.right() + 1) * m_ratio)) + 1;
    const int bottom = static_cast<int>(std::ceil((offset.y() + inBox.bottom() + 1) * m_ratio)) + 1;
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) & m_area;
}

bool PictureFilm::fits(const PictureBox& box, const QString& key) const
{
    return key == m_key && box.devicePixelRatioF() == m_ratio && deviceArea(box, m_ratio) == m_area &&
           box.window()->internalWinId() == m_window && nativeHost(box) == m_host;
}

int PictureFilm::count() const
{
    return m_strip->frameCount();
}

std::size_t PictureFilm::serverBytes() const
{
    return m_strip->serverBytes();
}

bool PictureFilm::visible() const
{
    return m_strip->shows() && !m_minimized;
}

bool PictureFilm::mapped() const
{
    return m_strip->mapped();
}

void PictureFilm::show(int frame)
{
    m_running = false;
    if (m_queued) {
        m_strip->dropTimed();
        m_queued = false;
    }
    m_more.stop();
    m_current = frame;
    if (!m_strip->mapped()) {
        m_strip->map();  // its first expose shows the frame
        return;
    }
    if (visible()) {
        m_strip->show(frame, false);
    }
}

bool PictureFilm::run(int first, qint64 intervalNs)
{
    const int64_t intervalMs = (intervalNs + 999'999) / 1'000'000;  // the server counts whole milliseconds
    if (first < 0 || first >= count() || intervalMs <= 0 || !m_strip->canTime()) {
        return false;
    }
    m_more.stop();
    if (m_queued) {
        m_strip->dropTimed();
        m_queued = false;
    }
    // Asked on Qt's connection: the answer also means the frames and the strip are in place
    // before the other connection's copies name them.
    const int64_t now = m_strip->serverTimeMs();
    if (now < 0) {
        return false;
    }
    m_running = true;
    m_runFirst = first;
    m_intervalMs = intervalMs;
    m_serverStartMs = now;
    m_runClock.start();
    if (!m_strip->mapped()) {
        m_strip->map();  // refresh() hands the run over once the strip shows
        return true;
    }
    refresh(false);
    return true;
}

void PictureFilm::stop()
{
    m_current = currentFrame();
    m_running = false;
    m_more.stop();
    if (m_queued) {
        // What the server still held is shown at once; the strip ends on the run's last frame.
        m_strip->dropTimed();
        m_queued = false;
        m_current = count() - 1;
    }
}

bool PictureFilm::running() const
{
    return m_running && m_runClock.isValid() && m_runClock.elapsed() < (count() - m_runFirst) * m_intervalMs;
}

void PictureFilm::hide()
{
    stop();
    m_strip->unmap();
}

// How many frames of the run the server has shown by now, by the run's clock.
int PictureFilm::runShown() const
{
    return static_cast<int>(std::min<int64_t>(m_runClock.elapsed() / m_intervalMs, count() - m_runFirst));
}

// The frame the strip should show now: by the run's clock while a run goes, else the last shown
// (which also shows before the run's first frame comes).
int PictureFilm::currentFrame() const
{
    if (!m_running || runShown() == 0) {
        return m_current >= 0 || !m_running ? m_current : m_runFirst;
    }
    return m_runFirst + runShown() - 1;
}

// Follows what can be seen of the strip: nothing is drawn or waits in the server while it
// cannot be seen; when it can again (or the server lost its pixels) the current frame is shown
// whole, and a run goes on from there.
void PictureFilm::refresh(bool exposed)
{
    const bool now = visible();
    const bool appeared = now && !m_wasVisible;
    m_wasVisible = now;
    if (!now) {
        m_more.stop();
        if (m_queued) {
            m_strip->dropTimed();
            m_queued = false;
        }
        return;
    }
    const int frame = currentFrame();
    if ((exposed || appeared) && frame >= 0) {
        m_strip->show(frame, true);
    }
    if (running() && !m_queued) {
        queueFrom(m_runFirst + runShown());
    }
}

void PictureFilm::queueFrom(int frame)
{
    const int end = std::min(count(), frame + kFramesPerBatch);
    for (int k = frame; k < end; ++k) {
        m_strip->showAt(k, m_serverStartMs + (k - m_runFirst + 1) * m_intervalMs);
    }
    m_strip->flushTimed();
    m_queued = end > frame;
    m_queuedEnd = end;
    if (end < count()) {
        const int64_t lastAtMs = (end - m_runFirst) * m_intervalMs;
        m_more.start(static_cast<int>(std::max<int64_t>(0, lastAtMs - kBatchLeadMs - m_runClock.elapsed())));
    }
}

}  // namespace zelko
