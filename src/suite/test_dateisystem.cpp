#include "suite/test_dateisystem.h"

#include <algorithm>
#include <random>
#include <vector>

namespace fibu {

namespace {

// "/a//b/./c/" -> "/a/b/c"; "" and "." stay the current directory.
std::string normal(const std::string& p) {
  std::string aus;
  std::size_t i = 0;
  bool absolut = !p.empty() && p[0] == '/';
  while (i < p.size()) {
    std::size_t ende = p.find('/', i);
    if (ende == std::string::npos) ende = p.size();
    std::string teil = p.substr(i, ende - i);
    i = ende + 1;
    if (teil.empty() || teil == ".") continue;
    if (!aus.empty() || absolut) aus += "/";
    aus += teil;
  }
  if (aus.empty()) return absolut ? "/" : ".";
  return aus;
}

bool wurzel(const std::string& p) {
  return p == "/" || p == ".";
}

std::string eltern_von(const std::string& p) {
  std::string e = verzeichnis_von(p);
  return e;
}

}  // namespace

struct TestDateisystem::Inode {
  bool verzeichnis = false;
  std::string inhalt;     // as the program sees it
  std::string dauerhaft;  // as it is sure to survive a crash
  struct Aenderung {      // unsynced, in order
    bool kuerzen;
    std::uint64_t pos;
    std::string daten;
  };
  std::vector<Aenderung> ausstehend;
  struct Sperre {
    const void* halter;
    Sperrart art;
    std::uint64_t von, bis;  // [von, bis)
  };
  std::vector<Sperre> sperren;
};

struct TestDateisystem::Zustand {
  std::map<std::string, std::shared_ptr<Inode>> namen;
  std::map<std::string, std::shared_ptr<Inode>> dauerhafte_namen;
  // Unsynced name changes per directory, in order: a name and what it now
  // refers to (nullptr: removed).
  std::map<std::string, std::vector<std::pair<std::string, std::shared_ptr<Inode>>>> ausstehend;
  std::uint64_t generation = 0;

  void name_setzen(const std::string& pfad, std::shared_ptr<Inode> inode) {
    if (inode)
      namen[pfad] = inode;
    else
      namen.erase(pfad);
    ausstehend[eltern_von(pfad)].emplace_back(pfad, std::move(inode));
  }
  bool ist_verzeichnis(const std::string& p) const {
    if (wurzel(p)) return true;
    auto it = namen.find(p);
    return it != namen.end() && it->second->verzeichnis;
  }
};

class TestDatei : public Datei {
 public:
  TestDatei(TestDateisystem& fs, std::shared_ptr<TestDateisystem::Inode> inode, std::string pfad,
            bool schreibbar)
      : fs_(fs),
        z_(fs.z_),
        inode_(std::move(inode)),
        pfad_(std::move(pfad)),
        schreibbar_(schreibbar),
        generation_(fs.z_->generation) {}

  ~TestDatei() override {
    auto& s = inode_->sperren;
    s.erase(std::remove_if(s.begin(), s.end(), [&](auto& x) { return x.halter == this; }), s.end());
  }

  Ergebnis lesen(std::uint64_t pos, std::size_t n, std::string& aus) override {
    if (Ergebnis e = gueltig(); !e) return e;
    aus.clear();
    if (pos < inode_->inhalt.size()) aus = inode_->inhalt.substr(static_cast<size_t>(pos), n);
    return Ergebnis::erfolg();
  }

  Ergebnis schreiben(std::uint64_t pos, std::string_view daten) override {
    if (Ergebnis e = gueltig(true); !e) return e;
    bool teilweise = false;
    Ergebnis e = fs_.vorgang("Schreiben " + pfad_, &teilweise,
                             pos + daten.size() > inode_->inhalt.size());
    if (!e && !teilweise) return e;
    std::string_view teil = teilweise ? daten.substr(0, daten.size() / 2) : daten;
    std::string& s = inode_->inhalt;
    if (s.size() < pos + teil.size()) s.resize(static_cast<size_t>(pos + teil.size()), '\0');
    std::copy(teil.begin(), teil.end(), s.begin() + static_cast<std::ptrdiff_t>(pos));
    inode_->ausstehend.push_back({false, pos, std::string(teil)});
    return e;
  }

  Ergebnis groesse(std::uint64_t& aus) override {
    if (Ergebnis e = gueltig(); !e) return e;
    aus = inode_->inhalt.size();
    return Ergebnis::erfolg();
  }

