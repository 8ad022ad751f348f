#include "exchange/fremdimport.h"

#include <algorithm>
#include <utility>

#include "frame/konfiguration.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/betrag.h"

namespace fibu {
namespace {

using B = BuchungFelder;
using BF = BasisFelder;
using P = PersonenFelder;
using O = OpstammFelder;

constexpr int protokollbreite = 132;
// Lines between two steps of the progress bar (and looks at Esc).
constexpr long balken_schritt = 100;

constexpr const char* buchungskopf =
    "  Zeile  Buchung Datum      Beleg   Konto    Gegenkto Art S/H          Brutto"
    "           Netto          Steuer St";

// A whole number that fits an int.
bool ganzzahl_text(const std::string& s) { return !s.empty() && s.size() <= 9 && nur_ziffern(s); }

bool steuerzeichen(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string betrag(Betrag b) {
  return format_maske(b, 2, "###.###.###,##");
}

Datum datum_plus(Datum d, int tage) {
  return static_cast<Datum>(std::clamp(static_cast<long>(d) + tage, 0L, 65535L));
}

void adresse_setzen(Satz& person, const Fremdperson& p) {
  person.set(P::Anrede, p.anrede);
  person.set(P::Name, p.name);
  person.set(P::Titel, p.titel);
  person.set(P::Strasse, p.strasse);
  person.set(P::PlzOrt, p.plz_ort);
  person.set(P::Telefon, p.telefon);
}

}  // namespace

// --- Settings ---

Fremdeinstellungen fremdeinstellungen_lesen(const Satz& basis) {
  Fremdeinstellungen e;
  const int aktuell = std::clamp<int>(basis.get(BF::AktuellePeriode), 1, 12);
  e.periode = basis.get(BF::FremdPeriode) ? basis.get(BF::FremdPeriode) : aktuell;
  e.von = basis.get(BF::FremdVon) ? basis.get(BF::FremdVon) : basis.get(BF::periode_von(aktuell));
  e.bis = basis.get(BF::FremdBis) ? basis.get(BF::FremdBis) : basis.get(BF::periode_bis(aktuell));
  e.adressen = basis.get(BF::FremdAdressen);
  e.negative_als_gutschrift = basis.get(BF::FremdNegativeAlsGutschrift);
  e.pfad = basis.get(BF::FremdPfad);
  return e;
}

void fremdeinstellungen_ablegen(Satz& basis, const Fremdeinstellungen& e) {
  basis.set(BF::FremdVon, e.von);
  basis.set(BF::FremdBis, e.bis);
  basis.set(BF::FremdPeriode, static_cast<std::uint8_t>(std::clamp(e.periode, 0, 255)));
  basis.set(BF::FremdAdressen, e.adressen);
  basis.set(BF::FremdNegativeAlsGutschrift, e.negative_als_gutschrift);
  basis.set(BF::FremdPfad, e.pfad);
}

// --- Reading lines ---

Zeilenleser::Zeilenleser(Datei& datei, std::size_t behalten) : datei_(datei), behalten_(behalten) {}

bool Zeilenleser::nachladen() {
  constexpr std::size_t stueck = 1 << 20;
  puffer_.erase(0, ppos_);
  ppos_ = 0;
  std::string neu;
  if (!datei_.lesen(pos_, stueck, neu)) {
    fehler_ = true;
    return false;
  }
  if (neu.empty()) {
    ende_ = true;
    return false;
  }
  pos_ += neu.size();
  puffer_ += neu;
  return true;
}

bool Zeilenleser::naechste(std::string& zeile, std::size_t& laenge) {
  zeile.clear();
  laenge = 0;
  bool etwas = false, umbruch = false;
  char letztes = 0;
  while (!umbruch) {
    if (ppos_ >= puffer_.size() && (ende_ || !nachladen())) break;
    etwas = true;
    const std::size_t nl = puffer_.find('\n', ppos_);
    const std::size_t stop = nl == std::string::npos ? puffer_.size() : nl;
    const std::size_t n = stop - ppos_;
    if (zeile.size() < behalten_)
      zeile.append(puffer_, ppos_, std::min(n, behalten_ - zeile.size()));
    if (n > 0) letztes = puffer_[stop - 1];
    laenge += n;
    ppos_ = stop;
    if (nl != std::string::npos) {
      ++ppos_;
      umbruch = true;
    }
  }
  if (fehler_ || !etwas) return false;
  if (laenge > 0 && letztes == '\r') {
    if (zeile.size() == laenge) zeile.pop_back();
    --laenge;
  }
  // ^Z closing the file.
  if (!umbruch && laenge == 1 && zeile == "\x1a") return false;
  return true;
}

// --- The passes ---

Fremdimport::Fremdimport(Mandant& m, Fremdeinstellungen e, Ausgabe3& protokoll)
    : m_(m), e_(std::move(e)), d_(protokoll), kern_(m) {
  if (e_.periode >= 1 && e_.periode <= 12) {
    periode_von_ = m.basis.get(BF::periode_von(e_.periode));
    periode_bis_ = m.basis.get(BF::periode_bis(e_.periode));
  }
}

void Fremdimport::melde(long nr, const std::string& text) {
  d_.druckeln("!!! Zeile " + std::to_string(nr) + ": " + text);
}

bool Fremdimport::im_zeitraum(Datum d) const {
  return d >= e_.von && d <= e_.bis && d >= periode_von_ && d <= periode_bis_;
}

// An account number as the files key it: digits padded to the length of
// its kind; the personal account 0 is the base data's "Debitor Diverse".
std::string Fremdimport::kontotext(const std::string& text) const {
  if (!ganzzahl_text(text)) return text;
  const std::int32_t wert = kontowert(text);
  const Satz& b = m_.basis;
  if (ist_sachkonto(b, text)) return sachkonto_text(b, wert);
  if (wert == 0) return personenkonto_text(b, b.get(BF::DebitorDiverse));
  return personenkonto_text(b, wert);
}

bool Fremdimport::vorhanden(const std::string& konto) const {
  if (konto.empty()) return false;
  if (ist_sachkonto(m_.basis, konto)) return m_.sach->key_vorhanden(1, konto);
  return m_.personen->key_vorhanden(1, konto) || neue_konten_.count(konto) > 0;
}

// The accounts the file will create: personal accounts of lines in the
// period that do not exist yet and lie in a personal range.
void Fremdimport::vorschau(Datei& datei) {
  neue_konten_.clear();
  Zeilenleser leser(datei);
  std::string bytes;
  std::size_t laenge = 0;
  while (leser.naechste(bytes, laenge)) {
    if (laenge != fremdsatz_laenge || steuerzeichen(bytes)) continue;
    const Fremdzeile z = fremdzeile_lesen(bytes, false);
    if (!im_zeitraum(z.datum)) continue;
    const std::string konto = kontotext(z.konto);
    const Satz& b = m_.basis;
    if (!ganzzahl_text(konto) || !(ist_debitor(b, konto) || ist_kreditor(b, konto))) continue;
    if (!m_.personen->key_vorhanden(1, konto)) neue_konten_.emplace(konto, false);
  }
}

void Fremdimport::konto_anlegen(const std::string& konto, const Fremdperson& p) {
  auto& pers = *m_.personen;
  pers.leeren();
  Satz& s = pers.satz();
  adresse_setzen(s, p);
  s.set(P::Suchname, p.suchname);
  s.set(P::EgId, p.eg_id);
  // Numbers the file leaves blank keep the defaults of a new account.
  if (p.filter) s.set(P::Filter, static_cast<std::uint8_t>(*p.filter));
  if (p.sammelschluessel) s.set(P::Sammelkonto, static_cast<std::uint8_t>(*p.sammelschluessel));
  if (p.diverse) s.set(P::Diverse, *p.diverse);
  if (p.summe_in_saldenliste) s.set(P::SummeInSaldenliste, *p.summe_in_saldenliste);
  if (p.nettotage) s.set(P::Nettotage, static_cast<std::uint16_t>(*p.nettotage));
  if (p.skonto1) s.setze_f64(P::Skonto1Anzeige, static_cast<double>(*p.skonto1) / 1000);
  if (p.skontotage1) s.set(P::Skontotage1, static_cast<std::uint16_t>(*p.skontotage1));
  if (p.skonto2) s.setze_f64(P::Skonto2Anzeige, static_cast<double>(*p.skonto2) / 1000);
  if (p.skontotage2) s.set(P::Skontotage2, static_cast<std::uint16_t>(*p.skontotage2));
  if (p.mkz) s.set(P::Mkz, static_cast<std::uint8_t>(*p.mkz));
  s.set(P::Eroeffnungsdatum, m_.tagesdatum().Today());
  pers.speichern(konto);
  neue_konten_[konto] = true;
}

void Fremdimport::adresse_ersetzen(const std::string& konto, const Fremdperson& p) {
  auto& pers = *m_.personen;
  // A collective account of one-time customers keeps its own address: the
  // line's address goes to the open item.
  if (!p.hat_adresse() || !pers.suchen(konto) || pers.satz().get(P::Diverse)) return;
  adresse_setzen(pers.satz(), p);
  pers.speichern(konto);
}

// The item the engine opened, completed from the line: due date, address,
// terms, filter and dunning code where the line gives them.
void Fremdimport::op_vorbereiten(const std::string& key, const Fremdzeile& z) {
  auto& op = *m_.opstamm;
  if (!op.suchen(key)) return;
  Satz& s = op.satz();
  const Fremdperson& p = z.person;
  if (p.hat_adresse()) {
    s.set(O::Anrede, p.anrede);
    s.set(O::Name, p.name);
    s.set(O::Titel, p.titel);
    s.set(O::Strasse, p.strasse);
    s.set(O::PlzOrt, p.plz_ort);
  }
  if (!p.suchname.empty()) s.set(O::Suchname, p.suchname);
  if (z.faellig != kein_datum)
    s.set(O::Faelligkeitsdatum, z.faellig);
  else if (p.nettotage && z.buchungsart != 'E')
    s.set(O::Faelligkeitsdatum, datum_plus(z.datum, *p.nettotage));
  if (p.skonto1) s.set(O::Skontoprozent, *p.skonto1);
  if (p.skontotage1) s.set(O::Skontodatum, datum_plus(z.datum, *p.skontotage1));
  if (p.filter) s.set(O::Filternummer, static_cast<std::uint8_t>(*p.filter));
  if (p.mkz) s.set(O::Mahnkennziffer, static_cast<std::uint8_t>(*p.mkz));
  op.speichern(key);
}

void Fremdimport::buchungszeile(long nr, std::int64_t n, const Satz& b, Betrag brutto) {
  const char art = buchungsart(b) ? buchungsart(b) : ' ';
  const char sh = static_cast<char>(b.u8(B::SollHaben));
  d_.druckeln(padlinks(std::to_string(nr), 7) + " " + padlinks(std::to_string(n), 8) + " " +
              DateToDateString("dd.mm.yyyy", b.get(B::Datum)) + " " +
              padcut(trim(b.get(B::Belegnr)), 7) + " " + padcut(trim(b.get(B::Konto)), 8) + " " +
              padcut(trim(b.get(B::Gegenkonto)), 8) + "  " + std::string(1, art) + "   " +
              std::string(1, sh) + " " + betrag(brutto) + " " + betrag(b.get(B::Betrag)) + " " +
              betrag(b.get(B::Steuerbetrag)) + " " + trim(b.get(B::Steuerschluessel)));
}

// One line of a pass, and what its steps learn of it.
struct Fremdimport::Zeile {
  long nr = 0;
  bool buchen = false;  // the posting pass
  Fremdzeile z;
  std::string konto, gegen;
  bool sach = false;  // a GL line
};

bool Fremdimport::fehler(const Zeile& l, const std::string& text) {
  melde(l.nr, text);
  fehler_ = true;
  // In the posting pass the lines were all checked: a line that fails now
  // (the file changed meanwhile) stops the pass.
  return !l.buchen;
}

bool Fremdimport::zeile(std::string_view bytes, std::size_t laenge, long nr, Pass pass) {
  Zeile l;
  l.nr = nr;
  l.buchen = pass == Pass::Buchen;
  if (auto ende = lesen_und_pruefen(bytes, laenge, l)) return *ende;
  buchung_fuellen(l);
  for (auto schritt : {&Fremdimport::bestehender_op, &Fremdimport::steuerschluessel_pruefen,
                       &Fremdimport::konten_pruefen, &Fremdimport::buchung_pruefen})
    if (auto ende = (this->*schritt)(l)) return *ende;
  return buchen(l);
}

// 1. to 3.: length and plain text, conversion and period, the line's own checks.
std::optional<bool> Fremdimport::lesen_und_pruefen(std::string_view bytes, std::size_t laenge,
                                                   Zeile& l) {
  if (laenge != fremdsatz_laenge) return fehler(l, "Satzlaenge falsch!");
  if (steuerzeichen(bytes))
    return fehler(l, "Zeile enthält Steuerzeichen, die Datei ist keine Textdatei!");
  Fremdzeile& z = l.z;
  z = fremdzeile_lesen(bytes, e_.negative_als_gutschrift);
  if (z.datum != kein_datum && !im_zeitraum(z.datum)) {
    ++ausserhalb_;
    return true;
  }
  auto alle_melden = [&](const std::vector<std::string>& fehlerliste) {
    for (std::size_t i = 0; i + 1 < fehlerliste.size(); ++i) melde(l.nr, fehlerliste[i]);
    return fehler(l, fehlerliste.back());
  };
  if (!z.fehler.empty()) return alle_melden(z.fehler);
  if (z.konto.empty()) return fehler(l, "Konto ist leer!");
  l.konto = kontotext(z.konto);
  l.sach = ist_sachkonto(basis(), l.konto);
  const char art = z.buchungsart;
  if (art == 'E' && z.eroeffnungsart == 3) return fehler(l, "Eroeffnungsart ist falsch!");
  if (!l.sach && std::string_view("EGRZ").find(art ? art : ' ') == std::string_view::npos)
    return fehler(l, "Buchungsart ist falsch!");
  if (!l.sach && !z.personenfehler.empty()) return alle_melden(z.personenfehler);
  return std::nullopt;
}

void Fremdimport::buchung_fuellen(Zeile& l) {
  const Fremdzeile& z = l.z;
  const char art = z.buchungsart;
  Satz& b = m_.buchung->satz();
  b.leeren();
  b.setze_u8(B::Buchungsart, static_cast<std::uint8_t>(art));
  b.set(B::Konto, l.konto);
  b.set(B::Kost, z.kost);
  b.set(B::Belegnr, z.belegnr);
  b.set(B::Datum, z.datum);
  b.set(B::Textschluessel, kopy(z.text1, 1, 2));
  b.set(B::Text1, z.text1);
  b.set(B::Text2, z.text2);
  b.setze_u8(B::SollHaben, static_cast<std::uint8_t>(z.soll_haben));
  b.set(B::Betrag, z.brutto);
  l.gegen = kontotext(z.gegenkonto);
  b.set(B::Gegenkonto, l.gegen);
  b.set(B::Periode, static_cast<std::uint8_t>(e_.periode));
  b.set(B::Eroeffnungsart, static_cast<std::uint8_t>(art == 'E' ? z.eroeffnungsart : 0));
}

// 4. An item that is there already, in the books or from an earlier line:
// the line is left out (the check pass says so).
std::optional<bool> Fremdimport::bestehender_op(Zeile& l) {
  const Satz& b = m_.buchung->satz();
  if (!eroeffnet_op(basis(), b)) return std::nullopt;
  const std::string key = op_schluessel(basis(), b);
  std::optional<Betrag> da;
  if (auto it = ops_.find(key); it != ops_.end())
    da = it->second;
  else if (m_.opstamm->suchen(key))
    da = m_.opstamm->satz().get(O::Betrag);
  if (!da) return std::nullopt;
  if (!l.buchen) melde(l.nr, "Rechnung/OP existiert bereits");
  if (*da != vorzeichenbetrag(b)) {
    if (!l.buchen)
      melde(l.nr, "Betrag des OP " + betrag_text(*da) + " weicht vom Betrag der Zeile " +
                      betrag_text(vorzeichenbetrag(b)) + " ab");
    differenz_ = true;
  }
  return true;
}

// 5. The tax key of a GL line.
std::optional<bool> Fremdimport::steuerschluessel_pruefen(Zeile& l) {
  const std::string& st = l.z.steuerschluessel;
  if (!l.sach || st.empty() || st == "0" || st == "00") return std::nullopt;
  const int k = ganzzahl_text(st) ? std::stoi(st) : -1;
  if (k < 1 || k > 40) return fehler(l, pruef_text(14));
  if (!m_.sach->suchen(l.konto)) return std::nullopt;  // step 6 reports the account
  const Satz& s = m_.sach->satz();
  const bool aenderbar = s.get(SachFelder::SteuerschluesselAenderbar);
  const std::int64_t satz = basis().get(BF::steuersatz(k));
  const bool passt = aenderbar ? satz == std::int64_t{l.z.steuersatz.value_or(0)} * 100
                               : k == s.get(SachFelder::Steuerschluessel);
  if (!passt)
    return fehler(l, "Steuerschlüssel " + std::to_string(k) + " ist bei Konto " + l.konto +
                         " nicht zulässig!");
  m_.buchung->satz().set(B::Steuerschluessel, std::to_string(k));
  return std::nullopt;
}

// 6. Account and counter-account; the file's new account is made before
// its line is checked (in the check pass inside a unit that is rolled back).
std::optional<bool> Fremdimport::konten_pruefen(Zeile& l) {
  if (!vorhanden(l.konto)) return fehler(l, "Konto \"" + l.konto + "\" existiert nicht!");
  if (!l.gegen.empty() && !vorhanden(l.gegen))
    return fehler(l, "Gegenkonto \"" + l.gegen + "\" existiert nicht!");
  if (auto it = neue_konten_.find(l.konto); !l.sach && it != neue_konten_.end() && !it->second) {
    konto_anlegen(l.konto, l.z.person);
    if (l.buchen) ++angelegt_;
  }
  return std::nullopt;
}

// 7. The booking check, with the replacements the base data allow: the
// difference cost centre, the difference account.
std::optional<bool> Fremdimport::buchung_pruefen(Zeile& l) {
  const Satz& basis = m_.basis;
  Satz& b = m_.buchung->satz();
  bool kost_ersetzt = false, konto_ersetzt = false;
  for (;;) {
    const int code = kern_.buchung_pruefen(b, false);
    if (code == 0 || code == 6 || code == 19) return std::nullopt;
    const bool sach_jetzt = ist_sachkonto(basis, b.get(B::Konto));
    if (code == 12 && sach_jetzt && !kost_ersetzt && basis.get(BF::Differenzkostenstelle) != 0) {
      kost_ersetzt = true;
      b.set(B::Kost, vierstellig(basis.get(BF::Differenzkostenstelle)));
      if (!l.buchen) melde(l.nr, "Differenzkostenstelle " + trim(b.get(B::Kost)) + " eingesetzt");
      continue;
    }
    if (code == 20 && !konto_ersetzt) {
      const std::string alt = trim(b.get(B::Konto));
      const std::int32_t ersatz = sach_jetzt                ? basis.get(BF::DifferenzkontoSach)
                                  : ist_debitor(basis, alt) ? basis.get(BF::DifferenzkontoDebitor)
                                                            : basis.get(BF::DifferenzkontoKreditor);
      if (ersatz != 0) {
        konto_ersetzt = true;
        const std::string neu =
            sach_jetzt ? sachkonto_text(basis, ersatz) : personenkonto_text(basis, ersatz);
        b.set(B::Konto, neu);
        if (sach_jetzt) b.set(B::Steuerschluessel, "");
        if (!l.buchen) melde(l.nr, "Konto " + alt + " durch Differenzkonto " + neu + " ersetzt");
        continue;
      }
    }
    const std::string text = pruef_text(code);
    return fehler(l, text.empty() ? "Buchung ist nicht zulässig (Prüfung " + std::to_string(code) +
                                        ")!"
                                  : text);
  }
}

// 8. and 9.: in the posting pass the address, the booking and its open
// item; in both the items opened and the pass balance.
bool Fremdimport::buchen(Zeile& l) {
  const Satz& basis = m_.basis;
  const Satz& b = m_.buchung->satz();
  const std::string konto = trim(b.get(B::Konto));
  const bool oeffnet = eroeffnet_op(basis, b);
  const std::string key = oeffnet ? op_schluessel(basis, b) : std::string();
  const Betrag brutto = b.get(B::Betrag);
  const Betrag signiert = vorzeichenbetrag(b);
  if (l.buchen) {
    if (e_.adressen && !ist_sachkonto(basis, konto)) adresse_ersetzen(konto, l.z.person);
    const std::int64_t n = letzte_ + 1;
    if (!kern_.buchen(n) || !lauf_->ok()) {
      melde(l.nr, "Buchung konnte nicht geschrieben werden!");
      fehler_ = true;
      return false;
    }
    letzte_ = n;
    if (oeffnet) op_vorbereiten(key, l.z);
    if (!lauf_->ok()) {
      melde(l.nr, "Offener Posten " + key + " konnte nicht geschrieben werden!");
      fehler_ = true;
      return false;
    }
    buchungszeile(l.nr, n, m_.buchung->satz(), brutto);
    ++gebucht_;
  }
  if (oeffnet) ops_.emplace(key, signiert);
  saldo_ += signiert;
  return true;
}

bool Fremdimport::lesen(Datei& datei, Pass pass) {
  Zeilenleser leser(datei);
  std::string bytes;
  std::size_t laenge = 0;
  long nr = 0;
  Interaktion& ui = m_.ui();
  while (leser.naechste(bytes, laenge)) {
    ++nr;
    // The lines an earlier run posted.
    if (nr > ab_zeile_) {
      if (!zeile(bytes, laenge, nr, pass)) return false;
      zeile_ok_ = nr;
      if (pass == Pass::Buchen && !uebernahme_->zeile_fertig(nr, gebucht_, saldo_ == 0)) {
        melde(nr, "Buchungen konnten nicht gespeichert werden!");
        fehler_ = true;
        return false;
      }
    }
    if (nr % balken_schritt == 0) {
      ui.Balken_Inc(balken_schritt);
      // Esc stops the check; a posting pass that has begun runs to its end.
      if (pass == Pass::Pruefen && ui.EscPressed()) {
        d_.druckeln("!!! Prüfung abgebrochen!");
        fehler_ = true;
        return false;
      }
    }
  }
  if (leser.fehler()) {
    d_.druckeln("!!! Datei nicht gefunden oder nicht verfügbar!");
    fehler_ = true;
    return false;
  }
  zeilen_gesamt_ = nr;
  return true;
}

bool Fremdimport::pruefen(Datei& datei) {
  if (ab_zeile_ > 0)
    d_.druckeln("Die Zeilen 1 bis " + std::to_string(ab_zeile_) +
                " sind bereits übernommen; die Übernahme wird danach fortgesetzt.");
  d_.druckeln("Prüfen der Fremddaten ...");
  fehler_ = differenz_ = false;
  ausserhalb_ = 0;
  saldo_ = 0;
  ops_.clear();
  vorschau(datei);
  {
    // The accounts the file creates are made here only for the checks, in
    // a unit that is rolled back.
    Buchungslauf probe(kern_);
    lauf_ = &probe;
    if (probe.ok()) {
      lesen(datei, Pass::Pruefen);
    } else {
      d_.druckeln("!!! Die Dateien des Mandanten sind nicht verfügbar!");
      fehler_ = true;
    }
    lauf_ = nullptr;
  }
  for (auto& [konto, angelegt] : neue_konten_) angelegt = false;
  // A continued run may find every line posted: its posting pass only
  // records that the file is complete.
  if (!fehler_ && zeilen_gesamt_ == 0) {
    d_.druckeln("!!! Die Datei enthält keine Zeilen!");
    fehler_ = true;
  }
  if (saldo_ != 0) {
    d_.druckeln("!!! Saldo der Buchungen ist nicht Null! Bitte korrigieren!");
    fehler_ = true;
  }
  if (differenz_) d_.druckeln("Differenzen zwischen Einträgen in RA-Buch und Buchungen in Fibu!");
  d_.druckeln("Ende der Prüfung!");
  return !fehler_;
}

bool Fremdimport::uebernehmen(Datei& datei) {
  d_.druckeln("Start der Übernahme ...");
  d_.druckeln();
  d_.druckeln(buchungskopf);
  buchungsteil_ = true;
  fehler_ = differenz_ = false;
  ausserhalb_ = 0;
  saldo_ = 0;
  ops_.clear();
  gebucht_ = angelegt_ = 0;
  letzte_ = m_.buchung->letzte_buchung();
  const std::int64_t erste = letzte_ + 1;
  bool ok;
  long bis, buchungen;
  {
    Uebernahmelauf lauf(kern_, basis(), fremdimport_befehl, datei_, einheit_zeilen_, ab_zeile_);
    lauf_ = &lauf.lauf();
    uebernahme_ = &lauf;
    zeile_ok_ = ab_zeile_;
    ok = lauf.ok() && lesen(datei, Pass::Buchen);
    if (ok) {
      ok = lauf.abschliessen(zeilen_gesamt_, gebucht_, true);
      if (!ok) d_.druckeln("!!! Buchungen konnten nicht gespeichert werden!");
    } else if (lauf.ok() && saldo_ == 0 && zeile_ok_ > lauf.bestaetigt_bis()) {
      // A line refused now (the file changed since the check) ends the
      // pass; the whole documents before it stay. A document it cuts goes
      // back with its unit.
      if (!lauf.abschliessen(zeile_ok_, gebucht_, false))
        d_.druckeln("!!! Buchungen konnten nicht gespeichert werden!");
    }
    bis = lauf.bestaetigt_bis();
    buchungen = lauf.bestaetigte_buchungen();
    lauf_ = nullptr;
    uebernahme_ = nullptr;
  }
  d_.druckeln();
  const auto nummern = [&](long anzahl) {
    return anzahl == 0 ? std::string()
                       : " (Buchungsnummern " + std::to_string(erste) + " bis " +
                             std::to_string(erste + anzahl - 1) + ")";
  };
  if (ok) {
    d_.druckeln(std::to_string(gebucht_) + " Buchungen übernommen" + nummern(gebucht_) + ", " +
                std::to_string(angelegt_) + " Personenkonten angelegt");
  } else {
    d_.druckeln("!!! Übernahme abgebrochen! Übernommen sind die Buchungen bis Zeile " +
                std::to_string(bis) + ": " + std::to_string(buchungen) + " Buchungen" +
                nummern(buchungen));
    if (bis > 0)
      d_.druckeln("Dieselbe Datei kann erneut importiert werden; die Übernahme wird dann nach Zeile " +
                  std::to_string(bis) + " fortgesetzt.");
    m_.ui().ShowMessageMain("Übernahme abgebrochen! Bitte das Protokoll beachten.");
  }
  d_.druckeln("Ende der Übernahme!");
  buchungsteil_ = false;
  return ok;
}

// --- Start, run and dialog ---

bool fremdimport_startpruefung(Mandant& m) {
  const Satz& b = m.basis;
  const std::int32_t diverse = b.get(BF::DebitorDiverse);
  if (diverse == 0 || !ist_debitor(b, std::to_string(diverse)) ||
      !m.personen->key_vorhanden(1, personenkonto_text(b, diverse))) {
    m.ui().ShowMessageMain("Bitte gültigen Debitor Diverse eingeben!");
    return false;
  }
  const std::int32_t differenz = b.get(BF::DifferenzkontoSach);
  if (differenz == 0 || !ist_sachkonto(b, std::to_string(differenz)) ||
      !m.sach->key_vorhanden(1, sachkonto_text(b, differenz))) {
    m.ui().ShowMessageMain("Bitte gültiges Differenzkonto Sachkonto in den Basisdaten eingeben!");
    return false;
  }
  return true;
}

bool fremddaten_importieren(Mandant& m, const Fremdeinstellungen& e, long einheit) {
  Interaktion& ui = m.ui();
  const int p = e.periode;
  if (p < 1 || p > 12 || p > m.basis.get(BF::AnzahlPerioden) ||
      m.basis.get(BF::periode_status(p)) >= 2) {
    ui.ShowMessageMain("Diese Periode ist gesperrt, Buchungen können nicht mehr erfolgen!");
    return false;
  }
  // The dialog's values for next time; the import does not depend on them
  // being on disk (a failed write has shown its message).
  fremdeinstellungen_ablegen(m.basis, e);
  (void)m.schreibe_basis();

  std::string verzeichnis = pfad_aus_konfiguration(e.pfad);
  if (verzeichnis.empty()) verzeichnis = "./";
  const auto pfad = m.fs().finde_datei(verzeichnis, fremddatei_name);
  std::unique_ptr<Datei> datei;
  std::uint64_t groesse = 0;
  std::optional<Dateikennung> kennung;
  if (!pfad || !m.fs().oeffnen(*pfad, Oeffnen::Lesen, datei) || !datei->groesse(groesse) ||
      !(kennung = dateikennung(*datei, fremddatei_name))) {
    ui.ShowMessageMain("Datei nicht gefunden oder nicht verfügbar!");
    return false;
  }
  if (schon_uebernommen(ui, m.basis, fremdimport_befehl, *kennung)) return false;
  // An earlier run that posted part of this very file: continue after it?
  const long ab_zeile = fortsetzung_erfragen(ui, m.basis, fremdimport_befehl, *kennung);

  Ausgabe3 d(ui);
  if (!d.open_drucker("Prüfung und Import Fremddaten")) return false;
  d.setze_breite(protokollbreite);
  d.schmal();
  const Seitenkopf kopf = seitenkopf(m, "Prüfung und Import Fremddaten", protokollbreite);
  drucke_seitenkopf(d, kopf);

  const long zeilen = static_cast<long>(groesse / (fremdsatz_laenge + 1)) + 1;
  ui.Balken_Oeffnen("Importieren Fremddaten ...", 2 * zeilen);
  Fremdimport import(m, e, d);
  // Pages of the posting part repeat its column heading, as the lists do.
  d.kopf_bei_umbruch([kopf, &import](Ausgabe3& a) {
    drucke_seitenkopf(a, kopf);
    if (import.im_buchungsteil()) a.druckeln(buchungskopf);
  });
  import.fortsetzung(*kennung, ab_zeile);
  import.einheit(einheit);
  bool gebucht = false;
  if (import.pruefen(*datei)) {
    gebucht = import.uebernehmen(*datei);
  } else {
    d.druckeln("Bitte Fehler beheben und erneut importieren !!!");
  }
  // Lines of another period are no error; the count tells a wrong period
  // or date range from an empty file.
  if (import.ausserhalb() > 0)
    d.druckeln(std::to_string(import.ausserhalb()) + " Zeilen außerhalb des Zeitraums nicht übernommen");
  ui.Balken_Schliessen();
  d.close_drucker();
  // The base data the bookings changed, with how far the file is posted,
  // were written with each unit of work.
  return gebucht;
}

TFFremddaten::TFFremddaten(Mandant& m) : m_(m), form_("Übernahme Fremddaten") {
  const Fremdeinstellungen v = fremdeinstellungen_lesen(m.basis);
  form_.AddDate(1, "Datum von", v.von);
  form_.AddDate(2, "Datum bis", v.bis);
  form_.AddByte(3, "Periode", static_cast<std::uint8_t>(std::clamp(v.periode, 0, 99)), 0, 99);
  form_.AddYesNo(4, "Debitor-/Kreditor-Adressen übernehmen", v.adressen);
  form_.AddYesNo(5, "Rechnungen mit negativen Beträge als Gutschriften", v.negative_als_gutschrift);
  form_.AddString(6, "Pfad", v.pfad, 80);
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Start");
}

Fremdeinstellungen TFFremddaten::einstellungen() const {
  Fremdeinstellungen e;
  e.von = form_.datum(1);
  e.bis = form_.datum(2);
  e.periode = static_cast<int>(form_.zahl(3));
  e.adressen = form_.ja(4);
  e.negative_als_gutschrift = form_.ja(5);
  e.pfad = form_.text(6);
  return e;
}

bool TFFremddaten::ausfuehren() {
  if (!fremdimport_startpruefung(m_)) return false;
  if (!form_.Execute(m_.ui())) return false;
  return fremddaten_importieren(m_, einstellungen());
}

}  // namespace fibu
