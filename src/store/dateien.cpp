#include "store/dateien.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/betrag.h"
#include "suite/ergebnis.h"
#include "suite/numkeys.h"

namespace fibu {
namespace {

using isam::Schluesseltabelle;

std::string zeichen(const Satz& s, std::size_t off) {
  char c = static_cast<char>(s.u8(off));
  return c == '\0' ? std::string() : std::string(1, c);
}

}  // namespace

// --- PERSONEN ---

tdbperson_datenbank::tdbperson_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v,
                                         Mandantenbezug m, std::string name)
    : tdatenbank(ui, v, std::move(name), PersonenFelder::groesse, {{8, false}, {18, true}}),
      m_(std::move(m)) {}

void tdbperson_datenbank::leeren() {
  if (!offen()) return;
  satz().leeren();
  satz().set(PersonenFelder::Sammelkonto, std::uint8_t{1});
  satz().set(PersonenFelder::Mkz, std::uint8_t{1});
  for (auto& k : keys_) k.clear();
  nach_lesen();
}

void tdbperson_datenbank::lies_keys(const Satz& s) {
  keys_[1] = trim(s.get(PersonenFelder::Kontonr));
  keys_[2] = trim(s.get(PersonenFelder::Suchname));
}

void tdbperson_datenbank::nach_lesen() {
  using F = PersonenFelder;
  Satz& s = satz();
  s.setze_f64(F::Skonto1Anzeige, static_cast<double>(s.get(F::Skonto1)) / 1000.0);
  s.setze_f64(F::Skonto2Anzeige, static_cast<double>(s.get(F::Skonto2)) / 1000.0);
  filtername.clear();
  sammelkonto_text.clear();
  if (!m_.basis) return;
  const Satz& b = *m_.basis;
  int filter = s.get(F::Filter);
  if (filter >= 1 && filter <= 99) filtername = trim(b.get(BasisFelder::filtername(filter)));
  sammelkonto_text = sammelkonto_anzeige(b, s.get(F::Kontonr), s.get(F::Sammelkonto));
}

void tdbperson_datenbank::vor_speichern(const std::string& key) {
  using F = PersonenFelder;
  Satz& s = satz();
  s.set(F::Kontonr, key);
  s.set(F::Kontonummer, kontowert(key));
  s.set(F::Skonto1, rund(static_cast<long double>(s.f64(F::Skonto1Anzeige)) * 1000));
  s.set(F::Skonto2, rund(static_cast<long double>(s.f64(F::Skonto2Anzeige)) * 1000));
}

bool tdbperson_datenbank::loeschen(const std::string& key) {
  if (!ist_offen()) return false;
  if (satz().get(PersonenFelder::Bebucht)) {
    ui().ShowMessageMain("Personenkonto " + trim(key) +
                         " ist bebucht worden und kann nicht gelöscht werden!");
    return false;
  }
  return tdatenbank::loeschen(key);
}

// --- SACH ---

tdbsach_datenbank::tdbsach_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v, Mandantenbezug m,
                                     std::string name)
    : tdatenbank(ui, v, std::move(name), SachFelder::groesse, {{8, false}, {18, true}, {10, true}}),
      m_(std::move(m)) {}

void tdbsach_datenbank::lies_keys(const Satz& s) {
  keys_[1] = trim(s.get(SachFelder::Kontonummer));
  keys_[2] = trim(s.get(SachFelder::Suchname));
  keys_[3].clear();  // maintained by the store hooks, one entry per code
}

std::vector<std::string> tdbsach_datenbank::zuordnungen(const Satz& s) {
  std::set<std::string> codes;
  for (int i = 0; i < 4; ++i) codes.insert(trim(s.get(SachFelder::zuordnung_code(i))));
  for (int i = 0; i < 10; ++i) codes.insert(trim(s.get(SachFelder::bwa_code(i))));
  codes.erase("");
  return {codes.begin(), codes.end()};
}

