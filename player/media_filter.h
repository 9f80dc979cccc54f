// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zelko {

// The file-open dialog's filter: description and pattern pairs separated by "|". Files from
// outside the dialog are taken by the same patterns.
inline constexpr char kMediaFilter[] =
    "All media |*.mp3;*.mp2;*.wav;*.midi;*.mid;*.au;*.aiff;*.rmi;*.mpg;*.mpeg;*.avi;*.vob"
    "|All audio |*.mp3;*.mp2;*.wav;*.midi;*.mid"
    "|All video |*.mpg;*.mpeg;*.avi;*.vob"
    "|mp3 (*.mp3)|*.mp3|wav (*.wav)|*.wav|au(*.au)|*.au|aiff(*.aiff)|*.aiff|rmi(*.rmi)|*.rmi"
    "|avi(*.avi)|*.avi|mpg(*.mpg)|*.mpg|mpge(*.mpge)|*.mpge|mid(*.mid)|*.mid|midi(*.midi)|*.midi"
    "|DVD(*.vob)|*.vob";

}  // namespace zelko
