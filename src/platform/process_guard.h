#pragma once

// What both programs do first, before anything secret is read: no other process of the user may
// read their memory, a crash leaves no core file behind, and what they create is the user's alone.
#include <sys/types.h>

namespace tessarin {

// Makes the process non-dumpable (no core file; processes of the same user can no longer attach to
// it or read its memory through /proc), sets the core-file limit to 0 and the file-creation mask
// to 077, so that a file or folder made by a library (the settings, a printed PDF) is private too.
// Call it first in main.
void GuardProcess();

// The file-creation mask the process had before GuardProcess: programs it starts get it back.
mode_t StartUmask();

// Gives a program started while it lives the user's own file-creation mask (a browser opened for a
// link must not make every download private).
class CStartUmask {
public:
    CStartUmask();
    ~CStartUmask();
    CStartUmask(const CStartUmask&) = delete;
    CStartUmask& operator=(const CStartUmask&) = delete;

private:
    mode_t m_kept;
};

}  // namespace tessarin
