// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/bas_scroller.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

#include "helpers/picture_box.h"

namespace zelko {

namespace basScroller {
namespace {

constexpr double kCellDivisor = 10;  // a cell is fs / 10 units: the face's advance at fs points
constexpr double kStep = 0.5;
constexpr double kPhasePerUnit = 0.7;
constexpr double kPauseUnitSeconds = 0.01;
constexpr double kLongestPauseSeconds = 3600;
const QString kPassName = QStringLiteral("basScroller pass");
// The X server times whole milliseconds: shorter pauses are stepped by the window.
constexpr qint64 kShortestTimedNs = 1'000'000;

double endXFor(double fontSize, int characters)
{
    return std::floor((fontSize / kCellDivisor) * (-1.0 * characters));
}

qint64 pauseNs(double delayCs)
{
    if (!std::isfinite(delayCs) || delayCs <= 0) {
        return 0;
    }
    return static_cast<qint64>(std::min(delayCs * kPauseUnitSeconds, kLongestPauseSeconds) * 1e9);
}

// One pass on its target: a single-shot timer that makes the pause before each step, so the
// window's event loop runs between steps as it does at any other time and no step can start
// inside another. A child of the target, so it goes when the target does.
//
// The frames of the pass are drawn once, when the text (or the target's size, place or pixel
// ratio) changes, and kept by the target; a pass then only shows them. Where the X server can
// time them, the whole pass is handed to it at the start and the timer only marks the end, so
// the window does not wake for each step. A pass whose steps someone follows (a receiver of the
// target's Clearing) is stepped by the window, each frame shown as its step comes.
class ScrollPass final : public QTimer {
public:
    ScrollPass(PictureBox* target, const QString& text, qint64 delayNs, double amplitude, double startX, double endX)
        : QTimer(target), m_target(target), m_text(text), m_delayNs(delayNs), m_amplitude(amplitude), m_startX(startX),
          m_steps(static_cast<int>(std::floor((startX - endX) / kStep)) + 1)
    {
        setObjectName(kPassName);
        setSingleShot(true);
        setTimerType(Qt::PreciseTimer);
        connect(this, &QTimer::timeout, this, [this] { afterPause(); });
        connect(target, &PictureBox::FramesLost, this, [this] { framesLost(); });
        const QString key = QStringLiteral("%1|%2|%3|%4").arg(text).arg(amplitude, 0, 'g', 17).arg(startX).arg(endX);
        m_filmed = target->LoadFrames(key, m_steps, [this](int step) { drawStep(step); });
        if (m_filmed && !target->StepsFollowed() && m_delayNs >= kShortestTimedNs && target->RunFrames(0, m_delayNs)) {
            m_ahead = true;
            m_passClock.start();
            const qint64 intervalMs = (m_delayNs + 999'999) / 1'000'000;
            start(static_cast<int>(std::min<qint64>(intervalMs * m_steps, std::numeric_limits<int>::max())));
            return;
        }
        pause();
    }

    void end()
    {
        stop();
        if (m_ahead) {
            m_target->EndFrames();
        }
        setObjectName(QString());  // no longer found as the target's pass
        deleteLater();
    }

private:
    // The pause is measured on the monotonic clock (no wrap at midnight or on a clock change)
    // from the end of the previous step; a delay of 0 still lets pending events run first.
    void pause()
    {
        m_clock.start();
        wait();
    }

    void wait()
    {
        const qint64 remainingNs = m_delayNs - m_clock.nsecsElapsed();
        start(remainingNs > 0 ? static_cast<int>((remainingNs + 999'999) / 1'000'000) : 0);
    }

    void afterPause()
    {
        if (m_ahead) {
            end();  // the server has shown the last frame
            return;
        }
        if (m_clock.nsecsElapsed() < m_delayNs) {
            wait();
            return;
        }
        if (m_filmed) {
            m_target->ShowFrame(m_step);
        } else {
            drawStep(m_step);
            m_target->Refresh();
        }
        ++m_step;
        if (objectName().isEmpty()) {
            return;  // ended from an event the step raised
        }
        if (m_step < m_steps) {
            pause();
        } else {
            end();
        }
    }

    // The frames stopped showing under a run (the target was drawn on, moved or rescaled): the
    // window draws the rest of the pass, from the step the run had come to.
    void framesLost()
    {
        m_filmed = false;
        if (!m_ahead) {
            return;
        }
        m_ahead = false;
        stop();
        m_step =
            static_cast<int>(std::min<qint64>(m_passClock.nsecsElapsed() / std::max<qint64>(m_delayNs, 1), m_steps));
        if (m_step < m_steps) {
            pause();
        } else {
            end();
        }
    }

    // Step k of the pass, drawn on the target: the text with its first character at X.
    void drawStep(int step)
    {
        const double x = m_startX - kStep * step;
        m_target->Cls();
        for (int i = 0; i < m_text.size(); ++i) {
            const double fs = m_target->FontSize();
            m_target->CurrentX = (fs / kCellDivisor) * i + x;
            m_target->CurrentY = m_target->ScaleHeight() / 2 - 1 + std::sin((i + x) * kPhasePerUnit) * m_amplitude;
            m_target->Print(m_text.mid(i, 1));
        }
    }

    PictureBox* m_target;
    QString m_text;
    qint64 m_delayNs;
    double m_amplitude;
    double m_startX;
    int m_steps;
    int m_step = 0;
    bool m_filmed = false;
    bool m_ahead = false;
    QElapsedTimer m_clock;
    QElapsedTimer m_passClock;
};

ScrollPass* passOf(const PictureBox* target)
{
    return target ? static_cast<ScrollPass*>(target->findChild<QTimer*>(kPassName, Qt::FindDirectChildrenOnly))
                  : nullptr;
}

}  // namespace

bool IsScrolling(const PictureBox* Target)
{
    return passOf(Target) != nullptr;
}

void EndPass(PictureBox* Target)
{
    if (ScrollPass* pass = passOf(Target)) {
        pass->end();
    }
}

int StepCount(double scaleWidth, double fontSize, int characters)
{
    const double steps = std::floor((std::floor(scaleWidth) - endXFor(fontSize, characters)) / kStep) + 1;
    return steps < 0 ? 0 : static_cast<int>(steps);
}

void ScrollText(PictureBox* Target, const QString& Text, int16_t Size, double DelayHundredths, double Amplitude,
                uint32_t Color)
{
    if (!Target || IsScrolling(Target)) {
        return;
    }
    Target->ScaleToCharacters();
    Target->SetFont(QStringLiteral("Courier New"), Size, false, false, false);
    Target->SetForeColor(Color);
    const double endX = endXFor(Target->FontSize(), static_cast<int>(Text.size()));
    const double startX = std::floor(Target->ScaleWidth());
    if (startX < endX) {
        return;
    }
    new ScrollPass(Target, Text, pauseNs(DelayHundredths), std::isfinite(Amplitude) ? Amplitude : 0.0, startX, endX);
}

}  // namespace basScroller

}  // namespace zelko
