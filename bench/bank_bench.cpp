// Benchmark of bank statement posting on the benchmark client with
// 1,000,000 bookings (benchmandant.h, over 200,000 open items): a statement
// of 10,000 incoming payments, each naming the invoice it pays in its
// purpose text, is taken over into the table of the bank account and
// assigned to the items by the document-number pattern; then the whole
// statement is checked and posted. Each step runs in a process of its own
// on the client opened anew and prints its time and peak memory. Not a
// test.
//
//   bank_bench [directory] [bookings] [lines]   (defaults: 1000000, 10000)
//   FIBU_BANK_BENCH_VORHANDEN=1  take the books of the last run (kept with
//                                FIBU_BANK_BENCH_BEHALTEN=1)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "banking/tbank.h"
#include "banking/zuordnung.h"
#include "benchmandant.h"
#include "openitems/offeneposten.h"
#include "suite/allgemei.h"

using namespace fibu;
using namespace fibu::bench;

namespace {

using O = OpstammFelder;

// Customers' invoice numbers run 1, 2, ...; those of six digits starting
// with 1 are found by the pattern "1?????".
constexpr const char* muster_ar = "1?????";

std::vector<Auszugszeile> auszug_bilden(Mandant& m, long zeilen) {
  std::vector<Auszugszeile> aus;
  op_durchlaufen(m, 'D', [&](const Satz& op) {
    const std::string beleg = trim(op.get(O::Belegnummer));
    const Betrag offen = op.get(O::NochOffen);
    if (offen <= 0 || beleg.size() != 6 || beleg[0] != '1') return true;
    Auszugszeile z;
    z.datum = DMYtoDate(6, 12, 2024);
    z.haben = offen;
    z.text = "KD " + trim(op.get(O::Kontonummer)) + " RECHNUNG VOM 01.11.2024 NR " + beleg;
    aus.push_back(std::move(z));
    return static_cast<long>(aus.size()) < zeilen;
  });
  return aus;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verz = bench_verzeichnis(argc, argv, "fibu-bank-bench");
  const long anzahl = bench_buchungen(argc, argv);
  const long zeilen = argc > 3 ? std::atol(argv[3]) : 10000;
  const std::string wurzel = verz + "/mandant";
  if (!umgebung("FIBU_BANK_BENCH_VORHANDEN", 0)) {
    if (!gebucht_im_kind(verz, anzahl)) return 1;
  }

  im_kind(wurzel, [&](Lauf& l) {
    OpstammOffen offen(l.m);
    long posten[2] = {0, 0};
    for (int k = 0; k < 2; ++k)
      op_durchlaufen(l.m, k ? 'K' : 'D', [&](const Satz& op) {
        posten[k] += op.get(O::NochOffen) != 0;
        return true;
      });
    const std::vector<Auszugszeile> auszug = auszug_bilden(l.m, zeilen);
    std::printf("%ld nicht ausgeglichene Posten (%ld Debitoren); Auszug mit %zu Zeilen\n",
                posten[0] + posten[1], posten[0], auszug.size());
    if (static_cast<long>(auszug.size()) < zeilen) abbrechen("zu wenige offene Posten");

    const auto t = Uhr::now();
    tbank bank(l.m);
    if (!bank.konto_oeffnen(std::to_string(Kontenplan::bank))) abbrechen("Bankkonto fehlt");
    if (!bank.leeren()) abbrechen("Tabelle nicht geleert");
    Zuordnungsmuster muster;
    muster.ar1 = muster_ar;
    if (!bank.uebernehmen(auszug, muster)) abbrechen("Übernahme abgelehnt");
    const double dauer = sekunden(t);
    long zugeordnet = 0;
    for (const Bankzeile& z : bank.zeilen()) zugeordnet += !z.konto.empty() && z.betrag != 0;
    std::printf("%-44s %8.3f s  %6ld zugeordnet  Differenz %s  Spitzenspeicher %ld MB\n",
                "Übernahme und Zuordnung des Auszugs", dauer, zugeordnet,
                betrag_text(bank.differenz()).c_str(), spitzenspeicher_mb());
  });

  im_kind(wurzel, [&](Lauf& l) {
    const std::int64_t vorher = l.m.buchung->letzte_buchung();
    const auto t = Uhr::now();
    tbank bank(l.m);
    if (!bank.konto_oeffnen(std::to_string(Kontenplan::bank))) abbrechen("Bankkonto fehlt");
    const Betrag neu = bank.neuer_saldo();
    const bool gebucht = bank.buchen().gebucht;
    const double dauer = sekunden(t);
    std::printf("%-44s %8.3f s  %6lld Buchungen  Spitzenspeicher %ld MB%s\n",
                "Prüfen und Buchen des Auszugs", dauer,
                static_cast<long long>(l.m.buchung->letzte_buchung() - vorher),
                spitzenspeicher_mb(), gebucht ? "" : "  (FEHLGESCHLAGEN)");
    for (const auto& meldung : l.ui.meldungen()) std::printf("  Meldung: %s\n", meldung.c_str());
    if (gebucht && bank.alter_saldo() != neu) std::printf("  Saldo der Bank weicht ab!\n");
  });
  if (!umgebung("FIBU_BANK_BENCH_BEHALTEN", 0)) std::filesystem::remove_all(wurzel);
  return 0;
}