void tdbsach_datenbank::nach_lesen() {
  static const char* arten[] = {"",
                                "Kasse (K)",
                                "Mehrwertsteuer (M)",
                                "Umsatzerloese (U)",
                                "Vorsteuer (V)",
                                "EG-Erwerbe (EG)"};
  int art = satz().get(SachFelder::Kontenart);
  kontenart_text = art <= 5 ? arten[art] : "";
  int st = satz().get(SachFelder::Steuerschluessel);
  steuerschluessel_text =
      (m_.basis && st >= 1 && st <= 40) ? trim(m_.basis->get(BasisFelder::steuertext(st))) : "";
}

void tdbsach_datenbank::vor_speichern(const std::string& key) {
  satz().set(SachFelder::Kontonummer, key);
  satz().set(SachFelder::Nummer, kontowert(key));
  behaltene_codes_.clear();
}

void tdbsach_datenbank::codes_entfernen(bool alle) {
  // The codes of the stored record leave key 3, except those the record
  // keeps (a balance update keeps all of them).
  behaltene_codes_.clear();
  Satz alt(SachFelder::groesse);
  if (!datei().GetNetRec(aktuelle_ref(), alt.bytes().data())) return;
  std::vector<std::string> neu = alle ? std::vector<std::string>{} : zuordnungen(satz());
  for (const auto& code : zuordnungen(alt)) {
    if (std::binary_search(neu.begin(), neu.end(), code))
      behaltene_codes_.push_back(code);
    else if (!datei().DeleteNetKey(3, aktuelle_ref(), code))
      isamtest();
  }
}

void tdbsach_datenbank::nach_keys_entfernt() {
  codes_entfernen(neuaufbau_);
}

void tdbsach_datenbank::nach_keys_angelegt() {
  for (const auto& code : zuordnungen(satz()))
    if (std::find(behaltene_codes_.begin(), behaltene_codes_.end(), code) ==
            behaltene_codes_.end() &&
        !datei().AddNetKey(3, aktuelle_ref(), code) &&
        datei().IsamError != isam::fehler_schluessel_doppelt)
      isamtest();
  behaltene_codes_.clear();
}

void tdbsach_datenbank::nach_reorg() {
  // The rebuild derives keys 1 and 2 only; storing every record again
  // restores key 3.
  if (!offen()) return;
  std::string key;
  datei().ClearKey(1);
  std::vector<std::string> konten;
  std::uint32_t ref;
  while (datei().NextNetKey(1, ref, key)) konten.push_back(key);
  neuaufbau_ = true;
  for (const auto& k : konten) {
    if (suchen(k)) speichern(k);
  }
  neuaufbau_ = false;
  leeren();
}

bool tdbsach_datenbank::loeschen(const std::string& key) {
  if (!ist_offen()) return false;
  std::string nummer = trim(key);
  if (satz().get(SachFelder::Bebucht)) {
    ui().ShowMessageMain("Sachkonto " + nummer +
                         " ist bebucht worden und kann nicht gelöscht werden!");
    return false;
  }
  if (m_.basis) {
    if (ist_sonderkonto(*m_.basis, nummer)) {
      ui().ShowMessageMain("Sachkonto " + nummer + " ist Forderungskonto, Verbindlichkeitskonto " +
                           "oder Steuerkonto und kann nicht gelöscht werden!");
      return false;
    }
  }
  // Its key-3 entries go with the record, in one unit of work.
  if (verzeichnis().beginne() != isam::isam_ok) return false;
  std::uint32_t ref = 0;
  if (datei().FindNetKey(1, ref, arg(key))) {
    setze_aktuelle_ref(ref);
    codes_entfernen(true);
  }
  const bool geloescht = tdatenbank::loeschen(key);
  if (verzeichnis().bestaetige() == isam::isam_ok) return geloescht;
  ui().ShowMessageMain("Die Änderung der Datenbank " + zitiert() +
                       " konnte nicht gespeichert werden.");
  return false;
}

// --- KOSTEN ---

tdbkosten_datenbank::tdbkosten_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v)
    : tdatenbank(ui, v, "KOSTEN", KostenFelder::groesse, {{7, false}}) {}

void tdbkosten_datenbank::lies_keys(const Satz& s) {
  keys_[1] = trim(s.get(KostenFelder::Schluessel));
}

std::string tdbkosten_datenbank::fortsetzungs_key(const std::string& key, int n) const {
  return "W" + trim(key).substr(1) + std::to_string(n);
}

