#include "app/demo.h"

#include <cstdio>
#include <random>

#include "frame/basisdaten.h"
#include "frame/mandantenverwaltung.h"
#include "posting/buchen.h"
#include "suite/allgemei.h"
#include "vat/formularwerte.h"

namespace fibu {
namespace {

using BF = BasisFelder;
using PF = PersonenFelder;
using B = BuchungFelder;

struct Person {
  int nummer;
  const char* name;
  const char* strasse;
  const char* ort;
  std::int64_t limit;  // cents
};

const Person kunden[] = {
    {10001, "Bäckerei Huber", "Hauptstraße 12", "80331 München", 1000000},
    {10002, "Gasthof Zur Linde", "Lindenweg 3", "82256 Fürstenfeldbruck", 500000},
    {10003, "Müller Bau GmbH", "Industriestraße 45", "85221 Dachau", 2500000},
    {10004, "Praxis Dr. Schäfer", "Marktplatz 7", "85354 Freising", 0},
    {10005, "Stadtwerke Erding", "Am Gries 2", "85435 Erding", 3000000},
    {10006, "Familie Wagner", "Birkenallee 19", "85540 Haar", 200000},
    {10007, "Autohaus Kröger KG", "Landsberger Straße 88", "82110 Germering", 1500000},
    {10008, "Hotel Seeblick", "Uferpromenade 1", "82319 Starnberg", 800000},
};
const Person lieferanten[] = {
    {70001, "Baustoffhandel Ostler", "Gewerbering 5", "85748 Garching", 0},
    {70002, "Elektrogroßhandel Sommer", "Siemensstraße 21", "81669 München", 0},
    {70003, "Werkzeug Lang OHG", "Ringstraße 4", "85609 Aschheim", 0},
    {70004, "Farben Reisinger", "Moosweg 11", "85757 Karlsfeld", 0},
    {70005, "Kfz-Werkstatt Brandl", "Dieselstraße 9", "85386 Eching", 0},
};

// Fills the working booking for one line of a document.
void zeile(Satz& b, const std::string& konto, char sh, std::int64_t betrag,
           const std::string& gegen, const std::string& steuer, char art, const std::string& beleg,
           Datum datum, const std::string& text) {
  b.leeren();
  b.set(B::Konto, konto);
  b.setze_u8(B::SollHaben, static_cast<std::uint8_t>(sh));
  b.set(B::Betrag, betrag);
  b.set(B::Gegenkonto, gegen);
  b.set(B::Steuerschluessel, steuer);
  b.setze_u8(B::Buchungsart, static_cast<std::uint8_t>(art == ' ' ? 0 : art));
  b.set(B::Belegnr, beleg);
  b.set(B::Periode, static_cast<std::uint8_t>(monat_von(datum)));
  b.set(B::Datum, datum);
  b.set(B::Text1, text);
}

class Demobuchungen {
 public:
  Demobuchungen(Mandant& m, Buchungskern& kern) : m_(m), kern_(kern) {}

  // One document of two lines: account and counter-account.
  bool beleg(const std::string& konto, char sh, std::int64_t betrag, const std::string& gegen,
             const std::string& steuer_gegen, char art, const std::string& beleg, Datum datum,
             const std::string& text) {
    Satz& b = m_.buchung->satz();
    char gegenseite = sh == 'S' ? 'H' : 'S';
    zeile(b, konto, sh, betrag, gegen, "", art, beleg, datum, text);
    if (!buchen()) return false;
    // The lines of one document carry its type (the booking check wants it so).
    zeile(b, gegen, gegenseite, betrag, konto, steuer_gegen, art, beleg, datum, text);
    return buchen();
  }

  std::string fehler;

 private:
  bool buchen() {
    Satz& b = m_.buchung->satz();
    if (int code = kern_.buchung_pruefen(b, false); code != 0) {
      fehler = "Demobuchung " + b.get(B::Konto) + " " + b.get(B::Belegnr) + ": " + pruef_text(code);
      return false;
    }
    if (!kern_.buchen(m_.buchung->anzahl_buchungen() + 1)) {
      fehler = "Demobuchung " + b.get(B::Konto) + " " + b.get(B::Belegnr) + " nicht geschrieben";
      return false;
    }
    return true;
  }

