// Keeps libbass.so loaded for the rest of the process. Used when a decoder thread has to be
// left behind, blocked in a file read that will not return in time: its code must stay
// mapped after the player's dlclose until the read returns and the thread ends.
#pragma once

namespace engine {

void KeepLibraryLoaded();

}  // namespace engine