  Ergebnis kuerzen(std::uint64_t laenge) override {
    if (Ergebnis e = gueltig(true); !e) return e;
    if (Ergebnis e = fs_.vorgang("Kürzen " + pfad_); !e) return e;
    inode_->inhalt.resize(static_cast<size_t>(laenge), '\0');
    inode_->ausstehend.push_back({true, laenge, {}});
    return Ergebnis::erfolg();
  }

  Ergebnis sync() override {
    if (Ergebnis e = gueltig(); !e) return e;
    if (Ergebnis e = fs_.vorgang("Sync " + pfad_); !e) return e;
    ++fs_.syncs_;
    inode_->dauerhaft = inode_->inhalt;
    inode_->ausstehend.clear();
    return Ergebnis::erfolg();
  }

  Ergebnis sperren(Sperrart art, bool, std::uint64_t von, std::uint64_t laenge) override {
    if (Ergebnis e = gueltig(art == Sperrart::Exklusiv); !e) return e;
    std::uint64_t bis = laenge == 0 ? UINT64_MAX : von + laenge;
    for (const auto& s : inode_->sperren) {
      if (s.halter == this || s.bis <= von || bis <= s.von) continue;
      if (art == Sperrart::Exklusiv || s.art == Sperrart::Exklusiv)
        return Ergebnis::fehler(Ergebnis::Code::Gesperrt, "Datei ist gesperrt: " + pfad_);
    }
    entferne(von, bis);
    inode_->sperren.push_back({this, art, von, bis});
    return Ergebnis::erfolg();
  }

  Ergebnis entsperren(std::uint64_t von, std::uint64_t laenge) override {
    if (Ergebnis e = gueltig(); !e) return e;
    entferne(von, laenge == 0 ? UINT64_MAX : von + laenge);
    return Ergebnis::erfolg();
  }

 private:
  // Removes this file's locks inside [von, bis), keeping the parts outside.
  void entferne(std::uint64_t von, std::uint64_t bis) {
    std::vector<TestDateisystem::Inode::Sperre> neu;
    for (const auto& s : inode_->sperren) {
      if (s.halter != this || s.bis <= von || bis <= s.von) {
        neu.push_back(s);
        continue;
      }
      if (s.von < von) neu.push_back({this, s.art, s.von, von});
      if (bis < s.bis) neu.push_back({this, s.art, bis, s.bis});
    }
    inode_->sperren = std::move(neu);
  }

  Ergebnis gueltig(bool schreiben = false) const {
    if (generation_ != z_->generation)
      return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Datei nach Absturz ungültig: " + pfad_);
    if (Ergebnis e = fs_.pruefe_lebendig(); !e) return e;
    if (schreiben && !schreibbar_)
      return Ergebnis::fehler(Ergebnis::Code::Ungueltig, "Datei nur zum Lesen geöffnet: " + pfad_);
    return Ergebnis::erfolg();
  }

  TestDateisystem& fs_;
  std::shared_ptr<TestDateisystem::Zustand> z_;
  std::shared_ptr<TestDateisystem::Inode> inode_;
  std::string pfad_;
  bool schreibbar_;
  std::uint64_t generation_;
};

TestDateisystem::TestDateisystem() : z_(std::make_shared<Zustand>()) {}
TestDateisystem::~TestDateisystem() = default;

void TestDateisystem::stoere(std::uint64_t n, Stoerung art) {
  stoer_bei_ = n == 0 ? 0 : zaehler_ + n;
  stoer_art_ = art;
}

void TestDateisystem::keine_stoerung() {
  stoer_bei_ = 0;
  voll_ = false;
}

Ergebnis TestDateisystem::pruefe_lebendig() const {
  if (abgestuerzt_)
    return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Datenträger nicht bereit (Absturz)");
  return Ergebnis::erfolg();
}

Ergebnis TestDateisystem::vorgang(const std::string& was, bool* teilweise, bool waechst) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  ++zaehler_;
  if (stoer_bei_ != 0 && zaehler_ == stoer_bei_ && stoer_art_ == Stoerung::Voll) {
    stoer_bei_ = 0;
    voll_ = true;
  }
  if (voll_ && waechst)
    return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Datenträger voll bei: " + was);
  if (stoer_bei_ == 0 || zaehler_ != stoer_bei_) return Ergebnis::erfolg();
  stoer_bei_ = 0;
  switch (stoer_art_) {
    case Stoerung::Absturz:
      abgestuerzt_ = true;
      return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Absturz bei: " + was);
    case Stoerung::Teilweise:
      if (teilweise) *teilweise = true;
      return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Nur teilweise geschrieben: " + was);
    case Stoerung::Fehler:
    case Stoerung::Voll:
      break;
  }
  return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Eingabe-/Ausgabefehler bei: " + was);
}

