// The posting engine. Every booking of a client, from whatever source, is
// written by buchung_schreiben: it puts the working booking of the booking
// file at its number and carries out what the booking means for the books
// (the effects of the booking stored there before are taken back first):
// tax split, balances and period totals of the account, its tax account or
// its collective account, payments to open items, period activation,
// document numbers. op_buchen opens or accumulates the open item of an
// invoice, credit note or opening item; buchung_pruefen checks a booking
// before it is written.
//
// A booking with all its effects is one unit of work of the data directory:
// everything it changes reaches the disk together or not at all. Bulk runs
// put many bookings into one unit with a Buchungslauf.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "store/dateien.h"
#include "suite/betrag.h"
#include "suite/satz.h"
#include "suite/tpdate.h"

namespace fibu {

class Mandant;
class Buchungslauf;

// What a posting reaches: the base data and the record files of a client.
// The booking check reads the cost files when they are given.
struct Buchungsumgebung {
  Satz* basis = nullptr;
  tdbbuchung_datenbank* buchung = nullptr;
  tdbsach_datenbank* sach = nullptr;
  tdbperson_datenbank* personen = nullptr;
  tdbopstamm_datenbank* opstamm = nullptr;
  tdbkosten_datenbank* kosten = nullptr;
  tdbkostenart_datenbank* kostart = nullptr;
  Tagesdatum* tagesdatum = nullptr;
  // BASIS.PAR with its copy BASIS.SIK (period activation) / without it
  // (document numbers), both as part of the running unit of work.
  std::function<bool()> basis_sichern;
  std::function<bool()> basis_ablegen;
};

// The open client's files; OPSTAMM and KOSTART are opened when they are not.
Buchungsumgebung buchungsumgebung(Mandant& m);

// --- What a booking is ---
// The Buchungsart with a blank taken as unset (0).
char buchungsart(const Satz& buchung);
// Soll/Haben: 'S' debit; anything else counts as credit.
[[nodiscard]] bool ist_soll(const Satz& buchung);
// The amount with the sign of its side: + for "S", − otherwise.
Betrag vorzeichenbetrag(const Satz& buchung);
// A booking on a personal account that opens an item ("R", "G", or "E"
// with opening kind 0 or 1) / that pays one ("Z", or "E" with kind 2).
[[nodiscard]] bool eroeffnet_op(const Satz& basis, const Satz& buchung);
[[nodiscard]] bool ist_zahlung(const Satz& basis, const Satz& buchung);
// Key of the booking's open item: "D" for a Debitor account, else "K",
// followed by the trimmed document number.
std::string op_schluessel(const Satz& basis, const Satz& buchung);
// The tax key as a number: 0 when empty, nullopt when it is no number.
std::optional<int> steuerschluessel_von(const Satz& buchung);
// A document number read as a whole number (leading zeros allowed);
// nullopt when it is not one.
std::optional<std::int64_t> belegnummer_wert(const std::string& belegnr);

// The client's document-number interval for bookings on `konto` (GL,
// Debitor or Kreditor range) as the base data hold it, and whether a
// document number lies in it: only whole numbers do; an end that is no
// number leaves that side open.
struct Belegintervall {
  std::string von, bis;
};
Belegintervall belegintervall(const Satz& basis, const std::string& konto);
[[nodiscard]] bool im_belegintervall(const Satz& basis, const std::string& konto,
                                     const std::string& belegnr);

// Key in KOSTEN of a cost-centre field: "V" + four digits for a number in
// the client's allocation-key range, else "K" + four digits.
std::string kostenschluessel(const Satz& basis, const std::string& kost);

// Message text of a check code; empty for a code without text.
std::string pruef_text(int code);

class Buchungskern {
 public:
  explicit Buchungskern(Buchungsumgebung umgebung);
  explicit Buchungskern(Mandant& m);
  ~Buchungskern();
  Buchungskern(const Buchungskern&) = delete;
  Buchungskern& operator=(const Buchungskern&) = delete;

  // Writes the working booking of the booking file at number n of its
  // current view (n beyond the count first appends blank records dated
  // today) with all its effects. The working booking then holds the record
  // as written (net amount, tax, number). The working records of the
  // account and open-item files are left as they were. False when the
  // booking could not be written; nothing of it is then on disk (in a
  // caller's unit of work: that unit can only be rolled back).
  [[nodiscard]] bool buchung_schreiben(std::int64_t n);

  // Opens the open item of an invoice, credit-note or opening booking just
  // written, or adds the booking to the item of the same document number.
  [[nodiscard]] bool op_buchen(const Satz& buchung);

  // Deletes booking n of the current view: an empty record takes its place
  // and its effects are taken back. An item the booking opened goes with
  // its last booking; while another line or a payment of the document is
  // on the account, the item stays with what they hold. One unit of work;
  // false when it could not be done (then nothing was changed).
  [[nodiscard]] bool buchung_loeschen(std::int64_t n);

  // The order every posting source follows, as one unit of work:
  // buchung_schreiben, then op_buchen when the booking opens an item.
  [[nodiscard]] bool buchen(std::int64_t n);

