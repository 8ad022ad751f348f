// The real file system: POSIX calls, fdatasync for durability and open file
// description locks (F_OFD_SETLK), which conflict between processes and
// between two open files of one process alike and vanish with their holder.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "suite/dateisystem.h"

namespace fibu {
namespace {

// `fehler` is the errno saved right after the failing call.
Ergebnis os_fehler(int fehler, const std::string& was, const std::string& pfad) {
  Ergebnis::Code code = Ergebnis::Code::EA_Fehler;
  if (fehler == ENOENT || fehler == ENOTDIR) code = Ergebnis::Code::NichtGefunden;
  if (fehler == EEXIST || fehler == ENOTEMPTY) code = Ergebnis::Code::Existiert;
  return Ergebnis::fehler(code, was + " " + pfad + ": " + std::strerror(fehler));
}

class PosixDatei : public Datei {
 public:
  PosixDatei(int fd, std::string pfad) : fd_(fd), pfad_(std::move(pfad)) {}
  ~PosixDatei() override { ::close(fd_); }

  Ergebnis lesen(std::uint64_t pos, std::size_t n, std::string& aus) override {
    aus.resize(n);
    std::size_t gelesen = 0;
    while (gelesen < n) {
      ssize_t r =
          ::pread(fd_, aus.data() + gelesen, n - gelesen, static_cast<off_t>(pos + gelesen));
      if (r < 0) {
        if (errno == EINTR) continue;
        aus.resize(gelesen);
        {
          const int e = errno;
          return os_fehler(e, "Lesefehler in", pfad_);
        }
      }
      if (r == 0) break;
      gelesen += static_cast<std::size_t>(r);
    }
    aus.resize(gelesen);
    return Ergebnis::erfolg();
  }

  Ergebnis schreiben(std::uint64_t pos, std::string_view daten) override {
    std::size_t geschrieben = 0;
    while (geschrieben < daten.size()) {
      ssize_t r = ::pwrite(fd_, daten.data() + geschrieben, daten.size() - geschrieben,
                           static_cast<off_t>(pos + geschrieben));
      if (r < 0) {
        if (errno == EINTR) continue;
        {
          const int e = errno;
          return os_fehler(e, "Schreibfehler in", pfad_);
        }
      }
      geschrieben += static_cast<std::size_t>(r);
    }
    return Ergebnis::erfolg();
  }

  Ergebnis schreiben_mehrere(std::uint64_t pos,
                             const std::vector<std::string_view>& stuecke) override {
    std::vector<iovec> iov;
    for (std::string_view s : stuecke)
      if (!s.empty()) iov.push_back({const_cast<char*>(s.data()), s.size()});
    std::size_t i = 0;
    while (i < iov.size()) {
      int anzahl = static_cast<int>(std::min<std::size_t>(iov.size() - i, IOV_MAX));
      ssize_t r = ::pwritev(fd_, iov.data() + i, anzahl, static_cast<off_t>(pos));
      if (r < 0) {
        if (errno == EINTR) continue;
        const int e = errno;
        return os_fehler(e, "Schreibfehler in", pfad_);
      }
      pos += static_cast<std::uint64_t>(r);
      // Skip what was written; a short write continues inside a piece.
      std::size_t rest = static_cast<std::size_t>(r);
      while (i < iov.size() && rest >= iov[i].iov_len) rest -= iov[i++].iov_len;
      if (i < iov.size() && rest > 0) {
        iov[i].iov_base = static_cast<char*>(iov[i].iov_base) + rest;
        iov[i].iov_len -= rest;
      }
    }
    return Ergebnis::erfolg();
  }

  Ergebnis groesse(std::uint64_t& aus) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) {
      const int e = errno;
      return os_fehler(e, "Dateigröße nicht lesbar:", pfad_);
    }
    aus = static_cast<std::uint64_t>(st.st_size);
    return Ergebnis::erfolg();
  }

  Ergebnis kuerzen(std::uint64_t laenge) override {
    if (::ftruncate(fd_, static_cast<off_t>(laenge)) != 0) {
      const int e = errno;
      return os_fehler(e, "Kürzen fehlgeschlagen:", pfad_);
    }
    return Ergebnis::erfolg();
  }

  Ergebnis sync() override {
    if (::fdatasync(fd_) != 0) {
      const int e = errno;
      return os_fehler(e, "Sichern auf Platte fehlgeschlagen:", pfad_);
    }
    return Ergebnis::erfolg();
  }

  Ergebnis sperren(Sperrart art, bool warten, std::uint64_t von, std::uint64_t laenge) override {
    return sperre(art == Sperrart::Geteilt ? F_RDLCK : F_WRLCK, warten, von, laenge);
  }

  Ergebnis entsperren(std::uint64_t von, std::uint64_t laenge) override {
    return sperre(F_UNLCK, false, von, laenge);
  }