void tdbkosten_datenbank::nach_lesen() {
  using F = KostenFelder;
  std::string key = trim(satz().get(F::Schluessel));
  ist_verteilschluessel = !key.empty() && key[0] == 'V';
  verteilung.clear();
  if (!ist_verteilschluessel) return;
  auto zeilen_aus = [&](const Satz& s) {
    int n = std::min<int>(s.get(F::Zeilenzahl), F::zeilen_je_satz);
    for (int i = 0; i < n; ++i)
      verteilung.push_back({s.get(F::zeile_kostenstelle(i)), s.get(F::zeile_anteil(i))});
    return n == F::zeilen_je_satz;
  };
  bool weiter = zeilen_aus(satz());
  Satz fort(F::groesse);
  for (int n = 1; weiter && n * F::zeilen_je_satz < max_zeilen; ++n) {
    std::uint32_t ref;
    if (!datei().FindNetKey(1, ref, fortsetzungs_key(key, n)) ||
        !datei().GetNetRec(ref, fort.bytes().data()))
      break;
    weiter = zeilen_aus(fort);
  }
}

void tdbkosten_datenbank::vor_speichern(const std::string& key) {
  using F = KostenFelder;
  satz().set(F::Schluessel, key);
  ist_verteilschluessel = !key.empty() && key[0] == 'V';
  if (!ist_verteilschluessel) return;
  int n = std::min<int>(static_cast<int>(verteilung.size()), F::zeilen_je_satz);
  satz().set(F::Zeilenzahl, static_cast<std::uint8_t>(n));
  for (int i = 0; i < F::zeilen_je_satz; ++i) {
    bool da = i < n;
    satz().set(F::zeile_kostenstelle(i),
               da ? verteilung[static_cast<std::size_t>(i)].kostenstelle : "");
    satz().set(F::zeile_anteil(i), da ? verteilung[static_cast<std::size_t>(i)].anteil : 0);
  }
}

void tdbkosten_datenbank::fortsetzungen_entfernen(const std::string& key, int ab) {
  for (int n = ab; n * KostenFelder::zeilen_je_satz < max_zeilen; ++n) {
    std::uint32_t ref;
    std::string k = fortsetzungs_key(key, n);
    if (!datei().FindNetKey(1, ref, k)) continue;
    if (!datei().DeleteNetKey(1, ref, k) || !datei().DeleteNetRec(ref)) isamtest();
  }
}

void tdbkosten_datenbank::nach_keys_angelegt() {
  using F = KostenFelder;
  std::string key = trim(satz().get(F::Schluessel));
  if (!ist_verteilschluessel) return;
  // Lines 25 to 100 in continuation records, written with the main record.
  const int alle = std::min<int>(static_cast<int>(verteilung.size()), max_zeilen);
  int n = 1;
  for (int von = F::zeilen_je_satz; von < alle; von += F::zeilen_je_satz, ++n) {
    Satz fort(F::groesse);
    std::string k = fortsetzungs_key(key, n);
    fort.set(F::Schluessel, k);
    int anzahl = std::min(F::zeilen_je_satz, alle - von);
    fort.set(F::Zeilenzahl, static_cast<std::uint8_t>(anzahl));
    for (int i = 0; i < anzahl; ++i) {
      fort.set(F::zeile_kostenstelle(i),
               verteilung[static_cast<std::size_t>(von + i)].kostenstelle);
      fort.set(F::zeile_anteil(i), verteilung[static_cast<std::size_t>(von + i)].anteil);
    }
    std::uint32_t ref;
    bool ok = datei().FindNetKey(1, ref, k)
                  ? datei().PutNetRec(ref, fort.bytes().data())
                  : datei().AddNetRec(ref, fort.bytes().data()) && datei().AddNetKey(1, ref, k);
    if (!ok) isamtest();
  }
  fortsetzungen_entfernen(key, n);
}