  // 0 when the booking may be written, else the code of the first check
  // that fails (pruef_text gives its message). Upper-cases the Soll/Haben
  // flag and clears a cost centre "0" in the record. `belegintervall`:
  // also check the client's document-number interval. `op_vorhanden_erlaubt`:
  // an invoice whose item exists already passes (code 6 is not given), so
  // that a stored booking, whose item is always there, still meets the
  // checks after it.
  [[nodiscard]] int buchung_pruefen(Satz& buchung, bool belegintervall,
                                    bool op_vorhanden_erlaubt = false);

  // Parts of the check the entry screen runs column by column:
  // the cost centre (0, 12, 13 or 18) and the counter-account against the
  // exclusion and allowed ranges of the base data (0, 21, 22 or 23).
  [[nodiscard]] int kosten_pruefen(const Satz& buchung);
  [[nodiscard]] int gegenkonto_pruefen(const Satz& buchung) const;

  // From now on the GL and personal accounts the postings reach are read
  // from their files once and then held in memory, one record per account;
  // what the postings change stays there until konten_ablegen(). Only for a
  // run that is the sole writer of the account files (the booking check on
  // its copies): a read through the files meanwhile sees the balances as
  // they were last written back. Forgotten with the engine.
  void konten_halten();
  // Writes every held account the postings changed back through the record
  // store (in the caller's unit of work) and goes on holding them; false
  // when a write failed.
  [[nodiscard]] bool konten_ablegen();
  // For a run in the balance-only mode that looks at the totals of the
  // periods von..bis alone: a booking of another period changes no account
  // (an opening booking always does), only its item. The balances of the
  // accounts are then no longer whole.
  void konten_nur_perioden(int von, int bis);

  Buchungsumgebung& umgebung() { return u_; }
  const Satz& basis() const { return *u_.basis; }

 private:
  friend class Buchungslauf;

  // The effects on balances and open items (steps "post" and "pay").
  void wirkung(Satz& b, bool als_storno);
  void sachkonto_buchen(Satz& b);
  void personenkonto_buchen(Satz& b);
  void op_zahlung(const Satz& b);
  [[nodiscard]] bool konten_wirken(const Satz& b) const;
  void steuer_buchen(Satz& steuerkonto, Satz& b, Betrag steuer);
  // Reads the GL account of a number into `aus`; false when there is none.
  [[nodiscard]] bool sachkonto_lesen(std::int32_t nummer, Satz& aus);
  [[nodiscard]] bool sachkonto_schreiben(const Satz& konto);
  // The same for personal accounts by their number as text.
  [[nodiscard]] bool personenkonto_lesen(const std::string& nummer, Satz& aus);
  [[nodiscard]] bool personenkonto_schreiben(const std::string& nummer, const Satz& konto);
  void abschluss(Satz& b, std::int64_t n);
  // Runs the steps of one posting as one unit of work: when they fail,
  // nothing of them stays and the base data and the working booking are
  // as before.
  [[nodiscard]] bool als_einheit(const std::function<bool()>& schritte);
  [[nodiscard]] bool basis_geaendert(bool mit_sicherung);
  [[nodiscard]] bool gestoert() const;
  bool wirkung_ok_ = true;

  struct Kontenspeicher;
  std::unique_ptr<Kontenspeicher> konten_;
  int nur_von_ = 0, nur_bis_ = 0;  // konten_nur_perioden; 0: every period
  Buchungsumgebung u_;
  Buchungslauf* lauf_ = nullptr;
};

// Many bookings in one unit of work (imports, re-posting, year-end): the
// files stay locked, the base data are written once per unit.
// zwischenstand() commits what was booked so far and begins the next unit;
// leaving without ende() rolls back what is not committed.
class Buchungslauf {
 public:
  explicit Buchungslauf(Buchungskern& kern);
  ~Buchungslauf();
  Buchungslauf(const Buchungslauf&) = delete;
  Buchungslauf& operator=(const Buchungslauf&) = delete;

  // False when the unit could not be begun or a booking in it failed.
  [[nodiscard]] bool ok() const;
  // False when the unit could not be committed or the next one not begun;
  // festgeschrieben() then tells whether the unit is on disk all the same.
  [[nodiscard]] bool zwischenstand();
  [[nodiscard]] bool ende();
  // Whether the last commit left its unit on disk: committed, or safe in
  // the journal and completed when the client is next opened (then the
  // base data in memory stay as the unit wrote them). False also before
  // the first commit.
  [[nodiscard]] bool festgeschrieben() const { return festgeschrieben_; }
  // The caller changed the base data (how far a file is posted): they are
  // written with the unit.
  void basis_ablegen() { ablegen_ = true; }

 private:
  friend class Buchungskern;
  [[nodiscard]] bool beginnen();
  [[nodiscard]] bool bestaetigen();
  void sperren(bool an);

  Buchungskern& kern_;
  bool laeuft_ = false;
  bool fehler_ = false;
  bool sichern_ = false;  // a period became active: BASIS.SIK, then BASIS.PAR
  bool ablegen_ = false;  // the base data changed otherwise
  bool festgeschrieben_ = false;
  Satz basis_vorher_;
};

}  // namespace fibu
