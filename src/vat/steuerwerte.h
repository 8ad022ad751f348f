// The figures of the VAT advance return, computed from the period totals of
// the GL accounts only (no booking is read, nothing is written): the check
// list per tax key, the form-line table the official form and the
// electronic return are made from, and for the years after 2012 the
// Kennzahlen of the return. Free of any output; the check list and the
// form step print what these functions compute.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "suite/betrag.h"
#include "vat/formularwerte.h"
#include "vat/ustjahre.h"

namespace fibu {

class Mandant;

// What the return needs of one GL account, with its totals over the
// chosen periods.
struct Ustkonto {
  std::int32_t nummer = 0;
  std::string bezeichnung;
  int kontenart = 0;  // 0 S, 1 K, 2 M, 3 U, 4 V, 5 EG
  int zeile = 0;      // "UST-Zeile"
  int schluessel = 0;
  Betrag soll = 0, haben = 0;  // totals of periods von..bis
  Betrag sollsaldo() const { return soll - haben; }
  Betrag habensaldo() const { return haben - soll; }
};

// Every GL account, in account-number order, with its totals of periods
// von..bis (both 1..12).
std::vector<Ustkonto> ustkonten_lesen(Mandant& m, int von, int bis);

// --- The check list ---

struct Prueflistenkonto {
  std::int32_t nummer = 0;
  std::string bezeichnung;
  Betrag betrag = 0;
};

// The accounts of one tax key in the revenue or the acquisition section.
struct Steuergruppe {
  int schluessel = 0;
  std::int64_t satz = 0;         // hundredths of a percent; 0: no tax
  std::int32_t steuerkonto = 0;  // 0: none
  std::vector<Prueflistenkonto> konten;
  Betrag summe = 0;
  Betrag steuer = 0;   // summe × satz, to the nearest cent
  Betrag gebucht = 0;  // credit balance of the tax account (0 when it does not exist)
  Betrag differenz() const { return steuer - gebucht; }
};

struct Prueflistenabschnitt {
  std::vector<Steuergruppe> gruppen;  // by tax key
  Betrag betrag = 0, steuer = 0, differenz = 0;
};

struct Pruefliste {
  Prueflistenabschnitt umsaetze;            // Kontenart 3, credit balances
  Prueflistenabschnitt erwerbe;             // Kontenart 5, debit balances
  std::vector<Prueflistenkonto> vorsteuer;  // Kontenart 4, credit balances
  Betrag summe_vorsteuer = 0;
  std::vector<Prueflistenkonto> direkt;  // Kontenart 0 with UST-Zeile 99, credit balances
  Betrag summe_direkt = 0;
  // Tax of revenue and acquisitions plus the input-tax accounts, without
  // the direct tax accounts.
  Betrag zu_zahlen = 0;
};

// `runden`: revenue and acquisition accounts count in whole euros
// (truncated toward zero, account by account).
Pruefliste pruefliste_berechnen(const std::vector<Ustkonto>& konten,
                                const std::vector<std::pair<std::int32_t, std::int64_t>>& steuern,
                                bool runden);
// The same with the tax keys of the client's base data.
Pruefliste pruefliste_berechnen(Mandant& m, const std::vector<Ustkonto>& konten, bool runden);

// --- The form lines ---

// Bases and taxes of the form lines 1..86 and the debit balance of the
// direct tax accounts. No rounding here: the form rounds.
Formularwerte formularwerte_fuellen(const std::vector<Ustkonto>& konten);

// The line the directly booked input tax is taken over to in `jahr`:
// before 2002 line 47, up to 2012 the form's input-tax line, after 2012 the
// line of Kz 66 in the year table.
int vorsteuerzeile_fuer(int jahr, const std::function<int(int)>& formularzeile);

// --- The Kennzahlen (years after 2012) ---

struct Kennzahlwert {
  int kz_basis = 0, kz_steuer = 0;
  std::string text;
  Betrag basis = 0;   // whole euros (in cents)
  Betrag steuer = 0;  // owed tax positive; input tax as the amount deducted
  Kzregel regel = Kzregel::Basis;
};

struct Kennzahlenliste {
  std::vector<Kennzahlwert> werte;  // in the order of the official form, each Kennzahl once
  std::vector<int> ohne_kennzahl;   // lines with amounts but no Kennzahl in that year
  Betrag summe = 0;                 // the advance payment before a special prepayment
};

// The Kennzahlen of the period beginning in `monat` of `jahr` (after 2012).
Kennzahlenliste kennzahlen_berechnen(const Formularwerte& w, int jahr, int monat);

}  // namespace fibu
