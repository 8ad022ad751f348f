// Benchmark of bank statement posting on the benchmark client with
// 1,000,000 bookings (benchmandant.h, over 200,000 open items): a statement
// of 10,000 incoming payments, each naming the invoice it pays in its
// purpose text, is written as the bank's MT940 file and as a camt.053
// file; each is imported as the "BTX-Import" does it (read, filtered,
// sorted, taken over into the table of the bank account and assigned to
// the items by the document-number pattern); then the whole statement is
// checked and posted. Each step runs in a process of its own on the client
// opened anew and prints its time and peak memory. Not a test.
//
//   bank_bench [directory] [bookings] [lines]   (defaults: 1000000, 10000)
//   FIBU_BANK_BENCH_VORHANDEN=1  take the books of the last run (kept with
//                                FIBU_BANK_BENCH_BEHALTEN=1)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "banking/btximport.h"
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

const Datum auszugstag = DMYtoDate(6, 12, 2024);

std::vector<Auszugszeile> auszug_bilden(Mandant& m, long zeilen) {
  std::vector<Auszugszeile> aus;
  op_durchlaufen(m, 'D', [&](const Satz& op) {
    const std::string beleg = trim(op.get(O::Belegnummer));
    const Betrag offen = op.get(O::NochOffen);
    if (offen <= 0 || beleg.size() != 6 || beleg[0] != '1') return true;
    Auszugszeile z;
    z.datum = auszugstag;
    z.haben = offen;
    z.text = "KD " + trim(op.get(O::Kontonummer)) + " RECHNUNG VOM 01.11.2024 NR " + beleg;
    aus.push_back(std::move(z));
    return static_cast<long>(aus.size()) < zeilen;
  });
  return aus;
}

// "1234,56" (MT940) or "1234.56" (camt.053).
std::string dezimal(Betrag b, char trenner) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld%c%02lld", static_cast<long long>(b / 100), trenner,
                static_cast<long long>(b % 100));
  return text;
}

std::string als_mt940(const std::vector<Auszugszeile>& auszug) {
  std::string aus =
      ":20:BENCH\r\n:25:10020030/1234567890\r\n:28C:00001/001\r\n"
      ":60F:C241205EUR0,00\r\n";
  Betrag summe = 0;
  for (const Auszugszeile& z : auszug) {
    summe += z.haben;
    // The purpose text in subfields ?20, ?21, ... of at most 27 characters.
    std::string zweck;
    for (std::size_t i = 0, n = 20; i < z.text.size(); i += 27, ++n)
      zweck += "?" + std::to_string(n) + z.text.substr(i, 27);
    aus += ":61:2412061206C" + dezimal(z.haben, ',') + "NTRFNONREF\r\n:86:166?00GUTSCHRIFT" +
           zweck + "?32KUNDE\r\n";
  }
  return aus + ":62F:C241206EUR" + dezimal(summe, ',') + "\r\n-\r\n";
}

std::string als_camt(const std::vector<Auszugszeile>& auszug) {
  std::string aus =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.08\"><BkToCstmrStmt>"
      "<GrpHdr><MsgId>BENCH</MsgId><CreDtTm>2024-12-06T18:00:00</CreDtTm></GrpHdr><Stmt>"
      "<Id>BENCH</Id><ElctrncSeqNb>1</ElctrncSeqNb>"
      "<Acct><Id><IBAN>DE89100200301234567890</IBAN></Id></Acct>\n";
  for (const Auszugszeile& z : auszug)
    aus += "<Ntry><Amt Ccy=\"EUR\">" + dezimal(z.haben, '.') +
           "</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts><Cd>BOOK</Cd></Sts>"
           "<BookgDt><Dt>2024-12-06</Dt></BookgDt><ValDt><Dt>2024-12-06</Dt></ValDt>"
           "<NtryDtls><TxDtls><RltdPties><Dbtr><Pty><Nm>KUNDE</Nm></Pty></Dbtr></RltdPties>"
           "<RmtInf><Ustrd>" +
           z.text + "</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>\n";
  return aus + "</Stmt></BkToCstmrStmt></Document>\n";
}

// Imports a statement file of the bench directory into the emptied table
// of the bank account and prints the time of the import with the
// assignment; `behalten` keeps the table for the posting step.
void importieren(Lauf& l, const std::string& verz, const std::string& datei, Auszugsformat format,
                 const char* was, bool behalten) {
  tbank bank(l.m);
  if (!bank.konto_oeffnen(std::to_string(Kontenplan::bank))) abbrechen("Bankkonto fehlt");
  if (!bank.leeren()) abbrechen("Tabelle nicht geleert");
  Bankimporteinstellungen e;
  e.pfad = verz;
  e.datei = datei;
  e.format = format;
  e.muster.ar1 = muster_ar;
  e.haben = e.soll = true;
  e.von = DMYtoDate(1, 12, 2024);
  e.bis = DMYtoDate(31, 12, 2024);
  const auto t = Uhr::now();
  const bool ok = bankauszug_importieren(l.m, e, bank.importziel());
  const double dauer = sekunden(t);
  if (!ok) abbrechen(std::string("Import abgelehnt: ") + was);
  long zugeordnet = 0;
  for (const Bankzeile& z : bank.zeilen()) zugeordnet += !z.konto.empty() && z.betrag != 0;
  std::printf("%-44s %8.3f s  %6ld zugeordnet  Differenz %s  Spitzenspeicher %ld MB\n", was, dauer,
              zugeordnet, betrag_text(bank.differenz()).c_str(), spitzenspeicher_mb());
  if (!behalten && !bank.leeren()) abbrechen("Tabelle nicht geleert");
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

    for (const auto& [datei, inhalt] :
         {std::pair{"BENCH.STA", als_mt940(auszug)}, std::pair{"BENCH.XML", als_camt(auszug)}})
      if (!l.fs->schreibe_datei_atomar(verz + "/" + datei, inhalt)) abbrechen("Auszugsdatei");
  });

  im_kind(wurzel, [&](Lauf& l) {
    importieren(l, verz, "BENCH.XML", Auszugsformat::Camt, "Import camt.053 und Zuordnung", false);
  });
  im_kind(wurzel, [&](Lauf& l) {
    importieren(l, verz, "BENCH.STA", Auszugsformat::Swift, "Import MT940 und Zuordnung", true);
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
  for (const char* datei : {"/BENCH.STA", "/BENCH.XML"}) std::filesystem::remove(verz + datei);
  if (!umgebung("FIBU_BANK_BENCH_BEHALTEN", 0)) std::filesystem::remove_all(wurzel);
  return 0;
}