void TestDateisystem::absturz(Verbleib verbleib, std::uint32_t zufallszahl) {
  std::mt19937 zufall(zufallszahl);
  auto behalten = [&] {
    return verbleib == Verbleib::Alles || (verbleib == Verbleib::Zufall && (zufall() & 1));
  };

  // Names: of each directory's unsynced changes a leading part survives.
  for (auto& [verz, aenderungen] : z_->ausstehend) {
    std::size_t n = verbleib == Verbleib::Alles    ? aenderungen.size()
                    : verbleib == Verbleib::Nichts ? 0
                                                   : zufall() % (aenderungen.size() + 1);
    for (std::size_t i = 0; i < n; ++i) {
      if (aenderungen[i].second)
        z_->dauerhafte_namen[aenderungen[i].first] = aenderungen[i].second;
      else
        z_->dauerhafte_namen.erase(aenderungen[i].first);
    }
  }
  z_->ausstehend.clear();
  // A name whose directory did not survive is gone with it.
  for (bool weiter = true; weiter;) {
    weiter = false;
    for (auto it = z_->dauerhafte_namen.begin(); it != z_->dauerhafte_namen.end();) {
      std::string eltern = eltern_von(it->first);
      auto e = z_->dauerhafte_namen.find(eltern);
      if (!wurzel(eltern) && (e == z_->dauerhafte_namen.end() || !e->second->verzeichnis)) {
        it = z_->dauerhafte_namen.erase(it);
        weiter = true;
      } else {
        ++it;
      }
    }
  }
  z_->namen = z_->dauerhafte_namen;

  // Data: of each unsynced write single sectors survive.
  constexpr std::uint64_t sektor = 512;
  for (auto& [name, inode] : z_->namen) {
    std::string& d = inode->dauerhaft;
    for (const auto& a : inode->ausstehend) {
      if (a.kuerzen) {
        if (behalten()) d.resize(static_cast<size_t>(a.pos), '\0');
        continue;
      }
      for (std::uint64_t von = 0; von < a.daten.size();) {
        std::uint64_t bis = std::min<std::uint64_t>(
            a.daten.size(), (a.pos + von) / sektor * sektor + sektor - a.pos);
        if (behalten()) {
          std::uint64_t ziel = a.pos + von;
          if (d.size() < ziel + (bis - von))
            d.resize(static_cast<size_t>(ziel + (bis - von)), '\0');
          std::copy(a.daten.begin() + static_cast<std::ptrdiff_t>(von),
                    a.daten.begin() + static_cast<std::ptrdiff_t>(bis),
                    d.begin() + static_cast<std::ptrdiff_t>(ziel));
        }
        von = bis;
      }
    }
    inode->ausstehend.clear();
    inode->inhalt = inode->dauerhaft;
    inode->sperren.clear();
  }
  ++z_->generation;
  abgestuerzt_ = false;
  stoer_bei_ = 0;
}

Ergebnis TestDateisystem::oeffnen(const std::string& p, Oeffnen modus,
                                  std::unique_ptr<Datei>& aus) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string pfad = normal(p);
  if (z_->ist_verzeichnis(pfad))
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig, "Ist ein Verzeichnis: " + pfad);
  auto it = z_->namen.find(pfad);
  bool anlegen =
      modus == Oeffnen::Anlegen || modus == Oeffnen::Neu || modus == Oeffnen::NeuExklusiv;
  if (it == z_->namen.end()) {
    if (!anlegen)
      return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Datei nicht gefunden: " + pfad);
    if (!z_->ist_verzeichnis(eltern_von(pfad)))
      return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Verzeichnis nicht gefunden: " + pfad);
    if (Ergebnis e = vorgang("Anlegen " + pfad); !e) return e;
    z_->name_setzen(pfad, std::make_shared<Inode>());
    it = z_->namen.find(pfad);
  } else if (modus == Oeffnen::NeuExklusiv) {
    return Ergebnis::fehler(Ergebnis::Code::Existiert, "Datei existiert bereits: " + pfad);
  } else if (modus == Oeffnen::Neu) {
    if (Ergebnis e = vorgang("Leeren " + pfad); !e) return e;
    it->second->inhalt.clear();
    it->second->ausstehend.push_back({true, 0, {}});
  }
  aus = std::make_unique<TestDatei>(*this, it->second, pfad, modus != Oeffnen::Lesen);
  return Ergebnis::erfolg();
}