  Mandant& m_;
  Buchungskern& kern_;
};

void basisdaten_fuellen(Satz& b) {
  b.set(BF::Name, "Demo Handwerk GmbH");
  b.set(BF::Strasse, "Werkstattweg 1");
  b.set(BF::PlzOrt, "80995 München");
  b.set(BF::Finanzamt, "München");
  b.set(BF::Steuernummer, "143/123/45678");
  b.set(BF::EgId, "DE123456789");
  b.set(BF::FaStrasse, "Deroystraße 18");
  b.set(BF::FaOrt, "80335 München");
  b.set(BF::FaBundesland, std::uint8_t{2});  // Bayern
  b.set(BF::AnzahlPerioden, std::uint8_t{12});
  b.set(BF::AktuellePeriode, std::uint8_t{1});
  for (int p = 1; p <= 12; ++p) {
    b.set(BF::periode_von(p), DMYtoDate(1, p, demo_jahr));
    b.set(BF::periode_bis(p), DMYtoDate(tage_im_monat(p, demo_jahr), p, demo_jahr));
    b.set(BF::periode_status(p), std::uint8_t{0});
  }
  b.set(BF::forderungskonto(1), 1400);
  b.set(BF::verbindlichkeitskonto(1), 1600);
  struct Schluessel {
    int nr;
    std::int32_t konto;
    std::int64_t satz;
    const char* text;
  } const schluessel[] = {
      {2, 1771, 700, "Umsatzsteuer 7 %"},
      {3, 1776, 1900, "Umsatzsteuer 19 %"},
      {4, 1773, 500, "Umsatzsteuer 5 %"},
      {5, 1775, 1600, "Umsatzsteuer 16 %"},
      {6, 1573, 500, "Vorsteuer 5 %"},
      {7, 1575, 1600, "Vorsteuer 16 %"},
      {8, 1571, 700, "Vorsteuer 7 %"},
      {9, 1576, 1900, "Vorsteuer 19 %"},
      {18, 1772, 700, "USt innergem. Erwerb 7 %"},
      {19, 1572, 700, "VSt innergem. Erwerb 7 %"},
      {20, 1774, 1900, "USt innergem. Erwerb 19 %"},
      {21, 1574, 1900, "VSt innergem. Erwerb 19 %"},
  };
  for (const auto& s : schluessel) {
    b.set(BF::steuerkonto(s.nr), s.konto);
    b.set(BF::steuersatz(s.nr), s.satz);
    b.set(BF::steuertext(s.nr), s.text);
  }
  b.set(BF::SaldenvortragSach, 9000);
  b.set(BF::SaldenvortragDebitor, 9008);
  b.set(BF::SaldenvortragKreditor, 9009);
  b.set(BF::DifferenzkontoSach, 1590);
  b.set(BF::floskel1(1), "Vielen Dank für Ihren Auftrag.");
  b.set(BF::floskel1(2), "Zahlbar innerhalb von 30 Tagen ohne Abzug.");
}

// The template gives each account the line of the 2012 return form; the
// demo year has a form of its own.
bool ust_zeilen_des_demojahres(Mandant& m) {
  std::vector<std::string> konten;
  std::string k;
  for (bool ok = m.sach->suche_ab(1, k) && m.sach->suchen(k); ok; ok = m.sach->lies_weiter(1, k))
    konten.push_back(k);
  for (const std::string& konto : konten) {
    if (!m.sach->suchen(konto)) return false;
    Satz& s = m.sach->satz();
    const int zeile = s.get(SachFelder::UstZeile);
    if (zeile < 1 || zeile > 86) continue;  // none, or the direct tax accounts' 99
    s.set(SachFelder::UstZeile, static_cast<std::uint8_t>(formularzeile_aus_2012(demo_jahr, zeile)));
    if (!m.sach->speichern(konto)) return false;
  }
  return true;
}

bool personen_anlegen(Mandant& m) {
  auto anlegen = [&](const Person& p, bool kunde) {
    m.personen->leeren();
    Satz& s = m.personen->satz();
    s.set(PF::Name, p.name);
    s.set(PF::Strasse, p.strasse);
    s.set(PF::PlzOrt, p.ort);
    s.set(PF::Suchname, kopy(gross(p.name), 1, 18));
    s.set(PF::Sammelkonto, std::uint8_t{1});
    s.set(PF::Nettotage, static_cast<std::uint16_t>(kunde ? 30 : 14));
    s.setze_f64(PF::Skonto1Anzeige, 2.0);  // 2 % (the record keeps it in thousandths)
    s.set(PF::Skontotage1, std::uint16_t{10});
    s.set(PF::Limit, p.limit);
    s.set(PF::Eroeffnungsdatum, DMYtoDate(1, 1, demo_jahr));
    m.personen->speichern(m.personenkonto_text(p.nummer));
  };
  for (const auto& k : kunden) anlegen(k, true);
  for (const auto& l : lieferanten) anlegen(l, false);
  // The collective account of one-time customers, "Debitor Diverse" of the
  // base data (the imports post customer 0 there).
  anlegen({demo_diverse, "Diverse Kunden", "", "", 0}, true);
  if (!m.personen->suchen(m.personenkonto_text(demo_diverse))) return false;
  m.personen->satz().set(PF::Diverse, true);
  m.personen->speichern(m.personenkonto_text(demo_diverse));
  m.basis.set(BF::DebitorDiverse, std::int32_t{demo_diverse});
  return m.schreibe_basis();
}

}  // namespace

Ergebnis demo_anlegen(Mandant& m) {
  Dateisystem& fs = m.fs();
  if (fs.finde_datei(m.daten_verzeichnis(demo_nummer, demo_jahr), "BASIS.PAR"))
    return Ergebnis::erfolg();
  const std::string ziel = m.daten_verzeichnis(demo_nummer, demo_jahr);
  if (Ergebnis e = fs.verzeichnis_anlegen(ziel); !e) return e;
  Satz mandant(MandantFelder::groesse);
  mandant.set(MandantFelder::Mandantnummer, static_cast<std::uint16_t>(demo_nummer));
  mandant.set(MandantFelder::Mandantname, "Demo Handwerk GmbH");
  mandant.set(MandantFelder::Jahr, static_cast<std::uint16_t>(demo_jahr));
  if (!m.schreibe_mandant_satz(mandant))
    return Ergebnis::fehler(Ergebnis::Code::EA_Fehler,
                            "MANDANT.PAR des Demomandanten nicht geschrieben");
  if (!muster_kopieren(m, m.ui(), 1, ziel, true))
    return Ergebnis::fehler(Ergebnis::Code::NichtGefunden, "Kontenrahmen SKR 03 nicht gefunden");
  if (!m.mandant_oeffnen(demo_nummer, demo_jahr, true))
    return Ergebnis::fehler(Ergebnis::Code::Gesperrt, "Demomandant ist gesperrt");

  basisdaten_fuellen(m.basis);
  kontenlaengen_ableiten(m.basis);
  for (auto fehler : {pruefe_basis_mandant(m.basis), pruefe_perioden(m.basis),
                      pruefe_belegnummern(m.basis), pruefe_saldenvortraege(m.basis, m),
                      pruefe_buchungspruefung(m.basis), pruefe_kostenrechnung(m.basis, m)})
    if (fehler) {
      m.mandant_schliessen();
      return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                              "Basisdaten des Demomandanten: " + *fehler);
    }
  // The base data were made and checked here, page by page.
  m.basis.set(BF::BasisKonsistent, true);
  m.basis.set(BF::StammKonsistent, true);
  if (!m.schreibe_basis() || !ust_zeilen_des_demojahres(m) || !personen_anlegen(m)) {
    m.mandant_schliessen();
    return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Basisdaten des Demomandanten nicht geschrieben");
  }

