// Parameter files of a client: MANDANT.PAR / LETZTER.PAR, BASIS.PAR,
// JOURNAL.PAR, MAHNKENN.PAR and BWANAMEN.PAR, each one record written
// whole. Text in BASIS.PAR is in the DOS code page (CP850), as the old
// program kept it; the other parameter files use the Windows code page.
#pragma once

#include <cstdint>

#include "suite/satz.h"
#include "suite/tpdate.h"

namespace fibu {

// MANDANT.PAR in the client directory, LETZTER.PAR in the accounting root.
struct MandantFelder {
  static constexpr std::size_t groesse = 1056;
  static constexpr ZahlFeld<std::uint16_t> Mandantnummer{0};
  static constexpr TextFeld Mandantname{2, 40};
  static constexpr TextFeld Passwort{43, 10};
  static constexpr ZahlFeld<std::uint16_t> Jahr{54};
};

// BASIS.PAR in the fiscal-year directory (61098 bytes).
struct BasisFelder {
  static constexpr std::size_t groesse = 61098;
  static constexpr Codepage cp = Codepage::CP850;

  // --- Documented fields ---
  static constexpr ZahlFeld<std::uint16_t> OpSchluesselform{0};  // 0 old, 1 new
  static constexpr TextFeld Finanzamt{2, 20, cp};
  static constexpr TextFeld Steuernummer{23, 20, cp};
  static constexpr TextFeld Name{44, 40, cp};
  static constexpr TextFeld Titel{85, 40, cp};
  static constexpr TextFeld Strasse{126, 40, cp};
  static constexpr TextFeld PlzOrt{167, 40, cp};
  static constexpr TextFeld EgId{208, 20, cp};
  static constexpr ZahlFeld<std::int32_t> SachVon{229}, SachBis{233};
  static constexpr ZahlFeld<std::int32_t> DebitorVon{237}, DebitorBis{241};
  static constexpr ZahlFeld<std::int32_t> KreditorVon{245}, KreditorBis{249};
  static constexpr ZahlFeld<std::uint8_t> AnzahlPerioden{253};
  static constexpr ZahlFeld<std::uint8_t> AktuellePeriode{254};
  static constexpr ZahlFeld<std::uint16_t> Automatik{257};
  static constexpr ZahlFeld<std::uint16_t> Kostenstellenzwang{259};
  static constexpr ZahlFeld<std::uint8_t> SachLaenge{261};
  static constexpr ZahlFeld<std::uint8_t> PersonenLaenge{262};
  // "further client setting used by the imports": the one account the
  // imports need that has no other place, the Debitor for one-time customers.
  static constexpr ZahlFeld<std::int32_t> DebitorDiverse{264};
  static constexpr JaNeinFeld BasisKonsistent{268};
  static constexpr TextFeld FaStrasse{269, 40, cp}, FaOrt{310, 40, cp}, FaTelefon{351, 40, cp};
  static constexpr ZahlFeld<std::uint8_t> BasiswaehrungEuro{404};
  static constexpr JaNeinFeld StammKonsistent{407};
  static constexpr JaNeinFeld DatevErweitert{408};
  // Period p = 1..12: first day, last day, status (0 "Nicht aktiv",
  // 1 "Aktiv", 2 "Journal gedruckt", 3 "Monatsabschluß").
  static constexpr std::size_t periode(int p) { return 756 + 505 * static_cast<std::size_t>(p); }
  static constexpr DatumFeld periode_von(int p) { return {periode(p)}; }
  static constexpr DatumFeld periode_bis(int p) { return {periode(p) + 2}; }
  static constexpr ZahlFeld<std::uint8_t> periode_status(int p) { return {periode(p) + 4}; }
  // Collective accounts i = 1..40 (0 = empty).
  static constexpr ZahlFeld<std::int32_t> forderungskonto(int i) {
    return {7822 + 4 * static_cast<std::size_t>(i)};
  }
  static constexpr ZahlFeld<std::int32_t> verbindlichkeitskonto(int i) {
    return {7982 + 4 * static_cast<std::size_t>(i)};
  }
  static constexpr ZahlFeld<std::int32_t> DifferenzkontoSach{8744}, DifferenzkontoDebitor{8748},
      DifferenzkontoKreditor{8752};
  // Document-number ranges k = 0..8: GL from, to, last; Debitor from, to,
  // last; Kreditor from, to, last.
  static constexpr TextFeld belegnummer(int k) {
    return {8756 + 63 * static_cast<std::size_t>(k), 20, cp};
  }
  static constexpr ZahlFeld<std::int32_t> SaldenvortragSach{9756}, SaldenvortragDebitor{9760},
      SaldenvortragKreditor{9764};
  // Posting-check table: column c = 0..7 (GL "Buchung auf" from, to;
  // "Schließt aus" from, to; allowed with Debitoren from, to; allowed with
  // Kreditoren from, to), row r = 0..9.
  static constexpr ZahlFeld<std::int32_t> pruefung(int c, int r) {
    return {9768 + 40 * static_cast<std::size_t>(c) + 4 * static_cast<std::size_t>(r)};
  }
  // Tax key k = 1..40.
  static constexpr std::size_t steuer(int k) { return 10541 + 47 * static_cast<std::size_t>(k); }
  static constexpr ZahlFeld<std::int32_t> steuerkonto(int k) { return {steuer(k)}; }
  static constexpr ZahlFeld<std::int64_t> steuersatz(int k) { return {steuer(k) + 4}; }
  static constexpr ZahlFeld<std::int64_t> steuerwert2(int k) { return {steuer(k) + 12}; }
  static constexpr ZahlFeld<std::uint8_t> steuerbyte(int k) { return {steuer(k) + 20}; }
  static constexpr TextFeld steuertext(int k) { return {steuer(k) + 21, 25, cp}; }
  static constexpr ZahlFeld<std::int32_t> KostenstelleVon{12468}, KostenstelleBis{12472};
  static constexpr ZahlFeld<std::int32_t> VerteilschluesselVon{12476}, VerteilschluesselBis{12480};
  static constexpr ZahlFeld<std::int32_t> Differenzkostenstelle{12484};
  static constexpr TextFeld filtername(int n) {
    return {14498 + 16 * static_cast<std::size_t>(n), 15, cp};
  }
  static constexpr JaNeinFeld SkontoVorschlagen{16098};
  static constexpr ZahlFeld<std::int32_t> RabuchGegenkonto{16190};
  static constexpr JaNeinFeld RabuchAdressen{16194};
  static constexpr JaNeinFeld RabuchKostenstelleAlsGegenkonto{16195};
  static constexpr JaNeinFeld RabuchNegativeAlsGutschrift{16196};
  static constexpr std::size_t LetzteBuchungsart = 16197;  // one character
  static constexpr DatumFeld LetztesDatum{16312};
  static constexpr TextFeld Diskettenlaufwerk{16324, 3, cp};

