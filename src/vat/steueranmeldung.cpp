#include "vat/steueranmeldung.h"

#include "frame/mandant.h"
#include "frame/tffibu.h"
#include "suite/allgemei.h"
#include "vat/elster.h"
#include "vat/ustjahre.h"

namespace fibu {
namespace {

using B = BasisFelder;

enum Feld { aktuell = 1, von, bis, zeitraum, aufschluesseln, runden, belege };

Datum periodenbeginn(const Mandant& m, int p) {
  return m.basis.get(B::periode_von(p));
}

// The official form up to 2012 and the list of Kennzahlen later take the
// same order: form lines made, printed, the total compared.
bool formular_und_vergleich(Mandant& m, const Anmeldeoptionen& o, const Pruefliste& p,
                            const Formulardrucker& drucker, int periode, Betrag sonder) {
  Interaktion& ui = m.ui();
  const Datum beginn = periodenbeginn(m, periode);
  Formularauftrag auftrag;
  auftrag.monat = monat_von(beginn);
  auftrag.jahr = jahr_von(beginn);
  auftrag.perioden = m.basis.get(B::AnzahlPerioden);
  auftrag.letzte_periode = periode == auftrag.perioden;
  auftrag.sondervorauszahlung = sonder;
  auftrag.belege = o.belege;

  Formularwerte werte = formularwerte_fuellen(ustkonten_lesen(m, periode, periode));
  Betrag erwartet = p.zu_zahlen;
  if (werte.direkt != 0 &&
      ui.JaNein2("Soll die direkt gebuchte Vorsteuer mit in die allgemeine Vorsteuer übernommen "
                 "werden?")) {
    const int zeile = vorsteuerzeile_fuer(auftrag.jahr, drucker.vorsteuerzeile);
    werte.steuer[static_cast<std::size_t>(zeile)] += werte.direkt;
    erwartet += p.summe_direkt;
  }

  bool gedruckt = false;
  if (auftrag.jahr < 2002) {
    ui.ShowMessageMain(
        "Der Druck des amtlichen Formulars vor 2002 ist in dieser Programmversion "
        "nicht enthalten!");
  } else if (auftrag.jahr <= letztes_formularjahr) {
    gedruckt = drucker.drucken && drucker.drucken(m, auftrag, werte);
  } else {
    gedruckt = kennzahlen_drucken(m, auftrag, werte);
  }
  if (gedruckt && werte.summe != erwartet)
    ui.ShowMessageMain(
        "Summe stimmt nicht mit Gesamtsumme aus Druck Steueranmeldung überein!\r"
        "Steueranmeldung: " +
        format_maske(erwartet, 2, "#.##") +
        "\ramtlicher Vordruck: " + format_maske(werte.summe, 2, "#.##"));
  return gedruckt;
}

}  // namespace

Anmeldeoptionen anmeldeoptionen_vorgabe(const Mandant& m) {
  Anmeldeoptionen o;
  const int anzahl = m.basis.get(B::AnzahlPerioden), jetzt = m.basis.get(B::AktuellePeriode);
  o.periode_von = jetzt <= anzahl ? jetzt : 1;
  o.periode_bis = jetzt <= anzahl ? jetzt : anzahl;
  o.zeitraum = zeitraumtext(m, o.periode_von, o.periode_bis);
  return o;
}

std::string zeitraumtext(const Mandant& m, int v, int b) {
  const auto datum = [](Datum d) { return DateToDateString("dd.mm.yyyy", d); };
  const std::string perioden = v == b ? "Periode " + std::to_string(v)
                                      : "Perioden " + std::to_string(v) + " - " + std::to_string(b);
  if (v < 1 || b > 12 || v > b) return perioden;
  return perioden + ": " + datum(periodenbeginn(m, v)) + " - " +
         datum(m.basis.get(B::periode_bis(b)));
}

bool amtliches_formular(Mandant& m, const Anmeldeoptionen& o, const Pruefliste& p,
                        bool windowsdruck, const Formulardrucker& drucker) {
  Interaktion& ui = m.ui();
  if (!windowsdruck) {
    ui.ShowMessageMain(
        "Der Druck auf das amtliche Steuerformular ist nur bei aktiviertem Windowsdruck möglich!");
    return false;
  }
  if (o.periode_von != o.periode_bis) {
    ui.ShowMessageMain(
        "Der Druck auf das amtliche Formular kann nur für eine Periode erfolgen, sie "
        "haben aber mehrere Perioden ausgewählt!");
    return false;
  }
  // A fiscal year that begins on another day than 1 January is not held
  // to the years the program knows.
  const Datum beginn = periodenbeginn(m, 1);
  const bool kalenderjahr = tag_von(beginn) == 1 && monat_von(beginn) == 1;
  if (kalenderjahr && (m.jahr() < erstes_ust_jahr || m.jahr() > letztes_ust_jahr)) {
    ui.ShowMessageMain("Aktuelle Programmversion ist für " + std::to_string(erstes_ust_jahr) +
                       " bis " + std::to_string(letztes_ust_jahr) + "!");
    return false;
  }
  Betrag sonder = 0;
  if (o.periode_von == m.basis.get(B::AnzahlPerioden)) {
    auto s = TFSteuerSonder().ausfuehren(ui);
    if (!s) return false;
    sonder = *s;
  }
  return formular_und_vergleich(m, o, p, drucker, o.periode_von, sonder);
}

TFSteuerSonder::TFSteuerSonder() : form_("Sonderauszahlung") {
  form_.Erklaerung(
      "Sie drucken die Umsatzsteueranmeldung für die letzte Periode des Geschäftsjahres. Bitte "
      "geben Sie den Wert der Sonderauszahlung für die Dauerfristverlängerung ein, damit die "
      "Anmeldung komplett gedruckt werden kann.");
  form_.AddComp(1, "Wert der Sonderauszahlung", 0, "#########.##");
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&OK");
}

std::optional<Betrag> TFSteuerSonder::ausfuehren(Interaktion& ui) {
  if (!form_.Execute(ui)) return std::nullopt;
  return form_.zahl(1);
}

TFSteueranmeldung::TFSteueranmeldung(Mandant& m, bool windowsdruck, Formulardrucker drucker)
    : m_(m),
      windowsdruck_(windowsdruck),
      drucker_(std::move(drucker)),
      form_("Umsatzsteuervoranmeldung") {
  const Anmeldeoptionen o = anmeldeoptionen_vorgabe(m);
  const auto anzahl = static_cast<std::uint8_t>(m.basis.get(B::AnzahlPerioden));
  form_.AddByte(aktuell, "Aktuelle Periode", m.basis.get(B::AktuellePeriode));
  form_.ProtectControl(aktuell);
  form_.AddByte(von, "Perioden", static_cast<std::uint8_t>(o.periode_von), 1, anzahl);
  form_.AddByte(bis, "bis", static_cast<std::uint8_t>(o.periode_bis), 1, anzahl);
  form_.AddString(zeitraum, "Zeitraum", o.zeitraum, 40);
  form_.ProtectControl(zeitraum);
  form_.AddYesNo(aufschluesseln, "Aufschlüsselung Konten pro Steuerschlüssel", o.aufschluesselung);
  form_.AddYesNo(runden, "Umsätze auf volle EU abrunden", o.runden);
  if (m.jahr() > 2005) form_.AddYesNo(belege, "Der Voranmeldung sind Belege beigefügt", false);
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Drucken");
  form_.beim_verlassen([this](TEntryForm& f, int nr) {
    if (nr == von || nr == bis)
      f.setze_text(zeitraum,
                   zeitraumtext(m_, static_cast<int>(f.zahl(von)), static_cast<int>(f.zahl(bis))));
    return true;
  });
  form_.beim_speichern([](TEntryForm& f) {
    if (f.zahl(von) <= f.zahl(bis)) return true;
    f.ui().ShowMessageMain("Die Von-Periode ist größer als die Bis-Periode!");
    return false;
  });
}

bool TFSteueranmeldung::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  Anmeldeoptionen o;
  o.periode_von = static_cast<int>(form_.zahl(von));
  o.periode_bis = static_cast<int>(form_.zahl(bis));
  o.zeitraum = zeitraumtext(m_, o.periode_von, o.periode_bis);
  o.aufschluesselung = form_.ja(aufschluesseln);
  o.runden = form_.ja(runden);
  o.belege = form_.hat_feld(belege) && form_.ja(belege);
  // The figures are compared with the form even when the list itself was
  // not printed (printer cancelled).
  const Pruefliste p =
      pruefliste_berechnen(m_, ustkonten_lesen(m_, o.periode_von, o.periode_bis), o.runden);
  pruefliste_drucken(m_, o, p);
  return amtliches_formular(m_, o, p, windowsdruck_, drucker_);
}

void steueranmeldung_registrieren(TFFibu& fibu) {
  elster_registrieren(fibu);
  fibu.registriere_pruefend(311, [&fibu] {
    return TFSteueranmeldung(fibu.mandant(), fibu.suite().windowsdruck).ausfuehren();
  });
}

}  // namespace fibu
