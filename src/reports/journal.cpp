#include "reports/journal.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "posting/buchen.h"
#include "posting/steuer.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/betrag.h"

namespace fibu {
namespace {

using B = BasisFelder;
using F = BuchungFelder;

// The lines are as wide as the column line; the header frames them.
constexpr int listenbreite = 119;
constexpr const char* spalten_journal =
    " Satznr   Konto Kost A Belegnr Datum      BuchText             Gegenkto         Soll        "
    "Haben"
    " St   St-%      Steuer";
constexpr const char* spalten_pruefjournal =
    " Zeile    Konto Kost A Belegnr Datum      BuchText             Gegenkto         Soll        "
    "Haben"
    " St   St-%      Steuer";
// Where the columns begin: debit, credit, tax key, tax amount.
constexpr int sollspalte = 72, habenspalte = 85, steuerspalte = 98, steuersummenspalte = 108;
constexpr const char* lesefehler = "Die Buchungsdatei BUCHUNG.DA1 kann nicht gelesen werden!";

// Amounts without grouping, so that the totals of a busy period still fit
// their 12 places.
std::string betrag12(Betrag b) {
  return format_maske(b, 2, "#########,##");
}
std::string steuer11(Betrag b) {
  return format_maske(b, 2, "########,##");
}
std::string prozent6(std::int64_t hundertstel) {
  return format_maske(hundertstel, 2, "###,##");
}
std::string datum(Datum d) {
  return DateToDateString("dd.mm.yyyy", d);
}

std::string periodenzeile(const Mandant& m, int p) {
  return "Periode:   " + std::to_string(p) + "  (" + datum(m.basis.get(B::periode_von(p))) + " - " +
         datum(m.basis.get(B::periode_bis(p))) + ")";
}

struct Journalsummen {
  long zeilen = 0;
  Betrag soll = 0, haben = 0, steuer = 0;
};

// The page and the lines of the booking and the check journal.
class Journalblatt {
 public:
  Journalblatt(Mandant& m, const std::string& titel, int periode, const char* spalten)
      : m_(m), d_(m.ui()), spalten_(spalten) {
    kopf_ = seitenkopf(m, titel, listenbreite);
    kopf_.untertitel = periodenzeile(m, periode);
  }

  bool oeffnen(const std::string& name) {
    if (!d_.open_drucker(name)) return false;
    d_.schmal();
    d_.kopf_bei_umbruch([this](Ausgabe3& a) { seitenanfang(a); });
    seitenanfang(d_);
    return true;
  }
  void schliessen() { d_.close_drucker(); }

  // One booking under the number the journal shows for it, with its
  // acquisition-tax and foreign-currency lines.
  void buchung(std::int64_t nummer, const Satz& b) {
    const char art = buchungsart(b);
    const bool soll = ist_soll(b);
    const Betrag betrag = b.get(F::Betrag);
    const std::string konto = trim(b.get(F::Konto));
    std::string z =
        rechtsbuendig(std::to_string(nummer), 6) + " " + padlinks(konto, 8) + " " +
        padlinks(trim(b.get(F::Kost)), 4) + " " + std::string(1, art ? art : ' ') + " " +
        padlinks(trim(b.get(F::Belegnr)), 7) + " " + datum(b.get(F::Datum)) + " " +
        padcut(trim(b.get(F::Text1)), 20) + " " + padlinks(trim(b.get(F::Gegenkonto)), 8) + " " +
        (soll ? betrag12(betrag) + " " + space(12) : space(12) + " " + betrag12(betrag));
    const bool erwerb = ist_sachkonto(m_.basis, konto) && kontenart(kontowert(konto)) == 5;
    const std::string schluessel = trim(b.get(F::Steuerschluessel));
    const bool mit_steuer =
        !schluessel.empty() || b.get(F::Steuersatz) != 0 || b.get(F::Steuerbetrag) != 0;
    if (mit_steuer && !erwerb) {
      const Betrag steuer = b.get(F::GebuchteSteuer);
      z += " " + steuerspalten(schluessel, b.get(F::Steuersatz), steuer);
      s_.steuer += steuer;
    }
    zeile(z);
    ++s_.zeilen;
    (soll ? s_.soll : s_.haben) += betrag;
    if (erwerb) erwerbssteuern(kontowert(konto), b);
    if (b.get(F::Fremdwaehrung) && b.get(F::Fremdbetrag) != 0) {
      // The amount as entered, in the other currency, under the amount.
      const std::string name = m_.euro() ? "DM" : "EURO";
      zeile(padcut(space(41) + " Fremd " + name, soll ? sollspalte - 1 : habenspalte - 1) +
            rechtsbuendig("(" + trim(betrag12(b.get(F::Fremdbetrag))) + ")", 14));
    }
  }

