// A line of a foreign booking file for the tests: the booking fields, the
// rest blank (dated 15.01.2024 unless given).
#pragma once

#include <string>

#include "exchange/fremdzeile.h"

namespace fibu {

inline Fremdzeile zeile(char art, const std::string& konto, char sh, Betrag brutto,
                        const std::string& gegen, const std::string& beleg = "",
                        const std::string& steuer = "", Betrag netto = 0,
                        Datum datum = DMYtoDate(15, 1, 2024)) {
  Fremdzeile z;
  z.buchungsart = art == ' ' ? '\0' : art;
  z.konto = konto;
  z.soll_haben = sh;
  z.brutto = brutto;
  z.gegenkonto = gegen;
  z.belegnr = beleg;
  z.steuerschluessel = steuer;
  z.netto = netto;
  z.datum = datum;
  z.text1 = "Import " + beleg;
  return z;
}

}  // namespace fibu
