#include "frame/anfrage.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace fibu {
namespace {

bool adresse(const std::string& pfad, sockaddr_un& a) {
  std::memset(&a, 0, sizeof a);
  a.sun_family = AF_UNIX;
  if (pfad.size() >= sizeof a.sun_path) return false;
  std::memcpy(a.sun_path, pfad.c_str(), pfad.size() + 1);
  return true;
}

// Reads up to a line feed (not included) or the end; false on error, when
// the line is too long, or when the other side hung up without a word.
bool lies_zeile(int fd, std::string& zeile, int warten_ms) {
  zeile.clear();
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, warten_ms) <= 0) return false;
    char puffer[512];
    ssize_t n = ::read(fd, puffer, sizeof puffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return !zeile.empty();  // the other side hung up
    for (ssize_t i = 0; i < n; ++i) {
      if (puffer[i] == '\n') return true;
      zeile.push_back(puffer[i]);
    }
    if (zeile.size() > anfrage_max_zeile) return false;
  }
}

bool schreibe_alles(int fd, const std::string& text) {
  std::size_t weg = 0;
  while (weg < text.size()) {
    ssize_t n = ::send(fd, text.data() + weg, text.size() - weg, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    weg += static_cast<std::size_t>(n);
  }
  return true;
}

Ergebnis fehler(const std::string& text) {
  return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, text + ": " + std::strerror(errno));
}

}  // namespace

std::string anfrage_socketpfad() {
  const char* laufzeit = std::getenv("XDG_RUNTIME_DIR");
  std::string verzeichnis = laufzeit && *laufzeit ? std::string(laufzeit) + "/fibu"
                                                  : "/tmp/fibu-" + std::to_string(::getuid());
  return verzeichnis + "/anfrage";
}

Ergebnis anfrage_verzeichnis_pruefen(const std::string& socketpfad) {
  const std::size_t schnitt = socketpfad.rfind('/');
  if (schnitt == std::string::npos || schnitt == 0) return Ergebnis::erfolg();
  const std::string verzeichnis = socketpfad.substr(0, schnitt);
  if (::mkdir(verzeichnis.c_str(), 0700) != 0 && errno != EEXIST)
    return fehler("Verzeichnis " + verzeichnis + " nicht angelegt");
  struct stat st;
  if (::lstat(verzeichnis.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
      (st.st_mode & 0077) != 0)
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                            "Das Verzeichnis " + verzeichnis +
                                " gehört nicht allein diesem Benutzer; der Anfragedienst startet nicht.");
  return Ergebnis::erfolg();
}

std::pair<std::string, std::string> anfrage_zerlegen(std::string zeile) {
  if (!zeile.empty() && zeile.back() == '\r') zeile.pop_back();
  const std::size_t blank = zeile.find(' ');
  if (blank == std::string::npos) return {zeile, ""};
  return {zeile.substr(0, blank), zeile.substr(blank + 1)};
}

Anfrageserver::~Anfrageserver() { beenden(); }

Ergebnis anfrage_pfad_frei(const std::string& pfad) {
  sockaddr_un a;
  if (!adresse(pfad, a))
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig, "Socketpfad zu lang: " + pfad);
  if (Ergebnis e = anfrage_verzeichnis_pruefen(pfad); !e) return e;
  // A server that answers keeps its socket.
  if (::access(pfad.c_str(), F_OK) == 0) {
    int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool lebt = probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    if (probe >= 0) ::close(probe);
    if (lebt)
      return Ergebnis::fehler(Ergebnis::Code::Existiert,
                              "Ein anderes FIBU-Programm beantwortet bereits Anfragen (" + pfad + ").");
    ::unlink(pfad.c_str());
  }
  return Ergebnis::erfolg();
}

Ergebnis Anfrageserver::starten(const std::string& pfad) {
  if (Ergebnis e = anfrage_pfad_frei(pfad); !e) return e;
  sockaddr_un a;
  adresse(pfad, a);
  fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return fehler("Socket");
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 8) != 0) {
    Ergebnis e = fehler("Socket " + pfad);
    ::close(fd_);
    fd_ = -1;
    return e;
  }
  ::chmod(pfad.c_str(), 0600);
  pfad_ = pfad;
  return Ergebnis::erfolg();
}

bool Anfrageserver::einmal(const Bearbeiter& bearbeiter, int warten_ms) {
  if (fd_ < 0) return false;
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, warten_ms) <= 0) return false;
  int verbindung = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (verbindung < 0) return false;
  std::string zeile;
  // A client that sends nothing within five seconds is dropped.
  if (lies_zeile(verbindung, zeile, 5000)) {
    auto [item, text] = anfrage_zerlegen(zeile);
    schreibe_alles(verbindung, bearbeiter(item, text) + "\n");
  }
  ::close(verbindung);
  return true;
}

void Anfrageserver::beenden() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(pfad_.c_str());
    fd_ = -1;
  }
}

Ergebnis anfrage_senden(const std::string& pfad, const std::string& item, const std::string& text,
                        std::string& antwort) {
  sockaddr_un a;
  if (!adresse(pfad, a))
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig, "Socketpfad zu lang: " + pfad);
  if (item.find_first_of(" \n") != std::string::npos || text.find('\n') != std::string::npos)
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig, "Anfrage darf keinen Zeilenumbruch enthalten");
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return fehler("Socket");
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    Ergebnis e = Ergebnis::fehler(Ergebnis::Code::NichtGefunden,
                                  "FIBU läuft nicht oder beantwortet keine Anfragen (" + pfad + ")");
    ::close(fd);
    return e;
  }
  bool ok = schreibe_alles(fd, item + " " + text + "\n") && lies_zeile(fd, antwort, 60000);
  ::close(fd);
  if (!ok) return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Keine Antwort von FIBU");
  return Ergebnis::erfolg();
}

}  // namespace fibu