bool tdbkosten_datenbank::loeschen(const std::string& key) {
  if (!ist_offen()) return false;
  std::string k = trim(key);
  if (k.empty() || k[0] != 'V') return tdatenbank::loeschen(key);
  if (verzeichnis().beginne() != isam::isam_ok) return false;
  fortsetzungen_entfernen(k, 1);
  const bool geloescht = tdatenbank::loeschen(key);
  if (verzeichnis().bestaetige() == isam::isam_ok) return geloescht;
  ui().ShowMessageMain("Die Änderung der Datenbank " + zitiert() +
                       " konnte nicht gespeichert werden.");
  return false;
}

// --- KOSTART, BWAKONTO ---

tdbkostenart_datenbank::tdbkostenart_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v)
    : tdatenbank(ui, v, "KOSTART", KostartFelder::groesse, {{12, false}, {12, false}}) {}

void tdbkostenart_datenbank::lies_keys(const Satz& s) {
  keys_[1] = trim(s.get(KostartFelder::Schluessel1));
  keys_[2] = trim(s.get(KostartFelder::Schluessel2));
}

tdbBWAkonto_datenbank::tdbBWAkonto_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v)
    : tdatenbank(ui, v, "BWAKONTO", BwakontoFelder::groesse, {{10, false}, {2, true}}) {}

void tdbBWAkonto_datenbank::lies_keys(const Satz& s) {
  keys_[1] = s.get(BwakontoFelder::Gruppe);  // as stored, not trimmed
  keys_[2] = WordToKey(s.get(BwakontoFelder::Gruppennummer));
}

// --- BUCHUNG ---

tdbbuchung_datenbank::tdbbuchung_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v,
                                           Mandantenbezug m)
    : tdatenbank(ui, v, "BUCHUNG", 22,
                 {{4, false}, {4, true}, {4, true}, {20, true}, {2, true}, {10, true}, {6, true}},
                 BuchungFelder::groesse),
      m_(std::move(m)),
      da1_(v) {
  daten_in_datei = false;
  keys_trimmen = false;
}

void tdbbuchung_datenbank::oeffnen() {
  if (!da1_.offen()) {
    if (!da1_.oeffnen("BUCHUNG.DA1", BuchungFelder::groesse, true)) {
      if (da1_.IsamError == isam::fehler_daten_defekt)
        throw Abbruch("Datensatzgröße der Buchungsdatei ist falsch!");
      ui().ShowMessageMain("Die Buchungsdatei BUCHUNG.DA1 kann nicht geöffnet werden:\r" +
                           isam::isam_fehlertext(da1_.IsamError));
      return;
    }
  }
  tdatenbank::oeffnen();
  offene_sicht = false;
  nur_salden = false;
}

void tdbbuchung_datenbank::schliessen() {
  tdatenbank::schliessen();
  da1_.schliessen();
}

void tdbbuchung_datenbank::sichern() {
  tdatenbank::sichern();  // the booking data file is on disk with every unit of work
}

void tdbbuchung_datenbank::lies_keys(const Satz& s) {
  using F = BuchungFelder;
  std::string konto = s.get(F::Konto);
  keys_[1] = LongToKey(s.get(F::Index));
  keys_[2] = LongToKey(kontowert(konto));
  keys_[3] = LongToKey(kontowert(s.get(F::Kost)));
  char art = 'K';
  if (m_.basis && ist_sachkonto(*m_.basis, konto))
    art = 'S';
  else if (m_.basis && ist_debitor(*m_.basis, konto))
    art = 'D';
  keys_[4] = std::string(1, art) + s.get(F::Belegnr);
  keys_[4] = keys_[4].substr(0, 20);
  keys_[5] = WordToKey(s.get(F::Datum));
  keys_[6] = ExtToKey(static_cast<long double>(s.get(F::Betrag)));
  keys_[7] = keys_[2] + keys_[5];
}

bool tdbbuchung_datenbank::satz_ist_leer(const Satz& s) const {
  using F = BuchungFelder;
  for (const TextFeld& f : {F::Konto, F::Kost, F::Belegnr, F::Textschluessel, F::Text1, F::Text2,
                            F::Gegenkonto, F::Steuerschluessel})
    if (!trim(s.get(f)).empty()) return false;
  char sh = static_cast<char>(s.u8(F::SollHaben));
  return (sh == '\0' || sh == ' ') && s.get(F::Betrag) == 0;
}

