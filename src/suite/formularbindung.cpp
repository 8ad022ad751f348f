#include "suite/formularbindung.h"

#include <algorithm>

#include "suite/allgemei.h"

namespace fibu {

Formularbindung& Formularbindung::neu(Eintrag e) {
  eintraege_.push_back(std::move(e));
  return *this;
}

Formularbindung::Eintrag Formularbindung::kopf(int nr, std::string beschriftung, Feldart art) {
  Eintrag e;
  e.nr = nr;
  e.beschriftung = std::move(beschriftung);
  e.art = art;
  return e;
}

Formularbindung& Formularbindung::text(int nr, std::string beschriftung, TextFeld feld,
                                       int laenge) {
  Eintrag e = kopf(nr, std::move(beschriftung), Feldart::Text);
  e.textfeld = feld;
  e.laenge = laenge > 0 ? laenge : static_cast<int>(feld.kapazitaet);
  return neu(std::move(e));
}

Formularbindung& Formularbindung::byte(int nr, std::string beschriftung,
                                       ZahlFeld<std::uint8_t> feld, std::uint8_t min,
                                       std::uint8_t max) {
  return ganzzahl(nr, std::move(beschriftung), feld, Feldart::Byte, min, max);
}

Formularbindung& Formularbindung::word(int nr, std::string beschriftung,
                                       ZahlFeld<std::uint16_t> feld, std::uint16_t min,
                                       std::uint16_t max) {
  return ganzzahl(nr, std::move(beschriftung), feld, Feldart::Word, min, max);
}

Formularbindung& Formularbindung::longint(int nr, std::string beschriftung,
                                          ZahlFeld<std::int32_t> feld, std::int32_t min,
                                          std::int32_t max) {
  return ganzzahl(nr, std::move(beschriftung), feld, Feldart::LongInt, min, max);
}

Formularbindung& Formularbindung::betrag(int nr, std::string beschriftung,
                                         ZahlFeld<std::int64_t> feld, std::string maske,
                                         int nachkomma) {
  Eintrag e = zahl_eintrag(nr, std::move(beschriftung), feld, Feldart::Comp);
  e.maske = std::move(maske);
  e.nachkomma = nachkomma;
  return neu(std::move(e));
}

Formularbindung& Formularbindung::datum(int nr, std::string beschriftung, DatumFeld feld) {
  Eintrag e = kopf(nr, std::move(beschriftung), Feldart::Kalenderdatum);
  e.lesen = [feld](const Satz& s) { return static_cast<std::int64_t>(s.get(feld)); };
  e.schreiben = [feld](Satz& s, std::int64_t v) { s.set(feld, static_cast<Datum>(v)); };
  return neu(std::move(e));
}

Formularbindung& Formularbindung::janein(int nr, std::string beschriftung, JaNeinFeld feld) {
  Eintrag e = kopf(nr, std::move(beschriftung), Feldart::JaNein);
  e.lesen = [feld](const Satz& s) { return static_cast<std::int64_t>(s.get(feld)); };
  e.schreiben = [feld](Satz& s, std::int64_t v) { s.set(feld, v != 0); };
  return neu(std::move(e));
}

Formularbindung& Formularbindung::eigenes(std::function<void(TEntryForm&)> anlegen) {
  Eintrag e;
  e.eigenes = std::move(anlegen);
  return neu(std::move(e));
}

Formularbindung& Formularbindung::nur_anzeige() {
  eintraege_.back().nur_anzeige = true;
  return *this;
}

Formularbindung& Formularbindung::geschuetzt() {
  eintraege_.back().geschuetzt = true;
  return *this;
}

Formularbindung& Formularbindung::getrimmt() {
  eintraege_.back().getrimmt = true;
  return *this;
}

std::int64_t Formularbindung::angezeigt(const Eintrag& e, const Satz& satz) const {
  const std::int64_t wert = e.lesen(satz);
  if (e.art != Feldart::Auswahl) return wert;
  return std::clamp<std::int64_t>(wert, 0, static_cast<std::int64_t>(e.auswahl.size()) - 1);
}

void Formularbindung::felder_anlegen(TEntryForm& form, const Satz& satz) const {
  for (const Eintrag& e : eintraege_) {
    if (e.eigenes) {
      e.eigenes(form);
      continue;
    }
    switch (e.art) {
      case Feldart::Text:
        form.AddString(e.nr, e.beschriftung, satz.get(e.textfeld), e.laenge);
        break;
      case Feldart::Byte:
        form.AddByte(e.nr, e.beschriftung, static_cast<std::uint8_t>(e.lesen(satz)),
                     static_cast<std::uint8_t>(e.min), static_cast<std::uint8_t>(e.max));
        break;
      case Feldart::Word:
        form.AddWord(e.nr, e.beschriftung, static_cast<std::uint16_t>(e.lesen(satz)),
                     static_cast<std::uint16_t>(e.min), static_cast<std::uint16_t>(e.max));
        break;
      case Feldart::LongInt:
        form.AddLongInt(e.nr, e.beschriftung, static_cast<std::int32_t>(e.lesen(satz)),
                        static_cast<std::int32_t>(e.min), static_cast<std::int32_t>(e.max));
        break;
      case Feldart::Comp:
        form.AddComp(e.nr, e.beschriftung, e.lesen(satz), e.maske, e.nachkomma);
        break;
      case Feldart::Kalenderdatum:
        form.AddDate(e.nr, e.beschriftung, static_cast<Datum>(e.lesen(satz)));
        break;
      case Feldart::JaNein:
        form.AddYesNo(e.nr, e.beschriftung, e.lesen(satz) != 0);
        break;
      case Feldart::Auswahl:
        form.AddChoice(e.nr, e.beschriftung, e.auswahl, static_cast<int>(angezeigt(e, satz)));
        break;
      case Feldart::Double:
        break;  // no record field holds one
    }
    if (e.nur_anzeige || e.geschuetzt) form.ProtectControl(e.nr);
  }
}

void Formularbindung::zeigen(TEntryForm& form, const Satz& satz) const {
  for (const Eintrag& e : eintraege_) {
    if (e.eigenes) continue;
    if (e.art == Feldart::Text)
      form.setze_text(e.nr, satz.get(e.textfeld));
    else
      form.setze_zahl(e.nr, angezeigt(e, satz));
  }
}

void Formularbindung::uebernehmen(const TEntryForm& form, Satz& satz) const {
  for (const Eintrag& e : eintraege_) {
    if (e.nur_anzeige || e.eigenes) continue;
    if (e.art == Feldart::Text) {
      satz.set(e.textfeld, e.getrimmt ? trim(form.text(e.nr)) : form.text(e.nr));
    } else if (e.art != Feldart::Auswahl || form.auswahl(e.nr) != angezeigt(e, satz)) {
      e.schreiben(satz, form.zahl(e.nr));
    }
  }
}

}  // namespace fibu
