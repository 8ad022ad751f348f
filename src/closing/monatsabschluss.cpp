#include "closing/monatsabschluss.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "closing/buchungspruefung.h"
#include "isam/isam.h"
#include "reports/journal.h"
#include "store/umbaulauf.h"
#include "suite/allgemei.h"

namespace fibu {

namespace {

using B = BuchungFelder;
using BF = BasisFelder;

constexpr std::size_t satzgroesse = B::groesse;
constexpr const char* indexname = "BUCHNEU";  // the new booking index while it is built

// Writes booking records one after the other into a new file, in blocks.
class Satzschreiber {
 public:
  Satzschreiber(Dateisystem& fs, const std::string& pfad) {
    fehler_ = fs.oeffnen(pfad, Oeffnen::Neu, datei_);
  }
  void anhaengen(Satz s, std::int64_t nummer) {
    s.set(B::Index, static_cast<std::int32_t>(nummer));
    puffer_ += s.bytes();
    if (puffer_.size() >= 512 * satzgroesse) leeren();
  }
  // Flushes and syncs; the first error of the file.
  Ergebnis ende() {
    leeren();
    if (fehler_ && datei_) fehler_ = datei_->sync();
    return fehler_;
  }

 private:
  void leeren() {
    if (!fehler_ || puffer_.empty()) return;
    fehler_ = datei_->schreiben(pos_, puffer_);
    pos_ += puffer_.size();
    puffer_.clear();
  }
  std::unique_ptr<Datei> datei_;
  Ergebnis fehler_;
  std::uint64_t pos_ = 0;
  std::string puffer_;
};

Ergebnis satz_schreiben(Dateisystem& fs, const std::string& pfad, const Satz& s) {
  std::unique_ptr<Datei> d;
  if (Ergebnis e = fs.oeffnen(pfad, Oeffnen::Neu, d); !e) return e;
  if (Ergebnis e = d->schreiben(0, s.bytes()); !e) return e;
  return d->sync();
}

// The files of the booking index (data and index file of the keyed file).
std::vector<std::string> indexdateien(Mandant& m, const std::string& name) {
  auto& v = m.verzeichnis();
  return {name + "." + v.DatExtension, name + "." + v.IxExtension};
}

// Builds the new booking index from the new booking file.
Ergebnis index_bauen(Mandant& m, const std::string& buchungsdatei) {
  isam::Festsatzdatei quelle(m.verzeichnis());
  if (!quelle.oeffnen(buchungsdatei, satzgroesse, false))
    return Ergebnis::fehler(Ergebnis::Code::EA_Fehler,
                            "Die Datei " + buchungsdatei + " kann nicht gelesen werden!");
  const int f = m.buchung->index_aufbauen(indexname, quelle);
  quelle.schliessen();
  if (f != isam::isam_ok)
    return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Fehler " + std::to_string(f) +
                                                           " beim Aufbau des Buchungsindex:\r" +
                                                           isam::isam_fehlertext(f));
  return Ergebnis::erfolg();
}

const char* abbruch_text = "Abgebrochen: es wurde nichts geändert.";

}  // namespace

