// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace zelko {

class Player;

// Files, folders and file:// URIs dropped anywhere on the player's window (List1 included) are
// appended to the playlist and the first of them plays, as files named on the command line
// are. What cannot be added is named on standard error. Lives as long as the window.
class FileDrops : public QObject {
    Q_OBJECT
public:
    explicit FileDrops(Player& player);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Player& m_player;
};

}  // namespace zelko
