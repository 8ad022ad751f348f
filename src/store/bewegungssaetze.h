// Record layouts of the transaction files: bookings (BUCHUNG.DA1 and the
// cost work file), open items (OPSTAMM, P_OPSTAM), payment-module invoices
// (ERECH) and the small work files.
#pragma once

#include <cstdint>

#include "suite/satz.h"

namespace fibu {

// One booking (321 bytes).
struct BuchungFelder {
  static constexpr std::size_t groesse = 321;
  static constexpr ZahlFeld<std::int32_t> Index{2};
  static constexpr std::size_t Buchungsart = 6;  // one character
  static constexpr TextFeld Konto{7, 8};
  static constexpr TextFeld Kost{16, 9};
  static constexpr TextFeld Belegnr{26, 20};
  static constexpr DatumFeld Datum{47};
  static constexpr TextFeld Textschluessel{49, 2};
  static constexpr TextFeld Text1{52, 50}, Text2{103, 50};
  static constexpr std::size_t SollHaben = 154;  // "S" or "H"
  static constexpr ZahlFeld<std::int64_t> Betrag{155};
  static constexpr TextFeld Gegenkonto{163, 8};
  static constexpr TextFeld Steuerschluessel{172, 2};
  static constexpr ZahlFeld<std::int64_t> Steuerbetrag{175};
  static constexpr ZahlFeld<std::int64_t> Steuersatz{183};  // hundredths of a percent
  static constexpr ZahlFeld<std::uint8_t> Periode{191};
  static constexpr ZahlFeld<std::int64_t> GebuchteSteuer{192};
  static constexpr JaNeinFeld Gesperrt{200};
  static constexpr ZahlFeld<std::uint8_t> Eroeffnungsart{221};
  static constexpr TextFeld Steuerkontofeld{222, 33};
  static constexpr DatumFeld Datum2{256};
  // A foreign-currency booking keeps the amount before conversion.
  static constexpr JaNeinFeld Fremdwaehrung{258};
  static constexpr ZahlFeld<std::int64_t> Fremdbetrag{259};
  // What the entry screen keeps of the document for its open item.
  static constexpr DatumFeld Belegdatum{267}, Faelligdatum{269};
  static constexpr TextFeld Fremdbelegnr{271, 20};
};

// An open item (OPSTAMM and P_OPSTAM, 686 bytes).
struct OpstammFelder {
  static constexpr std::size_t groesse = 686;
  static constexpr JaNeinFeld Rechnung{10};
  static constexpr JaNeinFeld Diverse{11};
  static constexpr TextFeld Belegnummer{12, 20};
  static constexpr TextFeld Kontonummer{33, 8};
  static constexpr TextFeld Suchname{42, 18};
  static constexpr TextFeld Anrede{61, 40}, Name{102, 40}, Titel{143, 40}, Strasse{184, 40},
      PlzOrt{225, 40};
  static constexpr DatumFeld Rechnungsdatum{266}, Faelligkeitsdatum{268}, Buchungsdatum{270};
  static constexpr ZahlFeld<std::int64_t> Betrag{272};
  static constexpr ZahlFeld<std::int64_t> NochOffen{280};
  static constexpr ZahlFeld<std::int64_t> Skontoprozent{288};  // thousandths of a percent
  static constexpr DatumFeld Skontodatum{296};
  static constexpr ZahlFeld<std::uint8_t> Mahnstufe{298};
  static constexpr DatumFeld Mahndatum{299};
  static constexpr ZahlFeld<std::uint8_t> Mahnkennziffer{301};
  static constexpr TextFeld Fremdbelegnr{302, 20};
  static constexpr ZahlFeld<std::uint8_t> Filternummer{323};
  static constexpr ZahlFeld<std::uint16_t> Mahnen{324};
  static constexpr TextFeld Gegenkonto{326, 8};
  // The text of the booking that opened the item (program-defined place
  // in the bytes up to the kind letter).
  static constexpr TextFeld Buchungstext{335, 50};
  static constexpr std::size_t Kennung = 386;  // "D" or "K"
};

// A payment-module invoice (ERECH, 873 bytes); the fields the keys use.
struct ErechFelder {
  static constexpr std::size_t groesse = 873;
  static constexpr TextFeld Schluessel1{4, 5};
  static constexpr DatumFeld Datum1{23};
  static constexpr TextFeld Schluessel2{25, 18};
  static constexpr TextFeld AltesFeld{44, 20};  // moved to 556 on reading
  static constexpr TextFeld Schluessel4{96, 3};
  static constexpr DatumFeld Datum2{144};
  static constexpr TextFeld NeuesFeld{556, 20};
};

// Journal work file (tempjour, 22 bytes): date and booking number.
struct TempjourFelder {
  static constexpr std::size_t groesse = 22;
  static constexpr DatumFeld Datum{0};
  static constexpr ZahlFeld<std::int32_t> Buchungsnummer{2};
};

// Open-item check file (tempop, 38 bytes); its key is set by the caller.
struct TempopFelder {
  static constexpr std::size_t groesse = 38;
};

}  // namespace fibu
