// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>

namespace zelko {

// A player's hold on its playlist folder, so that only one player reads and rewrites that
// folder's pl1.txt and pl2.txt. The hold is an flock() on a lock file in the user's runtime
// folder, named after the folder, and one on the folder itself, which needs no runtime folder
// and no right to write there: a player whose runtime folder is read-only or missing still
// meets another on the same folder. The kernel lets go of both however the process ends, so a
// player that crashed leaves nothing that still holds, and the next start takes over (the
// socket file it left behind is replaced by the new holder).
class FolderClaim {
public:
    enum class Outcome {
        Taken,
        HeldByAnother,   // by a player that can be reached at SocketPath
        HeldOutOfReach,  // by a player whose files cannot be handed over (one of the two has no runtime folder)
        Unavailable,
    };

    // Tries once, without waiting. On Taken, claim holds the folder until it is destroyed (on
    // the folder alone when the runtime folder cannot hold the lock file; reason says why).
    // Unavailable means neither lock can be had (reason says why).
    static Outcome TryTake(const QString& folder, std::unique_ptr<FolderClaim>& claim, QString* reason = nullptr);

    ~FolderClaim();
    FolderClaim(const FolderClaim&) = delete;
    FolderClaim& operator=(const FolderClaim&) = delete;

    // Where the player holding the folder listens for the files of later starts.
    static QString SocketPath(const QString& folder);

private:
    FolderClaim(int runtimeFd, int folderFd) : m_runtimeFd(runtimeFd), m_folderFd(folderFd) {}
    int m_runtimeFd;  // -1 when the runtime folder could not hold the lock
    int m_folderFd;   // -1 when the folder itself could not be locked
};

}  // namespace zelko
