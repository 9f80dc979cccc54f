#include "helpers/bas_scroller.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <vector>

#include "helpers/picture_box.h"

namespace basScroller {
namespace {

constexpr double kCellDivisor = 10;  // a cell is fs / 10 units: the face's advance at fs points
constexpr double kStep = 0.5;
constexpr double kPhasePerUnit = 0.7;
constexpr double kPauseUnitSeconds = 0.01;

// Targets in the middle of a pass; the pointers are compared, never used.
std::vector<const PictureBox*>& activeTargets() {
    static std::vector<const PictureBox*> targets;
    return targets;
}

class PassGuard {
public:
    explicit PassGuard(const PictureBox* target) : m_target(target) { activeTargets().push_back(target); }
    ~PassGuard() {
        auto& targets = activeTargets();
        targets.erase(std::find(targets.begin(), targets.end(), m_target));
    }
    PassGuard(const PassGuard&) = delete;
    PassGuard& operator=(const PassGuard&) = delete;

private:
    const PictureBox* m_target;
};

double endXFor(double fontSize, int characters) { return std::floor((fontSize / kCellDivisor) * (-1.0 * characters)); }

// Processes pending events at least once, then waits for more until the delay has passed,
// sleeping in an event loop bounded by the remaining time rather than spinning. Returns false
// when the target went away or the application is leaving its event loops.
bool pause(double delayCs, const QPointer<PictureBox>& target) {
    QElapsedTimer clock;  // monotonic: no wrap at midnight or on a clock change
    clock.start();
    const qint64 delayNs = std::isfinite(delayCs) && delayCs > 0
                               ? static_cast<qint64>(std::min(delayCs * kPauseUnitSeconds, 3600.0) * 1e9)
                               : 0;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (!target) return false;
    for (qint64 remainingNs = delayNs - clock.nsecsElapsed(); remainingNs > 0;
         remainingNs = delayNs - clock.nsecsElapsed()) {
        QEventLoop loop;
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(target.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
        wake.start(static_cast<int>((remainingNs + 999'999) / 1'000'000));
        const bool quitting = loop.exec() != 0;
        if (!target || quitting) return false;
    }
    return true;
}

}  // namespace

bool IsScrolling() { return !activeTargets().empty(); }

int StepCount(double scaleWidth, double fontSize, int characters) {
    const double steps = std::floor((std::floor(scaleWidth) - endXFor(fontSize, characters)) / kStep) + 1;
    return steps < 0 ? 0 : static_cast<int>(steps);
}

void ScrollText(PictureBox* Target, const QString& Text, int16_t Size, double Delay, double Amplitude,
                uint32_t Color) {
    QPointer<PictureBox> target(Target);
    if (!target) return;
    auto& active = activeTargets();
    if (std::find(active.begin(), active.end(), Target) != active.end()) return;
    const PassGuard guard(Target);
    const double amplitude = std::isfinite(Amplitude) ? Amplitude : 0.0;

    target->ScaleToCharacters();
    target->SetFont(QStringLiteral("Courier New"), Size, false, false, false);
    target->SetForeColor(Color);
    double fs = target->FontSize();
    const int characters = static_cast<int>(Text.size());
    const double endX = endXFor(fs, characters);

    for (double x = std::floor(target->ScaleWidth()); x >= endX; x -= kStep) {
        if (!pause(Delay, target)) return;
        target->Cls();
        for (int i = 0; i < characters; ++i) {
            fs = target->FontSize();
            target->CurrentX = (fs / kCellDivisor) * i + x;
            target->CurrentY = target->ScaleHeight() / 2 - 1 + std::sin((i + x) * kPhasePerUnit) * amplitude;
            target->Print(Text.mid(i, 1));
        }
    }
}

}  // namespace basScroller