  // --- Settings kept with the base data that have no documented place:
  // fixed here, in a block from 20000 that no documented field uses. ---
  static constexpr ZahlFeld<std::uint16_t> tage_dispo_debitoren(int i) {
    return {20000 + 2 * static_cast<std::size_t>(i)};
  }  // i = 0..9
  static constexpr ZahlFeld<std::uint16_t> tage_dispo_kreditoren(int i) {
    return {20020 + 2 * static_cast<std::size_t>(i)};
  }
  // Standard texts n = 1..20 ("Floskeln"): two lines of 50.
  static constexpr TextFeld floskel1(int n) {
    return {20040 + 102 * static_cast<std::size_t>(n - 1), 50, cp};
  }
  static constexpr TextFeld floskel2(int n) {
    return {20091 + 102 * static_cast<std::size_t>(n - 1), 50, cp};
  }
  static constexpr ZahlFeld<std::uint8_t> FaBundesland{22080};  // 1..16, 0 = none chosen
  static constexpr TextFeld FaNummer{22081, 4, cp};
  static constexpr JaNeinFeld PruefungSachAktiv{22086}, PruefungDebitorAktiv{22087},
      PruefungKreditorAktiv{22088};
  static constexpr JaNeinFeld SteuerkontenDirektBebuchbar{22089};
  static constexpr TextFeld periodenname(int p) {
    return {22090 + 41 * static_cast<std::size_t>(p - 1), 40, cp};
  }
  static constexpr ZahlFeld<std::uint8_t> BelegnummerBreite{22582};  // 0: 7
  static constexpr JaNeinFeld BelegnummernAlphanumerisch{22583};
  // Automatic write-off of small remainders.
  static constexpr ZahlFeld<std::uint8_t> AusbuchungArt{22584};  // 0 Debitoren, 1 Kreditoren
  static constexpr ZahlFeld<std::int32_t> AusbuchungSkontoDebitoren{22585},
      AusbuchungSkontoKreditoren{22589};
  static constexpr JaNeinFeld AusbuchungFristgerecht{22593};
  static constexpr DatumFeld AusbuchungDatum{22594};
  static constexpr ZahlFeld<std::int64_t> AusbuchungSchwelleBetrag{22596};  // cents
  static constexpr ZahlFeld<std::int64_t> AusbuchungSchwelleProzent{22604};  // hundredths of a %
  // Bank statement import.
  static constexpr TextFeld BankPfad{22613, 200, cp};
  static constexpr TextFeld BankDatei{22814, 40, cp};
  static constexpr JaNeinFeld BankFormatTOnline{22855}, BankFormatMultiCash{22856},
      BankFormatSwift{22857};
  static constexpr TextFeld bank_muster_ar(int i) {
    return {22858 + 11 * static_cast<std::size_t>(i), 10, cp};
  }  // i = 0, 1
  static constexpr TextFeld BankMusterEr{22880, 10, cp};
  static constexpr TextFeld BankMusterSach{22891, 10, cp};
  static constexpr JaNeinFeld BankHaben{22902}, BankSoll{22903};
  static constexpr DatumFeld BankLetzterVon{22904}, BankLetzterBis{22906};
  // Invoice-book import.
  static constexpr DatumFeld RabuchVon{22908}, RabuchBis{22910};
  static constexpr ZahlFeld<std::uint8_t> RabuchPeriode{22912};
  static constexpr DatumFeld RabuchLetzterVon{22913}, RabuchLetzterBis{22915};
  static constexpr JaNeinFeld BelegnummerImportRechts{22917};
  // Foreign-data import.
  static constexpr DatumFeld FremdVon{22918}, FremdBis{22920};
  static constexpr ZahlFeld<std::uint8_t> FremdPeriode{22922};
  static constexpr JaNeinFeld FremdAdressen{22923}, FremdNegativeAlsGutschrift{22924};
  static constexpr TextFeld FremdPfad{22925, 80, cp};
  // How far an import posted a file (written with its bookings).
  static constexpr ZahlFeld<std::uint16_t> UebernahmeBefehl{23006};  // command number, 0 = none
  static constexpr TextFeld UebernahmeDatei{23008, 40, cp};          // file name
  static constexpr ZahlFeld<std::int64_t> UebernahmeGroesse{23049};  // bytes
  static constexpr ZahlFeld<std::uint32_t> UebernahmePruefsumme{23057};  // CRC-32C
  static constexpr ZahlFeld<std::int32_t> UebernahmeZeile{23061};     // last line on disk
  static constexpr JaNeinFeld UebernahmeFertig{23065};                // posted to its end
  // Bank statement import: the fourth format, CAMT.053 (beside the three
  // flags above; one of the four is set).
  static constexpr JaNeinFeld BankFormatCamt{23066};
  static constexpr std::size_t ende_programmfelder = 23067;
};

// JOURNAL.PAR: the archive count in the first 4 bytes.
struct JournalFelder {
  static constexpr std::size_t groesse = 512;
  static constexpr ZahlFeld<std::int32_t> Archivanzahl{0};
};

// MAHNKENN.PAR: the 99 dunning codes, entry n at eintrag(n) (all zero
// when missing). The fields of one entry are those of MahnkennEintrag.
struct MahnkennFelder {
  static constexpr std::size_t groesse = 33858;
  static constexpr std::size_t eintragsgroesse = 342;
  static constexpr std::size_t eintrag(int n) {
    return eintragsgroesse * static_cast<std::size_t>(n - 1);
  }  // n = 1..99
};

// One dunning code of MAHNKENN.PAR; level k = 1..5. Rates in hundredths of
// a percent, fees and the minimum in cents.
struct MahnkennEintrag {
  static constexpr std::size_t groesse = MahnkennFelder::eintragsgroesse;
  static constexpr std::size_t stufe(int k) { return 20 * static_cast<std::size_t>(k - 1); }
  static constexpr ZahlFeld<std::uint16_t> tage(int k) { return {stufe(k)}; }
  static constexpr ZahlFeld<std::uint16_t> textnummer(int k) { return {stufe(k) + 2}; }
  static constexpr ZahlFeld<std::int64_t> zinssatz(int k) { return {stufe(k) + 4}; }
  static constexpr ZahlFeld<std::int64_t> gebuehr(int k) { return {stufe(k) + 12}; }
  static constexpr ZahlFeld<std::uint16_t> Zahlungsziel{100};
  static constexpr ZahlFeld<std::int64_t> MahnenAb{102};
  static constexpr ZahlFeld<std::uint16_t> Mahnart{112};  // 0 all items, 1 only due ones
  static constexpr TextFeld Bezeichnung{116, 25};
};

// MAHNTEXT.PAR: 99 records, record n − 1 the letter text n: ten lines before
// the item table and ten after it, in the DOS code page.
struct MahntextFelder {
  static constexpr std::size_t groesse = 1470;
  static constexpr TextFeld vortext(int i) {
    return {61 * static_cast<std::size_t>(i), 60, Codepage::CP850};
  }  // i = 0..9
  static constexpr TextFeld nachtext(int i) {
    return {610 + 61 * static_cast<std::size_t>(i), 60, Codepage::CP850};
  }
};

// BWANAMEN.PAR: 99 BWA line names of 302 bytes, each beginning with a string of 40.
struct BwanamenFelder {
  static constexpr std::size_t groesse = 29898;
  static constexpr TextFeld name(int n) {
    return {302 * static_cast<std::size_t>(n - 1), 40};
  }  // n = 1..99
  static constexpr TextFeld tabellenname(int n) {
    return {302 * static_cast<std::size_t>(n - 1) + 41, 10};
  }  // "Tab-Zifa-Name"
};

// DATEV.PAR: the settings of the DATEV hand-over, one record written whole.
struct DatevFelder {
  static constexpr std::size_t groesse = 1024;
  static constexpr TextFeld Zielverzeichnis{0, 80};
  static constexpr TextFeld Beraternummer{81, 7};  // zero-filled
  static constexpr TextFeld Beratername{89, 9};    // blank-filled
  static constexpr TextFeld Mandantennummer{99, 5};
  static constexpr TextFeld DfvKennzeichen{105, 2};
  static constexpr TextFeld AbrechnungsnummerSalden{108, 4};
  static constexpr TextFeld Passwort{113, 4};
  static constexpr TextFeld Gegenkonto{135, 7};
  static constexpr ZahlFeld<std::uint16_t> Selektion{148};  // 0 all, 1 balance not zero
  static constexpr TextFeld AbrechnungsnummerBuchungen{150, 4};
  static constexpr JaNeinFeld EroeffnungUnterdruecken{155};
  static constexpr TextFeld Verrechnungskonto{156, 8};
  static constexpr JaNeinFeld BuchungstextStattName{165};
};

// ERECH.PAR of the suite's payment module, in its directory: the client's
// three bank connections and the creditor identifier of SEPA direct debits.
// One record of 1024 bytes in the Windows code page.
struct ErechParFelder {
  static constexpr std::size_t groesse = 1024;
  static constexpr std::size_t verbindung(int i) { return 100 * static_cast<std::size_t>(i - 1); }
  static constexpr TextFeld bankname(int i) { return {verbindung(i), 30}; }  // i = 1..3
  static constexpr TextFeld blz(int i) { return {verbindung(i) + 31, 8}; }
  static constexpr TextFeld konto(int i) { return {verbindung(i) + 40, 10}; }
  static constexpr TextFeld iban(int i) { return {verbindung(i) + 51, 34}; }
  static constexpr TextFeld bic(int i) { return {verbindung(i) + 86, 11}; }
  static constexpr TextFeld GlaeubigerId{300, 35};
  static constexpr JaNeinFeld OhneBegleitzettel{336};  // no note for the bank
};

// The defaults of a new BASIS.PAR: ranges, lengths, twelve periods as the
// months of `jahr`, document-number ranges, cost-accounting ranges, diskette.
Satz neue_basis(int jahr);

}  // namespace fibu