bool monatsabschluss_ausfuehren(Mandant& m) {
  Interaktion& ui = m.ui();
  Dateisystem& fs = m.fs();
  const int p = m.basis.get(BF::AktuellePeriode);
  const std::int64_t a = m.archivanzahl;
  auto& bu = *m.buchung;
  const Gesamtsicht gesamt(bu);

  // Which bookings are archived: the printed (locked) ones of this period
  // and of earlier ones, by date and then former number.
  std::vector<std::pair<Datum, std::int64_t>> archiv;
  ui.Balken_Oeffnen("Sortieren der Buchungen ...", static_cast<long>(bu.anzahl_buchungen()));
  bool abgebrochen = false;
  const bool gelesen =
      bu.buchungen_lesen(a + 1, bu.anzahl_buchungen(), [&](std::int64_t n, const Satz& b) {
        ui.Balken_Inc();
        if (ui.EscPressed()) {
          abgebrochen = true;
          return false;
        }
        if (!bu.satz_ist_leer(b) && b.get(B::Gesperrt) && b.get(B::Periode) <= p)
          archiv.emplace_back(b.get(B::Datum), n);
        return true;
      });
  ui.Balken_Schliessen();
  if (!gelesen) {
    ui.ShowMessageMain("Die Buchungsdatei kann nicht gelesen werden!");
    return false;
  }
  if (abgebrochen) {
    ui.ShowMessageMain(abbruch_text);
    return false;
  }
  std::sort(archiv.begin(), archiv.end());

  Umbaulauf lauf(fs, m.daten_verzeichnis());
  std::vector<std::pair<std::string, std::string>> ersetzen = {{"ARCHIV.DAT", "ARCHIV.NEU"},
                                                               {"BUCHUNG.DA1", "UMBAU.DAT"},
                                                               {"BASIS.PAR", "BASIS.NEU"},
                                                               {"JOURNAL.PAR", "JOURNAL.NEU"}};
  const auto alt = indexdateien(m, "BUCHUNG"), neu = indexdateien(m, indexname);
  for (std::size_t i = 0; i < alt.size(); ++i) ersetzen.emplace_back(alt[i], neu[i]);
  if (Ergebnis e = lauf.beginnen("Der Monatsabschluß", ersetzen); !e) {
    ui.ShowMessageMain(e.text());
    return false;
  }

  // The archive: what was archived before (the front of the booking file)
  // and now the bookings of this period; the booking file: the archive
  // followed by every other booking, renumbered.
  ui.Balken_Oeffnen("Archivieren der Buchungen ...", static_cast<long>(archiv.size()));
  Satzschreiber archivdatei(fs, lauf.pfad("ARCHIV.NEU")), umbau(fs, lauf.pfad("UMBAU.DAT"));
  std::int64_t nr = 0;
  Satz b(satzgroesse);
  bool ok = bu.buchungen_lesen(1, a, [&](std::int64_t, const Satz& s) {
    ++nr;
    archivdatei.anhaengen(s, nr);
    umbau.anhaengen(s, nr);
    return true;
  });
  for (const auto& [datum, n] : archiv) {
    if (!ok) break;
    ui.Balken_Inc();
    ok = bu.buchung_lesen_in(n, b);
    ++nr;
    archivdatei.anhaengen(b, nr);
    umbau.anhaengen(b, nr);
  }
  ui.Balken_Schliessen();
  const std::int64_t neues_a = nr;
  ui.Balken_Oeffnen("Umbau der Buchungen ...", static_cast<long>(bu.anzahl_buchungen()));
  std::vector<std::int64_t> archiviert;
  archiviert.reserve(archiv.size());
  for (const auto& eintrag : archiv) archiviert.push_back(eintrag.second);
  std::sort(archiviert.begin(), archiviert.end());
  if (ok)
    ok = bu.buchungen_lesen(a + 1, bu.anzahl_buchungen(), [&](std::int64_t n, const Satz& s) {
      ui.Balken_Inc();
      if (ui.EscPressed()) {
        abgebrochen = true;
        return false;
      }
      if (bu.satz_ist_leer(s) || std::binary_search(archiviert.begin(), archiviert.end(), n))
        return true;
      umbau.anhaengen(s, ++nr);
      return true;
    });
  ui.Balken_Schliessen();
  Ergebnis e = archivdatei.ende();
  if (e) e = umbau.ende();
  if (e && !ok)
    e = Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Die Buchungsdatei kann nicht gelesen werden!");
  if (e && !abgebrochen) e = index_bauen(m, "UMBAU.DAT");
  // The base data and the archive count as they are after the run.
  if (e && !abgebrochen) {
    Satz basis = m.basis;
    basis.set(BF::periode_status(p), std::uint8_t{3});
    basis.set(BF::AktuellePeriode, static_cast<std::uint8_t>(p + 1));
    Satz journal(JournalFelder::groesse);
    journal.set(JournalFelder::Archivanzahl, static_cast<std::int32_t>(neues_a));
    e = satz_schreiben(fs, lauf.pfad("BASIS.NEU"), basis);
    if (e) e = satz_schreiben(fs, lauf.pfad("JOURNAL.NEU"), journal);
  }
  if (abgebrochen) {
    lauf.verwerfen();
    ui.ShowMessageMain(abbruch_text);
    return false;
  }
  if (!e) {
    lauf.verwerfen();
    ui.ShowMessageMain(e.text());
    return false;
  }
  return m.umbau_umschalten(lauf);
}

bool monatsabschluss(Mandant& m) {
  Interaktion& ui = m.ui();
  const int p = m.basis.get(BF::AktuellePeriode);
  if (p < 1 || p > 12 || m.basis.get(BF::periode_status(p)) != 2) {
    ui.ShowMessageMain("Bitte zuerst Buchungsjournal drucken!");
    return false;
  }
  if (!ui.JaNein2("Wollen Sie den Monatsabschluß wirklich durchführen?")) return false;
  if (p > 1 && !m.fs().finde_datei(m.daten_verzeichnis(), "ARCHIV.DAT")) {
    ui.ShowMessageMain(
        "Die Archivdatei wurde nicht gefunden!\rEin Monatsabschluß ist nicht möglich.");
    return false;
  }
  return monatsabschluss_ausfuehren(m);
}