  void summenzeile() {
    zeile(padcut("Gesamtsumme: " + std::to_string(s_.zeilen) + " Buchungszeilen", sollspalte) +
          betrag12(s_.soll) + " " + betrag12(s_.haben) +
          space(steuersummenspalte - habenspalte - 12) + steuer11(s_.steuer));
  }

  const Journalsummen& summen() const { return s_; }

 private:
  void seitenanfang(Ausgabe3& a) {
    drucke_seitenkopf(a, kopf_);
    a.druckeln(spalten_);
    a.druckeln();
  }
  void zeile(const std::string& text) { d_.druckeln(trim_rechts(text)); }

  static std::string steuerspalten(const std::string& schluessel, std::int64_t satz,
                                   Betrag steuer) {
    return padlinks(schluessel, 2) + " " + prozent6(satz) + " " + steuer11(steuer);
  }

  // Kontenart of a GL account; -1 when there is none. Kept per account:
  // a period's bookings reach few accounts many times.
  int kontenart(std::int32_t nummer) {
    auto it = arten_.find(nummer);
    if (it != arten_.end()) return it->second;
    int art = -1;
    if (m_.sach->suchen(m_.sachkonto_text(nummer)))
      art = m_.sach->satz().get(SachFelder::Kontenart);
    arten_.emplace(nummer, art);
    return art;
  }

  // The booking of an intra-EU acquisition carries no tax itself: the
  // engine posts the tax of the account's key on the opposite side and
  // that of key + 1 on the booking's side. Both are shown as posted,
  // credit negative.
  void erwerbssteuern(std::int32_t konto, const Satz& b) {
    if (!m_.sach->suchen(m_.sachkonto_text(konto))) return;
    const int j = m_.sach->satz().get(SachFelder::Steuerschluessel);
    const bool soll = ist_soll(b);
    for (int k : {j, j + 1}) {
      if (k < 1 || k > 40) continue;
      const std::int32_t steuerkonto = m_.basis.get(B::steuerkonto(k));
      const int art = kontenart(steuerkonto);
      if (art != 2 && art != 4) continue;  // the engine posts nothing there either
      const std::int64_t satz = m_.basis.get(B::steuersatz(k));
      Betrag steuer = steuer_aus_netto(b.get(F::Betrag), satz);
      const bool auf_soll = k == j ? !soll : soll;
      if (!auf_soll) steuer = -steuer;
      zeile(space(steuerspalte) + steuerspalten(std::to_string(k), satz, steuer));
      s_.steuer += steuer;
    }
  }

