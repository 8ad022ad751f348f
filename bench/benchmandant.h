// The client of the benchmarks: 1,000 GL, 5,000 customer and 2,000
// supplier accounts on real files, and a generator of a realistic booking
// mix. Shared by the benchmarks of posting, reports and imports so that
// their figures are measured on the same books.
//
// The mix: customer invoices with their revenue line (19 % or 7 %),
// supplier invoices with their expense line (input VAT 19 % or 7 %),
// payments of recent invoices with their bank line (a third in full, a
// third less the 2 % discount the accounts grant, a third half), and
// GL-to-GL bookings with their counter line. Every document balances.
// 1,000,000 bookings leave about 250,000 open items, over 200,000 of them
// not settled.
#pragma once

#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "frame/mandant.h"
#include "suite/dateisystem.h"
#include "suite/netzwerk.h"
#include "suite/satz.h"
#include "suite/test_interaktion.h"
#include "suite/tpdate.h"

namespace fibu::bench {

using Uhr = std::chrono::steady_clock;
double sekunden(Uhr::time_point seit);
// Peak resident memory of the process so far (VmHWM), in MB.
long spitzenspeicher_mb();
// Sizes of the files of a directory (those over 1 MB one by one).
void dateigroessen(const std::string& verzeichnis);
long umgebung(const char* name, long vorgabe);
// Ends the benchmark with `text` on stderr: figures measured on a client
// whose setup failed would mean nothing.
[[noreturn]] void abbrechen(const std::string& text);

constexpr int sachkonten = 1000, debitoren = 5000, kreditoren = 2000;

// Account numbers: GL 1000..1999 are bank, cash and the special accounts,
// 2000.. the GL-to-GL accounts, 3000..8999 revenue and expenses; customers
// 10000.., suppliers 70000...
struct Kontenplan {
  static constexpr int bank = 1200, forderungen = 1400, verbindlichkeiten = 1600;
  static constexpr int ust19 = 1776, ust7 = 1771, vst19 = 1576, vst7 = 1571;
  static constexpr int erloese19 = 8400, erloese7 = 8300, aufwand19 = 3400, aufwand7 = 3300;
  static constexpr int skonto = 8730;  // discounts granted (no tax key)
};

// A client 001/2024 below `wurzel` on the real file system.
struct Lauf {
  std::string wurzel;
  std::unique_ptr<Dateisystem> fs;
  TestInteraktion ui;
  Tagesdatum heute{DMYtoDate(6, 12, 2024)};
  Netzwerk netz;
  Mandant m;

  explicit Lauf(const std::string& wurzel);
};

// Base data (ranges, tax keys, collective accounts) and every account.
void mandant_anlegen(Mandant& m);

// The directory of a benchmark: the first argument, else `name` in the
// temporary directory; the bookings: the second argument, else 1,000,000.
std::string bench_verzeichnis(int argc, char** argv, const char* name);
long bench_buchungen(int argc, char** argv);

// A fresh client below `verzeichnis` + "/mandant" with `anzahl` bookings of
// the mix posted in bulk units; `gebucht` tells whether that worked and
// `sekunden` how long it took.
struct Gebuchter_mandant : Lauf {
  Gebuchter_mandant(const std::string& verzeichnis, long anzahl);
  bool gebucht = false;
  double dauer = 0;
};

// Generates the bookings of the mix, one at a time.
class Erzeuger {
 public:
  explicit Erzeuger(Mandant& m) : m_(m), zufall_(4711) {}
  // Fills `s` with the next booking.
  void naechste(Satz& s);

 private:
  struct Offen {
    std::string konto, beleg;
    std::int64_t betrag;
    bool debitor;
  };
  int wuerfel(int n) { return static_cast<int>(zufall_() % static_cast<std::uint32_t>(n)); }

  Mandant& m_;
  std::mt19937 zufall_;
  std::deque<Satz> folge_;
  std::deque<Offen> offen_;
  long zaehler_ = 0, rechnung_ = 0;
};

// Posts `anzahl` generated bookings in bulk units of `einheit`; false
// (with a message on stdout) when a booking or unit fails.
bool massenbuchen(Mandant& m, long anzahl, long einheit);

// Runs `schritt` in a process of its own on the client below `wurzel`
// opened anew, so that its peak memory is its own and nothing of the files
// is cached; ends the benchmark when the step fails.
void im_kind(const std::string& wurzel, const std::function<void(Lauf&)>& schritt);
// Posts `anzahl` bookings of the mix into a fresh client below
// `verzeichnis` + "/mandant" in a process of its own and prints how long
// it took; false when that failed.
bool gebucht_im_kind(const std::string& verzeichnis, long anzahl);

// A fresh client below `verzeichnis` + "/mandant" with the mix, but every
// line of a document carrying the type of its personal line (the mix leaves
// the GL lines of an invoice or payment blank, which the booking checks
// report line by line, as they should). Posted in bulk units like the other
// benchmarks' books; `dauer` is how long the posting took.
bool einheitliche_buecher_anlegen(const std::string& verzeichnis, long anzahl, double& dauer);
// The same in a process of its own, printing how long it took.
bool einheitlich_gebucht_im_kind(const std::string& verzeichnis, long anzahl);

// Writes the posted bookings as a plain-text double-entry journal (the
// ledger format): one transaction per document, accounts named by their
// number, amounts with a decimal point; the tax a line carries goes to its
// tax account. Returns the number of transactions.
long journal_schreiben(Mandant& m, const std::string& pfad);

}  // namespace fibu::bench