std::int64_t tdbbuchung_datenbank::versatz() const {
  return offene_sicht && m_.archivanzahl ? *m_.archivanzahl : 0;
}

std::int64_t tdbbuchung_datenbank::anzahl_buchungen() {
  return std::max<std::int64_t>(0, static_cast<std::int64_t>(da1_.anzahl()) - versatz());
}

bool tdbbuchung_datenbank::buchung_lesen(std::int64_t n) {
  return buchung_lesen_in(n, satz());
}

bool tdbbuchung_datenbank::buchung_lesen_in(std::int64_t n, Satz& aus) {
  if (n < 1 || n > anzahl_buchungen() ||
      !da1_.lesen(static_cast<std::uint64_t>(n + versatz()), aus.bytes().data())) {
    aus.leeren();
    return false;
  }
  normalisieren(aus);
  return true;
}

// Blank flags read from the file count as unset, a tax key "0" as none.
void tdbbuchung_datenbank::normalisieren(Satz& s) {
  using F = BuchungFelder;
  for (std::size_t off : {F::SollHaben, F::Buchungsart})
    if (s.u8(off) == ' ') s.setze_u8(off, 0);
  if (trim(s.get(F::Steuerschluessel)) == "0") s.set(F::Steuerschluessel, "");
}

std::int64_t tdbbuchung_datenbank::letzte_buchung_oder_fehler() {
  Satz s(BuchungFelder::groesse);
  for (std::int64_t n = anzahl_buchungen(); n >= 1; --n) {
    if (!da1_.lesen(static_cast<std::uint64_t>(n + versatz()), s.bytes().data())) return -1;
    if (!satz_ist_leer(s)) return n;
  }
  return 0;
}

std::int64_t tdbbuchung_datenbank::letzte_buchung() {
  std::int64_t n = letzte_buchung_oder_fehler();
  if (n < 0) ui().ShowMessageMain("Die Buchungsdatei BUCHUNG.DA1 kann nicht gelesen werden!");
  return std::max<std::int64_t>(n, 0);
}

bool tdbbuchung_datenbank::gespeicherter_satz(std::uint32_t ref, Satz& aus) {
  if (vorheriger_ && vorheriger_->first == ref) {
    aus = vorheriger_->second;
    return true;
  }
  return ref >= 1 && ref <= da1_.anzahl() && da1_.lesen(ref, aus.bytes().data());
}

bool tdbbuchung_datenbank::buchung_ablegen(std::int64_t n) {
  if (!ist_offen()) return false;
  if (n < 1 || n > anzahl_buchungen() + 1) return false;
  const std::uint64_t nr = static_cast<std::uint64_t>(n + versatz());
  isam::Einheit einheit(verzeichnis());
  if (einheit.fehler() != isam::isam_ok) return false;
  // The booking that stood there gives the index entries to replace.
  vorheriger_.reset();
  if (nr <= da1_.anzahl()) {
    Satz alt(BuchungFelder::groesse);
    if (!da1_.lesen(nr, alt.bytes().data())) {
      einheit.abbrechen();
      return false;
    }
    vorheriger_.emplace(static_cast<std::uint32_t>(nr), std::move(alt));
  }
  satz().set(BuchungFelder::Index, static_cast<std::int32_t>(nr));
  if (!da1_.schreiben(nr, satz().bytes().data())) {
    vorheriger_.reset();
    einheit.abbrechen();
    return false;
  }
  setze_aktuelle_ref(static_cast<std::uint32_t>(nr));
  speichern(LongToKey(static_cast<std::int32_t>(nr)));
  vorheriger_.reset();
  return einheit.ende(isam::isam_ok) == isam::isam_ok;
}

