#pragma once

#include <QString>
#include <memory>

namespace zelko {

// A player's hold on its playlist folder, so that only one player reads and rewrites that
// folder's pl1.txt and pl2.txt. The hold is an flock() on a lock file in the user's runtime
// folder, named after the folder: the kernel lets go of it however the process ends, so a
// player that crashed leaves nothing that still holds, and the next start takes over (the
// socket file it left behind is replaced by the new holder).
class FolderClaim {
public:
    enum class Outcome { Taken, HeldByAnother, Unavailable };

    // Tries once, without waiting. On Taken, claim holds the folder until it is destroyed.
    // Unavailable means the runtime folder cannot hold the lock file (reason says why).
    static Outcome TryTake(const QString& folder, std::unique_ptr<FolderClaim>& claim, QString* reason = nullptr);

    ~FolderClaim();
    FolderClaim(const FolderClaim&) = delete;
    FolderClaim& operator=(const FolderClaim&) = delete;

    // Where the player holding the folder listens for the files of later starts.
    static QString SocketPath(const QString& folder);

private:
    explicit FolderClaim(int fd) : m_fd(fd) {}
    int m_fd;
};

}  // namespace zelko
