// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zelko::platform {

class TimedCopies;

// The frames of an animation kept in the X server, one pixmap each, shown in a small window of
// their own that lies over a part of a window (the strip), below every other child window of it
// and transparent to the pointer. Once the frames are uploaded, showing one is one copy
// request; and the server can show a run of them on its own clock, so the client does not wake
// for each. Talks to the server on Qt's connection (the strip's events come through Qt's event
// loop) and, for the timed copies, on a connection of its own. Used on the UI thread only.
class FrameStrip {
public:
    // A rectangle in device pixels.
    struct Rect {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    // A strip over `area` (in the device pixels of the top-level native window `top`), made a
    // child of the native window `parent` (`top` itself or a native window inside it, which the
    // strip is to lie on), unmapped, whose pixels outside a frame's part are `backRgb`
    // (0xRRGGBB). Nothing without an X11 display through Qt (offscreen, Wayland) or when the
    // window does not keep 32-bit true-colour pixels. The copies timed by the server go on the
    // connection of `previous` when one is given, else on a new one.
    static std::unique_ptr<FrameStrip> create(std::uintptr_t parent, std::uintptr_t top, const Rect& area,
                                              uint32_t backRgb, FrameStrip* previous = nullptr);
    ~FrameStrip();
    FrameStrip(const FrameStrip&) = delete;
    FrameStrip& operator=(const FrameStrip&) = delete;

    // Adds the next frame: `part` of the strip (relative to it) holds the xRGB pixels given, rows
    // `strideBytes` apart; the rest of the strip is the back colour. An empty part adds a frame
    // that is all back colour.
    bool addFrame(const Rect& part, const uint32_t* pixels, int strideBytes);
    // Whether the server took every frame added: one round trip for all of them. A strip whose
    // frames the server refused (it ran out of memory) is not to be shown.
    bool commit();
    int frameCount() const { return static_cast<int>(m_frames.size()); }
    // The bytes the frames take in the server.
    std::size_t serverBytes() const { return m_bytes; }
    const Rect& area() const { return m_area; }

    void map();
    void unmap();
    bool mapped() const { return m_mapped; }
    // Mapped, in mapped windows, and not wholly covered: whether anything drawn can be seen.
    bool shows() const;
    // Called when shows() changes, and when the server has lost the strip's pixels (it was
    // covered and is uncovered): the owner then shows the current frame again, whole.
    void onChange(std::function<void(bool exposed)> changed);

    // Shows `frame` now, one copy request. `whole`: what the strip held is not the frame before
    // (it was covered, or another one showed), so it is first cleared to the back colour.
    void show(int frame, bool whole);

    // Whether the server can time copies itself; opens the connection for them the first time.
    bool canTime();
    // The server's clock, in milliseconds; -1 when it cannot time copies.
    int64_t serverTimeMs();
    // Has the server show `frame` when its clock reads `atMs`, after the frames handed over
    // before it. Sent at flushTimed().
    void showAt(int frame, int64_t atMs);
    void flushTimed();
    // Drops every frame handed over and not yet shown.
    void dropTimed();

private:
    struct Frame {
        uint32_t pixmap;
        Rect part;
    };
    class Events;

    FrameStrip(void* connection, uint32_t parent, uint32_t top, uint32_t window, uint32_t gc, const Rect& area,
               uint8_t depth, bool swapBytes, const char* display);
    void handleVisibility(uint8_t state);
    void handleMapped(uint32_t window, bool mapped);
    void handleExpose();
    void changed(bool before, bool exposed);

    void* m_connection;  // Qt's
    uint32_t m_parent;
    uint32_t m_top;
    uint32_t m_window;
    uint32_t m_gc;
    Rect m_area;
    uint8_t m_depth;
    bool m_swapBytes;
    std::string m_display;  // the display Qt's connection is on, for the timed copies' own
    std::vector<Frame> m_frames;
    std::vector<unsigned int> m_unchecked;  // the requests that made frames, not yet confirmed
    std::size_t m_bytes = 0;
    bool m_mapped = false;
    // An unmapped ancestor (a minimized window) sends the strip no event of its own.
    bool m_parentMapped = true;
    bool m_topMapped = true;
    bool m_covered = false;
    std::function<void(bool)> m_changed;
    std::unique_ptr<Events> m_events;
    std::shared_ptr<TimedCopies> m_timed;
    bool m_timedTried = false;
};

}  // namespace zelko::platform
