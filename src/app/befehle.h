// Every command of the program that has a function, registered with the
// frame: the same set for the desktop program and the batch tool.
#pragma once

namespace fibu {

class TFFibu;

void befehle_registrieren(TFFibu& fibu);

}  // namespace fibu
