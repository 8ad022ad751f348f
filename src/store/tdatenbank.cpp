#include "store/tdatenbank.h"

#include <algorithm>

#include "suite/allgemei.h"
#include "suite/ergebnis.h"

namespace fibu {
namespace {

constexpr std::size_t max_key = 30;

// A pick list over one key of a file. Positions are (key, reference) pairs
// encoded so that they sort as the index does: the key padded with zero
// bytes to the key length, its length, the reference.
class Dateibrowser : public Tmybrowser {
 public:
  Dateibrowser(tdatenbank& db, int nr, std::string titel, std::string kopf,
               const Zeilenbauer& zeile, std::size_t laenge, const std::string* von,
               const std::string* bis, std::function<bool(std::uint32_t, Satz&)> lesen,
               std::string start)
      : db_(db),
        nr_(nr),
        titel_(std::move(titel)),
        kopf_(std::move(kopf)),
        zeile_(zeile),
        laenge_(laenge),
        von_(von ? std::optional<std::string>(*von) : std::nullopt),
        bis_(bis ? std::optional<std::string>(*bis) : std::nullopt),
        lesen_(std::move(lesen)),
        start_(std::move(start)) {}

  std::string titel() const override { return titel_; }
  std::string kopf() const override { return kopf_; }
  std::string suchschluessel(const std::string& eingabe) const override {
    return position(eingabe, 0);
  }
  // The list opens at the key the caller gave, else at the range's start.
  std::string startschluessel() const override {
    if (!start_.empty()) return position(start_, 0);
    return von_ ? position(*von_, 0) : "";
  }

  std::vector<Browsereintrag> ab(const std::string& ab, std::size_t n) override {
    std::vector<Browsereintrag> aus;
    auto& fb = db_.datei();
    std::string key;
    std::uint32_t ref = 0;
    bool ok;
    if (ab.empty()) {
      fb.ClearKey(nr_);
      ok = fb.NextNetKey(nr_, ref, key);
    } else {
      auto [k, r] = zerlegen(ab);
      // A position with bytes after it lies just behind that entry.
      bool dahinter = ab.size() > laenge_ + 5;
      ok = fb.FindNetKeyAndRef(nr_, r, k) && !dahinter;
      if (ok) {
        key = k;
        ref = r;
      } else {
        ok = fb.NextNetKey(nr_, ref, key);
      }
    }
    while (ok && aus.size() < n) {
      if (bis_ && key.substr(0, bis_->size()) > *bis_) break;
      if (!von_ || key.substr(0, von_->size()) >= *von_) aus.push_back(eintrag(key, ref));
      ok = fb.NextNetKey(nr_, ref, key);
    }
    return aus;
  }

  std::vector<Browsereintrag> vor(const std::string& vor, std::size_t n) override {
    std::vector<Browsereintrag> aus;
    auto& fb = db_.datei();
    auto [k, r] = zerlegen(vor);
    // Positions the cursor; a pair not found leaves it where the search
    // stopped, which is where the list goes on.
    (void)fb.FindNetKeyAndRef(nr_, r, k);
    std::string key;
    std::uint32_t ref;
    while (aus.size() < n && fb.PrevNetKey(nr_, ref, key)) {
      if (von_ && key.substr(0, von_->size()) < *von_) break;
      if (!bis_ || key.substr(0, bis_->size()) <= *bis_) aus.push_back(eintrag(key, ref));
    }
    std::reverse(aus.begin(), aus.end());
    return aus;
  }

 private:
  std::string position(const std::string& key, std::uint32_t ref) const {
    std::string k = key.substr(0, laenge_);
    std::string p = k + std::string(laenge_ - k.size(), '\0');
    p.push_back(static_cast<char>(k.size()));
    return p + LongToKey(static_cast<std::int32_t>(ref));
  }
  std::pair<std::string, std::uint32_t> zerlegen(const std::string& p) const {
    if (p.size() < laenge_ + 5) return {"", 0};
    std::size_t len = static_cast<unsigned char>(p[laenge_]);
    return {p.substr(0, std::min(len, laenge_)),
            static_cast<std::uint32_t>(KeyToLong(p.substr(laenge_ + 1)))};
  }
  Browsereintrag eintrag(const std::string& key, std::uint32_t ref) {
    Satz s(db_.satz().groesse());
    std::string zeile = lesen_(ref, s) ? zeile_(s) : key;
    return {position(key, ref), zeile};
  }

