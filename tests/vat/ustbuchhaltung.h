// A client of one fiscal year for the VAT return tests, on an in-memory
// file system: the tax office data, the tax keys and GL accounts with fixed
// period totals (no posting needed: the return reads the totals only).
//
// Tax keys: 1 = 19 % on 1776, 2 = 7 % on 1771, 9 = 19 % on 1576,
// 19 = 19 % on 1774 and 20 = 19 % on 1574 (the acquisition pair).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "frame/mandant.h"
#include "suite/allgemei.h"
#include "suite/test_dateisystem.h"
#include "suite/test_interaktion.h"
#include "vat/steueranmeldung.h"

namespace fibu {

struct Ustkontodaten {
  int nummer;
  const char* name;
  int kontenart, zeile, schluessel;
  int periode;
  Betrag soll, haben;
};

class Ustbuchhaltung {
 public:
  explicit Ustbuchhaltung(int jahr, int perioden = 12) {
    EXPECT_TRUE(fs.verzeichnis_anlegen("/r/FIBU/"));
    m = std::make_unique<Mandant>(fs, ui, heute, "/r/FIBU/", netz_);
    EXPECT_TRUE(m->mandant_oeffnen(1, jahr, true));
    Satz& b = m->basis;
    b.set(BasisFelder::Name, "Schreinerei Holz");
    b.set(BasisFelder::Finanzamt, "Stuttgart II");
    b.set(BasisFelder::Steuernummer, "93815/08152");
    b.set(BasisFelder::FaNummer, "2893");
    b.set(BasisFelder::AnzahlPerioden, static_cast<std::uint8_t>(perioden));
    if (perioden == 4)
      for (int p = 1; p <= 4; ++p) {
        b.set(BasisFelder::periode_von(p), DMYtoDate(1, 3 * p - 2, jahr));
        b.set(BasisFelder::periode_bis(p), DMYtoDate(tage_im_monat(3 * p, jahr), 3 * p, jahr));
      }
    const int allgemein = jahr < 2007 ? 1600 : 1900;
    for (auto [k, nr, satz] :
         {std::tuple{1, 1776, allgemein}, std::tuple{2, 1771, 700}, std::tuple{9, 1576, allgemein},
          std::tuple{19, 1774, allgemein}, std::tuple{20, 1574, allgemein}}) {
      b.set(BasisFelder::steuerkonto(k), static_cast<std::int32_t>(nr));
      b.set(BasisFelder::steuersatz(k), static_cast<std::int64_t>(satz));
    }
  }

  void konten(const std::vector<Ustkontodaten>& liste) {
    for (const auto& k : liste) {
      const std::string key = m->sachkonto_text(k.nummer);
      if (!m->sach->suchen(key)) m->sach->leeren();
      Satz& s = m->sach->satz();
      s.set(SachFelder::Bezeichnung1, k.name);
      s.set(SachFelder::Kontenart, static_cast<std::uint8_t>(k.kontenart));
      s.set(SachFelder::UstZeile, static_cast<std::uint8_t>(k.zeile));
      s.set(SachFelder::Steuerschluessel, static_cast<std::uint8_t>(k.schluessel));
      s.set(SachFelder::soll(k.periode), k.soll);
      s.set(SachFelder::haben(k.periode), k.haben);
      EXPECT_TRUE(m->sach->speichern(key));
    }
  }

  // The lines of the last print job after the standard page header.
  std::vector<std::string> liste(std::size_t ab = 7) const {
    const auto z = ui.druckauftraege().back().alle_zeilen();
    return {z.begin() + static_cast<std::ptrdiff_t>(ab), z.end()};
  }

  TestDateisystem fs;
  Netzwerk netz_{fs, "/r", false};  // before the client, which releases its reservation
  TestInteraktion ui;
  Tagesdatum heute{DMYtoDate(6, 12, 2026)};
  std::unique_ptr<Mandant> m;
};

// A form printer that records what it was given and answers a total.
struct Druckerattrappe {
  std::vector<Formularauftrag> auftraege;
  std::vector<Formularwerte> werte;
  Betrag summe = 0;
  bool drucken = true;
  Formulardrucker drucker() {
    return {[this](Mandant&, const Formularauftrag& a, Formularwerte& w) {
              auftraege.push_back(a);
              werte.push_back(w);
              w.summe = summe;
              return drucken;
            },
            [](int jahr) { return jahr < 2012 ? 55 : 56; }};
  }
};

}  // namespace fibu
