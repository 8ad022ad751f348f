#include "posting/buchungsdialoge.h"

#include <algorithm>

#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/betrag.h"

namespace fibu {

using F = BuchungFelder;

std::optional<std::string> konto_auswaehlen(Mandant& m, bool personen, int key_nr, std::string key) {
  using P = PersonenFelder;
  using S = SachFelder;
  if (personen) {
    Zeilenbauer zeile = [](const Satz& s) {
      return trim(s.get(P::Kontonr)) + "  " + padcut(trim(s.get(P::Suchname)), 18) + "  " +
             trim(s.get(P::Name));
    };
    if (!m.personen->auswahl(key_nr, "Liste der Personenkonten", key, zeile)) return std::nullopt;
    return trim(m.personen->satz().get(P::Kontonr));
  }
  Zeilenbauer zeile = [](const Satz& s) {
    return trim(s.get(S::Kontonummer)) + "  " + padcut(trim(s.get(S::Suchname)), 18) + "  " +
           trim(s.get(S::Bezeichnung1));
  };
  if (!m.sach->auswahl(key_nr, "Liste der Sachkonten", key, zeile)) return std::nullopt;
  return trim(m.sach->satz().get(S::Kontonummer));
}

TFBuchungSpringen::TFBuchungSpringen(Mandant& m, std::int64_t zeile, std::int64_t hoechste)
    : m_(m), form_("Springen") {
  const auto max = static_cast<std::int32_t>(std::max<std::int64_t>(1, hoechste));
  form_.AddLongInt(1, "Zeile", static_cast<std::int32_t>(std::clamp<std::int64_t>(zeile, 1, max)), 1, max);
  form_.FrageDatenSpeichern(false);
}

std::optional<std::int64_t> TFBuchungSpringen::ausfuehren() {
  if (!form_.Execute(m_.ui())) return std::nullopt;
  return form_.zahl(1);
}

TFBuchungEroeffnung::TFBuchungEroeffnung(Mandant& m, int art) : m_(m), form_("Eröffnungsbuchung") {
  form_.AddChoice(1, "Eröffnungsart", {"Rechnung", "Gutschrift", "Zahlung"}, art >= 0 && art <= 2 ? art : 0);
  form_.FrageDatenSpeichern(false);
}

std::optional<int> TFBuchungEroeffnung::ausfuehren() {
  if (!form_.Execute(m_.ui())) return std::nullopt;
  return form_.auswahl(1);
}

TFBuchungsText::TFBuchungsText(Mandant& m, Satz& b) : m_(m), b_(b), form_("Buchungstext") {
  form_.AddString(1, "Text1", trim(b.get(F::Text1)), 50);
  form_.AddString(2, "Text2", trim(b.get(F::Text2)), 50);
  form_.FrageDatenSpeichern(false);
}

bool TFBuchungsText::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  b_.set(F::Text1, form_.text(1));
  b_.set(F::Text2, form_.text(2));
  return true;
}

TFWaehrung::TFWaehrung(Mandant& m, Satz& b) : m_(m), b_(b), form_("Fremdwährung erfassen") {
  const Betrag fremd = b.get(F::Fremdwaehrung) ? b.get(F::Fremdbetrag) : 0;
  form_.AddComp(1, "Fremdwährungsbetrag", fremd);
  form_.AddComp(2, "Basiswährungsbetrag", basisbetrag(fremd));
  form_.AddString(3, "Einheit", m.euro() ? "EUR" : "DM", 3);
  form_.ProtectControl(2);
  form_.ProtectControl(3);
  form_.beim_verlassen([this](TEntryForm& f, int nr) {
    if (nr == 1) f.setze_zahl(2, basisbetrag(f.zahl(1)));
    return true;
  });
  form_.FrageDatenSpeichern(false);
}

// The other currency is the one the fixed conversion rate links with the
// client's: Deutsche Mark for a client in Euro and the other way round.
Betrag TFWaehrung::basisbetrag(Betrag fremd) const { return m_.euro() ? dm2euro(fremd) : euro2dm(fremd); }

bool TFWaehrung::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  const Betrag fremd = form_.zahl(1);
  if (fremd == 0) {
    if (b_.get(F::Fremdwaehrung)) {
      m_.ui().ShowMessageMain("Fremdwährungsbuchung auf Standardbuchung umgestellt!");
      b_.set(F::Fremdwaehrung, false);
      b_.set(F::Fremdbetrag, Betrag{0});
    }
    return true;
  }
  b_.set(F::Fremdwaehrung, true);
  b_.set(F::Fremdbetrag, fremd);
  b_.set(F::Betrag, basisbetrag(fremd));
  b_.set(F::Steuerbetrag, Betrag{0});
  return true;
}

