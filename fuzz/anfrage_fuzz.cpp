// Fuzz target (libFuzzer) of the request service of other programs: the
// bytes are sent as they come over the real local socket to a server that
// answers from a small client in memory, as the batch tool's server does.
// Every request gets one answer line or none, never anything else.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "frame/anfrage.h"
#include "frame/tffibu.h"
#include "store/kontenbereiche.h"
#include "speichermandant.h"

namespace fibu {
namespace {

struct Dienst : Speichermandant {
  Suitekonfiguration suite;
  TFFibu fibu{m, suite, Kommandozeile{}};
  Anfrageserver server;
  std::string pfad;

  Dienst() {
    oeffnen();
    for (auto [nr, limit] : {std::pair{10001, 0}, std::pair{10002, 50000}}) {
      m.personen->leeren();
      m.personen->satz().set(PersonenFelder::Limit, static_cast<std::int64_t>(limit));
      m.personen->speichern(m.personenkonto_text(nr));
    }
    char muster[] = "/tmp/fibu-fuzz-XXXXXX";
    const char* verzeichnis = ::mkdtemp(muster);
    if (!verzeichnis) __builtin_trap();
    pfad = std::string(verzeichnis) + "/anfrage";
    if (!server.starten(pfad)) __builtin_trap();
  }
};

}  // namespace
}  // namespace fibu

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
  using namespace fibu;
  static Dienst d;
  if (groesse > 16384) return 0;  // more than a socket takes without a reader
  int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  d.pfad.copy(a.sun_path, sizeof a.sun_path - 1);
  if (s < 0 || ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) __builtin_trap();
  if (groesse > 0 && ::send(s, daten, groesse, MSG_NOSIGNAL) != static_cast<ssize_t>(groesse))
    __builtin_trap();
  ::shutdown(s, SHUT_WR);
  if (!d.server.einmal(
          [&](const std::string& item, const std::string& text) { return d.fibu.anfrage(item, text); },
          1000))
    __builtin_trap();
  std::string antwort;
  char puffer[256];
  for (ssize_t n; (n = ::read(s, puffer, sizeof puffer)) > 0;) antwort.append(puffer, n);
  ::close(s);
  if (!antwort.empty() && antwort != "OK\n" && antwort != "KO\n" && antwort != "FEHLER\n")
    __builtin_trap();
  return 0;
}
