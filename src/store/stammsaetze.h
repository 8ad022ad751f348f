// Record layouts of the master-data files: one table of field descriptors
// per record type, and the record value types over them. Offsets are bytes
// from the record's start; strings are a length byte plus their capacity in
// the Windows code page; amounts signed 64-bit cents; dates day numbers.
// Bytes 0 to 9 of every master record carry no field.
#pragma once

#include <cstdint>

#include "suite/satz.h"

namespace fibu {

// Personal accounts (PERSONEN, 1709 bytes).
struct PersonenFelder {
  static constexpr std::size_t groesse = 1709;
  static constexpr TextFeld Kontonr{10, 8};
  static constexpr ZahlFeld<std::int32_t> Kontonummer{19};
  static constexpr TextFeld Anrede{23, 40}, Name{64, 40}, Titel{105, 40}, Strasse{146, 40},
      PlzOrt{187, 40}, Telefon{228, 40};
  static constexpr TextFeld Suchname{269, 18};
  static constexpr TextFeld EgId{288, 20};
  static constexpr ZahlFeld<std::uint8_t> Filter{309};
  static constexpr TextFeld Bankname{310, 27}, Blz{338, 8}, Bankkonto{347, 10};
  static constexpr ZahlFeld<std::uint8_t> Sammelkonto{358};  // 1..40
  static constexpr JaNeinFeld Diverse{359};
  static constexpr JaNeinFeld SummeInSaldenliste{360};
  static constexpr ZahlFeld<std::uint16_t> Nettotage{361};
  static constexpr ZahlFeld<std::int64_t> Skonto1{363};  // thousandths of a percent
  static constexpr std::size_t Skonto1Anzeige = 371;     // double: Skonto1 / 1000
  static constexpr ZahlFeld<std::uint16_t> Skontotage1{379};
  static constexpr ZahlFeld<std::int64_t> Skonto2{381};
  static constexpr std::size_t Skonto2Anzeige = 389;
  static constexpr ZahlFeld<std::uint16_t> Skontotage2{397};
  static constexpr ZahlFeld<std::uint8_t> Mkz{399};
  static constexpr DatumFeld Eroeffnungsdatum{400};
  static constexpr ZahlFeld<std::int64_t> Eroeffnungssaldo{402};
  static constexpr ZahlFeld<std::int64_t> soll(int periode) {
    return {410 + 16 * static_cast<std::size_t>(periode - 1)};
  }
  static constexpr ZahlFeld<std::int64_t> haben(int periode) {
    return {418 + 16 * static_cast<std::size_t>(periode - 1)};
  }
  static constexpr JaNeinFeld Bebucht{618};
  static constexpr ZahlFeld<std::int64_t> Saldo{619};
  static constexpr ZahlFeld<std::uint16_t> Mahnen{627};  // 0 normal, 1 gesperrt, 2 Lastschrift
  // Previous years: 1 = the year before the current one.
  static constexpr ZahlFeld<std::int64_t> vorjahr_soll(int jahr) {
    return {629 + 16 * static_cast<std::size_t>(jahr - 1)};
  }
  static constexpr ZahlFeld<std::int64_t> vorjahr_haben(int jahr) {
    return {637 + 16 * static_cast<std::size_t>(jahr - 1)};
  }
  static constexpr ZahlFeld<std::int64_t> Limit{709};
  // SEPA direct debit, in bytes the record leaves free: the payer's IBAN
  // and BIC, and the mandate's reference and date of signature.
  static constexpr TextFeld Iban{800, 34};
  static constexpr TextFeld Bic{835, 11};
  static constexpr TextFeld Mandatsreferenz{847, 35};
  static constexpr DatumFeld Mandatsdatum{883};
};

// GL accounts (SACH, 2098 bytes).
struct SachFelder {
  static constexpr std::size_t groesse = 2098;
  static constexpr TextFeld Kontonummer{10, 8};
  static constexpr ZahlFeld<std::int32_t> Nummer{19};
  static constexpr TextFeld Bezeichnung1{23, 25}, Bezeichnung2{49, 25};
  static constexpr TextFeld Suchname{75, 18};
  static constexpr ZahlFeld<std::int64_t> Budget{94};
  static constexpr JaNeinFeld Kostenstellenzwang{102};
  static constexpr JaNeinFeld Sammelkonto{103};
  static constexpr ZahlFeld<std::uint8_t> Kontenart{104};
  static constexpr ZahlFeld<std::uint8_t> UstZeile{105};
  static constexpr ZahlFeld<std::uint8_t> Steuerschluessel{106};
  // The four report assignments (BWA, Bilanz Soll, Bilanz Haben, G+V) at
  // 107 + 13 i, i = 0..3, and ten further ones at 468 + 13 i, i = 0..9:
  // a type string of 1, then the code string of 10.
  static constexpr TextFeld zuordnung_art(int i) {
    return {107 + 13 * static_cast<std::size_t>(i), 1};
  }
  static constexpr TextFeld zuordnung_code(int i) {
    return {109 + 13 * static_cast<std::size_t>(i), 10};
  }
  static constexpr TextFeld bwa_art(int i) { return {468 + 13 * static_cast<std::size_t>(i), 1}; }
  static constexpr TextFeld bwa_code(int i) { return {470 + 13 * static_cast<std::size_t>(i), 10}; }
  static constexpr JaNeinFeld UebernahmeJahreswechsel{159};
  static constexpr JaNeinFeld SteuerschluesselAenderbar{160};
  static constexpr ZahlFeld<std::int64_t> Eroeffnungssaldo{161};
  static constexpr ZahlFeld<std::int64_t> soll(int periode) {
    return {169 + 16 * static_cast<std::size_t>(periode - 1)};
  }
  static constexpr ZahlFeld<std::int64_t> haben(int periode) {
    return {177 + 16 * static_cast<std::size_t>(periode - 1)};
  }
  static constexpr JaNeinFeld Bebucht{377};
  static constexpr ZahlFeld<std::int64_t> Saldo{378};
  static constexpr DatumFeld Eroeffnungsdatum{386};
  static constexpr ZahlFeld<std::int64_t> vorjahr_soll(int jahr) {
    return {388 + 16 * static_cast<std::size_t>(jahr - 1)};
  }
  static constexpr ZahlFeld<std::int64_t> vorjahr_haben(int jahr) {
    return {396 + 16 * static_cast<std::size_t>(jahr - 1)};
  }
  static constexpr ZahlFeld<std::uint8_t> DatevSteuerschluessel{598};
};

// Cost centres, main cost centres and allocation keys (KOSTEN, 441 bytes).
// An allocation key's table continues in further records (see the file).
struct KostenFelder {
  static constexpr std::size_t groesse = 441;
  static constexpr TextFeld Schluessel{10, 8};  // "L"/"K"/"V" + four digits
  static constexpr TextFeld Name1{19, 40}, Name2{61, 40};
  static constexpr TextFeld Leitkostenstelle{102, 4};
  static constexpr JaNeinFeld FreiBebuchbar{113};
  // The allocation table of an allocation key, 24 lines per record: the
  // line count of this record at 116, then lines of cost centre (string of
  // 4) and share (signed 64-bit, hundredths of a percent). Lines 25 to 100
  // are in continuation records keyed "W" + number + 1..4.
  static constexpr ZahlFeld<std::uint8_t> Zeilenzahl{116};
  static constexpr int zeilen_je_satz = 24;
  static constexpr TextFeld zeile_kostenstelle(int i) {
    return {117 + 13 * static_cast<std::size_t>(i), 4};
  }
  static constexpr ZahlFeld<std::int64_t> zeile_anteil(int i) {
    return {122 + 13 * static_cast<std::size_t>(i)};
  }
};

// Cost types (KOSTART, 1159 bytes).
struct KostartFelder {
  static constexpr std::size_t groesse = 1159;
  static constexpr TextFeld Schluessel1{10, 12};  // cost centre + GL account
  static constexpr TextFeld Schluessel2{23, 12};  // GL account + cost centre
  static constexpr TextFeld Kostenstelle{36, 9};
  static constexpr TextFeld Sachkonto{46, 8};
  static constexpr ZahlFeld<std::int64_t> Budget{55};
  static constexpr ZahlFeld<std::int64_t> budget(int periode) {
    return {63 + 8 * static_cast<std::size_t>(periode - 1)};
  }
  // Position of the cost type in the cost-allocation sheet (program-defined place).
  static constexpr TextFeld BabKoordinate{159, 10};
};

// BWA account groups (BWAKONTO, 574 bytes).
struct BwakontoFelder {
  static constexpr std::size_t groesse = 574;
  static constexpr TextFeld Gruppe{10, 10};
  static constexpr TextFeld Bezeichnung{21, 40};
  static constexpr ZahlFeld<std::uint8_t> Gruppennummer{62};  // "Auswertung" 1..99
  static constexpr TextFeld Koordinate{63, 10};              // target cell, e.g. "B12"
};

}  // namespace fibu