  Buchungskern kern(m);
  Demobuchungen d(m, kern);
  std::mt19937 zufall(2007);
  auto bis = [&](int n) { return static_cast<int>(zufall() % static_cast<unsigned>(n)); };
  auto betrag = [&](int von_euro, int bis_euro) {
    return static_cast<std::int64_t>(von_euro + bis(bis_euro - von_euro)) * 100 + bis(100);
  };
  auto beleg = [](long n) { return std::to_string(n); };
  long debitor = 9500001, kreditor = 500001, sach = 1;
  struct Offen {
    std::string konto, beleg;
    std::int64_t betrag;
  };
  std::vector<Offen> rechnungen, eingang;
  bool ok = true;
  {
    Buchungslauf lauf(kern);
    const Datum neujahr = DMYtoDate(1, 1, demo_jahr);
    ok =
        d.beleg("1200", 'S', 2500000, "9000", "", 'E', beleg(sach++), neujahr, "Eröffnung Bank") &&
        d.beleg("0800", 'H', 2500000, "9000", "", 'E', beleg(sach++), neujahr, "Eröffnung Kapital");
    for (int monat = 1; monat <= 6 && ok; ++monat) {
      auto tag = [&] { return DMYtoDate(1 + bis(28), monat, demo_jahr); };
      // Payments of last month's invoices, most in full; every fifth
      // document less the 2 % discount (left for the automatic write-off).
      for (const Offen& r : rechnungen) {
        if (!ok || bis(10) >= 8) continue;
        Datum t = tag();
        const std::int64_t gezahlt =
            std::stol(r.beleg) % 5 == 0 ? r.betrag - (r.betrag * 2 + 50) / 100 : r.betrag;
        ok = d.beleg(r.konto, 'H', gezahlt, "1200", "", 'Z', r.beleg, t, "Zahlung " + r.beleg);
      }
      rechnungen.clear();
      for (const Offen& r : eingang) {
        if (!ok || bis(10) >= 9) continue;
        ok = d.beleg(r.konto, 'S', r.betrag, "1200", "", 'Z', r.beleg, tag(), "Zahlung " + r.beleg);
      }
      eingang.clear();
      for (int i = 0; i < 16 && ok; ++i) {
        const Person& k = kunden[bis(8)];
        std::string konto = m.personenkonto_text(k.nummer), nr = beleg(debitor++);
        bool ermaessigt = bis(5) == 0;
        std::int64_t b = betrag(80, 4000);
        ok = d.beleg(konto, 'S', b, ermaessigt ? "8300" : "8400", ermaessigt ? "2" : "3", 'R', nr,
                     tag(), std::string("AR ") + nr + " " + k.name);
        rechnungen.push_back({konto, nr, b});
      }
      if (ok) {
        const Person& k = kunden[bis(8)];
        std::string nr = beleg(debitor++);
        ok = d.beleg(m.personenkonto_text(k.nummer), 'H', betrag(20, 200), "8400", "3", 'G', nr,
                     tag(), "Gutschrift " + nr);
      }
      for (int i = 0; i < 8 && ok; ++i) {
        const Person& l = lieferanten[bis(5)];
        std::string konto = m.personenkonto_text(l.nummer), nr = beleg(kreditor++);
        std::int64_t b = betrag(50, 2500);
        ok = d.beleg(konto, 'H', b, "3400", "9", 'R', nr, tag(),
                     std::string("ER ") + nr + " " + l.name);
        eingang.push_back({konto, nr, b});
      }
      // GL bookings of the month: rent, wages, cash sales, fuel.
      const Datum ultimo = DMYtoDate(tage_im_monat(monat, demo_jahr), monat, demo_jahr);
      ok = ok &&
           d.beleg("4210", 'S', 150000, "1200", "", ' ', beleg(sach++),
                   DMYtoDate(3, monat, demo_jahr), "Miete Werkstatt") &&
           d.beleg("4120", 'S', 820000 + bis(50000), "1200", "", ' ', beleg(sach++), ultimo,
                   "Löhne und Gehälter");
      for (int i = 0; i < 6 && ok; ++i)
        ok = d.beleg("1000", 'S', betrag(10, 300), "8400", "3", ' ', beleg(sach++), tag(),
                     "Barverkauf");
      for (int i = 0; i < 2 && ok; ++i)
        ok = d.beleg("4530", 'S', betrag(40, 120), "1000", "", ' ', beleg(sach++), tag(), "Tanken");
      if (ok) ok = lauf.zwischenstand();
    }
    if (ok) ok = lauf.ende();
  }
  m.mandant_schliessen();
  if (!ok)
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                            d.fehler.empty() ? "Demobuchungen nicht geschrieben" : d.fehler);
  return Ergebnis::erfolg();
}

}  // namespace fibu
