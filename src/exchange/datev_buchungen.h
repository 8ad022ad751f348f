// The bookings of a date range as DATEV takes them: which bookings go, in
// which groups, with which DATEV tax key, accounts, sign and text. Both the
// carrier files and the EXTF booking batch are written from these records,
// so the rules live here once.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "suite/betrag.h"
#include "suite/satz.h"
#include "suite/tpdate.h"

namespace fibu {

class Mandant;

// Which bookings a hand-over takes.
enum class DatevAuswahl {
  Debitoren,   // bookings on customer accounts
  Kreditoren,  // bookings on supplier accounts
  Alle,        // every booking, grouped into documents
};

// One record for DATEV.
struct DatevBuchung {
  std::int64_t nummer = 0;   // booking number (record of BUCHUNG.DA1)
  Betrag betrag = 0;         // gross cents; a debit on `konto` is positive
  int steuerschluessel = 0;  // DATEV tax key, 0 = none
  std::string konto, gegenkonto;
  std::string belegnr;  // as the format writes it
  Datum datum = kein_datum;
  Datum faellig = kein_datum;  // only in the customer and supplier variants
  std::string kostenstelle;
  std::string text;
  std::string egid;              // VAT id of the personal account of the record
  bool festgeschrieben = false;  // the booking lies in a locked period
};

// What a format makes of a document number: the number it writes, or the
// protocol line why the booking cannot go.
struct Belegnummer {
  std::optional<std::string> nummer;
  std::string grund;
  bool gekuerzt = false;  // leading characters were dropped to fit
};
using Belegnummernregel = std::function<Belegnummer(const std::string& belegnr)>;

struct DatevLauf {
  DatevAuswahl auswahl = DatevAuswahl::Alle;
  Datum von = kein_datum, bis = kein_datum;
  bool eroeffnung_unterdruecken = false;
  std::string verrechnungskonto;  // counter account of the lines of a split booking
  bool buchungstext = false;      // the booking text instead of the account's name
  int textlaenge = 30;
  Belegnummernregel belegnummer;
};

// What happened to the bookings, for the protocol's end and the message.
struct DatevErgebnis {
  long saetze = 0;            // records handed to the writer
  long nicht_uebergeben = 0;  // bookings that did not go
  long zahlungsverkehr = 0;   // of those, payment-module bookings ("Z...")
  long offene_gruppen = 0;    // documents that never balanced
  bool gekuerzt = false;      // some document numbers were shortened
  Betrag summe = 0;           // sum of the records' signed amounts
  bool abgebrochen = false;   // Esc, or the file could not be read
};

// The DATEV tax key of one booking, with the protocol lines it causes.
// `braucht_schluessel` tells whether a GL account needs a key from DATEV
// (its DATEV flag); personal accounts never do.
struct DatevSchluessel {
  int schluessel = 0;
  std::vector<std::string> meldungen;
};
DatevSchluessel datev_steuerschluessel(
    const Satz& basis, const Satz& buchung,
    const std::function<bool(const std::string& konto)>& braucht_schluessel,
    const std::function<int(std::int32_t steuerkonto)>& kontenart);

// The text of a record: the booking's two texts joined when there are any
// and `buchungstext` is set, else the account's name; at most `laenge`.
std::string datev_text(const Satz& buchung, bool buchungstext, const std::string& kontoname,
                       int laenge);

// Walks the bookings of the run in the order of their numbers and hands
// each DATEV record to `nimm` (false stops the run). Refusals and notes go
// to `protokoll`, one line each.
DatevErgebnis datev_buchungen(Mandant& m, const DatevLauf& lauf,
                              const std::function<bool(const DatevBuchung&)>& nimm,
                              const std::function<void(const std::string&)>& protokoll);

}  // namespace fibu
