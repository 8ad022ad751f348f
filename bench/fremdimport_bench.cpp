// Benchmark of the foreign-data import on the benchmark client
// (benchmandant.h): the booking mix of the posting benchmark, written as a
// FREMDIMP.DAT of 100,000 lines (FIBU_ZEILEN sets another count) in one
// period, where 2,000 of the customers and suppliers are new to the client
// (the file creates them, with their addresses). The
// check pass and the posting pass run on real files; printed are lines per
// second and the peak memory of each pass. FIBU_EINHEIT sets the bookings
// per unit of work of the posting pass. Not a test.
//
//   fremdimport_bench [directory]
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "benchmandant.h"
#include "exchange/fremdimport.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"

using namespace fibu;
using namespace fibu::bench;

namespace {

using B = BuchungFelder;

// The accounts new to the client: every second customer and supplier the
// mix names, in the order they first appear, until 2,000 are new;
// customers become 20000.., suppliers 80000...
class Neukonten {
 public:
  std::string nummer(const Satz& basis, const std::string& konto) {
    const std::string k = trim(konto);
    if (ist_sachkonto(basis, k)) return k;
    auto [it, erstmals] = zuordnung_.emplace(k, k);
    if (erstmals && ++gesehen_ % 2 == 0 && neu_ < 2000) {
      it->second = std::to_string((ist_debitor(basis, k) ? 20000 : 80000) + neu_);
      ++neu_;
    }
    return it->second;
  }

 private:
  std::map<std::string, std::string> zuordnung_;
  int gesehen_ = 0, neu_ = 0;
};

Fremdzeile als_zeile(const Satz& basis, const Satz& b, Neukonten& neu) {
  Fremdzeile z;
  z.buchungsart = buchungsart(b);
  z.konto = neu.nummer(basis, b.get(B::Konto));
  z.gegenkonto = neu.nummer(basis, b.get(B::Gegenkonto));
  z.belegnr = trim(b.get(B::Belegnr));
  // One period: the import takes the lines of the period it is given.
  z.datum = DMYtoDate(tag_von(b.get(B::Datum)), 1, 2024);
  z.text1 = b.get(B::Text1);
  z.soll_haben = static_cast<char>(b.u8(B::SollHaben));
  z.brutto = b.get(B::Betrag);
  z.steuerschluessel = trim(b.get(B::Steuerschluessel));
  if (!ist_sachkonto(basis, z.konto)) {
    z.person.name = "Importkunde " + z.konto;
    z.person.strasse = "Importweg " + z.konto.substr(z.konto.size() - 3);
    z.person.plz_ort = "85435 Erding";
    z.person.suchname = "IMP" + z.konto;
    z.person.sammelschluessel = 1;
    z.person.nettotage = 30;
    z.person.mkz = 1;
  }
  return z;
}

long dateischreiben(Mandant& m, const std::string& pfad, long zeilen) {
  Erzeuger erzeuger(m);
  Neukonten neu;
  Satz s(B::groesse);
  std::ofstream aus(pfad, std::ios::binary);
  for (long i = 0; i < zeilen; ++i) {
    erzeuger.naechste(s);
    aus << fremdsatz_schreiben(als_zeile(m.basis, s, neu)) << "\r\n";
  }
  return zeilen;
}

// Starts a new peak of the resident memory (VmHWM) for the next pass.
void spitze_zuruecksetzen() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verz =
      argc > 1 ? argv[1]
               : std::filesystem::temp_directory_path().string() + "/fibu-fremdimport-bench";
  const long zeilen = umgebung("FIBU_ZEILEN", 100000);
  std::filesystem::remove_all(verz);
  std::filesystem::create_directories(verz + "/import");
  Lauf l(verz);
  Mandant& m = l.m;
  mandant_anlegen(m);
  // What the import needs: the revenue and expense accounts carry the keys
  // of the mix, "Debitor Diverse" and a GL difference account.
  using K = Kontenplan;
  for (auto [nr, k] :
       {std::pair{K::erloese19, 1}, {K::erloese7, 2}, {K::aufwand19, 9}, {K::aufwand7, 8}}) {
    if (!m.sach->suchen(m.sachkonto_text(nr))) bench::abbrechen("Sachkonto fehlt");
    m.sach->satz().set(SachFelder::Steuerschluessel, static_cast<std::uint8_t>(k));
    m.sach->speichern(m.sachkonto_text(nr));
  }
  if (!m.personen->suchen(m.personenkonto_text(14999))) bench::abbrechen("Debitor 14999 fehlt");
  m.personen->satz().set(PersonenFelder::Diverse, true);
  m.personen->speichern(m.personenkonto_text(14999));
  m.basis.set(BasisFelder::DebitorDiverse, std::int32_t{14999});
  m.basis.set(BasisFelder::DifferenzkontoSach, std::int32_t{2995});
  if (!m.schreibe_basis()) abbrechen("Basisdaten können nicht geschrieben werden");

