// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The only way in to the window's insides, for what no user, screen reader or bus can see: its
// clocks (so a table of cases does not wait on them), the hidden result label and the hidden
// list of paths.
#include <QLabel>
#include <QListWidget>
#include <QStringList>
#include <QTimer>

#include "player/form1.h"

namespace zelko {

class Form1Probe {
public:
    enum class Clock { AtEndFile, Misc, Scroll };

    static bool Running(const Form1& form, Clock clock) { return Timer(form, clock)->isActive(); }

    // One tick, as the timer would give it now.
    static void Tick(Form1& form, Clock clock)
    {
        switch (clock) {
        case Clock::AtEndFile: form.TimerAtEndFile_Timer(); break;
        case Clock::Misc: form.TimerMisc_Timer(); break;
        case Clock::Scroll: form.Timerscroll_Timer(); break;
        }
    }

    // The clocks keep running but never come due, so only Tick ticks them.
    static void HoldClocks(Form1& form)
    {
        constexpr int kDayMs = 24 * 60 * 60 * 1000;
        for (Clock clock : {Clock::AtEndFile, Clock::Misc, Clock::Scroll}) {
            Timer(form, clock)->setInterval(kDayMs);
        }
    }

    // A media procedure runs or waits its turn.
    static bool Busy(const Form1& form) { return form.m_lane.busy(); }

    // LbResult's caption: "Result calling Function is : " and the last result shown.
    static QString ResultShown(const Form1& form) { return form.LbResult->text(); }

    // List2: the full paths, and its current row, whose path a play opens (-1 for none).
    static QStringList Paths(const Form1& form)
    {
        QStringList paths;
        for (int i = 0; i < form.List2->count(); ++i) {
            paths << form.List2->item(i)->text();
        }
        return paths;
    }
    static int SelectedPath(const Form1& form) { return form.List2->currentRow(); }

private:
    static QTimer* Timer(const Form1& form, Clock clock)
    {
        switch (clock) {
        case Clock::AtEndFile: return form.TimerAtEndFile;
        case Clock::Misc: return form.TimerMisc;
        case Clock::Scroll: break;
        }
        return form.Timerscroll;
    }
};

}  // namespace zelko
