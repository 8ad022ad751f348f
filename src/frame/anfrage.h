// The request service of topic "FIBU" on a local socket: another program
// connects, sends one line "ITEM TEXT" (UTF-8, ending with a line feed) and
// reads one line with the answer, then the connection ends. The socket lives
// in a directory only its user can enter, so no other user can ask or
// answer. The desktop program serves the same socket path and protocol.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "suite/ergebnis.h"

namespace fibu {

// $XDG_RUNTIME_DIR/fibu/anfrage, or /tmp/fibu-<uid>/anfrage without it.
std::string anfrage_socketpfad();

// Makes the socket's directory (mode 0700) and refuses one that another
// user could enter or that is not this user's.
Ergebnis anfrage_verzeichnis_pruefen(const std::string& socketpfad);

// Makes the path ready for a server to listen on: the directory checked,
// a socket file left by a server that died removed. Refused (Existiert)
// when a server answers there.
Ergebnis anfrage_pfad_frei(const std::string& pfad);

// A request line split into item and text ("KREDITLIMIT 10001 FAELLIG");
// a carriage return before the line feed is dropped.
std::pair<std::string, std::string> anfrage_zerlegen(std::string zeile);
// Requests are one line; longer ones are refused.
constexpr std::size_t anfrage_max_zeile = 4096;

class Anfrageserver {
 public:
  using Bearbeiter = std::function<std::string(const std::string& item, const std::string& text)>;

  Anfrageserver() = default;
  ~Anfrageserver();
  Anfrageserver(const Anfrageserver&) = delete;
  Anfrageserver& operator=(const Anfrageserver&) = delete;

  // Listens on the path. Refused when another server answers there; a
  // socket file left by a server that died is replaced.
  Ergebnis starten(const std::string& pfad);
  // Waits up to `warten_ms` for one request and answers it; false when none came.
  bool einmal(const Bearbeiter& bearbeiter, int warten_ms);
  void beenden();

 private:
  int fd_ = -1;
  std::string pfad_;
};

// Sends a request and returns the answer line.
Ergebnis anfrage_senden(const std::string& pfad, const std::string& item, const std::string& text,
                        std::string& antwort);

}  // namespace fibu
