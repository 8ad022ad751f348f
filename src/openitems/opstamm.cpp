#include "openitems/opstamm.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "suite/allgemei.h"
#include "suite/betrag.h"
#include "suite/browser.h"

namespace fibu {

namespace {

using O = OpstammFelder;
using T = TFOPStamm;

const std::vector<std::string> mahnarten = {"normal", "gesperrt", "Lastschrift"};

constexpr const char* listentitel = "Liste der Offenen Posten";
constexpr const char* kopf_belegnr =
    "Belegnr!A !Datum      !     Brutto!      Offen!Kontonr  !Kontoname und Titel";
constexpr const char* kopf_suchname =
    "Suchname           !Belegnr!A !Brutto     !Netto      !Name und Titel";
constexpr const char* kopf_zahlungen = "Index  !Datum      !S/H!     Betrag!Gegenkto!Text";

// The fields a user may change on an item; the address only on a Diverse one.
constexpr int aenderbar[] = {T::f_rechnungsdatum, T::f_faelligkeitsdatum, T::f_mahnstufe,
                             T::f_mahndatum,      T::f_fremdbelegnr,      T::f_mahnen};
constexpr int adresse[] = {T::f_anrede, T::f_name, T::f_titel, T::f_strasse, T::f_plz_ort};

// The byte of a record's lock: beyond any size a data file reaches (its
// references are 32 bits), so a record lock never covers file content.
constexpr std::uint64_t sperrbereich = std::uint64_t{1} << 40;

struct Spalte {
  std::string text;
  bool rechts = false;  // amounts and numbers
};

// A pick-list line under a header whose columns are separated by "!": each
// value filled to its column's width, the last one as it is. A value wider
// than its column is shown whole rather than cut.
std::string spaltenzeile(std::string_view kopf, const std::vector<Spalte>& werte) {
  std::string zeile;
  for (std::size_t i = 0; i < werte.size(); ++i) {
    const std::size_t ende = kopf.find('!');
    const std::string_view spalte = kopf.substr(0, ende);
    kopf = ende == std::string_view::npos ? std::string_view() : kopf.substr(ende + 1);
    const Spalte& w = werte[i];
    if (i + 1 == werte.size()) {
      zeile += w.text;
      break;
    }
    const auto breite = static_cast<std::ptrdiff_t>(zeichenzahl(spalte));
    const auto laenge = static_cast<std::ptrdiff_t>(zeichenzahl(w.text));
    zeile += w.rechts ? rechtsbuendig(w.text, breite)
                      : w.text + space(std::max<std::ptrdiff_t>(0, breite - laenge));
    zeile += '!';
  }
  return zeile;
}

std::string datum(Datum d) {
  return d ? DateToDateString("dd.mm.yyyy", d) : "";
}

std::string name_und_titel(const Satz& op) {
  std::string name = trim(op.get(O::Name));
  if (std::string titel = trim(op.get(O::Titel)); !titel.empty()) name += " " + titel;
  return name;
}

std::string zeile_nach_belegnr(const Satz& op) {
  return spaltenzeile(kopf_belegnr, {{trim(op.get(O::Belegnummer))},
                                     {std::string(1, belegart(op))},
                                     {datum(op.get(O::Rechnungsdatum))},
                                     {betrag_text(op.get(O::Betrag)), true},
                                     {betrag_text(op.get(O::NochOffen)), true},
                                     {trim(op.get(O::Kontonummer))},
                                     {name_und_titel(op)}});
}

// The item holds no net amount: "Netto" shows what is still open, as the
// list by number does under "Offen".
std::string zeile_nach_suchname(const Satz& op) {
  return spaltenzeile(kopf_suchname, {{trim(op.get(O::Suchname))},
                                      {trim(op.get(O::Belegnummer))},
                                      {std::string(1, belegart(op))},
                                      {betrag_text(op.get(O::Betrag)), true},
                                      {betrag_text(op.get(O::NochOffen)), true},
                                      {name_und_titel(op)}});
}

// The fields that show the item's record, in the order of the screen.
Formularbindung opstamm_bindung(bool kreditoren) {
  const std::string betragsmaske = "###########.##";
  Formularbindung b;
  b.text(T::f_kontonummer, "Kontonummer", O::Kontonummer)
      .nur_anzeige()
      .text(T::f_suchname, "Suchname", O::Suchname)
      .nur_anzeige()
      .text(T::f_anrede, "Anrede", O::Anrede)
      .geschuetzt()
      .text(T::f_name, "Name", O::Name)
      .geschuetzt()
      .text(T::f_titel, "Titel", O::Titel)
      .geschuetzt()
      .text(T::f_strasse, "Straße", O::Strasse)
      .geschuetzt()
      .text(T::f_plz_ort, "PLZ/Ort", O::PlzOrt)
      .geschuetzt()
      .datum(T::f_rechnungsdatum, "Rechnungsdatum", O::Rechnungsdatum)
      .geschuetzt()
      .datum(T::f_faelligkeitsdatum, "Fälligkeitsdatum", O::Faelligkeitsdatum)
      .geschuetzt()
      .datum(T::f_buchungsdatum, "Buchungsdatum", O::Buchungsdatum)
      .nur_anzeige()
      .betrag(T::f_betrag, "Betrag", O::Betrag, betragsmaske)
      .nur_anzeige()
      .betrag(T::f_noch_offen, "Noch offen", O::NochOffen, betragsmaske)
      .nur_anzeige()
      .byte(T::f_mahnstufe, "Mahnstufe", O::Mahnstufe, 0, 9)
      .geschuetzt()
      .datum(T::f_mahndatum, "Mahndatum", O::Mahndatum)
      .geschuetzt()
      .byte(T::f_mahnkennziffer, "Mahnkennziffer", O::Mahnkennziffer)
      .nur_anzeige()
      .text(T::f_fremdbelegnr, kreditoren ? "Fremdbelegnr" : "Projektnummer", O::Fremdbelegnr)
      .geschuetzt()
      .byte(T::f_filternummer, "Filternummer", O::Filternummer)
      .nur_anzeige()
      .auswahl(T::f_mahnen, "Mahnen", O::Mahnen, mahnarten)
      .geschuetzt()
      .text(T::f_gegenkonto, "Gegenkonto", O::Gegenkonto)
      .nur_anzeige();
  return b;
}

int belegnummer_breite(const Satz& basis) {
  const int breite = basis.get(BasisFelder::BelegnummerBreite);
  return breite == 0 ? 7 : std::min(breite, static_cast<int>(O::Belegnummer.kapazitaet));
}

}  // namespace

Formularbindung op_bindung(bool kreditoren) { return opstamm_bindung(kreditoren); }

bool Satzsperre::sperren(tdatenbank& db, std::uint32_t ref) {
  freigeben();
  auto& v = db.verzeichnis();
  const auto pfad = v.fs().finde_datei(v.pfad(), db.name() + "." + v.DatExtension);
  std::unique_ptr<Datei> datei;
  if (!pfad || !v.fs().oeffnen(*pfad, Oeffnen::LesenSchreiben, datei)) return false;
  if (!datei->sperren(Sperrart::Exklusiv, false, sperrbereich + ref, 1)) return false;
  datei_ = std::move(datei);
  return true;
}

TFOPStamm::TFOPStamm(Mandant& m, bool kreditoren)
    : m_(m),
      kreditoren_(kreditoren),
      kennung_(op_kennung(kreditoren)),
      opstamm_offen_(m),
      form_(std::string("Offene Posten pflegen") + (kreditoren ? " - Kreditoren" : " - Debitoren")),
      bindung_(opstamm_bindung(kreditoren)),
      op_(O::groesse) {
  form_.AddString(f_belegnr, "Belegnummer", "", belegnummer_breite(m.basis));
  form_.AddString(f_belegart, "Belegart", "", 10);
  form_.AddString(f_kontoart, "Kontoart", "", 8);
  form_.AddString(f_diverse, "Diverse", "", 7);
  for (int nr : {f_belegart, f_kontoart, f_diverse}) form_.ProtectControl(nr);
  bindung_.felder_anlegen(form_, op_);
  form_.beim_verlassen([this](TEntryForm&, int nr) {
    if (nr == f_belegnr) return belegnr_verlassen();
    if (nr == f_rechnungsdatum || nr == f_faelligkeitsdatum) return datum_pruefen(nr);
    return true;
  });
  form_.AddKey(Taste::Esc, "&Ende", [this](TEntryForm&) { return ende(); });
  form_.AddKey(Taste::F2, "&Liste", [this](TEntryForm&) { return liste(1); });
  form_.AddKey(Taste::F3, "&Suchnamen", [this](TEntryForm&) { return liste(2); });
  form_.AddKey(Taste::F4, "&Zahlungen", [this](TEntryForm&) { return zahlungen(); });
  form_.AddKey(Taste::BildAuf, "&<", [this](TEntryForm&) { return blaettern(false); });
  form_.AddKey(Taste::BildAb, "&>", [this](TEntryForm&) { return blaettern(true); });
}

bool TFOPStamm::ausfuehren() {
  const bool ok = form_.Execute(m_.ui());
  sperre_.freigeben();
  return ok;
}

std::string TFOPStamm::nicht_vorhanden() const {
  return kreditoren_ ? "Beleg nicht vorhanden oder Debitoren-OP ausgewählt!"
                     : "Beleg nicht vorhanden oder Kreditoren-OP ausgewählt!";
}

void TFOPStamm::melde(const std::string& text, int fokus) {
  m_.ui().ShowMessageParent(text);
  form_.setze_fokus(fokus);
  // A number that found no item is no change to save on closing.
  if (!gewaehlt_) form_.setze_geaendert(false);
}

bool TFOPStamm::belegnr_verlassen() {
  if (gewaehlt_) return true;
  const std::string nummer = trim(form_.text(f_belegnr));
  if (nummer.empty()) {
    melde("Bitte Belegnummer eingeben!", f_belegnr);
    return false;
  }
  return laden(op_key(kennung_, nummer));
}

// The lock of the item shown is given up only when the next one is had;
// the item held is read again under its lock.
bool TFOPStamm::laden(const std::string& key) {
  auto& db = *m_.opstamm;
  const bool gehalten = gewaehlt_ && key == key_ && sperre_.gesperrt();
  if (!db.suchen(key)) {
    melde(nicht_vorhanden(), f_belegnr);
    return false;
  }
  if (!gehalten) {
    const std::uint32_t ref = db.aktuelle_ref();
    Satzsperre sperre;
    if (!sperre.sperren(db, ref)) {
      melde("Dieser OP wird gerade an einem anderen Platz bearbeitet!", f_belegnr);
      return false;
    }
    // Read again under the lock: what was written before it was had counts.
    if (!db.suchen(key) || db.aktuelle_ref() != ref) {
      melde(nicht_vorhanden(), f_belegnr);
      return false;
    }
    sperre_ = std::move(sperre);
  }
  op_ = db.satz();
  key_ = key;
  gewaehlt_ = true;
  zeigen();
  return true;
}

void TFOPStamm::zeigen() {
  form_.setze_text(f_belegnr, trim(op_.get(O::Belegnummer)));
  bindung_.zeigen(form_, op_);
  form_.setze_text(f_belegart, op_.get(O::Rechnung) ? "Rechnung" : "Gutschrift");
  const std::string konto = trim(op_.get(O::Kontonummer));
  form_.setze_text(f_kontoart, m_.ist_debitor(konto)    ? "Debitor"
                               : m_.ist_kreditor(konto) ? "Kreditor"
                                                        : "");
  form_.setze_text(f_diverse, op_.get(O::Diverse) ? "Diverse" : "");
  felder_schuetzen(nur_lesen_);
  form_.setze_geaendert(false);
  form_.setze_fokus(nur_lesen_ ? f_belegnr : f_rechnungsdatum);
}

// With an item in edit the number is fixed and the item's own fields are
// open; without one (or in the view) only the number is.
void TFOPStamm::felder_schuetzen(bool alle) {
  const bool offen = gewaehlt_ && !alle;
  form_.ProtectControl(f_belegnr, gewaehlt_ || alle);
  for (int nr : aenderbar) form_.ProtectControl(nr, !offen);
  for (int nr : adresse) form_.ProtectControl(nr, !(offen && op_.get(O::Diverse)));
}

// An item always keeps its invoice and due date: the lists select and
// dunning and direct debit run by them.
bool TFOPStamm::datum_pruefen(int nr) {
  if (!gewaehlt_ || form_.datum(nr) != kein_datum) return true;
  melde(nr == f_rechnungsdatum ? "Bitte ein Rechnungsdatum eingeben!"
                               : "Bitte ein Fälligkeitsdatum eingeben!",
        nr);
  return false;
}

bool TFOPStamm::speichern() {
  if (!gewaehlt_ || nur_lesen_ || !form_.geaendert()) return true;
  if (!datum_pruefen(f_rechnungsdatum) || !datum_pruefen(f_faelligkeitsdatum)) return false;
  bindung_.uebernehmen(form_, op_);
  auto& db = *m_.opstamm;
  db.satz() = op_;
  // A store that failed has said so; the changes stay on the screen.
  if (!db.speichern(key_)) return false;
  form_.setze_geaendert(false);
  return true;
}

Reaktion TFOPStamm::ende() {
  if (!speichern()) return Reaktion::Weiter;
  sperre_.freigeben();
  return Reaktion::Speichern;
}

// Saves the item and takes the previous or next one; past the items of
// this kind the item shown is read again. Without an item the first or
// last one of the kind comes.
Reaktion TFOPStamm::blaettern(bool vor) {
  if (nur_lesen_) return Reaktion::Weiter;
  if (!speichern()) return Reaktion::Weiter;
  auto& db = *m_.opstamm;
  const std::string art(1, kennung_);
  std::string k = gewaehlt_ ? key_ : vor ? art : art + '\xff';
  db.ref_loeschen();  // steps from the key itself, not from a record read meanwhile
  const bool weiter = vor ? db.weiter_key(1, k) : db.zurueck_key(1, k);
  if (weiter && !k.empty() && k[0] == kennung_ && laden(k)) return Reaktion::Weiter;
  if (gewaehlt_) laden(key_);
  return Reaktion::Weiter;
}

Reaktion TFOPStamm::liste(int key_nr) {
  if (gewaehlt_ || nur_lesen_) return Reaktion::Weiter;  // closed while an item is in edit
  std::string k = key_nr == 1 ? std::string(1, kennung_) + trim(form_.text(f_belegnr)) : "";
  if (op_auswaehlen(m_, key_nr, kennung_, k)) aus_liste();
  return Reaktion::Weiter;
}

// The list by search name holds the items of both kinds; one of the other
// kind is not taken.
void TFOPStamm::aus_liste() {
  auto& db = *m_.opstamm;
  const std::string key = db.key(1);
  if (key.empty() || key[0] != kennung_) {
    melde(nicht_vorhanden(), f_belegnr);
    return;
  }
  laden(key);
}

Reaktion TFOPStamm::zahlungen() {
  if (!gewaehlt_) return Reaktion::Weiter;
  OpZahlungen liste;
  if (!op_zahlungen(m_, op_, liste)) {
    melde("Die Buchungsdatei kann nicht gelesen werden!", form_.fokus());
    return Reaktion::Weiter;
  }
  std::vector<Browsereintrag> zeilen;
  for (std::size_t i = 0; i < liste.size(); ++i) {
    const OpZahlung& z = liste[i];
    // Blank-padded positions sort as numbers.
    zeilen.push_back(
        {padlinks(std::to_string(i), 10),
         spaltenzeile(kopf_zahlungen, {{std::to_string(z.nummer), true},
                                       {datum(z.datum)},
                                       {z.betrag >= 0 ? "S" : "H"},
                                       {betrag_text(z.betrag >= 0 ? z.betrag : -z.betrag), true},
                                       {z.gegenkonto},
                                       {z.text}})});
  }
  Zeilenbrowser browser("Zahlungen zum OP " + trim(op_.get(O::Belegnummer)), zeilen,
                        kopf_zahlungen);
  (void)winpicklist(m_.ui(), browser);
  return Reaktion::Weiter;
}

bool TFOPStamm::anzeigen(const std::string& key) {
  nur_lesen_ = true;
  auto& db = *m_.opstamm;
  gewaehlt_ = false;
  if (key.empty() || key[0] != kennung_ || !db.suchen(op_key(kennung_, key.substr(1)))) {
    m_.ui().ShowMessageParent("OP nicht gefunden!");
    return false;
  }
  op_ = db.satz();
  key_ = db.key(1);
  gewaehlt_ = true;
  zeigen();
  form_.FrageDatenSpeichern(false);
  return true;
}

bool op_auswaehlen(Mandant& m, int key_nr, char kennung, std::string& key) {
  auto& db = *m.opstamm;
  if (key_nr != 1) return db.auswahl(2, listentitel, key, zeile_nach_suchname, kopf_suchname);
  const std::string art(1, kennung);
  return db.auswahl_bereich(1, listentitel, key, zeile_nach_belegnr, art, art, kopf_belegnr);
}

bool op_anzeigen(Mandant& m, const std::string& key) {
  const std::string k = trim(key);
  TFOPStamm ansicht(m, !k.empty() && k[0] == 'K');
  if (!ansicht.anzeigen(k)) return false;
  ansicht.ausfuehren();
  return true;
}

}  // namespace fibu
