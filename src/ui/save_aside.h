#pragma once

// The session's long saves, run on a thread of their own while the window's thread keeps painting.
#include "store/database_session.h"

namespace tessarin {

// Runs the work on a new thread and turns the calling thread's event loop until it has ended, with
// the user's input held back: keys and clicks wait in their queue and reach the program once the
// work is over, while painting, timers and other events go on. Whatever those events start must
// ask CDatabaseSession::Busy() before it touches the database (the command table's guard, the
// change follower, the lock, which waits for every inner loop to return). When the program is told
// to quit meanwhile, the call waits for the work to end.
IAsideRunner& ThreadAside();

}  // namespace tessarin
