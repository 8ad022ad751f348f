#include "banking/tfbankbuchung.h"

#include <algorithm>

#include "banking/btximport.h"
#include "banking/tfbankaufteilen.h"
#include "banking/zuordnung.h"
#include "openitems/opstamm.h"
#include "posting/buchungsdialoge.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/entryform.h"

namespace fibu {

namespace {
using O = OpstammFelder;

std::string betrag_oder_leer(Betrag b) {
  return b == 0 ? "" : betrag_text(b);
}

// The menu commands of the context menu after "Kontoauszug".
const int kontextbefehle[] = {0, 121, 131, 3411, 3412, 342, 343};
}  // namespace

const std::array<const char*, TFBankbuchung::spaltenzahl> TFBankbuchung::ueberschriften = {
    "Soll", "Haben", "Belegnr", "Betrag", "Konto", "Te", "Kost", "Tag", "G", "Text Fibu"};

TFBankbuchung::TFBankbuchung(Mandant& m) : m_(m), bank_(m) {}

bool TFBankbuchung::ausfuehren() {
  TEntryForm form("Bankauszug");
  form.AddString(1, "Bank-Konto", "", 8);
  form.AddDate(2, "Datum", kein_datum);
  form.FrageDatenSpeichern(false);
  form.beim_speichern([this](TEntryForm& f) { return konto_oeffnen(f.text(1)); });
  if (!form.Execute(m_.ui())) return false;
  if (form.datum(2) != kein_datum) bank_.datum_setzen(form.datum(2));
  m_.ui().raster(*this);
  return !abgelehnt_;
}

bool TFBankbuchung::konto_oeffnen(const std::string& konto) {
  if (!bank_.konto_oeffnen(konto)) return false;
  zu_zeile(static_cast<std::int64_t>(bank_.benutzt()) + 1);
  spalte_ = Soll;
  return true;
}

std::vector<std::string> TFBankbuchung::spalten() const {
  return std::vector<std::string>(ueberschriften.begin(), ueberschriften.end());
}

bool TFBankbuchung::rechtsbuendig(int spalte) const {
  return spalte == Soll || spalte == Haben || spalte == Betrag_ || spalte == Kost || spalte == Tag;
}

std::string TFBankbuchung::zelle(std::int64_t zeile, int spalte) {
  if (zeile < 1 || zeile > zeilen()) return "";
  const Bankzeile& z = bank_.zeilen()[static_cast<std::size_t>(zeile - 1)];
  switch (spalte) {
    case Soll:
      return betrag_oder_leer(z.soll);
    case Haben:
      return betrag_oder_leer(z.haben);
    case Belegnr:
      return z.belegnr;
    case Betrag_:
      return betrag_oder_leer(z.betrag);
    case Konto:
      return z.konto;
    case Te:
      return z.te;
    case Kost:
      return z.kost;
    case Tag:
      return z.tag ? std::to_string(z.tag) : "";
    case Gutschrift:
      return z.gutschrift ? "J" : "";
    case TextFibu:
      return z.text_fibu;
  }
  return "";
}

void TFBankbuchung::melde(const std::string& text) {
  m_.ui().ShowMessageMain(text);
}

// --- Typing ---

bool TFBankbuchung::eingabe(const std::string& roh) {
  Bankzeile& z = aktuelle();
  const std::string text = trim(roh);
  auto zeichen = [&](std::size_t hoechstens, const char* meldung) {
    if (zeichenzahl(text) <= hoechstens) return true;
    melde(meldung);
    return false;
  };
  switch (spalte_) {
    case Soll:
    case Haben:
    case Betrag_: {
      auto b = text.empty() ? std::optional<Betrag>(0) : betrag_aus_text(text);
      if (!b || (spalte_ != Betrag_ && *b < 0)) {
        melde("Bitte einen gültigen Betrag eingeben!");
        return false;
      }
      (spalte_ == Soll ? z.soll : spalte_ == Haben ? z.haben : z.betrag) = *b;
      break;
    }
    case Belegnr:
      if (!zeichen(7, "Die Belegnummer hat höchstens 7 Zeichen!")) return false;
      z.belegnr = text;
      break;
    case Konto:
      if (!nur_ziffern(text) || text.size() > 8) {
        melde("Bitte eine Kontonummer mit bis zu 8 Ziffern eingeben!");
        return false;
      }
      z.konto = text;
      break;
    case Te:
      if (!zeichen(2, "Der Textschlüssel hat höchstens 2 Zeichen!")) return false;
      z.te = text;
      break;
    case Kost:
      if (!nur_ziffern(text) || text.size() > 4) {
        melde("Bitte eine Kostenstelle mit bis zu 4 Ziffern eingeben!");
        return false;
      }
      z.kost = text;
      break;
    case Tag:
      if (!nur_ziffern(text) || text.size() > 2) {
        melde("Bitte einen Tag von 1 bis 31 eingeben!");
        return false;
      }
      z.tag = text.empty() ? 0 : std::stoi(text);
      break;
    case Gutschrift: {
      const std::string j = gross(text);
      if (!(j.empty() || j == "J" || j == "N")) {
        melde("Bitte J (Gutschrift) oder N eingeben!");
        return false;
      }
      z.gutschrift = j == "J";
      break;
    }
    case TextFibu:
      if (!zeichen(50, "Der Buchungstext hat höchstens 50 Zeichen!")) return false;
      z.text_fibu = roh;
      break;
    default:
      return false;
  }
  bank_.geaendert();
  return true;
}

// --- Moving ---

// The checks of the cell the cursor leaves forward.
bool TFBankbuchung::zelle_pruefen() {
  Bankzeile& z = aktuelle();
  if (z.leer()) return true;
  switch (spalte_) {
    case Haben:
      // A new statement line is dated on the statement's day.
      if (z.auszugszeile() && z.tag == 0) z.tag = tag_von(bank_.datum());
      return true;
    case Belegnr:
    case Gutschrift: {
      if (spalte_ == Gutschrift && z.belegnr.empty()) return true;
      std::string hinweis;
      const bool neu = z.belegnr != beleg_vorher_ || z.gutschrift != gutschrift_vorher_;
      const std::string fehler = bank_.belegnr_eingeben(index(), neu, &hinweis);
      if (!fehler.empty()) {
        melde(fehler);
        return false;
      }
      beleg_vorher_ = z.belegnr;
      gutschrift_vorher_ = z.gutschrift;
      bank_.geaendert();
      if (!hinweis.empty()) melde(hinweis);
      return true;
    }
    default:
      return true;
  }
}

bool TFBankbuchung::zeile_verlassen() {
  // A row without a day is dated on the statement's day, a split row like
  // its statement line.
  Bankzeile& z = aktuelle();
  if (!z.leer() && z.tag == 0) {
    auto b = bank_.bezugszeile(index());
    z.tag = z.auszugszeile() || !b ? tag_von(bank_.datum()) : bank_.zeilen()[*b].tag;
  }
  const std::string fehler = bank_.zeile_pruefen(index());
  if (fehler.empty()) return true;
  melde(fehler);
  return false;
}

void TFBankbuchung::zu_zeile(std::int64_t zeile) {
  zeile_ = std::clamp<std::int64_t>(zeile, 1, zeilen());
  beleg_vorher_ = aktuelle().belegnr;
  gutschrift_vorher_ = aktuelle().gutschrift;
}

bool TFBankbuchung::weiter() {
  if (!zelle_pruefen()) return false;
  if (spalte_ < TextFibu) {
    ++spalte_;
    return true;
  }
  if (!zeile_verlassen()) return false;
  zu_zeile(zeile_ + 1);
  spalte_ = Soll;
  return true;
}

bool TFBankbuchung::zurueck() {
  if (spalte_ <= Soll) return false;
  --spalte_;
  return true;
}

bool TFBankbuchung::gehe_zu(std::int64_t zeile, int spalte) {
  spalte = std::clamp(spalte, static_cast<int>(Soll), static_cast<int>(TextFibu));
  zeile = std::clamp<std::int64_t>(zeile, 1, zeilen());
  if (zeile != zeile_) {
    if (!zelle_pruefen() || !zeile_verlassen()) return false;
    zu_zeile(zeile);
  }
  spalte_ = spalte;
  return true;
}

// --- Keys ---

std::vector<std::pair<Taste, std::string>> TFBankbuchung::tasten() const {
  return {{Taste::Esc, "&Ende"},      {Taste::F6, "&Buchen"},     {Taste::F2, "&Liste"},
          {Taste::F8, "&Neu"},        {Taste::F3, "Beleg&suche"}, {Taste::F5, "BT&X-Import"},
          {Taste::F4, "&OP-Info"},    {Taste::F9, "&Einfügen"},   {Taste::F10, "&Löschen"},
          {Taste::F11, "&Aufteilen"}, {Taste::F12, "&Drucken"}};
}

Reaktion TFBankbuchung::taste(Taste t) {
  switch (t) {
    case Taste::Esc:
      return schliessen() ? Reaktion::Speichern : Reaktion::Weiter;
    case Taste::F6:
      buchen();
      break;
    case Taste::F2:
      return liste();
    case Taste::F3:
      belegsuche();
      break;
    case Taste::F4:
      op_info();
      break;
    case Taste::F5:
      importieren();
      break;
    case Taste::F8:
      if (m_.ui().JaNein2("Wollen Sie wirklich alle Zeilen löschen?")) {
        if (!bank_.leeren()) melde("Die Tabelle konnte nicht gespeichert werden!");
        zu_zeile(1);
        spalte_ = Soll;
      }
      break;
    case Taste::F9:
      bank_.zeile_einfuegen(index());
      zu_zeile(zeile_);
      break;
    case Taste::F10:
      bank_.zeile_loeschen(index());
      zu_zeile(zeile_);
      break;
    case Taste::F11:
      aufteilen();
      break;
    case Taste::F12:
      bank_.drucken();
      break;
    default:
      break;
  }
  return Reaktion::Weiter;
}

// Leaving saves the table: an unfinished statement waits for the next time.
bool TFBankbuchung::schliessen() {
  if (!bank_.ist_geaendert()) return true;
  if (bank_.speichern()) return true;
  melde("Die Tabelle " + Banktabelle::dateiname(bank_.bank_konto()) +
        " konnte nicht gespeichert werden!");
  return m_.ui().JaNein2("Wollen Sie trotzdem beenden?");
}

void TFBankbuchung::buchen() {
  const tbank::Buchungsergebnis e = bank_.buchen();
  abgelehnt_ = !e.gebucht;
  if (e.gebucht) {
    zu_zeile(1);
    spalte_ = Soll;
  } else if (e.zeile) {
    zu_zeile(static_cast<std::int64_t>(*e.zeile) + 1);
    spalte_ = Soll;
  }
}

void TFBankbuchung::importieren() {
  // Refused before the dialog: its settings would be asked for nothing.
  if (bank_.benutzt() > 0) {
    melde("Tabelle ist nicht leer, bitte zuerst löschen!");
    return;
  }
  TFQIF(m_, bank_.importziel()).ausfuehren();
  zu_zeile(1);
  spalte_ = Soll;
}

// F2: the accounts in the account column, the row's open items in the
// document-number column.
Reaktion TFBankbuchung::liste() {
  Bankzeile& z = aktuelle();
  if (spalte_ == Belegnr) {
    std::string meldung;
    auto k = bank_.kennung(index(), &meldung);
    if (!k) {
      melde(meldung);
      return Reaktion::Weiter;
    }
    std::string key = std::string(1, *k) + z.belegnr;
    if (op_auswaehlen(m_, 1, *k, key)) {
      z.belegnr = trim(m_.opstamm->satz().get(O::Belegnummer));
      bank_.geaendert();
    }
    return Reaktion::Weiter;
  }
  if (spalte_ != Konto) return Reaktion::Weiter;
  const bool personen = !z.konto.empty() && !m_.ist_sachkonto(z.konto);
  auto nr = konto_auswaehlen(m_, personen, 1, z.konto);
  if (!nr) return Reaktion::Weiter;
  z.konto = *nr;
  bank_.geaendert();
  return Reaktion::Weiter;
}

// F3: an item by search name; one of the other kind makes the row a refund.
void TFBankbuchung::belegsuche() {
  std::string key;
  if (!op_auswaehlen(m_, 2, 'D', key)) return;
  const Satz op = m_.opstamm->satz();
  auto b = bank_.bezugszeile(index());
  if (!b) {
    melde("Bezugszeile zu dieser Splitbuchung nicht gefunden!");
    return;
  }
  Bankzeile& z = aktuelle();
  z.belegnr = trim(op.get(O::Belegnummer));
  z.gutschrift = op_kennung_von(op) != bank_kennung(bank_.zeilen()[*b], false);
  beleg_vorher_.clear();
  bank_.geaendert();
  const int s = spalte_;
  spalte_ = Belegnr;
  zelle_pruefen();
  spalte_ = s;
}

void TFBankbuchung::op_info() {
  const Bankzeile& z = aktuelle();
  if (z.sachzeile()) {
    melde("OP-Info zu Sachkonto nicht möglich!");
    return;
  }
  auto k = bank_.kennung(index());
  if (!k || z.belegnr.empty()) return;
  op_anzeigen(m_, std::string(1, *k) + z.belegnr);
}

void TFBankbuchung::aufteilen() {
  if (!aktuelle().auszugszeile()) {
    melde("Soll und Haben sind Null! Ein Aufteilen ist nicht möglich.");
    return;
  }
  TFBankAufteilen(m_, bank_, index()).ausfuehren();
  zu_zeile(zeile_);
}

// --- What the screen shows ---

std::string TFBankbuchung::statuszeile() const {
  return "Differenz: " + betrag_text(bank_.differenz()) +
         "   Neuer Saldo: " + betrag_text(bank_.neuer_saldo());
}

std::vector<std::pair<std::string, std::string>> TFBankbuchung::panelfelder() {
  const Bankzeile& z = aktuelle();
  std::string art, kontoname = bank_.kontoname(z.konto), op_betrag, rechdat;
  if (!z.sachzeile() && !z.belegnr.empty()) {
    if (auto k = bank_.kennung(index())) art = std::string(1, *k);
    if (auto op = bank_.op_der_zeile(index())) {
      op_betrag = betrag_text(op->get(O::NochOffen));
      rechdat = DateToDateString("dd.mm.yyyy", op->get(O::Rechnungsdatum));
      if (op->get(O::Diverse)) kontoname = trim(op->get(O::Name));
    }
  }
  return {{"Bank-Konto", bank_.bank_konto()},
          {"Bezeichnung", bank_.bezeichnung()},
          {"Alter Saldo", betrag_text(bank_.alter_saldo())},
          {"Datum", DateToDateString("dd.mm.yyyy", bank_.datum())},
          {"Differenz", betrag_text(bank_.differenz())},
          {"Neuer Saldo", betrag_text(bank_.neuer_saldo())},
          {"Text BTX", z.text_btx},
          {"Name/IBAN", trim(z.name + "  " + z.iban)},
          {"Text Fibu", z.text_fibu},
          {"Gutschrift", z.gutschrift ? "ja" : "nein"},
          {"OP-Art", art},
          {"Kontoname", kontoname},
          {"OP-Betrag", op_betrag},
          {"Rechdat.", rechdat}};
}

std::vector<std::string> TFBankbuchung::kontextmenue() const {
  return {"&Kontoauszug",         "&Sachkonten",           "&Personenkonten",
          "OP-Pflege &Debitoren", "OP-Pflege &Kreditoren", "OP-Liste D&ebitoren",
          "OP-Liste K&reditoren"};
}

bool TFBankbuchung::kontext_verfuegbar(std::size_t i) const {
  if (i == 0) return static_cast<bool>(kontoauszug);
  if (i < std::size(kontextbefehle))
    return befehl && (!befehl_verfuegbar || befehl_verfuegbar(kontextbefehle[i]));
  return false;
}

void TFBankbuchung::kontext(std::size_t i) {
  if (!kontext_verfuegbar(i)) return;
  if (i == 0) {
    const std::string konto = trim(aktuelle().konto);
    kontoauszug(kontowert(konto.empty() ? bank_.bank_konto() : konto));
  } else {
    befehl(kontextbefehle[i]);
  }
}

}  // namespace fibu