  Mandant& m_;
  Ausgabe3 d_;
  Seitenkopf kopf_;
  const char* spalten_;
  Journalsummen s_;
  std::unordered_map<std::int32_t, int> arten_;
};

// A booking's place in the journal: date, then number, in one word.
using Sortschluessel = std::uint64_t;
Sortschluessel sortschluessel(Datum d, std::int64_t nummer) {
  return (static_cast<std::uint64_t>(d) << 32) | static_cast<std::uint32_t>(nummer);
}
std::int64_t nummer_aus(Sortschluessel s) {
  return static_cast<std::int64_t>(s & 0xffffffffu);
}

// Sets the lock flag of the printed bookings, period status 2 and saves
// the base data, as one unit of work. Each record is written as it lies
// on disk with only the flag changed: its amounts are already net and
// must not pass the posting engine again.
bool sperren(Mandant& m, int p, std::vector<std::int64_t> nummern) {
  std::sort(nummern.begin(), nummern.end());
  Interaktion& ui = m.ui();
  auto& bu = *m.buchung;
  const Satz arbeitssatz = bu.satz();
  Buchungskern kern(m);
  bool ok = false;
  {
    Buchungslauf lauf(kern);
    ok = lauf.ok();
    ui.Balken_Oeffnen("Buchungen sperren ...", static_cast<long>(nummern.size()));
    Satz roh(F::groesse);
    for (std::size_t i = 0; ok && i < nummern.size(); ++i) {
      const std::int64_t n = nummern[i];
      if (i % 1024 == 0)
        ui.Balken_Inc(static_cast<long>(std::min<std::size_t>(1024, nummern.size() - i)));
      ok = bu.daten().lesen(static_cast<std::uint64_t>(n), roh.bytes().data());
      if (!ok) break;
      if (bu.satz_ist_leer(roh) || roh.get(F::Periode) > p || roh.get(F::Gesperrt)) continue;
      roh.set(F::Gesperrt, true);
      bu.satz() = roh;
      ok = bu.buchung_ablegen(n);
    }
    ui.Balken_Schliessen();
    if (ok) {
      m.basis.set(B::periode_status(p), std::uint8_t{2});
      ok = m.schreibe_basis() && lauf.ok();
    }
    // Without ende() the run rolls back, the base data in memory included.
    if (ok) ok = lauf.ende() || lauf.festgeschrieben();
  }
  bu.satz() = arbeitssatz;
  if (!ok)
    ui.ShowMessageMain(
        "Die Buchungen konnten nicht gesperrt werden!\rDer Status der Periode wurde nicht "
        "geändert.");
  return ok;
}

}  // namespace

// --- Booking journal ---

Buchungsjournal buchungsjournal_vorgabe(const Mandant& m) {
  Buchungsjournal j;
  j.periode = m.basis.get(B::AktuellePeriode);
  const int status =
      (j.periode >= 1 && j.periode <= 12) ? m.basis.get(B::periode_status(j.periode)) : 0;
  j.erstdruck = status != 2 && status != 3;
  return j;
}

bool buchungsjournal_drucken(Mandant& m, const Buchungsjournal& j) {
  const int p = j.periode;
  if (p < 1 || p > 12) return false;
  Journalblatt blatt(m, j.erstdruck ? "Buchungsjournal" : "Buchungsjournal  (Druckwiederholung)", p,
                     spalten_journal);
  if (!blatt.oeffnen("Buchungsjournal")) return false;
  Interaktion& ui = m.ui();
  auto& bu = *m.buchung;
  Gesamtsicht sicht(bu);

  // The period's bookings by date, then number, with the bookings of
  // earlier periods still open: those came into a period after its journal
  // was printed (an import may post there) and are printed, locked and
  // archived with this period. The archive part of the file holds closed
  // periods only.
  const std::int64_t a = m.archivanzahl, anzahl = bu.anzahl_buchungen();
  std::vector<Sortschluessel> folge;
  ui.Balken_Oeffnen("Sortieren der Buchungen ...",
                    static_cast<long>(std::max<std::int64_t>(anzahl - a, 0)));
  bool abgebrochen = false;
  const bool gelesen = bu.buchungen_lesen(a + 1, anzahl, [&](std::int64_t n, const Satz& s) {
    if ((n - a) % 1024 == 0) {
      ui.Balken_Inc(1024);
      if (ui.EscPressed()) {
        abgebrochen = true;
        return false;
      }
    }
    if (s.get(F::Periode) <= p && !bu.satz_ist_leer(s))
      folge.push_back(sortschluessel(s.get(F::Datum), n));
    return true;
  });
  ui.Balken_Schliessen();
  if (!gelesen) ui.ShowMessageMain(lesefehler);
  if (!gelesen || abgebrochen) return false;
  std::sort(folge.begin(), folge.end());

  ui.Balken_Oeffnen("Druck Buchungsjournal ...", static_cast<long>(folge.size()));
  Satz s(F::groesse);
  std::vector<std::int64_t> gedruckt;
  gedruckt.reserve(folge.size());
  for (std::size_t i = 0; i < folge.size(); ++i) {
    const std::int64_t n = nummer_aus(folge[i]);
    if (!bu.buchung_lesen_in(n, s)) {
      ui.Balken_Schliessen();
      ui.ShowMessageMain(lesefehler);
      return false;
    }
    // Each line shows the number the booking will carry in the archive.
    blatt.buchung(a + static_cast<std::int64_t>(i) + 1, s);
    gedruckt.push_back(n);
    if (i % 1024 == 1023) ui.Balken_Inc(1024);
  }
  ui.Balken_Schliessen();
  blatt.summenzeile();
  blatt.schliessen();
  if (!j.erstdruck) return true;
  return sperren(m, p, std::move(gedruckt));
}

TFBuchungsJournal2::TFBuchungsJournal2(Mandant& m, Buchungspruefung pruefung)
    : m_(m), pruefung_(std::move(pruefung)), form_("Selektion Buchungsjournal") {
  form_.AddByte(1, "Aktuelle Periode", static_cast<std::uint8_t>(m.basis.get(B::AktuellePeriode)));
  form_.ProtectControl(1);
  form_.AddKey(Taste::Esc, "&Ok", [](TEntryForm&) { return Reaktion::Speichern; });
  form_.FrageDatenSpeichern(false);
}

bool TFBuchungsJournal2::ausfuehren() {
  Interaktion& ui = m_.ui();
  const Buchungsjournal j = buchungsjournal_vorgabe(m_);
  const int anzahl = m_.basis.get(B::AnzahlPerioden);
  if (j.periode < 1 || j.periode > std::clamp(anzahl, 1, 12)) {
    ui.ShowMessageMain("Sie haben bereits alle Perioden abgeschlossen!");
    return false;
  }
  if (j.erstdruck && !ui.JaNein2("Haben Sie eine Datensicherung?")) return false;
  if (j.periode == anzahl &&
      !ui.JaNein2("Mit dem Abschluß dieser Periode kann in diesem Geschäftsjahr nicht mehr gebucht "
                  "werden!\rHaben sie eine aktuelle Datensicherung?"))
    return false;
  if (!form_.Execute(ui)) return false;
  if (j.erstdruck && pruefung_ && !pruefung_(m_, j.periode)) {
    ui.ShowMessageMain(
        "Die Buchungsprüfung war nicht erfolgreich!\rDer Druck des Buchungsjournals wird "
        "abgebrochen.");
    return false;
  }
  return buchungsjournal_drucken(m_, j);
}

// --- Check journal ---

Pruefjournal pruefjournal_vorgabe(Mandant& m, int periode) {
  Pruefjournal j;
  j.periode = std::clamp(periode, 1, 12);
  j.zeile_von = 1;
  // The row of the last booking: its number − the archive count.
  Gesamtsicht sicht(*m.buchung);
  j.zeile_bis = std::max<std::int64_t>(m.buchung->letzte_buchung_oder_fehler() - m.archivanzahl, 0);
  j.datum_von = m.basis.get(B::periode_von(j.periode));
  j.datum_bis = m.basis.get(B::periode_bis(j.periode));
  return j;
}

Pruefjournal pruefjournal_vorgabe(Mandant& m) {
  const int anzahl = std::clamp<int>(m.basis.get(B::AnzahlPerioden), 1, 12);
  return pruefjournal_vorgabe(m, std::min<int>(m.basis.get(B::AktuellePeriode), anzahl));
}

bool pruefjournal_drucken(Mandant& m, const Pruefjournal& j) {
  const int p = j.periode;
  if (p < 1 || p > 12) return false;
  Journalblatt blatt(m, "Prüfjournal", p, spalten_pruefjournal);
  if (!blatt.oeffnen("Prüfjournal")) return false;
  Interaktion& ui = m.ui();
  auto& bu = *m.buchung;
  Gesamtsicht sicht(bu);
  const std::int64_t a = m.archivanzahl;
  // Rows before the first open booking are raised to it: the archive part
  // is printed by month-end.
  const std::int64_t von = a + std::max<std::int64_t>(j.zeile_von, 1), bis = a + j.zeile_bis;
  const bool gelesen = bu.buchungen_lesen(von, bis, [&](std::int64_t n, const Satz& s) {
    const Datum d = s.get(F::Datum);
    if (s.get(F::Periode) == p && d >= j.datum_von && d <= j.datum_bis && !bu.satz_ist_leer(s))
      blatt.buchung(n - a, s);
    return true;
  });
  if (!gelesen) {
    ui.ShowMessageMain(lesefehler);
    return false;
  }
  blatt.summenzeile();
  blatt.schliessen();
  return true;
}

TFBuchungsJournal::TFBuchungsJournal(Mandant& m) : m_(m), form_("Selektion Prüfjournal") {
  const Pruefjournal v = pruefjournal_vorgabe(m);
  const auto anzahl =
      static_cast<std::uint8_t>(std::clamp<int>(m.basis.get(B::AnzahlPerioden), 1, 12));
  form_.AddByte(1, "Periode", static_cast<std::uint8_t>(v.periode), 1, anzahl);
  form_.AddLongInt(2, "Zeilennummer", static_cast<std::int32_t>(v.zeile_von), 0, 99999999);
  form_.AddLongInt(3, "bis", static_cast<std::int32_t>(v.zeile_bis), 0, 99999999);
  form_.AddDate(4, "Datum", v.datum_von);
  form_.AddDate(5, "bis", v.datum_bis);
  form_.beim_verlassen([this](TEntryForm& f, int nr) { return pruefen(f, nr); });
  form_.beim_speichern([this](TEntryForm& f) { return pruefen(f, 4) && pruefen(f, 5); });
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Drucken");
}

bool TFBuchungsJournal::pruefen(TEntryForm& f, int nr) {
  const int p = static_cast<int>(f.zahl(1));
  const Datum anfang = m_.basis.get(B::periode_von(p)), ende = m_.basis.get(B::periode_bis(p));
  switch (nr) {
    case 1:
      // Another period: its own days, the dates of the old one would not pass.
      if (f.datum(4) < anfang || f.datum(4) > ende) f.setze_datum(4, anfang);
      if (f.datum(5) < anfang || f.datum(5) > ende) f.setze_datum(5, ende);
      return true;
    case 2:
      if (f.zahl(2) < 1) f.setze_zahl(2, 1);
      return true;
    case 4:
    case 5:
      if (f.datum(nr) < anfang) {
        f.ui().ShowMessageMain("Datum darf nicht kleiner sein als das Startdatum der Periode!");
        f.setze_fokus(nr);
        return false;
      }
      if (f.datum(nr) > ende) {
        f.ui().ShowMessageMain("Datum darf nicht größer sein als Endedatum der Periode!");
        f.setze_fokus(nr);
        return false;
      }
      return true;
    default:
      return true;
  }
}

bool TFBuchungsJournal::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  Pruefjournal j;
  j.periode = static_cast<int>(form_.zahl(1));
  j.zeile_von = std::max<std::int64_t>(form_.zahl(2), 1);
  j.zeile_bis = form_.zahl(3);
  j.datum_von = form_.datum(4);
  j.datum_bis = form_.datum(5);
  return pruefjournal_drucken(m_, j);
}

}  // namespace fibu
