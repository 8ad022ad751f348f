// fibu-batch: the numbered menu commands without a screen.
#include <csignal>
#include <iostream>

#include "app/batch.h"

namespace {
extern "C" void anhalten(int) { fibu::batch_server_anhalten(); }
}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGTERM, anhalten);
  std::signal(SIGINT, anhalten);
  std::vector<std::string> argumente(argv + 1, argv + argc);
  return fibu::batch_ausfuehren(argumente, std::cerr);
}