bool monatsabschluss_alle(Mandant& m) {
  Interaktion& ui = m.ui();
  if (m.basis.get(BF::AktuellePeriode) != 1) {
    ui.ShowMessageMain(
        "Diese Funktion ist nur möglich, solange noch keine Periode abgeschlossen ist!");
    return false;
  }
  if (!ui.JaNein2("Diese Funktion druckt für ALLE nicht abgeschlossenen Perioden das Journal und "
                  "schließt diese ab!\r\rWollen Sie weitermachen?") ||
      !ui.JaNein2("Haben Sie eine aktuelle Datensicherung?"))
    return false;
  if (ui.JaNein2(
          "Wollen Sie jetzt eine einmalige Buchungsprüfung über alle Perioden durchführen?") &&
      !buchungspruefung(m, 0)) {
    ui.ShowMessageMain(
        "Die Buchungsprüfung war nicht erfolgreich!\rDie Funktion wird abgebrochen.");
    return false;
  }
  const int anzahl = std::clamp<int>(m.basis.get(BF::AnzahlPerioden), 1, 12);
  for (int p = m.basis.get(BF::AktuellePeriode); p <= anzahl;
       p = m.basis.get(BF::AktuellePeriode)) {
    const int status = m.basis.get(BF::periode_status(p));
    if (!buchungsjournal_drucken(m, {p, status != 2 && status != 3})) return false;
    if (!monatsabschluss_ausfuehren(m)) return false;
  }
  return true;
}

bool monatsabschluesse_rueckgaengig(Mandant& m) {
  Interaktion& ui = m.ui();
  Dateisystem& fs = m.fs();
  if (m.basis.get(BF::AktuellePeriode) <= 1) {
    ui.ShowMessageMain("Es sind keine Perioden abgeschlossen!");
    return false;
  }
  if (!ui.JaNein2("Haben Sie eine Datensicherung des aktuellen Standes?") ||
      !ui.JaNein2("Wollen Sie wirklich alle Monatsabschlüsse rückgängig machen?"))
    return false;
  const char* fehler =
      "Es ist ein Fehler während der Umstellung aufgetreten, bitte sichern Sie die Fibu-Daten von "
      "einer aktuellen Datensicherung wieder zurück!";
  auto& bu = *m.buchung;
  std::optional<Gesamtsicht> gesamt(std::in_place, bu);
  Umbaulauf lauf(fs, m.daten_verzeichnis());
  if (!lauf.beginnen("Das Rückgängigmachen der Monatsabschlüsse",
                     {{"BUCHUNG.DA1", "UMBAU.DAT"}, {"BASIS.PAR", "BASIS.NEU"}},
                     {"ARCHIV.DAT", "JOURNAL.PAR"})) {
    ui.ShowMessageMain(fehler);
    return false;
  }
  // Every booking stays where it is, its lock cleared: the archive part
  // is then simply the first bookings of the year.
  ui.Balken_Oeffnen("Bitte warten ...", static_cast<long>(bu.anzahl_buchungen()));
  Satzschreiber umbau(fs, lauf.pfad("UMBAU.DAT"));
  const bool ok = bu.buchungen_lesen(1, bu.anzahl_buchungen(), [&](std::int64_t n, const Satz& s) {
    ui.Balken_Inc();
    Satz b = s;
    b.set(B::Gesperrt, false);
    umbau.anhaengen(std::move(b), n);
    return true;
  });
  ui.Balken_Schliessen();
  gesamt.reset();
  Ergebnis e = umbau.ende();
  if (e && ok) {
    Satz basis = m.basis;
    for (int p = 1; p <= 12; ++p) {
      const int status = basis.get(BF::periode_status(p));
      if (status == 2 || status == 3) basis.set(BF::periode_status(p), std::uint8_t{1});
    }
    basis.set(BF::AktuellePeriode, std::uint8_t{1});
    e = satz_schreiben(fs, lauf.pfad("BASIS.NEU"), basis);
  }
  if (!e || !ok) {
    lauf.verwerfen();
    ui.ShowMessageMain(fehler);
    return false;
  }
  if (!m.umbau_umschalten(lauf)) {
    ui.ShowMessageMain(fehler);
    return false;
  }
  return true;
}

}  // namespace fibu
