// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace zelko {

// Cover pictures as files the desktop can show (MPRIS's mpris:artUrl), under
// $XDG_CACHE_HOME/zelko-player/. A picture is written once, named by its contents; the folder
// keeps the pictures used last, within kMaxCoverFiles and kMaxCoverCacheBytes, and drops the
// others. Safe to call from any thread, one call at a time.
constexpr int kMaxCoverFiles = 64;
constexpr qint64 kMaxCoverCacheBytes = 32 * 1024 * 1024;

// The picture's file (written now, or found from an earlier call); empty when it cannot be
// stored. type is its media type ("image/jpeg").
QString StoreCover(const QByteArray& picture, const QString& type);

}  // namespace zelko