// Walks key `nr` from `von` while the keys do not pass `bis`, reading each
// booking the entry points to.
long tdbbuchung_datenbank::buchungen_im_index(int nr, const std::string& von,
                                              const std::string& bis, const Buchungsbesuch& nimm) {
  if (!ist_offen()) return 0;
  long anzahl = 0;
  Satz s(BuchungFelder::groesse);
  const bool gesperrt = unter_sperre(false, [&] {
    auto& fb = datei();
    std::string k = von;
    std::uint32_t ref = 0;
    bool ok = fb.SearchNetKey(nr, ref, k);
    for (; ok && k <= bis; ok = fb.NextNetKey(nr, ref, k)) {
      if (!da1_.lesen(ref, s.bytes().data())) {
        anzahl = -1;
        return;
      }
      normalisieren(s);
      ++anzahl;
      if (!nimm(ref, s)) return;
    }
    // The end of the index is no error; anything else the manager reports is.
    if (!ok && fb.IsamError != isam::isam_ok && fb.IsamError != isam::fehler_indexende &&
        fb.IsamError != isam::fehler_schluessel_fehlt)
      anzahl = -1;
  });
  return gesperrt ? anzahl : -1;
}

long tdbbuchung_datenbank::buchungen_des_kontos(std::int32_t konto, Datum von, Datum bis,
                                                const Buchungsbesuch& nimm) {
  const std::string kontokey = LongToKey(konto);
  return buchungen_im_index(7, kontokey + WordToKey(von), kontokey + WordToKey(bis), nimm);
}

long tdbbuchung_datenbank::buchungen_zum_beleg(char kennung, const std::string& belegnr,
                                               const Buchungsbesuch& nimm) {
  const std::string key = (std::string(1, kennung) + belegnr).substr(0, 20);
  return buchungen_im_index(4, key, key, nimm);
}

bool tdbbuchung_datenbank::buchungen_lesen(std::int64_t von, std::int64_t bis,
                                           const Nummernbesuch& nimm) {
  constexpr std::int64_t block = 512;
  const std::size_t g = BuchungFelder::groesse;
  bis = std::min(bis, anzahl_buchungen());
  std::string puffer;
  Satz s(g);
  for (std::int64_t n = std::max<std::int64_t>(von, 1); n <= bis; n += block) {
    const std::int64_t k = std::min(block, bis - n + 1);
    puffer.resize(static_cast<std::size_t>(k) * g);
    if (!da1_.lesen_mehrere(static_cast<std::uint64_t>(n + versatz()),
                            static_cast<std::uint64_t>(k), puffer.data()))
      return false;
    for (std::int64_t i = 0; i < k; ++i) {
      s.bytes().assign(puffer, static_cast<std::size_t>(i) * g, g);
      normalisieren(s);
      if (!nimm(n + i, s)) return true;
    }
  }
  return true;
}

bool tdbbuchung_datenbank::satz_fuer_liste(std::uint32_t ref, Satz& aus) {
  return ref >= 1 && ref <= da1_.anzahl() && da1_.lesen(ref, aus.bytes().data());
}

void tdbbuchung_datenbank::reorganisieren() {
  bool index_offen = datei().offen();
  bool war_offen = da1_.offen();
  if (!war_offen && !da1_.oeffnen("BUCHUNG.DA1", BuchungFelder::groesse, true)) return;
  // The index files are made anew from the bookings.
  (void)datei().CloseNetFileBlock();
  const int f = index_aufbauen(name(), da1_);
  if (!war_offen) da1_.schliessen();
  if (index_offen && !datei().OpenNetFileBlock(name())) isamtest();
  if (f != isam::isam_ok)
    ui().ShowMessageMain("Fehler " + std::to_string(f) + " in der Datenbank " + zitiert() + ":\r" +
                         isam::isam_fehlertext(f));
}

