#pragma once
// The workstation's time zone, pinned by a program's main.
#include <QtGlobal>

namespace platform {

// On Unix the C library looks at the zone file again (a stat() each time) on every local-time
// conversion unless TZ is set, which made reading 100,000 dates spend most of its time there;
// naming the same file in TZ keeps the zone and drops the look-ups. Local times read the same
// either way, only slower without it, so libraries never call this: it changes the environment
// of the whole process, which is not safe while another thread reads it. A program's main calls
// it first, before it starts threads. Does nothing when TZ is set already or there is no zone
// file, and nothing off Unix.
void KeepLocalZoneLoaded();

} // namespace platform