  tdatenbank& db_;
  int nr_;
  std::string titel_, kopf_;
  const Zeilenbauer& zeile_;
  std::size_t laenge_;
  std::optional<std::string> von_, bis_;
  std::function<bool(std::uint32_t, Satz&)> lesen_;
  std::string start_;
};

}  // namespace

tdatenbank::tdatenbank(Interaktion& ui, isam::IsamVerzeichnis& verzeichnis, std::string name,
                       std::uint16_t satzgroesse, isam::Schluesseltabelle schluessel,
                       std::size_t arbeitsgroesse)
    : ui_(ui),
      verz_(verzeichnis),
      fb_(verzeichnis),
      name_(gross(name)),
      satzgroesse_(satzgroesse),
      schluessel_(std::move(schluessel)),
      satz_(arbeitsgroesse ? arbeitsgroesse : satzgroesse) {}

tdatenbank::~tdatenbank() {
  if (offen_) (void)fb_.CloseNetFileBlock();  // a destructor cannot report
}

std::string tdatenbank::arg(const std::string& key) const {
  std::string k = keys_trimmen ? trim(key) : key;
  return k.substr(0, max_key);
}

void tdatenbank::isamtest() {
  if (fb_.IsamOK) return;
  ui_.ShowMessageMain("Fehler " + std::to_string(fb_.IsamError) + " in der Datenbank " + zitiert() +
                      ":\r" + isam::isam_fehlertext(fb_.IsamError));
}

bool tdatenbank::ist_offen() {
  if (!offen_) ui_.ShowMessageMain("Datenbank " + zitiert() + " ist noch nicht geöffnet!");
  return offen_;
}

bool tdatenbank::unter_sperre(bool exklusiv, const std::function<void()>& tun) {
  bool selbst = !fb_.FileBlockIsLocked();
  if (selbst && !(exklusiv ? fb_.LockFileBlock() : fb_.ReadLockFileBlock())) {
    isamtest();
    return false;
  }
  // Released however `tun` ends, an exception included.
  struct Freigabe {
    isam::IsamFileBlock& fb;
    bool selbst;
    ~Freigabe() {
      if (selbst) (void)fb.UnLockFileBlock();  // unlocking is not refused
    }
  } freigabe{fb_, selbst};
  tun();
  return true;
}

bool tdatenbank::gespeicherter_satz(std::uint32_t ref, Satz& aus) {
  return daten_in_datei && fb_.GetNetRec(ref, aus.bytes().data());
}

void tdatenbank::oeffnen() {
  if (offen_) {
    ui_.ShowMessageMain("DB-OPEN " + zitiert() + " ist bereits geöffnet!");
    return;
  }
  offen_ = true;
  angelegt_ = false;
  if (!fb_.OpenNetFileBlock(name_)) {
    if (fb_.IsamError == isam::fehler_dateien_fehlen) {
      if (!fb_.MakeNetFileBlock(name_, satzgroesse_, schluesselanzahl(), schluessel_)) {
        isamtest();
        offen_ = false;
        return;
      }
      angelegt_ = true;
    } else if (fb_.IsamError == isam::fehler_index_defekt) {
      if (!ui_.JaNein2("Die Datenbank " + zitiert() + " ist defekt!!! Reorganisieren?")) {
        offen_ = false;
        throw Abbruch("Die Datenbank " + zitiert() + " ist defekt!!!\rProgramm wird abgebrochen!");
      }
      offen_ = false;
      reorganisieren();
      offen_ = true;
      if (!fb_.OpenNetFileBlock(name_)) {
        isamtest();
        offen_ = false;
        return;
      }
      nach_reorg();
    } else {
      isamtest();
      offen_ = false;
      return;
    }
  }
  if (fb_.BTDatRecordSize() != satzgroesse_) {
    (void)fb_.CloseNetFileBlock();  // the program ends with the message below
    offen_ = false;
    throw Abbruch("Datensatzgröße der DB " + zitiert() +
                  " ist falsch!\rProgramm wird abgebrochen!");
  }
  if (fb_.BTNrOfKeys() != schluesselanzahl()) {
    (void)fb_.CloseNetFileBlock();  // the program ends with the message below
    offen_ = false;
    throw Abbruch("Schlüsselanzahl der DB " + zitiert() +
                  " ist falsch!\rProgramm wird abgebrochen!");
  }
  leeren();
}

void tdatenbank::schliessen() {
  if (!offen_) return;
  offen_ = false;
  if (!fb_.CloseNetFileBlock()) isamtest();
}

void tdatenbank::leeren() {
  if (!offen_) return;
  if (daten_in_datei) satz_.leeren();
  for (auto& k : keys_) k.clear();
  nach_lesen();
}

void tdatenbank::lies_keys(const Satz&) {
  ui_.ShowMessageMain("Prozedur LIES-KEYS bitte überschreiben!");
}

void tdatenbank::lies_satz(std::uint32_t ref) {
  if (!daten_in_datei) return;
  if (!fb_.GetNetRec(ref, satz_.bytes().data())) isamtest();
}

bool tdatenbank::suchen(const std::string& key) {
  return suchen_key(1, key);
}

bool tdatenbank::suchen_key(int nr, const std::string& key) {
  if (!ist_offen()) return false;
  letzter_key_ = key;
  std::string k = arg(key);
  bool gefunden = false;
  bool gesperrt = unter_sperre(false, [&] {
    std::uint32_t ref = 0;
    if (!k.empty() && fb_.FindNetKey(nr, ref, k)) {
      aktuelle_ref_ = ref;
      lies_satz(ref);
      gefunden = true;
    } else {
      if (fb_.IsamError != isam::fehler_schluessel_fehlt && fb_.IsamError != isam::isam_ok)
        isamtest();
      leeren();
    }
  });
  // A read that could not take place leaves no record behind either.
  if (!gesperrt) leeren();
  lies_keys(satz_);
  nach_lesen();
  return gefunden;
}

bool tdatenbank::lies_ref(int nr, const std::string& key) {
  if (!ist_offen()) return false;
  if (!key_vorhanden(nr, key)) return false;
  bool ok = unter_sperre(false, [&] {
    aktuelle_ref_ = gewaehlte_ref_;
    lies_satz(gewaehlte_ref_);
  });
  if (!ok) return false;
  lies_keys(satz_);
  nach_lesen();
  return true;
}

bool tdatenbank::speichern(const std::string& key) {
  if (!ist_offen()) return false;
  std::string k1 = arg(key);
  if (k1.empty()) return false;
  bool fertig = false;
  bool leer = satz_ist_leer(satz_);
  vor_speichern(k1);
  const int n = schluesselanzahl();
  // A lock not had has shown its message.
  (void)unter_sperre(true, [&] {
    isam::Einheit einheit(verz_);
    if (einheit.fehler() != isam::isam_ok) {
      ui_.ShowMessageMain("Die Datenbank " + zitiert() + " kann nicht geschrieben werden.");
      return;
    }
    bool ok = true;
    auto pruefe = [&](bool r) {
      if (!r && ok) {
        ok = false;
        isamtest();
      }
      return ok;
    };
    std::uint32_t ref = 0;
    if (fb_.FindNetKey(1, ref, k1)) {
      // Update: key 1 stays, every other key is replaced. The entries taken
      // out are those of the record as stored (what the caller read last
      // may be another record or none).
      // An entry whose key stays the same stays where it is (a balance
      // update changes no key).
      aktuelle_ref_ = ref;
      Satz gespeichert(satz_.groesse());
      std::array<std::string, isam::max_schluessel + 1> alt{};
      if (gespeicherter_satz(ref, gespeichert)) {
        lies_keys(gespeichert);
        alt = keys_;
      }
      lies_keys(satz_);
      if (leer)
        for (auto& k : keys_) k.clear();
      auto bleibt = [&](int i) {
        return alt[static_cast<std::size_t>(i)] == keys_[static_cast<std::size_t>(i)];
      };
      for (int i = 2; i <= n && ok; ++i)
        if (!alt[static_cast<std::size_t>(i)].empty() && !bleibt(i))
          pruefe(fb_.DeleteNetKey(i, ref, alt[static_cast<std::size_t>(i)]) ||
                 fb_.IsamError == isam::fehler_schluessel_fehlt);
      if (ok) nach_keys_entfernt();
      if (ok && daten_in_datei)
        pruefe(leer ? fb_.DeleteNetRec(ref) : fb_.PutNetRec(ref, satz_.bytes().data()));
      for (int i = 2; i <= n && ok; ++i)
        if (!keys_[static_cast<std::size_t>(i)].empty() && !bleibt(i))
          pruefe(fb_.AddNetKey(i, ref, keys_[static_cast<std::size_t>(i)]));
      if (leer) lies_keys(satz_);
    } else if (fb_.IsamError != isam::fehler_schluessel_fehlt) {
      pruefe(false);
    } else {
      if (daten_in_datei && !leer) {
        std::uint32_t neu = 0;
        if (pruefe(fb_.AddNetRec(neu, satz_.bytes().data()))) aktuelle_ref_ = neu;
      }
      if (ok) lies_keys(satz_);
      // The record is found again under the key it was stored with.
      keys_[1] = k1;
      // A file whose records live elsewhere (the bookings) indexes an empty
      // record under its key 1, as its rebuild does.
      for (int i = 1; i <= n && ok && (!leer || (i == 1 && !daten_in_datei)); ++i)
        if (!keys_[static_cast<std::size_t>(i)].empty())
          pruefe(fb_.AddNetKey(i, aktuelle_ref_, keys_[static_cast<std::size_t>(i)]));
    }
    if (ok) nach_keys_angelegt();
    if (!ok) {
      einheit.abbrechen();
    } else if (einheit.ende(isam::isam_ok) != isam::isam_ok) {
      ui_.ShowMessageMain("Die Änderung der Datenbank " + zitiert() +
                          " konnte nicht gespeichert werden.");
    } else {
      fertig = true;
    }
  });
  return fertig;
}

bool tdatenbank::loeschen(const std::string& key) {
  if (!ist_offen()) return false;
  std::string k1 = arg(key);
  const int n = schluesselanzahl();
  bool geloescht = false;
  (void)unter_sperre(true, [&] {  // as in speichern
    std::uint32_t ref = 0;
    if (!fb_.FindNetKey(1, ref, k1)) return;
    isam::Einheit einheit(verz_);
    if (einheit.fehler() != isam::isam_ok) return;
    // The entries of the record as stored go, and key 1 as given.
    Satz gespeichert(satz_.groesse());
    if (gespeicherter_satz(ref, gespeichert)) lies_keys(gespeichert);
    keys_[1] = k1;
    bool ok = true;
    for (int i = 1; i <= n && ok; ++i)
      if (!keys_[static_cast<std::size_t>(i)].empty())
        ok = fb_.DeleteNetKey(i, ref, keys_[static_cast<std::size_t>(i)]) ||
             fb_.IsamError == isam::fehler_schluessel_fehlt;
    if (ok && daten_in_datei) ok = fb_.DeleteNetRec(ref);
    if (!ok) {
      isamtest();
      einheit.abbrechen();
    } else if (einheit.ende(isam::isam_ok) != isam::isam_ok) {
      ui_.ShowMessageMain("Die Änderung der Datenbank " + zitiert() +
                          " konnte nicht gespeichert werden.");
    } else {
      geloescht = true;
    }
  });
  leeren();
  return geloescht;
}

// Moves one entry on from the key given (at the current reference when the
// key exists), or to the first key not less than it.
bool tdatenbank::schritt(int nr, bool vor, std::string& key) {
  std::string k = arg(key);
  std::uint32_t ref = 0;
  bool ok;
  if (fb_.FindNetKey(nr, ref, k)) {
    // The key is there (found above): this only goes to the duplicate read last.
    (void)fb_.FindNetKeyAndRef(nr, aktuelle_ref_ != 0 ? aktuelle_ref_ : ref, k);
    ok = vor ? fb_.NextNetKey(nr, ref, k) : fb_.PrevNetKey(nr, ref, k);
  } else {
    ok = fb_.SearchNetKey(nr, ref, k);
    if (!vor) {
      if (!ok) fb_.ClearKey(nr);
      ok = fb_.PrevNetKey(nr, ref, k);
    }
  }
  if (ok) {
    key = k;
    aktuelle_ref_ = ref;
  }
  return ok;
}

bool tdatenbank::weiter_key(int nr, std::string& key) {
  if (!ist_offen()) return false;
  return schritt(nr, true, key);
}

bool tdatenbank::zurueck_key(int nr, std::string& key) {
  if (!ist_offen()) return false;
  return schritt(nr, false, key);
}

bool tdatenbank::lesender_schritt(int nr, bool vor, std::string& key) {
  bool ok = false;
  // A lock not had has shown its message; the step then answers false.
  (void)unter_sperre(false, [&] {
    letzter_key_ = key;
    ok = schritt(nr, vor, key);
    if (ok) lies_satz(aktuelle_ref_);
  });
  if (ok) {
    lies_keys(satz_);
    nach_lesen();
  }
  if (keys_trimmen) key = trim(key);
  return ok;
}

bool tdatenbank::lies_weiter(int nr, std::string& key) {
  if (!ist_offen()) return false;
  return lesender_schritt(nr, true, key);
}

bool tdatenbank::lies_zurueck(int nr, std::string& key) {
  if (!ist_offen()) return false;
  return lesender_schritt(nr, false, key);
}

// One reading step that only counts when the key reached, cut to the
// bound's length, is within the bound; otherwise the key argument keeps the
// value it had.
bool tdatenbank::begrenzter_schritt(int nr, bool vor, std::string& key, const std::string& grenze) {
  std::string vorher = key;
  std::uint32_t ref_vorher = aktuelle_ref_;
  std::string k = key;
  bool ok = false;
  (void)unter_sperre(false, [&] {  // as in lesender_schritt
    letzter_key_ = key;
    ok = schritt(nr, vor, k);
    if (ok) {
      std::string anfang = k.substr(0, grenze.size());
      ok = vor ? anfang <= grenze : anfang >= grenze;
    }
    if (ok) lies_satz(aktuelle_ref_);
  });
  if (!ok) {
    key = vorher;
    aktuelle_ref_ = ref_vorher;
  } else {
    key = k;
    lies_keys(satz_);
    nach_lesen();
  }
  if (keys_trimmen) key = trim(key);
  return ok;
}

bool tdatenbank::lies_weiter_bis(int nr, std::string& key, const std::string&,
                                 const std::string& bis) {
  if (!ist_offen()) return false;
  return begrenzter_schritt(nr, true, key, bis);
}

bool tdatenbank::lies_zurueck_ab(int nr, std::string& key, const std::string& von,
                                 const std::string&) {
  if (!ist_offen()) return false;
  return begrenzter_schritt(nr, false, key, von);
}

bool tdatenbank::satz_fuer_liste(std::uint32_t ref, Satz& aus) {
  return daten_in_datei && fb_.GetNetRec(ref, aus.bytes().data());
}

bool tdatenbank::waehle(int nr, const std::string& titel, std::string& key,
                        const Zeilenbauer& zeile, const std::string* von, const std::string* bis,
                        const std::string& kopf) {
  if (!ist_offen()) return false;
  Dateibrowser liste(
      *this, nr, titel, kopf, zeile, schluessel_[static_cast<std::size_t>(nr - 1)].laenge, von, bis,
      [this](std::uint32_t ref, Satz& s) { return satz_fuer_liste(ref, s); }, arg(key));
  auto wahl = winpicklist(ui_, liste);
  std::string gewaehlt;
  std::uint32_t ref = 0;
  if (wahl) {
    const std::size_t laenge = schluessel_[static_cast<std::size_t>(nr - 1)].laenge;
    std::size_t len = static_cast<unsigned char>(wahl->schluessel[laenge]);
    gewaehlt = wahl->schluessel.substr(0, len);
    ref = static_cast<std::uint32_t>(KeyToLong(wahl->schluessel.substr(laenge + 1)));
  }
  if (!wahl || gewaehlt.empty()) {
    leeren();
    return false;
  }
  gewaehlte_ref_ = ref;
  key = gewaehlt;
  return lies_ref(nr, gewaehlt);
}

bool tdatenbank::auswahl(int nr, const std::string& titel, std::string& key,
                         const Zeilenbauer& zeile, const std::string& kopf) {
  return waehle(nr, titel, key, zeile, nullptr, nullptr, kopf);
}

bool tdatenbank::auswahl_bereich(int nr, const std::string& titel, std::string& key,
                                 const Zeilenbauer& zeile, const std::string& von,
                                 const std::string& bis, const std::string& kopf) {
  return waehle(nr, titel, key, zeile, &von, &bis, kopf);
}

bool tdatenbank::key_vorhanden(int nr, const std::string& key) {
  if (!ist_offen()) return false;
  std::string k = arg(key);
  if (k.empty()) return true;
  std::uint32_t ref = 0;
  return fb_.FindNetKey(nr, ref, k);
}

bool tdatenbank::suche_ab(int nr, std::string& key) {
  if (!ist_offen()) return false;
  std::string k = arg(key);
  std::uint32_t ref = 0;
  if (!fb_.SearchNetKey(nr, ref, k)) return false;
  key = k;
  aktuelle_ref_ = ref;
  return true;
}

std::uint64_t tdatenbank::anzahl_keys(int nr) {
  return offen_ ? fb_.BTUsedKeys(nr) : 0;
}

std::uint32_t tdatenbank::anzahl_saetze() {
  return offen_ ? fb_.BTUsedRecs() : 0;
}

void tdatenbank::dateien_loeschen() {
  if (offen_) schliessen();
  if (!fb_.DeleteFileBlock(name_)) isamtest();
}

void tdatenbank::sichern() {
  if (!ist_offen()) return;
  bool selbst = !fb_.FileBlockIsLocked();
  if (selbst && !fb_.LockFileBlock()) {
    isamtest();
    return;
  }
  if (!fb_.FlushFileBlock()) isamtest();
  if (selbst) (void)fb_.UnLockFileBlock();  // unlocking is not refused
}

void tdatenbank::reorganisieren() {
  auto pfad = verz_.fs().finde_datei(verz_.pfad(), name_ + "." + verz_.DatExtension);
  if (!pfad) return;
  // The index is replaced as a whole: an open handle would keep the old one.
  bool war_offen = fb_.offen();
  if (war_offen) (void)fb_.CloseNetFileBlock();  // opened again below, with its check
  std::uint64_t bytes = 0;
  {
    // Only for the progress bar: an unknown size shows no steps.
    std::unique_ptr<Datei> d;
    if (verz_.fs().oeffnen(*pfad, Oeffnen::Lesen, d)) (void)d->groesse(bytes);
  }
  const std::uint64_t kopf = isam::seitengroesse;
  const long anzahl =
      bytes > kopf ? static_cast<long>((bytes - kopf) / isam::Datendatei::slotgroesse(satzgroesse_))
                   : 0;
  const int n = schluesselanzahl();
  ui_.Balken_Oeffnen("Reorganisation DB " + name_, (n + 1) * anzahl);
  reorg_zaehler_ = 0;
  Satz s(satzgroesse_);
  auto schluessel_von = [&](const char* daten, int nr) {
    if (nr == 1) {
      std::copy(daten, daten + satzgroesse_, s.bytes().begin());
      lies_keys(s);
      ++reorg_zaehler_;
      ui_.Balken_Inc();  // one step per record besides one per key
    }
    return keys_[static_cast<std::size_t>(nr)];
  };
  int f = isam::RebuildFileBlock(verz_, name_, satzgroesse_, n, schluessel_, schluessel_von, [&] {
    ++reorg_zaehler_;
    ui_.Balken_Inc();
  });
  ui_.Balken_Schliessen();
  for (auto& k : keys_) k.clear();
  if (f != isam::isam_ok)
    ui_.ShowMessageMain("Fehler " + std::to_string(f) + " in der Datenbank " + zitiert() + ":\r" +
                        isam::isam_fehlertext(f));
  if (war_offen && !fb_.OpenNetFileBlock(name_)) {
    isamtest();
    offen_ = false;
  }
}

void tdatenbank::reorg_komplett() {
  bool war_offen = offen_;
  if (war_offen) schliessen();
  reorganisieren();
  if (war_offen) oeffnen();
  nach_reorg();
}

}  // namespace fibu
