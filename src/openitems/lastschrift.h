// The direct-debit run ("Lastschrift-Diskette erstellen", command 254):
// customer invoices marked "Lastschrift" and due are listed, the user ticks
// those to collect, DTAUS1.TXT and the SEPA message (pain.008) are written
// for them, a protocol and the note for the bank are printed, and the
// items are settled by payment bookings on the bank account.
//
// The settling bookings of all items are checked before any file is made
// and written in one unit of work after the files are complete: every item
// is settled, or none.
#pragma once

#include <string>
#include <vector>

#include "store/bewegungssaetze.h"
#include "store/parametersaetze.h"
#include "store/stammsaetze.h"
#include "suite/entryform.h"
#include "suite/satz.h"

namespace fibu {

class Mandant;
class TFFibu;

// ERECH.PAR of the payment module (all zero when there is none).
struct Bankverbindungen {
  Satz par{ErechParFelder::groesse};
  bool vorhanden = false;
};
Bankverbindungen bankverbindungen_lesen(Mandant& m);
[[nodiscard]] bool bankverbindungen_schreiben(Mandant& m, const Satz& par);

// "Bankverbindungen": the three connections and the creditor identifier,
// kept in ERECH.PAR (made when it is missing).
class TFBankverbindungen {
 public:
  explicit TFBankverbindungen(Mandant& m);
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  Bankverbindungen b_;
  TEntryForm form_;
};

struct Lastschriftprofil {
  Datum faellig_bis = kein_datum;
  std::int32_t bankkonto = 0;
  int verbindung = 1;      // 1..3
  bool abbuchung = false;  // "Abbuchungsauftrag" (04000) instead of 05000
  bool sepa = true;        // also the SEPA message
  std::string sequenz = "RCUR";
  Datum einzug = kein_datum;  // requested collection date
  std::string ziel;           // directory of the files
};

// One item of the list, with its customer.
struct Lastschriftposten {
  Satz op{OpstammFelder::groesse};
  Satz person{PersonenFelder::groesse};
  std::string iban, bic;  // the payer's, the IBAN formed from bank code and account if need be
  bool markiert = true;
};

// The items that can be collected, in the order of their keys; `abgewiesen`
// receives a line for each due item whose customer lacks what the files
// need (bank code and account of DTAUS, with SEPA an IBAN and a mandate).
std::vector<Lastschriftposten> lastschrift_auswahl(Mandant& m, const Lastschriftprofil& p,
                                                   std::vector<std::string>& abgewiesen);

// The run after the dialogs, for the ticked items: check the settling
// bookings, write the files, print protocol and note, ask, settle. False
// when it was refused, cancelled or failed (the messages say so).
bool lastschrift_ausfuehren(Mandant& m, const Lastschriftprofil& p,
                            const std::vector<Lastschriftposten>& posten);

class TFLastschriftProfil {
 public:
  // `diskettenpfad`: the workstation's configured diskette path.
  TFLastschriftProfil(Mandant& m, const std::string& diskettenpfad);
  bool ausfuehren();
  TEntryForm& form() { return form_; }
  Lastschriftprofil profil() const;

 private:
  Mandant& m_;
  Bankverbindungen b_;
  TEntryForm form_;
};

class TFLastschriftAuswahl {
 public:
  TFLastschriftAuswahl(Mandant& m, std::vector<Lastschriftposten>& posten);
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  std::vector<Lastschriftposten>& posten_;
  TEntryForm form_;
};

// The whole command: preconditions, both dialogs, the run.
bool lastschrift(Mandant& m, const std::string& diskettenpfad);

}  // namespace fibu