int tdbbuchung_datenbank::index_aufbauen(const std::string& indexname,
                                         isam::Festsatzdatei& quelle_da1) {
  const std::uint64_t anzahl = quelle_da1.anzahl();
  const int n = schluesselanzahl();
  ui().Balken_Oeffnen("Reorganisation DB " + name(), static_cast<long>((n + 1) * anzahl));
  isam::Schluesseltabelle tabelle = {{4, false}, {4, true},  {4, true}, {20, true},
                                     {2, true},  {10, true}, {6, true}};
  // A failure in these steps makes the rebuild below fail, which is reported.
  (void)isam::IsamFileBlock(verzeichnis()).DeleteFileBlock(indexname);
  {
    isam::IsamFileBlock neu(verzeichnis());
    (void)neu.MakeNetFileBlock(indexname, 22, n, tabelle);
  }
  Satz s(BuchungFelder::groesse);
  isam::Satzquelle quelle = [&](const std::function<void(std::uint32_t, const char*)>& nimm) {
    for (std::uint64_t nr = 1; nr <= anzahl; ++nr) {
      if (!quelle_da1.lesen(nr, s.bytes().data()))
        return static_cast<int>(isam::fehler_ein_ausgabe);
      // Booking n is record n, whatever its number field says.
      s.set(BuchungFelder::Index, static_cast<std::int32_t>(nr));
      ui().Balken_Inc();
      nimm(static_cast<std::uint32_t>(nr), s.bytes().data());
    }
    return static_cast<int>(isam::isam_ok);
  };
  bool leer = false;
  auto schluessel_von = [&](const char* daten, int k) {
    if (k == 1) {
      Satz b(BuchungFelder::groesse, std::string_view(daten, BuchungFelder::groesse));
      lies_keys(b);
      leer = satz_ist_leer(b);
    }
    // An empty booking keeps only its number.
    return (leer && k > 1) ? std::string() : keys_[static_cast<std::size_t>(k)];
  };
  int f = isam::RebuildFileBlock(
      verzeichnis(), indexname, 22, n, tabelle, schluessel_von, [&] { ui().Balken_Inc(); }, quelle);
  ui().Balken_Schliessen();
  for (auto& k : keys_) k.clear();
  return f;
}

// --- OPSTAMM ---

tdbopstamm_datenbank::tdbopstamm_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v,
                                           Mandantenbezug m, tdbperson_datenbank* personen,
                                           std::string name)
    : tdatenbank(ui, v, std::move(name), OpstammFelder::groesse,
                 {{20, false}, {30, false}, {28, false}, {2, true}, {10, true}}),
      m_(std::move(m)),
      personen_(personen) {
  keys_trimmen = false;
}

void tdbopstamm_datenbank::neue_schluesselform() {
  if (!m_.basis || m_.basis->get(BasisFelder::OpSchluesselform) != 0) return;
  m_.basis->set(BasisFelder::OpSchluesselform, std::uint16_t{1});
  if (m_.basis_speichern) m_.basis_speichern();
}

void tdbopstamm_datenbank::oeffnen() {
  tdatenbank::oeffnen();
  if (angelegt()) neue_schluesselform();
}

void tdbopstamm_datenbank::reorganisieren() {
  neue_schluesselform();
  tdatenbank::reorganisieren();
}

void tdbopstamm_datenbank::lies_keys(const Satz& s) {
  using F = OpstammFelder;
  std::string kennung = zeichen(s, F::Kennung);
  std::string beleg = trim(s.get(F::Belegnummer));
  std::string such = padcut(s.get(F::Suchname), 18);
  bool neu = m_.basis && m_.basis->get(BasisFelder::OpSchluesselform) == 1;
  keys_[1] = kennung + beleg;
  keys_[2] = neu ? such + kennung + kopy(beleg, 1, 11) : such + beleg;
  keys_[3] = padcut(s.get(F::Kontonummer), 8) + kennung + beleg;
  keys_[4] = WordToKey(s.get(F::Rechnungsdatum));
  keys_[5] = ExtToKey(static_cast<long double>(s.get(F::Betrag)));
}

void op_adresse_uebernehmen(Satz& op, const Satz& person) {
  using F = OpstammFelder;
  using P = PersonenFelder;
  op.set(F::Anrede, person.get(P::Anrede));
  op.set(F::Name, person.get(P::Name));
  op.set(F::Titel, person.get(P::Titel));
  op.set(F::Strasse, person.get(P::Strasse));
  op.set(F::PlzOrt, person.get(P::PlzOrt));
  op.set(F::Filternummer, person.get(P::Filter));
}

