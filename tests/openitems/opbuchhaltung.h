// Books for the open-item tests: the small client of the posting tests
// with helpers that post invoices, credit notes and payments on personal
// accounts through the engine, each at the next booking number and
// checked first, as every posting source does.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../posting/testbuchhaltung.h"

namespace fibu {

// Posting helpers over any test client (the crash tests make their own).
class Opbuchungen {
 public:
  explicit Opbuchungen(Testbuchhaltung& t) : b_(t) {}

  // Posts a booking dated `datum` in the period of its month; the number
  // it was written at, 0 when the check or the posting refused it.
  std::int64_t buche(const std::string& konto, char art, char sh, Betrag betrag,
                     const std::string& beleg, Datum datum, const std::string& gegen = "1200") {
    int tag, monat, jahr;
    DateToDMY(datum, tag, monat, jahr);
    Satz& s = b_.buchung(konto, sh, betrag, gegen, "", art, beleg, monat, datum);
    const int code = b_.kern->buchung_pruefen(s, false);
    EXPECT_EQ(code, 0) << pruef_text(code) << " (" << konto << " " << beleg << ")";
    if (code != 0) return 0;
    const std::int64_t n = b_.m->buchung->letzte_buchung() + 1;
    if (!b_.kern->buchen(n)) {
      ADD_FAILURE() << "not posted: " << konto << " " << beleg;
      return 0;
    }
    return n;
  }

  // A customer's invoice (debit) / credit note (credit) and a supplier's
  // invoice (credit) / credit note (debit), gross; the side the type
  // demands on the account.
  std::int64_t rechnung(const std::string& konto, const std::string& beleg, Betrag brutto,
                        Datum datum) {
    return buche(konto, 'R', b_.m->ist_debitor(konto) ? 'S' : 'H', brutto, beleg, datum, "4400");
  }
  std::int64_t gutschrift(const std::string& konto, const std::string& beleg, Betrag brutto,
                          Datum datum) {
    return buche(konto, 'G', b_.m->ist_debitor(konto) ? 'H' : 'S', brutto, beleg, datum, "4400");
  }
  // A payment in the direction that pays the item off: a customer pays
  // (credit), the client pays a supplier (debit). A negative amount pays
  // back.
  std::int64_t zahlung(const std::string& konto, const std::string& beleg, Betrag betrag,
                       Datum datum) {
    const bool debitor = b_.m->ist_debitor(konto);
    const char sh = (betrag >= 0) == debitor ? 'H' : 'S';
    return buche(konto, 'Z', sh, betrag >= 0 ? betrag : -betrag, beleg, datum);
  }

  Satz op(const std::string& key) {
    auto s = b_.op(key);
    EXPECT_TRUE(s) << key;
    return s ? *s : Satz(OpstammFelder::groesse);
  }


 private:
  Testbuchhaltung& b_;
};

struct OpBuchhaltung : Testumgebung, Opbuchungen {
  OpBuchhaltung() : Opbuchungen(t) {}

  // The lines of the last print job after the standard header.
  std::vector<std::string> liste() const {
    const auto z = t.ui.druckauftraege().back().alle_zeilen();
    return {z.begin() + 7, z.end()};
  }
};

}  // namespace fibu