TFBuchungBelegdatum::TFBuchungBelegdatum(Mandant& m, Satz& b)
    : m_(m), b_(b), form_("Belegdatum der Buchung eingeben") {
  form_.AddDate(1, "Belegdatum", b.get(F::Belegdatum));
  form_.AddString(2, "Fremdbelegnummer", trim(b.get(F::Fremdbelegnr)), 20);
  form_.AddDate(3, "Fälligkeitsdatum", b.get(F::Faelligdatum));
  form_.FrageDatenSpeichern(false);
}

bool TFBuchungBelegdatum::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  b_.set(F::Belegdatum, form_.datum(1));
  b_.set(F::Fremdbelegnr, form_.text(2));
  b_.set(F::Faelligdatum, form_.datum(3));
  return true;
}

TFBelegsuche::TFBelegsuche(Mandant& m) : m_(m), form_("Belegsuche") {
  form_.AddString(1, "Belegnummer", "", 20);
  form_.AddLongInt(2, "Konto", 0, 0, 99999999);
  form_.AddComp(3, "Betrag", 0);
  form_.AddString(4, "Gefunden", "", 60);
  form_.ProtectControl(4);
  form_.AddKey(Taste::F2, "&Suchen", [this](TEntryForm&) { return suchen(1, true); });
  form_.AddKey(Taste::F3, "&Weiter", [this](TEntryForm&) {
    if (!gefunden_) {
      m_.ui().ShowMessageMain("Bitte zuerst eine Buchung suchen!");
      return Reaktion::Weiter;
    }
    return suchen(gefunden_ + 1, true);
  });
  form_.AddKey(Taste::F4, "&Zurück", [this](TEntryForm&) {
    if (!gefunden_) {
      m_.ui().ShowMessageMain("Bitte zuerst eine Buchung suchen!");
      return Reaktion::Weiter;
    }
    return suchen(gefunden_ - 1, false);
  });
  form_.FrageDatenSpeichern(false);
}

bool TFBelegsuche::passt(const Satz& b) const {
  const std::string beleg = trim(form_.text(1));
  if (!beleg.empty() && trim(b.get(F::Belegnr)) != beleg) return false;
  if (form_.zahl(2) != 0 && kontowert(b.get(F::Konto)) != form_.zahl(2)) return false;
  const Betrag betrag = form_.zahl(3);
  // The amount as typed on the screen: the gross one.
  if (betrag != 0 && b.get(F::Betrag) + b.get(F::Steuerbetrag) != betrag) return false;
  return true;
}

Reaktion TFBelegsuche::suchen(std::int64_t ab, bool vorwaerts) {
  Interaktion& ui = m_.ui();
  if (trim(form_.text(1)).empty() && form_.zahl(2) == 0 && form_.zahl(3) == 0) {
    ui.ShowMessageMain("Bitte Suchkriterium eingeben!");
    return Reaktion::Weiter;
  }
  auto& bu = *m_.buchung;
  std::int64_t treffer = 0;
  const bool gelesen =
      vorwaerts ? bu.buchungen_lesen(ab, bu.anzahl_buchungen(),
                                     [&](std::int64_t n, const Satz& b) {
                                       if (bu.satz_ist_leer(b) || !passt(b)) return true;
                                       treffer = n;
                                       return false;
                                     })
                : bu.buchungen_lesen(1, ab, [&](std::int64_t n, const Satz& b) {
                    if (!bu.satz_ist_leer(b) && passt(b)) treffer = n;
                    return true;
                  });
  // An unreadable file has shown its message: no hit is claimed.
  if (!gelesen) return Reaktion::Weiter;
  if (!treffer) {
    ui.ShowMessageMain(ab == 1 && vorwaerts ? "Keine Buchungen gefunden!"
                       : vorwaerts          ? "Keine weiteren Buchungen!"
                                            : "Keine vorigen Buchungen!");
    return Reaktion::Weiter;
  }
  gefunden_ = treffer;
  Satz b(F::groesse);
  if (!bu.buchung_lesen_in(treffer, b)) return Reaktion::Weiter;  // found just now
  form_.setze_text(4, "Zeile " + std::to_string(treffer) + ": " + trim(b.get(F::Konto)) + " " +
                          trim(b.get(F::Belegnr)) + " " + DateToDateString("dd.mm.yyyy", b.get(F::Datum)) +
                          " " + betrag_text(b.get(F::Betrag) + b.get(F::Steuerbetrag)) + " " +
                          trim(b.get(F::Text1)));
  return Reaktion::Weiter;
}

std::optional<std::int64_t> TFBelegsuche::ausfuehren() {
  if (!form_.Execute(m_.ui()) || !gefunden_) return std::nullopt;
  return gefunden_;
}

}  // namespace fibu
