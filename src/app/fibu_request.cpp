// fibu-request ITEM TEXT: asks a running FIBU (desktop program or
// fibu-batch --server) and prints the answer, e.g.
//   fibu-request KREDITLIMIT "10001 FAELLIG"   ->  OK
#include <iostream>
#include <string>

#include "frame/anfrage.h"

int main(int argc, char** argv) {
  std::string socket = fibu::anfrage_socketpfad();
  int i = 1;
  if (argc > 2 && std::string(argv[1]) == "--socket") {
    socket = argv[2];
    i = 3;
  }
  if (argc - i != 2) {
    std::cerr << "Aufruf: fibu-request [--socket PFAD] ITEM TEXT\n"
                 "  ITEM: KREDITLIMIT (TEXT \"Kundennummer Modus\", Modus FAELLIG oder leer)\n"
                 "        OPLISTE     (TEXT Kundennummer)\n";
    return 2;
  }
  std::string antwort;
  fibu::Ergebnis e = fibu::anfrage_senden(socket, argv[i], argv[i + 1], antwort);
  if (!e) {
    std::cerr << e.text() << "\n";
    return 1;
  }
  std::cout << antwort << "\n";
  return 0;
}
