// The UI thread for hosts that do not pump messages.
//
// A host that pumps (calls GetMessage or PeekMessage itself, like the
// acquire application) runs every window on its own thread. Most TWAIN
// applications on Linux never do: they enable the source and wait on a
// semaphore. The platform tells them apart by whether the host itself has
// used the window system: any window function called outside every module
// entry (the module lock depth of the calling thread is 0) marks the host as
// one that pumps. When a module shows a top-level window and the host has
// never done so, the platform starts its UI thread, which pumps like a host's
// loop (pre-translate hook, dialog keys, translate, dispatch), taking the
// module lock around each message so module code stays single-threaded. If
// the host starts pumping later, the UI thread retires. Loading the library
// starts no thread. QM4200_UI_THREAD=0 disables the UI thread.
#pragma once

namespace qm::ui {

// Declares that the calling host pumps messages itself (tests that drive a
// module's windows say so before the module shows one).
void hostPumpsMessages();
bool uiThreadRunning();

}  // namespace qm::ui
