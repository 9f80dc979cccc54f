// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace zelko::platform {

// A kind of file the player takes from outside its file dialog (the command line, a file
// manager's "open with", drops, folders, a second start, the media-player bus), and offers to
// open to the desktop. The dialog keeps its own filter; every kind it offers is here too.
struct MediaKind {
    std::string_view name;
    // Endings of file names, lower case without the dot; a name ending in one, in any letter
    // case, is of the kind. The shared MIME database's globs for the kind's types are all here.
    std::array<std::string_view, 6> extensions;
    // The shared MIME database's names for the kind, then the other names desktops still send.
    std::array<std::string_view, 8> mimeTypes;
};

// The type of *.rmi files (MIDI inside a RIFF "RMID" wrapper). The shared MIME database has
// none, so the player's MIME package defines it.
inline constexpr std::string_view kRiffMidiType = "audio/x-riff-midi";

// Every kind, each named once: first those of the file dialog, in its order, then today's.
inline constexpr MediaKind kMediaKinds[] = {
    {"MP3 audio", {"mp3", "mpga"}, {"audio/mpeg", "audio/mp3", "audio/x-mp3", "audio/x-mpeg", "audio/x-mpg"}},
    {"MP2 audio", {"mp2"}, {"audio/mp2", "audio/x-mp2"}},
    {"WAV audio", {"wav"}, {"audio/x-wav", "audio/wav", "audio/vnd.wave"}},
    {"MIDI music", {"mid", "midi", "kar"}, {"audio/midi", "audio/x-midi"}},
    {"AU audio", {"au", "snd"}, {"audio/basic"}},
    {"AIFF audio", {"aiff", "aif", "aifc", "aiffc"}, {"audio/x-aiff", "audio/x-aifc", "audio/x-aiffc"}},
    {"RIFF MIDI music", {"rmi"}, {kRiffMidiType}},
    // "mpge" is offered by the dialog's filter on its own.
    {"MPEG video",
     {"mpg", "mpeg", "mpe", "mpge", "vob"},
     {"video/mpeg", "video/x-mpeg", "video/mpeg-system", "video/x-mpeg-system", "video/x-mpeg2"}},
    {"AVI video",
     {"avi", "divx", "avf"},
     {"video/x-msvideo", "video/avi", "video/msvideo", "video/x-avi", "video/vnd.avi", "video/divx", "video/vnd.divx"}},
    {"MP4 video", {"mp4", "m4v", "f4v", "lrv"}, {"video/mp4", "video/x-m4v"}},
    {"MP4 audio", {"m4a", "m4b", "f4a", "f4b"}, {"audio/mp4", "audio/x-m4b", "audio/x-m4a", "audio/m4a"}},
    {"QuickTime video", {"mov", "qt", "moov"}, {"video/quicktime"}},
    {"3GPP video",
     {"3gp", "3gpp", "3g2", "3gp2", "3gpp2", "3ga"},
     {"video/3gpp", "video/3gpp2", "audio/3gpp", "audio/3gpp2", "video/3gp"}},
    {"Matroska video", {"mkv"}, {"video/x-matroska"}},
    {"Matroska audio", {"mka"}, {"audio/x-matroska"}},
    {"WebM video", {"webm"}, {"video/webm", "audio/webm"}},
    {"Ogg audio",
     {"ogg", "oga"},
     {"audio/ogg", "audio/x-vorbis+ogg", "audio/x-flac+ogg", "audio/x-ogg", "audio/vorbis", "audio/x-vorbis",
      "audio/x-oggflac"}},
    {"Ogg video", {"ogv"}, {"video/ogg", "video/x-theora+ogg", "video/x-ogg", "video/x-theora"}},
    {"Opus audio", {"opus"}, {"audio/x-opus+ogg", "audio/opus"}},
    {"FLAC audio", {"flac"}, {"audio/flac", "audio/x-flac"}},
    {"Windows Media audio", {"wma"}, {"audio/x-ms-wma", "audio/wma"}},
    {"Windows Media video", {"wmv"}, {"video/x-ms-wmv"}},
    {"ASF media", {"asf"}, {"application/vnd.ms-asf", "video/x-ms-asf"}},
    {"AAC audio", {"aac", "adts"}, {"audio/aac", "audio/x-aac"}},
    {"AC-3 audio", {"ac3"}, {"audio/ac3"}},
};

namespace kinds_detail {

constexpr char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool sameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace kinds_detail

// The kind of a file by its name (the bytes after its last slash, in any encoding): the kind
// whose extension ends it after a dot, in any letter case. Null for any other name, and for a
// name that is only the ending (".mp3").
constexpr const MediaKind* kindOfFileName(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || name.substr(0, dot).ends_with('/')) {
        return nullptr;
    }
    const std::string_view ending = name.substr(dot + 1);
    for (const MediaKind& kind : kMediaKinds) {
        for (const std::string_view extension : kind.extensions) {
            if (!extension.empty() && kinds_detail::sameIgnoringAsciiCase(ending, extension)) {
                return &kind;
            }
        }
    }
    return nullptr;
}

// The kind a MIME type names (MIME types ignore letter case), or null.
constexpr const MediaKind* kindOfMimeType(std::string_view type)
{
    for (const MediaKind& kind : kMediaKinds) {
        for (const std::string_view name : kind.mimeTypes) {
            if (!name.empty() && kinds_detail::sameIgnoringAsciiCase(type, name)) {
                return &kind;
            }
        }
    }
    return nullptr;
}

// Every MIME type of every kind, in the table's order: what the desktop is told the player opens.
inline std::vector<std::string_view> mediaMimeTypes()
{
    std::vector<std::string_view> types;
    for (const MediaKind& kind : kMediaKinds) {
        for (const std::string_view type : kind.mimeTypes) {
            if (!type.empty()) {
                types.push_back(type);
            }
        }
    }
    return types;
}

// Every extension of every kind, in the table's order.
inline std::vector<std::string_view> mediaExtensions()
{
    std::vector<std::string_view> extensions;
    for (const MediaKind& kind : kMediaKinds) {
        for (const std::string_view extension : kind.extensions) {
            if (!extension.empty()) {
                extensions.push_back(extension);
            }
        }
    }
    return extensions;
}

}  // namespace zelko::platform
