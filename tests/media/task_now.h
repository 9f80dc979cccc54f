// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include "media/task.h"

namespace zelko {

// Runs a media task on a channel that answers inside send(): it ends before start() returns,
// and its result is handed back.
template <class T> T Now(media::Task<T> task)
{
    task.start(nullptr, nullptr);
    EXPECT_TRUE(task.done()) << "the task waits on a command that was not answered at once";
    return task.await_resume();
}

}  // namespace zelko
