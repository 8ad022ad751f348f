#include "suite/entryform.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

#include "suite/allgemei.h"
#include "suite/betrag.h"
#include "suite/codepage.h"

namespace fibu {
namespace {

struct Tastenname {
  Taste taste;
  const char* name;
};
constexpr Tastenname tastennamen[] = {
    {Taste::Keine, ""},         {Taste::Esc, "Esc"},      {Taste::Enter, "Enter"},
    {Taste::F2, "F2"},          {Taste::F3, "F3"},        {Taste::F4, "F4"},
    {Taste::F5, "F5"},          {Taste::F6, "F6"},        {Taste::F7, "F7"},
    {Taste::F8, "F8"},          {Taste::F9, "F9"},        {Taste::F10, "F10"},
    {Taste::F11, "F11"},        {Taste::F12, "F12"},      {Taste::BildAuf, "Bild auf"},
    {Taste::BildAb, "Bild ab"}, {Taste::StrgN, "Strg+N"},
};

std::string ohne_kuerzel(const std::string& s) {
  std::string aus;
  for (char c : s)
    if (c != '&') aus.push_back(c);
  return aus;
}

std::optional<bool> ja_nein_aus_text(const std::string& text) {
  std::string t = gross(trim(text));
  if (t == "JA" || t == "J" || t == "X" || t == "1" || t == "TRUE") return true;
  if (t == "NEIN" || t == "N" || t.empty() || t == "0" || t == "FALSE") return false;
  return std::nullopt;
}

std::optional<std::int64_t> ganzzahl(const std::string& text) {
  std::string t = trim(text);
  if (t.empty()) return 0;
  std::size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
  if (i == t.size() || t.size() - i > 18) return std::nullopt;
  for (std::size_t k = i; k < t.size(); ++k)
    if (t[k] < '0' || t[k] > '9') return std::nullopt;
  return std::stoll(t);
}

}  // namespace

std::string tastenname(Taste t) {
  for (const auto& n : tastennamen)
    if (n.taste == t) return n.name;
  return "";
}

bool gleiche_beschriftung(const std::string& a, const std::string& b) {
  return gross(trim(ohne_kuerzel(a))) == gross(trim(ohne_kuerzel(b)));
}

std::optional<Taste> taste_aus_name(const std::string& name) {
  std::string g = gross(trim(name));
  for (const auto& n : tastennamen)
    if (n.taste != Taste::Keine && gross(n.name) == g) return n.taste;
  return std::nullopt;
}

TEntryForm::TEntryForm(std::string titel) : titel_(std::move(titel)) {}

void TEntryForm::Seite(const std::string& name) {
  seiten_.push_back(name);
}

TEntryForm::Feld& TEntryForm::neues_feld(int nr, const std::string& beschriftung, Feldart art) {
  if (hat_feld(nr)) throw std::logic_error("TEntryForm: Feld " + std::to_string(nr) + " doppelt");
  Feld f;
  f.nr = nr;
  f.beschriftung = beschriftung;
  f.art = art;
  f.seite = seiten_.empty() ? 0 : static_cast<int>(seiten_.size()) - 1;
  felder_.push_back(std::move(f));
  if (fokus_ == 0) fokus_ = nr;
  return felder_.back();
}

void TEntryForm::AddString(int nr, const std::string& beschriftung, const std::string& wert,
                           int laenge) {
  Feld& f = neues_feld(nr, beschriftung, Feldart::Text);
  f.laenge = laenge;
  f.text = wert;
}

void TEntryForm::AddByte(int nr, const std::string& beschriftung, std::uint8_t wert,
                         std::uint8_t min, std::uint8_t max) {
  Feld& f = neues_feld(nr, beschriftung, Feldart::Byte);
  f.laenge = 3, f.min = min, f.max = max, f.zahl = wert;
}

void TEntryForm::AddWord(int nr, const std::string& beschriftung, std::uint16_t wert,
                         std::uint16_t min, std::uint16_t max) {
  Feld& f = neues_feld(nr, beschriftung, Feldart::Word);
  f.laenge = 5, f.min = min, f.max = max, f.zahl = wert;
}

void TEntryForm::AddLongInt(int nr, const std::string& beschriftung, std::int32_t wert,
                            std::int32_t min, std::int32_t max) {
  Feld& f = neues_feld(nr, beschriftung, Feldart::LongInt);
  f.laenge = 11, f.min = min, f.max = max, f.zahl = wert;
}

void TEntryForm::AddComp(int nr, const std::string& beschriftung, std::int64_t wert,
                         const std::string& maske, int nachkomma) {
  Feld& f = neues_feld(nr, beschriftung, Feldart::Comp);
  f.maske = maske, f.nachkomma = nachkomma, f.zahl = wert;
  f.laenge = static_cast<int>(maske.size());
}

void TEntryForm::AddDouble(int nr, const std::string& beschriftung, double wert, int nachkomma) {
  Feld& f = neues_feld(nr, beschriftung, Feldart::Double);
  f.nachkomma = nachkomma, f.dezimal = wert, f.laenge = 15;
}

void TEntryForm::AddDate(int nr, const std::string& beschriftung, Datum wert) {
  Feld& f = neues_feld(nr, beschriftung, Feldart::Kalenderdatum);
  f.zahl = wert, f.laenge = 10;
}

void TEntryForm::AddYesNo(int nr, const std::string& beschriftung, bool wert) {
  Feld& f = neues_feld(nr, beschriftung, Feldart::JaNein);
  f.zahl = wert ? 1 : 0, f.laenge = 1;
}

void TEntryForm::AddChoice(int nr, const std::string& beschriftung,
                           std::vector<std::string> auswahl, int index) {
  Feld& f = neues_feld(nr, beschriftung, Feldart::Auswahl);
  f.auswahl = std::move(auswahl);
  f.zahl = index;
  f.min = 0;
  f.max = static_cast<std::int64_t>(f.auswahl.size()) - 1;
}

void TEntryForm::AddKey(Taste taste, const std::string& beschriftung,
                        std::function<Reaktion(TEntryForm&)> aktion) {
  if (taste != Taste::Keine) {
    for (auto& b : befehle_)
      if (b.taste == taste) {
        b = {taste, beschriftung, std::move(aktion)};
        return;
      }
  }
  befehle_.push_back({taste, beschriftung, std::move(aktion)});
}

void TEntryForm::beim_verlassen(std::function<bool(TEntryForm&, int)> pruefung) {
  pruefung_ = std::move(pruefung);
}

void TEntryForm::beim_speichern(std::function<bool(TEntryForm&)> speichern) {
  speichern_ = std::move(speichern);
}

void TEntryForm::ProtectControl(int nr, bool geschuetzt) {
  feld_rw(nr).geschuetzt = geschuetzt;
}

void TEntryForm::beim_seitenwechsel(std::function<bool(TEntryForm&, int)> pruefung) {
  seitenpruefung_ = std::move(pruefung);
}

bool TEntryForm::seite_wechseln(int seite) {
  if (seite == seite_) return true;
  for (int nr : std::set<int>(zu_pruefen_))
    if (!verlassen(nr)) return false;
  if (seitenpruefung_ && !seitenpruefung_(*this, seite_)) return false;
  seite_ = seite;
  return true;
}

bool TEntryForm::Execute(Interaktion& ui) {
  Interaktion* vorher = ui_;
  ui_ = &ui;
  bool ok = ui.formular(*this);
  ui_ = vorher;
  return ok;
}

Interaktion& TEntryForm::ui() const {
  if (!ui_) throw std::logic_error("TEntryForm '" + titel_ + "' läuft nicht (Execute fehlt)");
  return *ui_;
}

bool TEntryForm::hat_feld(int nr) const {
  for (const auto& f : felder_)
    if (f.nr == nr) return true;
  return false;
}

const TEntryForm::Feld& TEntryForm::feld(int nr) const {
  for (const auto& f : felder_)
    if (f.nr == nr) return f;
  throw std::logic_error("TEntryForm '" + titel_ + "': kein Feld " + std::to_string(nr));
}

TEntryForm::Feld& TEntryForm::feld_rw(int nr) {
  return const_cast<Feld&>(feld(nr));
}

const TEntryForm::Feld* TEntryForm::feld_mit_beschriftung(const std::string& beschriftung) const {
  for (const auto& f : felder_)
    if (gleiche_beschriftung(f.beschriftung, beschriftung)) return &f;
  return nullptr;
}

void TEntryForm::setze_text(int nr, const std::string& wert) {
  feld_rw(nr).text = wert;
}
void TEntryForm::setze_zahl(int nr, std::int64_t wert) {
  feld_rw(nr).zahl = wert;
}
void TEntryForm::setze_dezimal(int nr, double wert) {
  feld_rw(nr).dezimal = wert;
}

std::string TEntryForm::anzeige(int nr) const {
  const Feld& f = feld(nr);
  switch (f.art) {
    case Feldart::Text:
      return f.text;
    case Feldart::Byte:
    case Feldart::Word:
    case Feldart::LongInt:
      return std::to_string(f.zahl);
    case Feldart::Comp:
      // As the lists print it; thousands separated where it is only shown.
      return zahl_anzeige(f.zahl, f.nachkomma, f.maske, f.geschuetzt);
    case Feldart::Double: {
      // Not printf: its decimal separator follows the locale the GUI sets.
      char puffer[64];
      auto [ende, fehler] = std::to_chars(puffer, puffer + sizeof puffer, f.dezimal,
                                          std::chars_format::fixed, f.nachkomma);
      std::string text = fehler == std::errc() ? std::string(puffer, ende) : std::string();
      if (auto punkt = text.find('.'); punkt != std::string::npos) text[punkt] = ',';
      return text;
    }
    case Feldart::Kalenderdatum:
      return f.zahl == 0 ? "" : DateToDateString("dd.mm.yyyy", static_cast<Datum>(f.zahl));
    case Feldart::JaNein:
      return f.zahl ? "Ja" : "Nein";
    case Feldart::Auswahl:
      return f.zahl >= 0 && f.zahl < static_cast<std::int64_t>(f.auswahl.size())
                 ? f.auswahl[static_cast<size_t>(f.zahl)]
                 : "";
  }
  return "";
}

void TEntryForm::melde(const std::string& text) const {
  if (ui_) ui_->ShowMessageParent(text);
}

bool TEntryForm::eingabe(int nr, const std::string& text) {
  Feld& f = feld_rw(nr);
  fokus_ = nr;
  if (f.geschuetzt) {
    melde("Dieses Feld kann hier nicht geändert werden!");
    return false;
  }
  auto bereich = [&](std::int64_t wert) {
    if (wert >= f.min && wert <= f.max) return true;
    melde("Bitte einen Wert von " + std::to_string(f.min) + " bis " + std::to_string(f.max) +
          " eingeben!");
    return false;
  };
  std::int64_t neue_zahl = f.zahl;
  double neue_dezimal = f.dezimal;
  std::string neuer_text = f.text;
  switch (f.art) {
    case Feldart::Text:
      if (f.laenge > 0 && zeichenzahl(text) > static_cast<std::size_t>(f.laenge)) {
        melde("Der Text ist zu lang (höchstens " + std::to_string(f.laenge) + " Zeichen)!");
        return false;
      }
      // Records hold the Windows code page: refuse what it cannot store
      // rather than saving '?' in its place.
      if (nach_utf8(von_utf8(text, Codepage::CP1252), Codepage::CP1252) != text) {
        melde("Der Text enthält Zeichen, die nicht gespeichert werden können!");
        return false;
      }
      neuer_text = text;
      break;
    case Feldart::Byte:
    case Feldart::Word:
    case Feldart::LongInt: {
      auto z = ganzzahl(text);
      if (!z) {
        melde("Bitte eine ganze Zahl eingeben!");
        return false;
      }
      if (!bereich(*z)) return false;
      neue_zahl = *z;
      break;
    }
    case Feldart::Comp: {
      auto z = zahl_aus_text(text, f.nachkomma);
      if (!z) {
        melde(f.nachkomma == 2 ? "Bitte einen gültigen Betrag eingeben!"
                               : "Bitte eine gültige Zahl eingeben!");
        return false;
      }
      neue_zahl = *z;
      break;
    }
    case Feldart::Double: {
      auto z = zahl_aus_text(text, f.nachkomma);
      if (!z) {
        melde("Bitte eine gültige Zahl eingeben!");
        return false;
      }
      neue_dezimal = static_cast<double>(*z) / std::pow(10.0, f.nachkomma);
      break;
    }
    case Feldart::Kalenderdatum: {
      auto d = datum_aus_eingabe(text);
      if (!d) {
        melde("Bitte ein gültiges Datum eingeben (TT.MM.JJJJ)!");
        return false;
      }
      neue_zahl = *d;
      break;
    }
    case Feldart::JaNein: {
      auto j = ja_nein_aus_text(text);
      if (!j) {
        melde("Bitte Ja oder Nein eingeben!");
        return false;
      }
      neue_zahl = *j ? 1 : 0;
      break;
    }
    case Feldart::Auswahl: {
      std::optional<std::int64_t> index;
      for (std::size_t i = 0; i < f.auswahl.size(); ++i)
        if (gleiche_beschriftung(f.auswahl[i], text)) index = static_cast<std::int64_t>(i);
      if (!index && !trim(text).empty()) index = ganzzahl(text);
      if (!index || *index < 0 || *index >= static_cast<std::int64_t>(f.auswahl.size())) {
        melde("Bitte einen der angebotenen Werte wählen!");
        return false;
      }
      neue_zahl = *index;
      break;
    }
  }
  if (neue_zahl != f.zahl || neue_dezimal != f.dezimal || neuer_text != f.text) geaendert_ = true;
  zu_pruefen_.insert(nr);
  f.zahl = neue_zahl;
  f.dezimal = neue_dezimal;
  f.text = std::move(neuer_text);
  return true;
}

bool TEntryForm::verlassen(int nr) {
  feld(nr);  // a field that does not exist is a programming error
  bool ok = !pruefung_ || pruefung_(*this, nr);
  if (ok) {
    zu_pruefen_.erase(nr);
  } else {
    zu_pruefen_.insert(nr);
    fokus_ = nr;
  }
  return ok;
}

Reaktion TEntryForm::taste(Taste t) {
  // Esc first leaves every field typed into and not yet left successfully:
  // a value its check refuses is never saved.
  if (t == Taste::Esc) {
    for (int nr : std::set<int>(zu_pruefen_))
      if (!verlassen(nr)) return Reaktion::Weiter;
  }
  for (std::size_t i = 0; i < befehle_.size(); ++i)
    if (befehle_[i].taste == t && t != Taste::Keine) return befehl(i);
  if (t == Taste::Esc) {
    if (!speichern_) return Reaktion::Speichern;
    if (speichern_(*this)) {
      geaendert_ = false;
      return Reaktion::Speichern;
    }
  }
  return Reaktion::Weiter;
}

Reaktion TEntryForm::befehl(std::size_t index) {
  if (index >= befehle_.size() || !befehle_[index].aktion) return Reaktion::Weiter;
  // Copy: a command may add or replace commands while it runs.
  auto aktion = befehle_[index].aktion;
  Reaktion r = aktion(*this);
  if (r == Reaktion::Speichern) geaendert_ = false;
  return r;
}

bool TEntryForm::zelle_setzen(int zeile, int spalte, const std::string& text) {
  if (!tabelle_ || !tabelle_->setzen) return false;
  if (!tabelle_->setzen(zeile, spalte, text)) return false;
  geaendert_ = true;
  return true;
}

Reaktion TEntryForm::schliessen() {
  if (!geaendert_ || !frage_speichern_) return Reaktion::Abbrechen;
  if (!ui().JaNein2("Sollen die Änderungen gespeichert werden?")) return Reaktion::Abbrechen;
  return taste(Taste::Esc);
}

}  // namespace fibu
