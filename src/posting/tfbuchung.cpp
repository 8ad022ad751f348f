#include "posting/tfbuchung.h"

#include <stdexcept>

#include <algorithm>
#include <cctype>

#include "posting/buchungsdialoge.h"
#include "posting/periodenwahl.h"
#include "posting/steuer.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/betrag.h"

namespace fibu {

namespace {

using F = BuchungFelder;
using BF = BasisFelder;
using S = SachFelder;
using P = PersonenFelder;
using O = OpstammFelder;

const char* const gesperrt_aendern = "Buchung ist gesperrt und kann nicht geändert werden!";
const char* const zeile_zuerst = "Bitte zuerst aktuelle Zeile abschließen!";
const char* const hat_zahlungen = "Es gibt bereits Zahlungen zu diesem OP!";
const char* const loeschen_und_neu = "Bitte Buchung löschen und neu eingeben!";

char zeichen(const Satz& s, std::size_t off) {
  const auto c = static_cast<char>(s.u8(off));
  return c == ' ' ? 0 : c;
}

}  // namespace

const std::array<const char*, TFBuchung::spaltenzahl> TFBuchung::ueberschriften = {
    "A", "Konto", "Kost", "Belegnr", "Datum", "Te", "B", "Betrag", "Gegen", "St", "Steuerbetrag"};

std::vector<std::pair<Taste, std::string>> TFBuchung::tasten() const {
  return {{Taste::Esc, "&Ende"},   {Taste::F2, "&K-Nr"},     {Taste::F3, "K-&Name"},
          {Taste::F4, "&B-Suche"}, {Taste::F5, "&Springen"}, {Taste::F6, "&Assistent"},
          {Taste::F8, "L&öschen"}};
}

std::vector<std::string> TFBuchung::spalten() const {
  return std::vector<std::string>(ueberschriften.begin(), ueberschriften.end());
}

bool TFBuchung::rechtsbuendig(int spalte) const {
  return spalte == Betrag_ || spalte == Steuer || spalte == Kost || spalte == St;
}

const Satz* TFBuchung::gelesene_zeile(std::int64_t zeile) {
  for (const auto& [nr, s] : gelesen_)
    if (nr == zeile) return &s;
  Satz s(F::groesse);
  if (!m_.buchung->buchung_lesen_in(zeile, s) || m_.buchung->satz_ist_leer(s)) s.leeren();
  if (gelesen_.size() >= 128) gelesen_.erase(gelesen_.begin());
  gelesen_.emplace_back(zeile, std::move(s));
  return &gelesen_.back().second;
}

TFBuchung::TFBuchung(Mandant& m, Buchungskern& kern)
    : m_(m), kern_(kern), satz_(F::groesse), original_(F::groesse) {
  if (!m_.opstamm->offen()) {
    m_.opstamm->oeffnen();
    geoeffnet_opstamm_ = true;
  }
  if (!m_.kostart->offen()) {
    m_.kostart->oeffnen();
    geoeffnet_kostart_ = true;
  }
  m_.buchung->offene_sicht = true;
  periode_ = std::clamp<int>(m_.basis.get(BF::AktuellePeriode), 1, 12);
  automatik = m_.basis.get(BF::Automatik) == 0;
  try {
    neu_laden();
  } catch (...) {
    m_.buchung->offene_sicht = false;
    throw;
  }
}

TFBuchung::~TFBuchung() {
  m_.buchung->offene_sicht = false;
  (void)m_.schreibe_basis();  // a destructor cannot do more than its message
  if (geoeffnet_opstamm_) m_.opstamm->schliessen();
  if (geoeffnet_kostart_) m_.kostart->schliessen();
}

// D and the last booking in one pass over the open bookings.
void TFBuchung::neu_laden() {
  zwischenspeicher_leeren();
  d_ = 0;
  letzte_ = 0;
  const bool gelesen = m_.buchung->buchungen_lesen(
      1, m_.buchung->anzahl_buchungen(), [this](std::int64_t n, const Satz& b) {
        if (!m_.buchung->satz_ist_leer(b)) {
          letzte_ = n;
          d_ += vorzeichenbrutto(b);
        }
        return true;
      });
  // Without the last booking a new row could take the place of a written
  // one: the screen ends (its message was shown).
  if (!gelesen) throw std::runtime_error("Die Buchungen können nicht angezeigt werden!");
  zeile_laden(letzte_ + 1);
  spalte_ = Konto;
}

Betrag TFBuchung::brutto(const Satz& s) { return s.get(F::Betrag) + s.get(F::Steuerbetrag); }

// The gross amount with the sign of its side, as the difference counts it.
Betrag TFBuchung::vorzeichenbrutto(const Satz& s) { return ist_soll(s) ? brutto(s) : -brutto(s); }

// The type entered last: the default of a new row.
std::uint8_t TFBuchung::letzte_art() const {
  const std::uint8_t a = m_.basis.u8(BF::LetzteBuchungsart);
  return a == ' ' ? 0 : a;
}

bool TFBuchung::zeile_laden(std::int64_t zeile) {
  zeile_ = std::clamp<std::int64_t>(zeile, 1, zeilen());
  if (!m_.buchung->buchung_lesen_in(zeile_, satz_) || m_.buchung->satz_ist_leer(satz_)) {
    // A free row starts with the last type and date entered.
    satz_.leeren();
    satz_.setze_u8(F::Buchungsart, letzte_art());
    satz_.set(F::Datum, m_.basis.get(BF::LetztesDatum));
  }
  original_ = satz_;
  geaendert_ = false;
  return true;
}

bool TFBuchung::gesperrt(std::int64_t zeile) {
  if (zeile == zeile_) return satz_.get(F::Gesperrt);
  Satz s(F::groesse);
  return m_.buchung->buchung_lesen_in(zeile, s) && s.get(F::Gesperrt);
}

bool TFBuchung::war_geschrieben() const { return !m_.buchung->satz_ist_leer(original_); }

// --- What the row is ---

bool TFBuchung::person() const {
  const std::string k = satz_.get(F::Konto);
  return !trim(k).empty() && !ist_sachkonto(m_.basis, k);
}
bool TFBuchung::debitor() const { return ist_debitor(m_.basis, satz_.get(F::Konto)); }

std::optional<Satz> TFBuchung::sachkonto() const {
  const std::string k = trim(satz_.get(F::Konto));
  if (k.empty() || !ist_sachkonto(m_.basis, k) || !m_.sach->suchen(m_.sachkonto_text(kontowert(k))))
    return std::nullopt;
  return m_.sach->satz();
}

std::optional<Satz> TFBuchung::personenkonto() const {
  const std::string k = trim(satz_.get(F::Konto));
  if (k.empty() || ist_sachkonto(m_.basis, k) || !m_.personen->suchen(m_.personenkonto_text(kontowert(k))))
    return std::nullopt;
  return m_.personen->satz();
}

std::string TFBuchung::kontoname(const std::string& konto) const {
  const std::int32_t nr = kontowert(konto);
  if (nr == 0) return "";
  if (ist_sachkonto(m_.basis, konto))
    return m_.sach->suchen(m_.sachkonto_text(nr)) ? trim(m_.sach->satz().get(S::Bezeichnung1)) : "";
  return m_.personen->suchen(m_.personenkonto_text(nr)) ? trim(m_.personen->satz().get(P::Name)) : "";
}

std::optional<Satz> TFBuchung::op_lesen(const std::string& key) const {
  if (!m_.opstamm->offen() || !m_.opstamm->suchen(key)) return std::nullopt;
  return m_.opstamm->satz();
}

bool TFBuchung::alter_eroeffnet_op() const {
  return war_geschrieben() && eroeffnet_op(m_.basis, original_);
}

bool TFBuchung::alter_op_hat_zahlungen() const {
  if (!war_geschrieben() || ist_sachkonto(m_.basis, original_.get(F::Konto))) return false;
  const auto op = op_lesen(op_schluessel(m_.basis, original_));
  if (!op) return false;
  // An item the row pays has a payment by this very row.
  return ist_zahlung(m_.basis, original_) || op->get(O::NochOffen) != op->get(O::Betrag);
}

// A written row that touches an open item keeps type, account and number.
bool TFBuchung::aenderung_des_op_verboten() {
  if (!war_geschrieben()) return false;
  const char* meldung = alter_op_hat_zahlungen() ? hat_zahlungen
                        : alter_eroeffnet_op()  ? loeschen_und_neu
                                                : nullptr;
  if (!meldung) return false;
  m_.ui().ShowMessageMain(meldung);
  return true;
}

// The side the type demands on a personal account; 0 when free.
char TFBuchung::geforderte_seite() const {
  const char art = buchungsart(satz_);
  const bool d = debitor();
  switch (art) {
    case 'R':
      return d ? 'S' : 'H';
    case 'G':
      return d ? 'H' : 'S';
    case 'E':
      return satz_.get(F::Eroeffnungsart) == 0 ? (d ? 'S' : 'H') : (d ? 'H' : 'S');
    default:
      return 0;
  }
}

// --- The grid ---

std::string TFBuchung::zelle(std::int64_t zeile, int spalte) {
  const Satz* s = zeile == zeile_ ? &satz_ : gelesene_zeile(zeile);
  if (zeile != zeile_ && m_.buchung->satz_ist_leer(*s)) return "";
  const Satz& b = *s;
  switch (spalte) {
    case A:
      return zeichen(b, F::Buchungsart) ? std::string(1, zeichen(b, F::Buchungsart)) : "";
    case Konto:
      return trim(b.get(F::Konto));
    case Kost:
      return trim(b.get(F::Kost));
    case Belegnr:
      return trim(b.get(F::Belegnr));
    case Datum_:
      return b.get(F::Datum) ? DateToDateString("ddmmyy", b.get(F::Datum)) : "";
    case Te:
      return trim(b.get(F::Textschluessel));
    case B:
      return zeichen(b, F::SollHaben) ? std::string(1, zeichen(b, F::SollHaben)) : "";
    case Betrag_:
      return b.get(F::Betrag) || zeile != zeile_ ? zahl_anzeige(b.get(F::Betrag), 2) : "";
    case Gegen:
      return trim(b.get(F::Gegenkonto));
    case St:
      return trim(b.get(F::Steuerschluessel));
    case Steuer:
      // Computed, never typed: with the thousands, as the lists show it.
      return b.get(F::Steuerbetrag) ? zahl_anzeige(b.get(F::Steuerbetrag), 2, {}, true) : "";
  }
  return "";
}

std::string TFBuchung::statuszeile() const {
  const Satz& b = m_.basis;
  return "Zeile: " + std::to_string(zeile_) + "   Periode: " + std::to_string(periode_) + " " +
         DateToDateString("dd.mm.yyyy", b.get(BF::periode_von(periode_))) + " - " +
         DateToDateString("dd.mm.yyyy", b.get(BF::periode_bis(periode_))) +
         " (aktuelle Periode: " + std::to_string(b.get(BF::AktuellePeriode)) + ")   Saldo: " +
         betrag_text(d_) + "   " + (netto_ ? "(Netto)" : "(Brutto)");
}

TFBuchung::Panel TFBuchung::panel() {
  Panel p;
  p.text1 = trim(satz_.get(F::Text1));
  p.text2 = trim(satz_.get(F::Text2));
  if (auto s = sachkonto()) {
    p.name = trim(s->get(S::Bezeichnung1));
    p.saldo = betrag_text(s->get(S::Saldo));
  } else if (auto k = personenkonto()) {
    p.name = trim(k->get(P::Name));
    p.saldo = betrag_text(k->get(P::Saldo));
    p.mahnkennzeichen = std::to_string(k->get(P::Mkz));
    if (auto op = op_lesen(op_schluessel(m_.basis, satz_))) {
      p.faelligdatum = DateToDateString("dd.mm.yyyy", op->get(O::Faelligkeitsdatum));
      p.rechnungsdatum = DateToDateString("dd.mm.yyyy", op->get(O::Rechnungsdatum));
      p.fremdbelegnr = trim(op->get(O::Fremdbelegnr));
      p.mahnkennzeichen = std::to_string(op->get(O::Mahnkennziffer));
    }
  }
  if (p.fremdbelegnr.empty()) p.fremdbelegnr = trim(satz_.get(F::Fremdbelegnr));
  if (p.faelligdatum.empty() && satz_.get(F::Faelligdatum))
    p.faelligdatum = DateToDateString("dd.mm.yyyy", satz_.get(F::Faelligdatum));
  if (p.rechnungsdatum.empty() && satz_.get(F::Belegdatum))
    p.rechnungsdatum = DateToDateString("dd.mm.yyyy", satz_.get(F::Belegdatum));
  return p;
}

// --- Typing ---

bool TFBuchung::eingabe(const std::string& roh) {
  Interaktion& ui = m_.ui();
  if (satz_.get(F::Gesperrt)) {
    ui.ShowMessageMain(gesperrt_aendern);
    return false;
  }
  const std::string text = trim(roh);
  auto gross = [](std::string t) {
    for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return t;
  };
  switch (spalte_) {
    case A: {
      const std::string a = gross(text);
      if (a.size() > 1) {
        ui.ShowMessageMain("Buchungsart nicht E, R, G, leer, Z!");
        return false;
      }
      satz_.setze_u8(F::Buchungsart, a.empty() ? 0 : static_cast<std::uint8_t>(a[0]));
      break;
    }
    case Konto:
    case Gegen:
      if (!nur_ziffern(text) || text.size() > 8) {
        ui.ShowMessageMain("Bitte eine Kontonummer mit bis zu 8 Ziffern eingeben!");
        return false;
      }
      satz_.set(spalte_ == Konto ? F::Konto : F::Gegenkonto, text);
      break;
    case Kost:
      if (!nur_ziffern(text) || text.size() > 4) {
        ui.ShowMessageMain("Bitte eine Kostenstelle mit bis zu 4 Ziffern eingeben!");
        return false;
      }
      satz_.set(F::Kost, text);
      break;
    case Belegnr:
      if (zeichenzahl(text) > 7) {
        ui.ShowMessageMain("Die Belegnummer hat höchstens 7 Zeichen!");
        return false;
      }
      satz_.set(F::Belegnr, text);
      break;
    case Datum_: {
      auto d = datum_aus_eingabe(text);
      if (!d) {
        ui.ShowMessageMain("Datum ungültig!");
        return false;
      }
      satz_.set(F::Datum, *d);
      break;
    }
    case Te:
      if (zeichenzahl(text) > 2) {
        ui.ShowMessageMain("Der Textschlüssel hat höchstens 2 Zeichen!");
        return false;
      }
      satz_.set(F::Textschluessel, text);
      break;
    case B: {
      const std::string sh = gross(text);
      if (!(sh.empty() || sh == "S" || sh == "H")) {
        ui.ShowMessageMain("Bitte S (Soll) oder H (Haben) eingeben!");
        return false;
      }
      satz_.setze_u8(F::SollHaben, sh.empty() ? 0 : static_cast<std::uint8_t>(sh[0]));
      break;
    }
    case Betrag_: {
      auto b = betrag_aus_text(text);
      if (!b) {
        ui.ShowMessageMain("Bitte einen gültigen Betrag eingeben!");
        return false;
      }
      satz_.set(F::Betrag, *b);
      satz_.set(F::Steuerbetrag, Betrag{0});  // the typed amount is split anew
      break;
    }
    case St:
      if (!nur_ziffern(text) || text.size() > 2) {
        ui.ShowMessageMain("Steuerschlüssel muß 0..40 sein!");
        return false;
      }
      satz_.set(F::Steuerschluessel, text);
      break;
    default:
      return false;
  }
  geaendert_ = true;
  return true;
}

// --- Moving ---

bool TFBuchung::nach_konto_ueberspringen() const { return person(); }

bool TFBuchung::speichert_nach_gegen() const {
  if (person()) return true;
  auto s = sachkonto();
  return !s || !s->get(S::SteuerschluesselAenderbar);
}

bool TFBuchung::weiter() {
  if (satz_.get(F::Gesperrt)) {
    if (zeile_ < zeilen()) zeile_laden(zeile_ + 1);
    return true;
  }
  const int s = spalte_;
  if (pruefen(s, true) == Pruefung::Bleiben) return false;
  if (spalte_ != s) return true;  // the check put the cursor elsewhere
  int naechste = s + 1;
  if (s == Konto && nach_konto_ueberspringen()) naechste = Belegnr;
  if ((s == Gegen && speichert_nach_gegen()) || s == St) {
    return speichern();
  }
  spalte_ = naechste;
  if (spalte_ == Belegnr) belegnummer_vorschlagen();
  return true;
}

bool TFBuchung::zurueck() {
  const int s = spalte_;
  if (s == A) return false;
  if (!satz_.get(F::Gesperrt) && geaendert_ && pruefen(s, false) == Pruefung::Bleiben) return false;
  spalte_ = (s == Belegnr && person()) ? Konto : s - 1;
  return true;
}

bool TFBuchung::gehe_zu(std::int64_t zeile, int spalte) {
  spalte = std::clamp(spalte, 0, static_cast<int>(St));
  zeile = std::clamp<std::int64_t>(zeile, 1, zeilen());
  if (zeile == zeile_) {
    // Forward within the row only through the checks of the cells passed.
    while (spalte_ < spalte && zeile_ == zeile)
      if (!weiter()) return false;
    if (zeile_ == zeile && spalte < spalte_) spalte_ = spalte;
    return true;
  }
  if (geaendert_) {
    if (!m_.ui().JaNein2("Sollen die Änderungen verworfen werden?")) return false;
    satz_ = original_;
    geaendert_ = false;
  }
  zeile_laden(zeile);
  spalte_ = spalte;
  return true;
}

// --- Column checks ---

TFBuchung::Pruefung TFBuchung::pruefen(int spalte, bool vorwaerts) {
  switch (spalte) {
    case A:
      return pruefe_art();
    case Konto:
      return pruefe_konto();
    case Kost:
      return pruefe_kost();
    case Belegnr:
      return pruefe_beleg();
    case Datum_:
      return pruefe_datum();
    case Te:
      return pruefe_te();
    case B:
      return pruefe_sh();
    case Betrag_:
      return pruefe_betrag();
    case Gegen:
      return pruefe_gegen(vorwaerts);
    case St:
      return pruefe_st();
  }
  return Pruefung::Weiter;
}

TFBuchung::Pruefung TFBuchung::pruefe_art() {
  const char art = buchungsart(satz_);
  if (art == buchungsart(original_)) return Pruefung::Weiter;
  if (war_geschrieben() && aenderung_des_op_verboten()) {
    satz_.setze_u8(F::Buchungsart, original_.u8(F::Buchungsart));
    return Pruefung::Bleiben;
  }
  if (person() && eroeffnet_op(m_.basis, satz_) && !trim(satz_.get(F::Belegnr)).empty() &&
      op_lesen(op_schluessel(m_.basis, satz_))) {
    m_.ui().ShowMessageMain("Die neue Buchung führt zu einem OP, der bereits schon existiert!");
    satz_.setze_u8(F::Buchungsart, original_.u8(F::Buchungsart));
    return Pruefung::Bleiben;
  }
  if (art == 'E' && buchungsart(original_) == 'Z') satz_.set(F::Eroeffnungsart, std::uint8_t{2});
  return Pruefung::Weiter;
}

TFBuchung::Pruefung TFBuchung::pruefe_konto() {
  Interaktion& ui = m_.ui();
  const std::string konto = trim(satz_.get(F::Konto));
  if (war_geschrieben() && kontowert(konto) != kontowert(original_.get(F::Konto)) &&
      aenderung_des_op_verboten()) {
    satz_.set(F::Konto, original_.get(F::Konto));
    return Pruefung::Bleiben;
  }
  if (konto.empty()) {
    if (automatik && d_ != 0 && zeile_ > 1 && !war_geschrieben()) {
      gegenzeile_vorschlagen();
      if (trim(satz_.get(F::Konto)).empty()) return Pruefung::Bleiben;
      return pruefe_konto();
    }
    return Pruefung::Bleiben;
  }
  const std::int32_t nr = kontowert(konto);
  if (ist_sachkonto(m_.basis, konto)) {
    auto s = m_.sach->suchen(m_.sachkonto_text(nr)) ? std::optional<Satz>(m_.sach->satz()) : std::nullopt;
    if (!s) {
      ui.ShowMessageMain(pruef_text(26));
      return Pruefung::Bleiben;
    }
    satz_.set(F::Konto, m_.sachkonto_text(nr));
    const int k = s->get(S::Steuerschluessel);
    if (k >= 1 && k <= 40 && !m_.sach->key_vorhanden(1, m_.sachkonto_text(m_.basis.get(BF::steuerkonto(k))))) {
      ui.ShowMessageMain("Steuerkonto zu diesem Sachkonto nicht gefunden!");
      return Pruefung::Bleiben;
    }
    const char art = buchungsart(satz_);
    if (art && std::string("EGRZ").find(art) == std::string::npos) {
      ui.ShowMessageMain("Buchungsart nicht E, R, G, leer, Z!");
      return Pruefung::Bleiben;
    }
    if (!zeichen(satz_, F::SollHaben))
      satz_.setze_u8(F::SollHaben, static_cast<std::uint8_t>(d_ > 0 ? 'H' : 'S'));
    return Pruefung::Weiter;
  }
  const std::string text = m_.personenkonto_text(nr);
  if (!(m_.ist_debitor(text) || m_.ist_kreditor(text)) || !m_.personen->suchen(text)) {
    ui.ShowMessageMain(pruef_text(27));
    return Pruefung::Bleiben;
  }
  satz_.set(F::Konto, text);
  satz_.set(F::Kost, "");
  const int c = m_.personen->satz().get(P::Sammelkonto);
  const std::int32_t sammel = c < 1 || c > 40 ? 0
                              : m_.ist_debitor(text) ? m_.basis.get(BF::forderungskonto(c))
                                                     : m_.basis.get(BF::verbindlichkeitskonto(c));
  if (sammel == 0 || !m_.sach->key_vorhanden(1, m_.sachkonto_text(sammel))) {
    ui.ShowMessageMain("Forderungs-/Verbindlichkeitskonto zu diesem Personenkonto nicht gefunden!");
    return Pruefung::Bleiben;
  }
  const char art = buchungsart(satz_);
  if (!art || std::string("EGRZ").find(art) == std::string::npos) {
    ui.ShowMessageMain("Buchungsart nicht E, R, G, Z!");
    return Pruefung::Bleiben;
  }
  // The opening kind is asked when the row becomes an opening of this account.
  if (art == 'E' && (buchungsart(original_) != 'E' || trim(original_.get(F::Konto)) != trim(text))) {
    auto kind = TFBuchungEroeffnung(m_, satz_.get(F::Eroeffnungsart)).ausfuehren();
    if (!kind) return Pruefung::Bleiben;
    satz_.set(F::Eroeffnungsart, static_cast<std::uint8_t>(*kind));
  }
  if (char seite = geforderte_seite())
    satz_.setze_u8(F::SollHaben, static_cast<std::uint8_t>(seite));
  else if (art == 'Z' && !zeichen(satz_, F::SollHaben))
    satz_.setze_u8(F::SollHaben, static_cast<std::uint8_t>(debitor() ? 'H' : 'S'));
  return Pruefung::Weiter;
}

TFBuchung::Pruefung TFBuchung::pruefe_kost() {
  if (person()) {
    satz_.set(F::Kost, "");
    return Pruefung::Weiter;
  }
  switch (kern_.kosten_pruefen(satz_)) {
    case 12:
      m_.ui().ShowMessageMain("Kostenstellenzwang!");
      return Pruefung::Bleiben;
    case 13:
      m_.ui().ShowMessageMain("Kostenstelle nicht gefunden!");
      return Pruefung::Bleiben;
    case 18:
      m_.ui().ShowMessageMain("Kostenstelle nicht frei bebuchbar und auch keine Kostenart vorhanden!");
      return Pruefung::Bleiben;
  }
  return Pruefung::Weiter;
}

void TFBuchung::belegnummer_vorschlagen() {
  if (!trim(satz_.get(F::Belegnr)).empty() || buchungsart(satz_) == 'Z') return;
  if (d_ == 0) {
    const int k = person() ? (debitor() ? 5 : 8) : 2;
    auto letzte = belegnummer_wert(m_.basis.get(BF::belegnummer(k)));
    satz_.set(F::Belegnr, std::to_string(letzte.value_or(0) + 1));
  } else if (zeile_ > 1) {
    Satz vorige(F::groesse);
    if (m_.buchung->buchung_lesen_in(zeile_ - 1, vorige)) satz_.set(F::Belegnr, vorige.get(F::Belegnr));
  }
  if (!trim(satz_.get(F::Belegnr)).empty()) geaendert_ = true;
}

TFBuchung::Pruefung TFBuchung::pruefe_beleg() {
  Interaktion& ui = m_.ui();
  const std::string beleg = trim(satz_.get(F::Belegnr));
  if (war_geschrieben() && beleg != trim(original_.get(F::Belegnr)) && aenderung_des_op_verboten()) {
    satz_.set(F::Belegnr, original_.get(F::Belegnr));
    return Pruefung::Bleiben;
  }
  // The interval of the account's kind holds for the number a document
  // starts with; its further lines (D not zero) share that number.
  if (!beleg.empty() && d_ == 0 && !im_belegintervall(m_.basis, satz_.get(F::Konto), beleg)) {
    const Belegintervall iv = belegintervall(m_.basis, satz_.get(F::Konto));
    ui.ShowMessageMain("Belegnummer ist nicht im Intervall (" + iv.von + "-" + iv.bis + ")!");
    return Pruefung::Bleiben;
  }
  if (person()) {
    if (beleg.empty()) {
      ui.ShowMessageMain("Belegnummer darf nicht leer sein!");
      return Pruefung::Bleiben;
    }
    const std::string key = op_schluessel(m_.basis, satz_);
    const auto op = op_lesen(key);
    const bool eigener = war_geschrieben() && eroeffnet_op(m_.basis, original_) &&
                         op_schluessel(m_.basis, original_) == key;
    if (eroeffnet_op(m_.basis, satz_) && op && !eigener) {
      ui.ShowMessageMain("OP existiert bereits!");
      return Pruefung::Bleiben;
    }
    if (ist_zahlung(m_.basis, satz_)) {
      if (!op) {
        ui.ShowMessageMain("OP existiert nicht!");
        return Pruefung::Bleiben;
      }
      if (kontowert(op->get(O::Kontonummer)) != kontowert(satz_.get(F::Konto))) {
        ui.ShowMessageMain("OP paßt nicht zu diesem Konto!");
        return Pruefung::Bleiben;
      }
      if (satz_.get(F::Betrag) == 0) {
        const Betrag offen = op->get(O::NochOffen);
        satz_.set(F::Betrag, debitor() ? offen : -offen);
        geaendert_ = true;
      }
      if (op->get(O::NochOffen) == 0) ui.ShowMessageMain("OP ist bereits ausgeglichen!");
    }
  } else if (satz_.get(F::Betrag) == 0 && d_ != 0) {
    // The amount that brings the difference back to zero.
    satz_.setze_u8(F::SollHaben, static_cast<std::uint8_t>(d_ <= 0 ? 'S' : 'H'));
    satz_.set(F::Betrag, d_ <= 0 ? -d_ : d_);
    satz_.set(F::Steuerbetrag, Betrag{0});
    geaendert_ = true;
  }
  return Pruefung::Weiter;
}

TFBuchung::Pruefung TFBuchung::pruefe_datum() {
  Interaktion& ui = m_.ui();
  const Datum d = satz_.get(F::Datum);
  const Satz& b = m_.basis;
  if (d == kein_datum) {
    ui.ShowMessageMain("Datum darf nicht leer sein!");
    return Pruefung::Bleiben;
  }
  if (d < geschaeftsjahr_von(b) || d > geschaeftsjahr_bis(b)) {
    ui.ShowMessageMain("Datum liegt nicht im Geschäftsjahr!");
    return Pruefung::Bleiben;
  }
  if (buchungsart(satz_) == 'E' && d > b.get(BF::periode_bis(1))) {
    ui.ShowMessageMain("Eröffnungsbuchung muß in der ersten Periode liegen!");
    return Pruefung::Bleiben;
  }
  auto p = periode_fuer_datum(m_, d, periode_);
  if (!p) return Pruefung::Bleiben;
  periode_ = *p;
  return Pruefung::Weiter;
}

TFBuchung::Pruefung TFBuchung::pruefe_te() {
  const std::string te = trim(satz_.get(F::Textschluessel));
  if (te.empty() || !nur_ziffern(te)) return Pruefung::Weiter;
  const int n = std::stoi(te);
  if (n >= 1 && n <= 20) {
    satz_.set(F::Text1, m_.basis.get(BF::floskel1(n)));
    satz_.set(F::Text2, m_.basis.get(BF::floskel2(n)));
  }
  return Pruefung::Weiter;
}

TFBuchung::Pruefung TFBuchung::pruefe_sh() {
  const char sh = zeichen(satz_, F::SollHaben);
  if (!sh) {
    m_.ui().ShowMessageMain("Soll/Haben-Kennzeichen darf nicht leer sein!");
    return Pruefung::Bleiben;
  }
  if (person() && buchungsart(satz_) != 'Z') {
    const char seite = geforderte_seite();
    if (seite && seite != sh) {
      m_.ui().ShowMessageMain("Soll/Haben-Kennzeichen falsch!");
      return Pruefung::Bleiben;
    }
  }
  return Pruefung::Weiter;
}

// The tax of a GL row at its key's rate: a gross amount is split, a net
// one gets the tax on top. A row without key holds its gross amount.
void TFBuchung::steuer_rechnen() {
  auto k = steuerschluessel_von(satz_);
  auto s = sachkonto();
  if (person() || !k || *k < 1 || *k > 40 || (s && s->get(S::Kontenart) == 5)) {
    if (!netto_) satz_.set(F::Betrag, brutto(satz_));
    satz_.set(F::Steuerbetrag, Betrag{0});
    return;
  }
  const std::int64_t rate = m_.basis.get(BF::steuersatz(*k));
  if (netto_) {
    satz_.set(F::Steuerbetrag, steuer_aus_netto(satz_.get(F::Betrag), rate));
  } else {
    const Betrag gross = brutto(satz_);
    const Betrag steuer = steuer_aus_brutto(gross, rate);
    satz_.set(F::Steuerbetrag, steuer);
    satz_.set(F::Betrag, gross - steuer);
  }
}

TFBuchung::Pruefung TFBuchung::pruefe_betrag() {
  if (brutto(satz_) == 0) {
    m_.ui().ShowMessageMain("Betrag darf nicht null sein!");
    return Pruefung::Bleiben;
  }
  if (person()) {
    satz_.set(F::Steuerschluessel, "");
    satz_.set(F::Steuerbetrag, Betrag{0});
    return Pruefung::Weiter;
  }
  if (auto s = sachkonto()) {
    const int k = s->get(S::Steuerschluessel);
    if (trim(satz_.get(F::Steuerschluessel)).empty() || !s->get(S::SteuerschluesselAenderbar))
      satz_.set(F::Steuerschluessel, k ? std::to_string(k) : "");
  }
  steuer_rechnen();
  return Pruefung::Weiter;
}

TFBuchung::Pruefung TFBuchung::pruefe_gegen(bool vorwaerts) {
  const int c = trim(satz_.get(F::Gegenkonto)).empty() ? 0 : kern_.gegenkonto_pruefen(satz_);
  if (c == 21) {
    m_.ui().ShowMessageMain("Gegenkonto zu diesem Sachkonto nicht möglich!");
    return Pruefung::Bleiben;
  }
  if (c == 22 || c == 23) {
    m_.ui().ShowMessageMain("Gegenkonto zu diesem Personenkonto nicht möglich!");
    return Pruefung::Bleiben;
  }
  if (vorwaerts && !netto_ && !steuerschluessel_von(satz_).value_or(0) && satz_.get(F::Steuerbetrag)) {
    satz_.set(F::Betrag, brutto(satz_));
    satz_.set(F::Steuerbetrag, Betrag{0});
  }
  return Pruefung::Weiter;
}

TFBuchung::Pruefung TFBuchung::pruefe_st() {
  auto k = steuerschluessel_von(satz_);
  if (!k || *k > 40) {
    m_.ui().ShowMessageMain("Steuerschlüssel muß 0..40 sein!");
    return Pruefung::Bleiben;
  }
  if (*k >= 1 && !m_.sach->key_vorhanden(1, m_.sachkonto_text(m_.basis.get(BF::steuerkonto(*k))))) {
    m_.ui().ShowMessageMain("Kein Konto zu diesem Schlüssel hinterlegt!");
    return Pruefung::Bleiben;
  }
  if (*k == 0) satz_.set(F::Steuerschluessel, "");
  steuer_rechnen();
  return Pruefung::Weiter;
}

// --- The counter-line ---

void TFBuchung::gegenzeile_vorschlagen() {
  Satz vorige(F::groesse);
  if (!m_.buchung->buchung_lesen_in(zeile_ - 1, vorige) || m_.buchung->satz_ist_leer(vorige)) return;
  const std::string konto = trim(vorige.get(F::Gegenkonto));
  if (konto.empty()) return;
  satz_.set(F::Konto, konto);
  satz_.set(F::Gegenkonto, trim(vorige.get(F::Konto)));
  satz_.set(F::Belegnr, vorige.get(F::Belegnr));
  satz_.set(F::Textschluessel, vorige.get(F::Textschluessel));
  satz_.set(F::Text1, kontoname(vorige.get(F::Konto)));
  satz_.setze_u8(F::Buchungsart, letzte_art());
  satz_.set(F::Datum, m_.basis.get(BF::LetztesDatum));
  satz_.set(F::Steuerschluessel, "");
  if (auto s = sachkonto()) {
    const int k = s->get(S::Steuerschluessel);
    if (k) satz_.set(F::Steuerschluessel, std::to_string(k));
  }
  char seite = d_ <= 0 ? 'S' : 'H';
  Betrag betrag = d_ < 0 ? -d_ : d_;
  if (person() && std::string("EGR").find(buchungsart(satz_) ? buchungsart(satz_) : ' ') != std::string::npos) {
    if (char gefordert = geforderte_seite(); gefordert && gefordert != seite) {
      seite = gefordert;
      betrag = -betrag;
    }
  }
  satz_.setze_u8(F::SollHaben, static_cast<std::uint8_t>(seite));
  satz_.set(F::Betrag, betrag);
  satz_.set(F::Steuerbetrag, Betrag{0});
  if (!person()) {
    const bool netto = netto_;
    netto_ = false;  // |D| is a gross amount
    steuer_rechnen();
    netto_ = netto;
  }
  geaendert_ = true;
}

// --- Saving and deleting ---

namespace {

// The check codes and the column each one concerns.
int spalte_des_codes(int code) {
  switch (code) {
    case 11:
    case 25:
      return TFBuchung::A;
    case 1:
    case 7:
    case 8:
      return TFBuchung::Konto;
    case 12:
    case 13:
    case 18:
      return TFBuchung::Kost;
    case 4:
    case 17:
      return TFBuchung::Datum_;
    case 16:
      return TFBuchung::B;
    case 3:
      return TFBuchung::Betrag_;
    case 2:
    case 9:
    case 10:
      return TFBuchung::Gegen;
    case 14:
    case 15:
      return TFBuchung::St;
  }
  return TFBuchung::Konto;
}

}  // namespace

bool TFBuchung::speichern() {
  Interaktion& ui = m_.ui();
  Satz b = satz_;
  b.set(F::Periode, static_cast<std::uint8_t>(periode_));
  // The engine splits the tax again from the gross amount.
  b.set(F::Betrag, brutto(b));
  b.set(F::Steuerbetrag, Betrag{0});
  if (trim(b.get(F::Text1)).empty()) b.set(F::Text1, kontoname(b.get(F::Gegenkonto)));
  // A personal row carries no tax.
  if (person()) b.set(F::Steuerschluessel, "");
  const int code = kern_.buchung_pruefen(b, true);
  if (code != 0 && code != 5 && code != 6) {
    ui.ShowMessageMain(pruef_text(code));
    spalte_ = spalte_des_codes(code);
    if (spalte_ == Kost && person()) spalte_ = Konto;
    return false;
  }
  const Betrag alt = war_geschrieben() ? vorzeichenbrutto(original_) : 0;
  isam::Einheit einheit(m_.verzeichnis());
  bool ok = einheit.fehler() == isam::isam_ok;
  // (Written again, the row's old amount leaves its item in the engine.)
  m_.buchung->satz() = b;
  if (ok) ok = kern_.buchen(zeile_);
  // The dates and the other party's number of the document dialog.
  if (ok && eroeffnet_op(m_.basis, m_.buchung->satz()) &&
      (b.get(F::Belegdatum) || b.get(F::Faelligdatum) || !trim(b.get(F::Fremdbelegnr)).empty())) {
    const std::string key = op_schluessel(m_.basis, b);
    if (m_.opstamm->suchen(key)) {
      Satz& op = m_.opstamm->satz();
      if (b.get(F::Belegdatum)) op.set(O::Rechnungsdatum, b.get(F::Belegdatum));
      if (b.get(F::Faelligdatum)) op.set(O::Faelligkeitsdatum, b.get(F::Faelligdatum));
      if (!trim(b.get(F::Fremdbelegnr)).empty()) op.set(O::Fremdbelegnr, b.get(F::Fremdbelegnr));
      m_.opstamm->speichern(key);
    }
  }
  if (!ok || m_.verzeichnis().vergiftet()) {
    einheit.abbrechen();
    ui.ShowMessageMain("Die Buchung konnte nicht geschrieben werden!");
    return false;
  }
  if (einheit.ende(isam::isam_ok) != isam::isam_ok) {
    ui.ShowMessageMain("Die Buchung konnte nicht geschrieben werden!");
    return false;
  }
  zwischenspeicher_leeren();
  const Satz& geschrieben = m_.buchung->satz();
  d_ += vorzeichenbrutto(geschrieben) - alt;
  m_.basis.setze_u8(BF::LetzteBuchungsart, buchungsart(geschrieben) ? geschrieben.u8(F::Buchungsart) : ' ');
  m_.basis.set(BF::LetztesDatum, geschrieben.get(F::Datum));
  letzte_ = std::max(letzte_, zeile_);
  zeile_laden(zeile_ + 1);
  spalte_ = Konto;
  return true;
}

void TFBuchung::loeschen() {
  Interaktion& ui = m_.ui();
  if (!war_geschrieben()) {
    zeile_laden(zeile_);
    return;
  }
  if (original_.get(F::Gesperrt)) {
    ui.ShowMessageMain("Buchung ist gesperrt und kann nicht gelöscht werden!");
    return;
  }
  if (alter_eroeffnet_op() && alter_op_hat_zahlungen()) {
    ui.ShowMessageMain(hat_zahlungen);
    return;
  }
  if (!ui.JaNein2("Aktuelle Buchung löschen?")) return;
  const Betrag alt = vorzeichenbrutto(original_);
  if (!kern_.buchung_loeschen(zeile_)) {
    ui.ShowMessageMain("Die Buchung konnte nicht gelöscht werden!");
    return;
  }
  zwischenspeicher_leeren();
  d_ -= alt;
  if (zeile_ == letzte_) {
    Satz s(F::groesse);
    while (letzte_ > 0 && (!m_.buchung->buchung_lesen_in(letzte_, s) || m_.buchung->satz_ist_leer(s)))
      --letzte_;
  }
  zeile_laden(zeile_);
  spalte_ = Konto;
}

// --- Keys ---

bool TFBuchung::zeile_fertig(const std::string& meldung) {
  if (!geaendert_) return true;
  m_.ui().ShowMessageMain(meldung);
  return false;
}

bool TFBuchung::beenden_erlaubt() {
  if (!zeile_fertig(zeile_zuerst)) return false;
  if (d_ != 0) {
    m_.ui().ShowMessageMain("Saldo ist nicht ausgeglichen!");
    return false;
  }
  return true;
}

Reaktion TFBuchung::taste(Taste t) {
  Interaktion& ui = m_.ui();
  switch (t) {
    case Taste::Esc:
      return beenden_erlaubt() ? Reaktion::Speichern : Reaktion::Weiter;
    case Taste::F2:
    case Taste::F3:
      if (satz_.get(F::Gesperrt)) {
        ui.ShowMessageMain(gesperrt_aendern);
        return Reaktion::Weiter;
      }
      return liste(t == Taste::F3);
    case Taste::F4:
      if (satz_.get(F::Gesperrt)) {
        ui.ShowMessageMain(gesperrt_aendern);
        return Reaktion::Weiter;
      }
      if (zeile_fertig(zeile_zuerst)) belegsuche();
      return Reaktion::Weiter;
    case Taste::F5:
      if (zeile_fertig(zeile_zuerst)) springen();
      return Reaktion::Weiter;
    case Taste::F6:
      if (zeile_fertig(zeile_zuerst) && assistent) {
        assistent(periode_);
        neu_laden();
      }
      return Reaktion::Weiter;
    case Taste::F8:
      loeschen();
      return Reaktion::Weiter;
    case Taste::StrgN:
      netto_ = !netto_;
      return Reaktion::Weiter;
    default:
      return Reaktion::Weiter;
  }
}

bool TFBuchung::schliessen() {
  if (d_ == 0) return true;
  return m_.ui().JaNein2("Saldo ist nicht ausgeglichen!\rWollen Sie die Buchungseingabe trotzdem beenden?");
}

// The lists of the current column: accounts (by number or search name),
// cost centres, the open items of the row's personal account.
Reaktion TFBuchung::liste(bool nach_name) {
  const int key_nr = nach_name ? 2 : 1;
  auto setzen = [&](const std::string& text) {
    spalte_ == Gegen ? satz_.set(F::Gegenkonto, text)
    : spalte_ == Kost ? satz_.set(F::Kost, text)
                      : satz_.set(F::Konto, text);
    geaendert_ = true;
  };
  if (spalte_ == Kost) {
    std::string k = "K" + trim(satz_.get(F::Kost));
    Zeilenbauer zeile = [](const Satz& s) {
      return trim(s.get(KostenFelder::Schluessel)) + "  " + trim(s.get(KostenFelder::Name1));
    };
    if (m_.kosten->auswahl_bereich(1, "Liste der Kostenstellen", k, zeile, "K", "K~"))
      setzen(std::to_string(kontowert(trim(m_.kosten->satz().get(KostenFelder::Schluessel)).substr(1))));
    return Reaktion::Weiter;
  }
  if (spalte_ == Belegnr && person()) {
    const std::string konto = padcut(satz_.get(F::Konto), 8);
    Zeilenbauer zeile = [](const Satz& s) {
      return padcut(trim(s.get(O::Belegnummer)), 12) + " " +
             DateToDateString("dd.mm.yyyy", s.get(O::Rechnungsdatum)) + " " +
             format_maske(s.get(O::NochOffen), 2, "###.###.###,##");
    };
    std::string k = konto;
    if (m_.opstamm->auswahl_bereich(3, "Liste der OP zu diesem Kunden", k, zeile, konto, konto + "~")) {
      satz_.set(F::Belegnr, trim(m_.opstamm->satz().get(O::Belegnummer)));
      geaendert_ = true;
    }
    return Reaktion::Weiter;
  }
  if (spalte_ != Konto && spalte_ != Gegen) return Reaktion::Weiter;
  const std::string jetzt = trim(spalte_ == Gegen ? satz_.get(F::Gegenkonto) : satz_.get(F::Konto));
  const bool personen = !jetzt.empty() && !ist_sachkonto(m_.basis, jetzt);
  if (auto nr = konto_auswaehlen(m_, personen, key_nr, nach_name ? "" : jetzt)) setzen(*nr);
  return Reaktion::Weiter;
}

void TFBuchung::springen() {
  if (auto z = TFBuchungSpringen(m_, zeile_, letzte_ + 1).ausfuehren()) gehe_zu(*z, Konto);
}

void TFBuchung::belegsuche() {
  TFBelegsuche suche(m_);
  if (auto z = suche.ausfuehren()) gehe_zu(*z, Konto);
}

// --- Context menu ---

std::vector<std::string> TFBuchung::kontextmenue() const {
  return {"&Kontoauszug",           "&Sachkonten",          "&Personenkonten",
          "&OP-Pflege/&Debitoren",  "&OP-Pflege/&Kreditoren", "OP-Liste &Debitoren",
          "OP-Liste K&reditoren",   "Buchungs&text",        "&Fremdwährung",
          "&Belegdatum"};
}

std::vector<std::pair<std::string, std::string>> TFBuchung::panelfelder() {
  const Panel p = panel();
  return {{"Text1", p.text1},
          {"Text2", p.text2},
          {"Saldo", p.saldo},
          {"Name", p.name},
          {"Fälligdatum", p.faelligdatum},
          {"Mahnkennzeichen", p.mahnkennzeichen},
          {"Fremdbelegnr", p.fremdbelegnr},
          {"Rechnungsdatum", p.rechnungsdatum}};
}

namespace {
const int kontextbefehle[] = {0, 121, 131, 3411, 3412, 342, 343};
}

bool TFBuchung::kontext_verfuegbar(std::size_t i) const {
  if (i == 0) return static_cast<bool>(kontoauszug);
  if (i < std::size(kontextbefehle))
    return befehl && (!befehl_verfuegbar || befehl_verfuegbar(kontextbefehle[i]));
  return i < kontextmenue().size();
}

void TFBuchung::kontext(std::size_t i) {
  if (!kontext_verfuegbar(i)) return;
  if (i == 0) {
    kontoauszug(kontowert(satz_.get(F::Konto)));
  } else if (i < std::size(kontextbefehle)) {
    befehl(kontextbefehle[i]);
  } else if (i == 7) {
    texte_bearbeiten();
  } else if (i == 8) {
    waehrung();
  } else if (i == 9) {
    belegdatum();
  }
}

void TFBuchung::texte_bearbeiten() {
  if (satz_.get(F::Gesperrt)) {
    m_.ui().ShowMessageMain(gesperrt_aendern);
    return;
  }
  if (TFBuchungsText(m_, satz_).ausfuehren()) geaendert_ = true;
}

void TFBuchung::waehrung() {
  if (satz_.get(F::Gesperrt)) {
    m_.ui().ShowMessageMain(gesperrt_aendern);
    return;
  }
  if (TFWaehrung(m_, satz_).ausfuehren()) {
    geaendert_ = true;
    if (!person()) steuer_rechnen();
  }
}

void TFBuchung::belegdatum() {
  if (satz_.get(F::Gesperrt)) {
    m_.ui().ShowMessageMain(gesperrt_aendern);
    return;
  }
  if (TFBuchungBelegdatum(m_, satz_).ausfuehren()) geaendert_ = true;
}

}  // namespace fibu
