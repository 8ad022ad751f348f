#include "vat/zusammenfassende_meldung.h"

#include <map>

#include "frame/mandant.h"
#include "frame/tffibu.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "vat/auslandskonten.h"
#include "vat/eg_journal.h"
#include "vat/steueranmeldung.h"

namespace fibu {
namespace {

using B = BasisFelder;
using F = BuchungFelder;

constexpr int breite = 79;
constexpr int nummernspalte = 28, betragsspalte = 14;

std::string euro(Betrag cent) {
  return format_maske(cent / 100, 0, "##############");
}

// An invoice or credit note counts with the side it was booked on: a debit
// raises the customer's sum, a credit lowers it. (Weighing a credit note's
// side once more by its type would count a credit note as an invoice.)
Betrag beitrag(const Satz& s) {
  const Betrag brutto = s.get(F::Betrag) + s.get(F::Steuerbetrag);
  return s.u8(F::SollHaben) == 'S' ? brutto : -brutto;
}

bool rechnung_oder_gutschrift(const Satz& s) {
  const auto art = s.u8(F::Buchungsart);
  return art == 'R' || art == 'G';
}

}  // namespace

ZmAuswahl zm_vorgabe(const Mandant& m) {
  ZmAuswahl a;
  const int anzahl = m.basis.get(B::AnzahlPerioden), jetzt = m.basis.get(B::AktuellePeriode);
  if (anzahl == 12) {
    const bool gueltig = jetzt >= 1 && jetzt <= 12;
    a.periode_von = gueltig ? (jetzt - 1) / 3 * 3 + 1 : 1;
    a.periode_bis = gueltig ? a.periode_von + 2 : 12;
  } else if (jetzt >= 1 && jetzt <= anzahl) {
    a.periode_von = a.periode_bis = jetzt;
  } else {
    a.periode_von = 1;
    a.periode_bis = std::max(anzahl, 1);
  }
  a.dateiname = zm_dateiname(m, a.periode_von, a.periode_bis);
  return a;
}

std::string zm_dateiname(const Mandant& m, int von, int bis) {
  const auto zwei = [](int p) { return (p < 10 ? "0" : "") + std::to_string(p); };
  return "ZM_" + std::to_string(m.jahr()) + "_" + zwei(von) + "-" + zwei(bis) + ".CSV";
}

std::optional<std::vector<ZmZeile>> zm_berechnen(Mandant& m, int von, int bis) {
  const Datum anfang = m.basis.get(B::periode_von(von)), ende = m.basis.get(B::periode_bis(bis));
  // Two accounts with the same id are one customer for the tax office.
  std::vector<std::pair<std::string, Betrag>> summen;
  std::map<std::string, std::size_t> stelle;
  bool lesefehler = false;
  const bool fertig = auslandskonten_besuchen(
      m, m.basis.get(B::DebitorVon), m.basis.get(B::DebitorBis), [&](const Auslandskonto& k) {
        if (!ist_debitor(m.basis, k.nummer)) return true;
        Betrag summe = 0;
        const long n = m.buchung->buchungen_des_kontos(
            k.wert, anfang, ende, [&](std::uint32_t, const Satz& s) {
              if (kontowert(s.get(F::Konto)) == k.wert && rechnung_oder_gutschrift(s))
                summe += beitrag(s);
              return true;
            });
        if (n < 0) {
          lesefehler = true;
          return false;
        }
        auto [it, neu] = stelle.try_emplace(k.egid, summen.size());
        if (neu) summen.emplace_back(k.egid, 0);
        summen[it->second].second += summe;
        return true;
      });
  if (lesefehler)
    m.ui().ShowMessageMain("Die Buchungsdatei BUCHUNG.DA1 kann nicht gelesen werden!");
  if (!fertig) return std::nullopt;
  std::vector<ZmZeile> zeilen;
  for (const auto& [egid, summe] : summen) {
    // Whole currency units, cut towards zero.
    const Betrag ganz = summe / 100 * 100;
    if (ganz == 0) continue;
    zeilen.push_back({kopy(egid, 1, 2), kopy(egid, 3, 18), ganz});
  }
  return zeilen;
}

std::string zm_csv(const std::vector<ZmZeile>& zeilen, Leistungsart art) {
  // The version of the portal's import, then the names of the columns.
  std::string aus = "#v3.0\r\nUSt-IdNr.,Betrag (EUR),Art der Leistung\r\n";
  for (const ZmZeile& z : zeilen)
    aus += z.land + z.nummer + "," + std::to_string(z.betrag / 100) + "," +
           static_cast<char>(art) + "\r\n";
  return aus;
}

bool zusammenfassende_meldung(Mandant& m, const ZmAuswahl& a) {
  Interaktion& ui = m.ui();
  Ausgabe3 d(ui);
  Seitenkopf kopf = seitenkopf(m, "Zusammenfassende Meldung", breite);
  kopf.untertitel = "Zeitraum: " + zeitraumtext(m, a.periode_von, a.periode_bis);
  const auto seitenanfang = [&kopf](Ausgabe3& x) {
    drucke_seitenkopf(x, kopf);
    x.druckeln("Länderkz./Ust.-IdNr.  Summe Bemessungsgrundlage");
    x.druckeln();
  };
  if (!d.open_drucker("Zusammenfassende Meldung")) return false;
  const auto zeilen = zm_berechnen(m, a.periode_von, a.periode_bis);
  if (!zeilen) return false;
  d.kopf_bei_umbruch(seitenanfang);
  seitenanfang(d);
  Betrag summe = 0;
  for (const ZmZeile& z : *zeilen) {
    d.druckeln(z.land + "   " + padcut(z.nummer, nummernspalte) + euro(z.betrag));
    summe += z.betrag;
  }
  if (summe != 0) {
    d.druckeln(std::string(5 + nummernspalte + betragsspalte, '-'));
    d.druckeln(space(5 + nummernspalte) + euro(summe));
  }
  d.close_drucker();
  if (!a.datei) return true;

  if (zeilen->empty()) {
    ui.ShowMessageMain(
        "Im gewählten Zeitraum gibt es nichts zu melden, es wurde keine Datei für das "
        "BZSt-Online-Portal geschrieben.");
    return true;
  }
  const std::string name = trim(a.dateiname);
  const std::string pfad =
      name.find('/') == std::string::npos ? pfad_verbinden(m.daten_verzeichnis(), name) : name;
  if (!m.fs().schreibe_datei_atomar(pfad, zm_csv(*zeilen, a.art))) {
    ui.ShowMessageMain("Die Datei " + pfad + " konnte nicht geschrieben werden!");
    return false;
  }
  ui.ShowMessageMain("Die Datei für das BZSt-Online-Portal ist geschrieben:\r" + pfad);
  return true;
}

namespace {
enum Feld { aktuell = 1, von, bis, datei, art, dateiname };
}

TFZusammenfassendeMeldung::TFZusammenfassendeMeldung(Mandant& m)
    : m_(m), form_("Zusammenfassende Meldung") {
  const ZmAuswahl v = zm_vorgabe(m);
  const auto anzahl = static_cast<std::uint8_t>(m.basis.get(B::AnzahlPerioden));
  form_.Erklaerung(
      "Es werden nur Rechnungs-/Gutschrifts-Buchungen von Debitoren ohne Berücksichtigung der "
      "Eröffnungs- buchungen berücksichtigt!");
  form_.AddByte(aktuell, "Aktuelle Periode", m.basis.get(B::AktuellePeriode));
  form_.ProtectControl(aktuell);
  form_.AddByte(von, "Perioden", static_cast<std::uint8_t>(v.periode_von), 1, anzahl);
  form_.AddByte(bis, "bis", static_cast<std::uint8_t>(v.periode_bis), 1, anzahl);
  form_.AddYesNo(datei, "Datei für BZSt-Online-Portal", v.datei);
  form_.AddChoice(
      art, "Art der Leistung",
      {"L Innergemeinschaftliche Lieferung", "S Sonstige Leistung", "D Dreiecksgeschäft"}, 0);
  form_.AddString(dateiname, "Dateiname", v.dateiname, 60);
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Drucken");
  // The file is named after the periods until the user names it himself.
  form_.beim_verlassen([this](TEntryForm& f, int nr) {
    if (nr == von || nr == bis) {
      const int a = static_cast<int>(f.zahl(von)), b = static_cast<int>(f.zahl(bis));
      if (a >= 1 && b >= 1) f.setze_text(dateiname, zm_dateiname(m_, a, b));
    }
    return true;
  });
  form_.beim_speichern([](TEntryForm& f) {
    if (f.zahl(von) > f.zahl(bis)) {
      f.ui().ShowMessageMain("Die Von-Periode ist größer als die Bis-Periode!");
      return false;
    }
    if (f.ja(datei) && trim(f.text(dateiname)).empty()) {
      f.ui().ShowMessageMain("Bitte geben Sie einen Dateinamen an!");
      return false;
    }
    return true;
  });
}

bool TFZusammenfassendeMeldung::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  ZmAuswahl a;
  a.periode_von = static_cast<int>(form_.zahl(von));
  a.periode_bis = static_cast<int>(form_.zahl(bis));
  a.datei = form_.ja(datei);
  static constexpr Leistungsart arten[] = {Leistungsart::Lieferung, Leistungsart::SonstigeLeistung,
                                           Leistungsart::Dreieck};
  a.art = arten[form_.auswahl(art)];
  a.dateiname = form_.text(dateiname);
  return zusammenfassende_meldung(m_, a);
}

void euro_auswertungen_registrieren(TFFibu& fibu) {
  fibu.registriere_pruefend(
      351, [&fibu] { return TFZusammenfassendeMeldung(fibu.mandant()).ausfuehren(); });
  fibu.registriere_pruefend(353, [&fibu] { return TFEGJournal(fibu.mandant()).ausfuehren(); });
}

}  // namespace fibu