void tdbopstamm_datenbank::nach_lesen() {
  using F = OpstammFelder;
  using P = PersonenFelder;
  Satz& s = satz();
  std::string konto = trim(s.get(F::Kontonummer));
  if (!konto.empty() && personen_ && personen_->offen()) {
    Satz p(P::groesse);
    std::uint32_t ref;
    if (personen_->datei().FindNetKey(1, ref, konto) &&
        personen_->datei().GetNetRec(ref, p.bytes().data())) {
      bool diverse = p.get(P::Diverse);
      s.set(F::Diverse, diverse);
      if (!diverse) op_adresse_uebernehmen(s, p);
      s.set(F::Mahnkennziffer, p.get(P::Mkz));
    }
  }
  // Old data kept whole percents: 3 means 3 %, that is 3000 thousandths.
  std::int64_t skonto = s.get(F::Skontoprozent);
  if (skonto > 0 && skonto < 10) s.set(F::Skontoprozent, skonto * 1000);
}

void tdbopstamm_datenbank::vor_speichern(const std::string& key) {
  if (key.empty())
    ui().ShowMessageMain("OP-DB: Länge des Schlüssel ist Null!");
  else if (key[0] != 'D' && key[0] != 'K')
    ui().ShowMessageMain("OP-DB: Kennung ist nicht D/K!");
}

// --- ERECH ---

tdbrechnung_datenbank::tdbrechnung_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v,
                                             bool suite_euro)
    : tdatenbank(ui, v, "ERECH", ErechFelder::groesse,
                 {{5, false}, {18, true}, {4, true}, {3, true}, {5, true}, {4, true}}),
      suite_euro_(suite_euro) {
  keys_trimmen = false;
}

void tdbrechnung_datenbank::oeffnen() {
  verzeichnis().extensionen_fuer_waehrung(suite_euro_);
  tdatenbank::oeffnen();
}

void tdbrechnung_datenbank::reorganisieren() {
  verzeichnis().extensionen_fuer_waehrung(suite_euro_);
  tdatenbank::reorganisieren();
}

void tdbrechnung_datenbank::lies_keys(const Satz& s) {
  using F = ErechFelder;
  keys_[1] = s.get(F::Schluessel1);
  keys_[2] = s.get(F::Schluessel2);
  keys_[3] = datum_sortiertext(s.get(F::Datum1));
  keys_[4] = s.get(F::Schluessel4);
  keys_[5].clear();  // never indexed
  keys_[6] = datum_sortiertext(s.get(F::Datum2));
}

void tdbrechnung_datenbank::nach_lesen() {
  using F = ErechFelder;
  if (trim(satz().get(F::NeuesFeld)).empty() && !trim(satz().get(F::AltesFeld)).empty()) {
    satz().set(F::NeuesFeld, satz().get(F::AltesFeld));
    satz().set(F::AltesFeld, "");
  }
}

// --- Work files ---

tdbtemp_datenbank::tdbtemp_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v)
    : tdatenbank(ui, v, "TEMPKOST", BuchungFelder::groesse,
                 {{4, false}, {9, true}, {9, true}, {21, true}, {13, true}}) {}

void tdbtemp_datenbank::lies_keys(const Satz& s) {
  using F = BuchungFelder;
  std::string konto = LongToKey(kontowert(s.get(F::Konto)));
  std::string kost = LongToKey(kontowert(s.get(F::Kost)));
  std::string periode(1, static_cast<char>(s.get(F::Periode)));
  keys_[1] = LongToKey(s.get(F::Index));
  keys_[2] = kost + konto + periode;
  keys_[3] = konto + kost + periode;
  keys_[4] = trim(s.get(F::Text1));
  keys_[5] = trim(s.get(F::Text2));
}

tdbtemp2_datenbank::tdbtemp2_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v)
    : tdatenbank(ui, v, "TEMPJOUR", TempjourFelder::groesse, {{6, false}}) {
  daten_in_datei = false;
  keys_trimmen = false;
}

void tdbtemp2_datenbank::lies_keys(const Satz& s) {
  keys_[1] =
      WordToKey(s.get(TempjourFelder::Datum)) + LongToKey(s.get(TempjourFelder::Buchungsnummer));
}

tdboptemp_datenbank::tdboptemp_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v)
    : tdatenbank(ui, v, "TEMPOP", TempopFelder::groesse, {{20, false}}) {}

void tdboptemp_datenbank::lies_keys(const Satz&) {
  keys_[1] = schluesseltext;
}

}  // namespace fibu
