// What the GL and the personal account dialogs share: the printed period
// totals of an account, the previous years' totals of the info dialog and
// the deletion of a range of accounts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frame/mandant.h"
#include "suite/betrag.h"
#include "suite/entryform.h"

namespace fibu {

// The totals of one account as the record holds them.
struct Kontosummen {
  Betrag eroeffnung = 0;
  std::function<Betrag(int periode)> soll, haben;
  std::function<Betrag(int jahr)> vorjahr_soll, vorjahr_haben;  // 1 = the year before
};

// "Umsätze": debit, credit and balance of each period, the year and the
// balance with the opening balance, under the standard page header.
void umsaetze_drucken(Mandant& m, Interaktion& ui, const std::string& dokument,
                      const std::string& kontozeile, const Kontosummen& summen);

// The fields of the five previous years (numbers ab, ab + 1, ...), shown
// only.
void vorjahre_hinzufuegen(TEntryForm& form, int ab, int jahr, const Kontosummen& summen);

// The personal accounts numbered von..bis by search name, then number;
// accounts without a search name first (the search-name index leaves them
// out, so the order is made here).
std::vector<std::string> personenkonten_nach_suchname(Mandant& m, std::int32_t von,
                                                      std::int32_t bis);

// Whether an account has an opening balance, a period total or a booking.
bool konto_bebucht(Mandant& m, const Kontosummen& summen, std::int32_t nummer);

// A number typed into the number field: false, with `meldung` and the
// cursor kept there, when it is outside its range.
bool kontonummer_im_bereich(TEntryForm& form, int nummer_feld, bool im_bereich,
                            const std::string& meldung);

// The dialog `titel` with a range, the question, then every account of the
// file between the two numbers handed to the file's deletion; `bebucht`
// sets the posted flag of the working record first (the file refuses
// posted accounts).
void konten_loeschen(Mandant& m, tdatenbank& datei, const std::string& titel,
                     const std::function<std::string(std::int32_t)>& key,
                     const std::function<void()>& bebucht);

}  // namespace fibu
