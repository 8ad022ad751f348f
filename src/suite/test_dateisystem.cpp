#include "suite/test_dateisystem.h"

#include <algorithm>
#include <vector>

namespace fibu {

namespace {
std::string normal(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}
bool wurzel(const std::string& p) {
  return p.empty() || p == "/" || p == ".";
}
}  // namespace

struct TestDateisystem::Inode {
  std::string inhalt;     // as the program sees it
  std::string dauerhaft;  // as it survives a crash
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
  std::set<std::string> verzeichnisse;
  std::uint64_t generation = 0;
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
    Ergebnis e = fs_.vorgang("Schreiben " + pfad_, &teilweise);
    if (!e && !teilweise) return e;
    std::string_view teil = teilweise ? daten.substr(0, daten.size() / 2) : daten;
    std::string& s = inode_->inhalt;
    if (s.size() < pos + teil.size()) s.resize(static_cast<size_t>(pos + teil.size()), '\0');
    std::copy(teil.begin(), teil.end(), s.begin() + static_cast<std::ptrdiff_t>(pos));
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
    return Ergebnis::erfolg();
  }

  Ergebnis sync() override {
    if (Ergebnis e = gueltig(); !e) return e;
    if (Ergebnis e = fs_.vorgang("Sync " + pfad_); !e) return e;
    inode_->dauerhaft = inode_->inhalt;
    return Ergebnis::erfolg();
  }

  Ergebnis sperren(Sperrart art, bool, std::uint64_t von, std::uint64_t laenge) override {
    if (Ergebnis e = gueltig(); !e) return e;
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
}

Ergebnis TestDateisystem::pruefe_lebendig() const {
  if (abgestuerzt_)
    return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Datenträger nicht bereit (Absturz)");
  return Ergebnis::erfolg();
}

Ergebnis TestDateisystem::vorgang(const std::string& was, bool* teilweise) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  ++zaehler_;
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
      break;
  }
  return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Eingabe-/Ausgabefehler bei: " + was);
}

void TestDateisystem::absturz() {
  z_->namen = z_->dauerhafte_namen;
  for (auto& [name, inode] : z_->namen) {
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
  if (z_->verzeichnisse.count(pfad))
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig, "Ist ein Verzeichnis: " + pfad);
  auto it = z_->namen.find(pfad);
  bool anlegen = modus == Oeffnen::Anlegen || modus == Oeffnen::Neu;
  if (it == z_->namen.end()) {
    if (!anlegen)
      return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Datei nicht gefunden: " + pfad);
    if (!ist_verzeichnis(verzeichnis_von(pfad)))
      return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Verzeichnis nicht gefunden: " + pfad);
    if (Ergebnis e = vorgang("Anlegen " + pfad); !e) return e;
    it = z_->namen.emplace(pfad, std::make_shared<Inode>()).first;
  } else if (modus == Oeffnen::Neu) {
    if (Ergebnis e = vorgang("Leeren " + pfad); !e) return e;
    it->second->inhalt.clear();
  }
  aus = std::make_unique<TestDatei>(*this, it->second, pfad, modus != Oeffnen::Lesen);
  return Ergebnis::erfolg();
}

bool TestDateisystem::existiert(const std::string& p) {
  std::string pfad = normal(p);
  return z_->namen.count(pfad) || ist_verzeichnis(pfad);
}

bool TestDateisystem::ist_verzeichnis(const std::string& p) {
  std::string pfad = normal(p);
  return wurzel(pfad) || z_->verzeichnisse.count(pfad);
}

Ergebnis TestDateisystem::umbenennen(const std::string& a, const std::string& n) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string alt = normal(a), neu = normal(n);
  auto it = z_->namen.find(alt);
  if (it == z_->namen.end())
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Datei nicht gefunden: " + alt);
  if (!ist_verzeichnis(verzeichnis_von(neu)))
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Verzeichnis nicht gefunden: " + neu);
  if (Ergebnis e = vorgang("Umbenennen " + alt); !e) return e;
  auto inode = it->second;
  z_->namen.erase(it);
  z_->namen[neu] = inode;
  return Ergebnis::erfolg();
}

Ergebnis TestDateisystem::loeschen(const std::string& p) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string pfad = normal(p);
  if (!z_->namen.count(pfad))
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Datei nicht gefunden: " + pfad);
  if (Ergebnis e = vorgang("Löschen " + pfad); !e) return e;
  z_->namen.erase(pfad);
  return Ergebnis::erfolg();
}

Ergebnis TestDateisystem::liste(const std::string& v, std::vector<std::string>& namen) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string verz = normal(v);
  if (!ist_verzeichnis(verz))
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Verzeichnis nicht gefunden: " + verz);
  namen.clear();
  auto eintrag = [&](const std::string& pfad) {
    if (verzeichnis_von(pfad) == (wurzel(verz) && verz != "/" ? "." : verz))
      namen.push_back(name_von(pfad));
  };
  for (const auto& [pfad, inode] : z_->namen) eintrag(pfad);
  for (const auto& pfad : z_->verzeichnisse) eintrag(pfad);
  std::sort(namen.begin(), namen.end());
  return Ergebnis::erfolg();
}

Ergebnis TestDateisystem::verzeichnis_anlegen(const std::string& p) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string pfad = normal(p);
  if (ist_verzeichnis(pfad)) return Ergebnis::erfolg();
  if (z_->namen.count(pfad))
    return Ergebnis::fehler(Ergebnis::Code::Existiert, "Datei statt Verzeichnis: " + pfad);
  std::string eltern = verzeichnis_von(pfad);
  if (eltern != pfad) {
    if (Ergebnis e = verzeichnis_anlegen(eltern); !e) return e;
  }
  if (Ergebnis e = vorgang("Verzeichnis anlegen " + pfad); !e) return e;
  z_->verzeichnisse.insert(pfad);
  return Ergebnis::erfolg();
}

Ergebnis TestDateisystem::verzeichnis_loeschen(const std::string& p) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string pfad = normal(p);
  if (!z_->verzeichnisse.count(pfad))
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Verzeichnis nicht gefunden: " + pfad);
  std::vector<std::string> inhalt;
  liste(pfad, inhalt);
  if (!inhalt.empty())
    return Ergebnis::fehler(Ergebnis::Code::Existiert, "Verzeichnis ist nicht leer: " + pfad);
  if (Ergebnis e = vorgang("Verzeichnis löschen " + pfad); !e) return e;
  z_->verzeichnisse.erase(pfad);
  return Ergebnis::erfolg();
}

Ergebnis TestDateisystem::verzeichnis_sync(const std::string& p) {
  if (Ergebnis e = pruefe_lebendig(); !e) return e;
  std::string verz = normal(p);
  if (!ist_verzeichnis(verz))
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Verzeichnis nicht gefunden: " + verz);
  if (Ergebnis e = vorgang("Verzeichnis sichern " + verz); !e) return e;
  std::string eltern = wurzel(verz) && verz != "/" ? "." : verz;
  auto& d = z_->dauerhafte_namen;
  for (auto it = d.begin(); it != d.end();) {
    if (verzeichnis_von(it->first) == eltern && !z_->namen.count(it->first))
      it = d.erase(it);
    else
      ++it;
  }
  for (const auto& [pfad, inode] : z_->namen)
    if (verzeichnis_von(pfad) == eltern) d[pfad] = inode;
  return Ergebnis::erfolg();
}

}  // namespace fibu
