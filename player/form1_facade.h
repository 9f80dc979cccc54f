// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player/form1.h"
#include "player/player.h"

namespace zelko {

// The window as the desktop reaches it: each command runs the procedure that the window's own
// button, key or end of file runs, so the window and the desktop never disagree.
class Form1::Facade final : public Player {
public:
    explicit Facade(Form1& form);

    State Now() const override;
    int32_t PositionFrame() override;

    void PlayEntry(int row) override;
    void PlayNext() override;
    void TogglePause() override;
    void Stop() override;
    void ToggleSlowMotion() override;
    void SeekToFrame(int32_t frame) override;
    void SetVolume(int32_t volume) override;
    void SetAutoReplay(bool on) override;
    void SetFullscreen(bool on) override;

    void AppendEntry(const QByteArray& title, const QByteArray& path) override;
    void AcceptDrops(QObject* filter) override;

    void Raise() override;
    void Close() override;
    quintptr NativeWindow() override;

private:
    Form1& m_form;
};

}  // namespace zelko