  const std::string pfad = verz + "/import/" + fremddatei_name;
  auto t = Uhr::now();
  dateischreiben(m, pfad, zeilen);
  std::printf("Datei %s: %ld Zeilen, %.1f MB, geschrieben in %.1f s\n", pfad.c_str(), zeilen,
              static_cast<double>(std::filesystem::file_size(pfad)) / 1e6, sekunden(t));

  Fremdeinstellungen e;
  e.von = DMYtoDate(1, 1, 2024);
  e.bis = DMYtoDate(31, 1, 2024);
  e.periode = 1;
  e.pfad = verz + "/import";
  std::unique_ptr<Datei> datei;
  if (!l.fs->oeffnen(pfad, Oeffnen::Lesen, datei)) return 1;
  Ausgabe3 d(l.ui);
  d.open_drucker("Prüfung und Import Fremddaten");
  Fremdimport import(m, e, d);
  if (long n = umgebung("FIBU_EINHEIT", 0)) import.einheit(n);

  spitze_zuruecksetzen();
  t = Uhr::now();
  const bool geprueft = import.pruefen(*datei);
  const double s_pruefen = sekunden(t);
  const long mb_pruefen = spitzenspeicher_mb();
  std::printf("Prüfung: %s, %.2f s, %.0f Zeilen/s, Spitzenspeicher %ld MB\n",
              geprueft ? "fehlerfrei" : "FEHLER", s_pruefen, zeilen / s_pruefen, mb_pruefen);
  if (!geprueft) {
    d.close_drucker();
    for (const auto& z : l.ui.druckauftraege().back().alle_zeilen())
      if (z.rfind("!!!", 0) == 0) std::printf("  %s\n", z.c_str());
    return 1;
  }

  spitze_zuruecksetzen();
  t = Uhr::now();
  const bool gebucht = import.uebernehmen(*datei);
  const double s_buchen = sekunden(t);
  std::printf(
      "Übernahme: %s, %ld Buchungen, %ld Personenkonten angelegt, %.2f s, %.0f Zeilen/s, "
      "Spitzenspeicher %ld MB\n",
      gebucht ? "vollständig" : "ABGEBROCHEN", import.gebuchte_zeilen(),
      import.neue_personenkonten(), s_buchen, zeilen / s_buchen, spitzenspeicher_mb());
  std::printf("Ganzer Import: %.2f s, %.0f Zeilen/s\n", s_pruefen + s_buchen,
              zeilen / (s_pruefen + s_buchen));
  d.close_drucker();
  dateigroessen(m.daten_verzeichnis());
  // A sample: the collective receivables account equals the sum of the customers.
  if (!m.sach->suchen(m.sachkonto_text(K::forderungen))) bench::abbrechen("Sammelkonto fehlt");
  Betrag sammel = m.sach->satz().get(SachFelder::Saldo), summe = 0;
  std::string k = m.personenkonto_text(10000);
  for (bool ok = m.personen->suche_ab(1, k) && m.personen->suchen(k); ok;
       ok = m.personen->lies_weiter(1, k))
    if (ist_debitor(m.basis, k)) summe += m.personen->satz().get(PersonenFelder::Saldo);
  std::printf("  Kontrolle Forderungen %d = Summe Debitoren: %s\n", K::forderungen,
              sammel == summe ? "ja" : "NEIN");
  m.mandant_schliessen();
  std::filesystem::remove_all(verz);
  return gebucht ? 0 : 1;
}