 private:
  Ergebnis sperre(short typ, bool warten, std::uint64_t von, std::uint64_t laenge) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = typ;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(von);
    fl.l_len = static_cast<off_t>(laenge);
    while (::fcntl(fd_, warten ? F_OFD_SETLKW : F_OFD_SETLK, &fl) != 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EACCES)
        return Ergebnis::fehler(Ergebnis::Code::Gesperrt, "Datei ist gesperrt: " + pfad_);
      {
        const int e = errno;
        return os_fehler(e, "Sperre nicht möglich:", pfad_);
      }
    }
    return Ergebnis::erfolg();
  }

  int fd_;
  std::string pfad_;
};

class PosixDateisystem : public Dateisystem {
 public:
  Ergebnis oeffnen(const std::string& pfad, Oeffnen modus, std::unique_ptr<Datei>& aus) override {
    int flags = O_CLOEXEC;
    switch (modus) {
      case Oeffnen::Lesen:
        flags |= O_RDONLY;
        break;
      case Oeffnen::LesenSchreiben:
        flags |= O_RDWR;
        break;
      case Oeffnen::Anlegen:
        flags |= O_RDWR | O_CREAT;
        break;
      case Oeffnen::Neu:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
      case Oeffnen::NeuExklusiv:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    }
    int fd = ::open(pfad.c_str(), flags, 0666);
    if (fd < 0) {
      const int e = errno;
      return os_fehler(e, "Datei kann nicht geöffnet werden:", pfad);
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      return Ergebnis::fehler(Ergebnis::Code::Ungueltig, "Ist ein Verzeichnis: " + pfad);
    }
    aus = std::make_unique<PosixDatei>(fd, pfad);
    return Ergebnis::erfolg();
  }

  bool existiert(const std::string& pfad) override {
    struct stat st;
    return ::stat(pfad.c_str(), &st) == 0;
  }

  bool ist_verzeichnis(const std::string& pfad) override {
    struct stat st;
    return ::stat(pfad.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  std::optional<Dateizeit> aenderungszeit(const std::string& pfad) override {
    struct stat st;
    struct tm t;
    if (::stat(pfad.c_str(), &st) != 0 || !::localtime_r(&st.st_mtime, &t)) return std::nullopt;
    return Dateizeit{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
  }

  Ergebnis umbenennen(const std::string& alt, const std::string& neu) override {
    if (::rename(alt.c_str(), neu.c_str()) != 0) {
      const int e = errno;
      return os_fehler(e, "Umbenennen nicht möglich:", alt);
    }
    return Ergebnis::erfolg();
  }

  Ergebnis loeschen(const std::string& pfad) override {
    if (::unlink(pfad.c_str()) != 0) {
      const int e = errno;
      return os_fehler(e, "Löschen nicht möglich:", pfad);
    }
    return Ergebnis::erfolg();
  }

  Ergebnis liste(const std::string& verzeichnis, std::vector<std::string>& namen) override {
    namen.clear();
    DIR* d = ::opendir(verzeichnis.c_str());
    if (!d) {
      const int e = errno;
      return os_fehler(e, "Verzeichnis nicht lesbar:", verzeichnis);
    }
    while (struct dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") namen.push_back(std::move(n));
    }
    ::closedir(d);
    std::sort(namen.begin(), namen.end());
    return Ergebnis::erfolg();
  }

  Ergebnis verzeichnis_anlegen(const std::string& pfad) override {
    if (pfad.empty() || ist_verzeichnis(pfad)) return Ergebnis::erfolg();
    std::string eltern = verzeichnis_von(pfad);
    if (eltern != pfad && eltern != "." && eltern != "/") {
      if (Ergebnis e = verzeichnis_anlegen(eltern); !e) return e;
    }
    if (::mkdir(pfad.c_str(), 0777) != 0) {
      const int e = errno;
      if (e != EEXIST) return os_fehler(e, "Verzeichnis kann nicht angelegt werden:", pfad);
      return Ergebnis::erfolg();
    }
    // The new name is durable only once its parent directory is synced.
    return verzeichnis_sync(eltern == "." ? std::string(".") : eltern);
  }

  Ergebnis verzeichnis_loeschen(const std::string& pfad) override {
    if (::rmdir(pfad.c_str()) != 0) {
      const int e = errno;
      return os_fehler(e, "Verzeichnis kann nicht gelöscht werden:", pfad);
    }
    return Ergebnis::erfolg();
  }

  Ergebnis verzeichnis_sync(const std::string& pfad) override {
    int fd = ::open(pfad.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      const int e = errno;
      return os_fehler(e, "Verzeichnis nicht lesbar:", pfad);
    }
    int r = ::fsync(fd);
    int fehler = errno;
    ::close(fd);
    if (r != 0) return os_fehler(fehler, "Sichern des Verzeichnisses fehlgeschlagen:", pfad);
    return Ergebnis::erfolg();
  }
};

}  // namespace

std::unique_ptr<Dateisystem> echtes_dateisystem() {
  return std::make_unique<PosixDateisystem>();
}

}  // namespace fibu