bool TestDateisystem::existiert(const std::string& p) {
  std::string pfad = normal(p);
  return wurzel(pfad) || z_->namen.count(pfad);
}

bool TestDateisystem::ist_verzeichnis(const std::string& p) {
  return z_->ist_verzeichnis(normal(p));
}

Ergebnis TestDateisystem::umbenennen(const std::string& a, const std::string& n) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string alt = normal(a), neu = normal(n);
  auto it = z_->namen.find(alt);
  if (it == z_->namen.end() || it->second->verzeichnis)
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Datei nicht gefunden: " + alt);
  if (!z_->ist_verzeichnis(eltern_von(neu)))
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Verzeichnis nicht gefunden: " + neu);
  if (z_->ist_verzeichnis(neu))
    return Ergebnis::fehler(Ergebnis::Code::Existiert, "Ist ein Verzeichnis: " + neu);
  if (Ergebnis e = vorgang("Umbenennen " + alt); !e) return e;
  auto inode = it->second;
  z_->name_setzen(alt, nullptr);
  z_->name_setzen(neu, inode);
  return Ergebnis::erfolg();
}

Ergebnis TestDateisystem::loeschen(const std::string& p) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string pfad = normal(p);
  auto it = z_->namen.find(pfad);
  if (it == z_->namen.end() || it->second->verzeichnis)
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Datei nicht gefunden: " + pfad);
  if (Ergebnis e = vorgang("Löschen " + pfad); !e) return e;
  z_->name_setzen(pfad, nullptr);
  return Ergebnis::erfolg();
}

Ergebnis TestDateisystem::liste(const std::string& v, std::vector<std::string>& namen) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string verz = normal(v);
  if (!z_->ist_verzeichnis(verz))
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Verzeichnis nicht gefunden: " + verz);
  namen.clear();
  for (const auto& [pfad, inode] : z_->namen)
    if (eltern_von(pfad) == verz) namen.push_back(name_von(pfad));
  std::sort(namen.begin(), namen.end());
  return Ergebnis::erfolg();
}

Ergebnis TestDateisystem::verzeichnis_anlegen(const std::string& p) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string pfad = normal(p);
  if (z_->ist_verzeichnis(pfad)) return Ergebnis::erfolg();
  if (z_->namen.count(pfad))
    return Ergebnis::fehler(Ergebnis::Code::Existiert, "Datei statt Verzeichnis: " + pfad);
  std::string eltern = eltern_von(pfad);
  if (eltern != pfad) {
    if (Ergebnis e = verzeichnis_anlegen(eltern); !e) return e;
  }
  if (Ergebnis e = vorgang("Verzeichnis anlegen " + pfad); !e) return e;
  auto inode = std::make_shared<Inode>();
  inode->verzeichnis = true;
  z_->name_setzen(pfad, inode);
  // As the real file system does: the parent is synced so the new
  // directory is durable.
  return verzeichnis_sync(eltern);
}

Ergebnis TestDateisystem::verzeichnis_loeschen(const std::string& p) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string pfad = normal(p);
  if (!z_->ist_verzeichnis(pfad) || wurzel(pfad))
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Verzeichnis nicht gefunden: " + pfad);
  std::vector<std::string> inhalt;
  if (Ergebnis e = liste(pfad, inhalt); !e) return e;
  if (!inhalt.empty())
    return Ergebnis::fehler(Ergebnis::Code::Existiert, "Verzeichnis ist nicht leer: " + pfad);
  if (Ergebnis e = vorgang("Verzeichnis löschen " + pfad); !e) return e;
  z_->name_setzen(pfad, nullptr);
  return Ergebnis::erfolg();
}

std::optional<Dateizeit> TestDateisystem::aenderungszeit(const std::string& pfad) {
  const auto it = zeiten_.find(pfad);
  if (it == zeiten_.end()) return std::nullopt;
  return it->second;
}

Ergebnis TestDateisystem::verzeichnis_sync(const std::string& p) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string verz = normal(p);
  if (!z_->ist_verzeichnis(verz))
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Verzeichnis nicht gefunden: " + verz);
  if (Ergebnis e = vorgang("Verzeichnis sichern " + verz); !e) return e;
  ++syncs_;
  for (const auto& [pfad, inode] : z_->ausstehend[verz]) {
    if (inode)
      z_->dauerhafte_namen[pfad] = inode;
    else
      z_->dauerhafte_namen.erase(pfad);
  }
  z_->ausstehend.erase(verz);
  return Ergebnis::erfolg();
}

}  // namespace fibu
