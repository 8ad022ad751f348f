// Every documented field written through the record tables lands at its
// documented offset: the offsets here are typed from the documentation, not
// taken from the tables, so a shifted field cannot pass.
#include <gtest/gtest.h>

#include <cstring>

#include "store/bewegungssaetze.h"
#include "store/parametersaetze.h"
#include "store/stammsaetze.h"

namespace fibu {
namespace {

// The bytes of a Pascal string at `off`: length byte, then the text.
void erwarte_text(const Satz& s, std::size_t off, const std::string& cp_bytes) {
  ASSERT_EQ(s.u8(off), cp_bytes.size()) << "Länge bei " << off;
  EXPECT_EQ(s.roh(off + 1, cp_bytes.size()), cp_bytes) << "Text bei " << off;
}

TEST(Satzaufbau, Personenkonto) {
  using F = PersonenFelder;
  Satz s(1709);
  s.set(F::Kontonr, "10001");
  s.set(F::Kontonummer, 10001);
  s.set(F::Anrede, "Firma");
  s.set(F::Name, "Bäcker");
  s.set(F::Titel, "T");
  s.set(F::Strasse, "S");
  s.set(F::PlzOrt, "P");
  s.set(F::Telefon, "0");
  s.set(F::Suchname, "BAECKER");
  s.set(F::EgId, "DE1");
  s.set(F::Filter, std::uint8_t{7});
  s.set(F::Bankname, "B");
  s.set(F::Blz, "1");
  s.set(F::Bankkonto, "2");
  s.set(F::Sammelkonto, std::uint8_t{3});
  s.set(F::Diverse, true);
  s.set(F::SummeInSaldenliste, true);
  s.set(F::Nettotage, std::uint16_t{30});
  s.set(F::Skonto1, std::int64_t{2500});
  s.set(F::Skontotage1, std::uint16_t{10});
  s.set(F::Skonto2, std::int64_t{1000});
  s.set(F::Skontotage2, std::uint16_t{14});
  s.set(F::Mkz, std::uint8_t{2});
  s.set(F::Eroeffnungsdatum, Datum{40000});
  s.set(F::Eroeffnungssaldo, std::int64_t{-5});
  s.set(F::soll(1), std::int64_t{11});
  s.set(F::haben(12), std::int64_t{1212});
  s.set(F::Bebucht, true);
  s.set(F::Saldo, std::int64_t{99});
  s.set(F::Mahnen, std::uint16_t{2});
  s.set(F::vorjahr_soll(1), std::int64_t{31});
  s.set(F::vorjahr_haben(5), std::int64_t{55});
  s.set(F::Limit, std::int64_t{100000});

  erwarte_text(s, 10, "10001");
  EXPECT_EQ(s.i32(19), 10001);
  erwarte_text(s, 23, "Firma");
  erwarte_text(s, 64,
               "B\xE4"
               "cker");
  erwarte_text(s, 105, "T");
  erwarte_text(s, 146, "S");
  erwarte_text(s, 187, "P");
  erwarte_text(s, 228, "0");
  erwarte_text(s, 269, "BAECKER");
  erwarte_text(s, 288, "DE1");
  EXPECT_EQ(s.u8(309), 7);
  erwarte_text(s, 310, "B");
  erwarte_text(s, 338, "1");
  erwarte_text(s, 347, "2");
  EXPECT_EQ(s.u8(358), 3);
  EXPECT_EQ(s.u8(359), 1);
  EXPECT_EQ(s.u8(360), 1);
  EXPECT_EQ(s.u16(361), 30);
  EXPECT_EQ(s.i64(363), 2500);
  EXPECT_EQ(s.u16(379), 10);
  EXPECT_EQ(s.i64(381), 1000);
  EXPECT_EQ(s.u16(397), 14);
  EXPECT_EQ(s.u8(399), 2);
  EXPECT_EQ(s.u16(400), 40000);
  EXPECT_EQ(s.i64(402), -5);
  EXPECT_EQ(s.i64(410), 11);
  EXPECT_EQ(s.i64(410 + 16 * 11 + 8), 1212);
  EXPECT_EQ(s.u8(618), 1);
  EXPECT_EQ(s.i64(619), 99);
  EXPECT_EQ(s.u16(627), 2);
  EXPECT_EQ(s.i64(629), 31);
  EXPECT_EQ(s.i64(629 + 16 * 4 + 8), 55);
  EXPECT_EQ(s.i64(709), 100000);
  EXPECT_EQ(s.roh(0, 10), std::string(10, '\0'));
  EXPECT_EQ(s.roh(717, 992), std::string(992, '\0'));
}

TEST(Satzaufbau, Sachkonto) {
  using F = SachFelder;
  Satz s(2098);
  s.set(F::Kontonummer, "1200");
  s.set(F::Nummer, 1200);
  s.set(F::Bezeichnung1, "Bank");
  s.set(F::Bezeichnung2, "<1576>");
  s.set(F::Suchname, "BANK");
  s.set(F::Budget, std::int64_t{123});
  s.set(F::Kostenstellenzwang, true);
  s.set(F::Sammelkonto, true);
  s.set(F::Kontenart, std::uint8_t{4});
  s.set(F::UstZeile, std::uint8_t{66});
  s.set(F::Steuerschluessel, std::uint8_t{9});
  const char* codes[4] = {"BWA1", "BILS", "BILH", "GUV"};
  for (int i = 0; i < 4; ++i) {
    s.set(F::zuordnung_art(i), "1");
    s.set(F::zuordnung_code(i), codes[i]);
  }
  for (int i = 0; i < 10; ++i) s.set(F::bwa_code(i), "X" + std::to_string(i));
  s.set(F::UebernahmeJahreswechsel, true);
  s.set(F::SteuerschluesselAenderbar, true);
  s.set(F::Eroeffnungssaldo, std::int64_t{7});
  s.set(F::soll(2), std::int64_t{22});
  s.set(F::haben(2), std::int64_t{23});
  s.set(F::Bebucht, true);
  s.set(F::Saldo, std::int64_t{-1});
  s.set(F::Eroeffnungsdatum, Datum{39083});
  s.set(F::vorjahr_soll(2), std::int64_t{42});
  s.set(F::DatevSteuerschluessel, std::uint8_t{3});

  erwarte_text(s, 10, "1200");
  EXPECT_EQ(s.i32(19), 1200);
  erwarte_text(s, 23, "Bank");
  erwarte_text(s, 49, "<1576>");
  erwarte_text(s, 75, "BANK");
  EXPECT_EQ(s.i64(94), 123);
  EXPECT_EQ(s.u8(102), 1);
  EXPECT_EQ(s.u8(103), 1);
  EXPECT_EQ(s.u8(104), 4);
  EXPECT_EQ(s.u8(105), 66);
  EXPECT_EQ(s.u8(106), 9);
  for (std::size_t i = 0; i < 4; ++i) {
    erwarte_text(s, 107 + 13 * i, "1");
    erwarte_text(s, 109 + 13 * i, codes[i]);
  }
  for (std::size_t i = 0; i < 10; ++i) erwarte_text(s, 470 + 13 * i, "X" + std::to_string(i));
  EXPECT_EQ(s.u8(159), 1);
  EXPECT_EQ(s.u8(160), 1);
  EXPECT_EQ(s.i64(161), 7);
  EXPECT_EQ(s.i64(169 + 16), 22);
  EXPECT_EQ(s.i64(177 + 16), 23);
  EXPECT_EQ(s.u8(377), 1);
  EXPECT_EQ(s.i64(378), -1);
  EXPECT_EQ(s.u16(386), 39083);
  EXPECT_EQ(s.i64(388 + 16), 42);
  EXPECT_EQ(s.u8(598), 3);
}

TEST(Satzaufbau, KostenKostenartBwaGruppe) {
  Satz k(441);
  k.set(KostenFelder::Schluessel, "K1000");
  k.set(KostenFelder::Name1, "Werkstatt");
  k.set(KostenFelder::Name2, "Halle");
  k.set(KostenFelder::Leitkostenstelle, "0001");
  k.set(KostenFelder::FreiBebuchbar, true);
  erwarte_text(k, 10, "K1000");
  erwarte_text(k, 19, "Werkstatt");
  erwarte_text(k, 61, "Halle");
  erwarte_text(k, 102, "0001");
  EXPECT_EQ(k.u8(113), 1);
  // The allocation lines fit behind the documented fields.
  k.set(KostenFelder::zeile_anteil(KostenFelder::zeilen_je_satz - 1), std::int64_t{1});
  EXPECT_NO_THROW(k.get(KostenFelder::zeile_kostenstelle(KostenFelder::zeilen_je_satz - 1)));

  Satz a(1159);
  a.set(KostartFelder::Schluessel1, "10001200");
  a.set(KostartFelder::Schluessel2, "12001000");
  a.set(KostartFelder::Kostenstelle, "1000");
  a.set(KostartFelder::Sachkonto, "1200");
  a.set(KostartFelder::Budget, std::int64_t{5});
  a.set(KostartFelder::budget(12), std::int64_t{12});
  erwarte_text(a, 10, "10001200");
  erwarte_text(a, 23, "12001000");
  erwarte_text(a, 36, "1000");
  erwarte_text(a, 46, "1200");
  EXPECT_EQ(a.i64(55), 5);
  EXPECT_EQ(a.i64(63 + 88), 12);

  Satz b(574);
  b.set(BwakontoFelder::Gruppe, "ERLOESE");
  b.set(BwakontoFelder::Gruppennummer, std::uint8_t{4});
  erwarte_text(b, 10, "ERLOESE");
  EXPECT_EQ(b.u8(62), 4);
}

TEST(Satzaufbau, BuchungOffenerPostenUndRechnung) {
  using B = BuchungFelder;
  Satz s(321);
  s.set(B::Index, 17);
  s.setze_u8(B::Buchungsart, 'R');
  s.set(B::Konto, "10001");
  s.set(B::Kost, "1000");
  s.set(B::Belegnr, "4711");
  s.set(B::Datum, Datum{39100});
  s.set(B::Textschluessel, "1");
  s.set(B::Text1, "Rechnung");
  s.set(B::Text2, "Zeile 2");
  s.setze_u8(B::SollHaben, 'S');
  s.set(B::Betrag, std::int64_t{11900});
  s.set(B::Gegenkonto, "8400");
  s.set(B::Steuerschluessel, "3");
  s.set(B::Steuerbetrag, std::int64_t{1900});
  s.set(B::Steuersatz, std::int64_t{1900});
  s.set(B::Periode, std::uint8_t{3});
  s.set(B::GebuchteSteuer, std::int64_t{-1900});
  s.set(B::Gesperrt, true);
  s.set(B::Eroeffnungsart, std::uint8_t{2});
  s.set(B::Steuerkontofeld, "1776");
  s.set(B::Datum2, Datum{39101});
  EXPECT_EQ(s.i32(2), 17);
  EXPECT_EQ(s.u8(6), 'R');
  erwarte_text(s, 7, "10001");
  erwarte_text(s, 16, "1000");
  erwarte_text(s, 26, "4711");
  EXPECT_EQ(s.u16(47), 39100);
  erwarte_text(s, 49, "1");
  erwarte_text(s, 52, "Rechnung");
  erwarte_text(s, 103, "Zeile 2");
  EXPECT_EQ(s.u8(154), 'S');
  EXPECT_EQ(s.i64(155), 11900);
  erwarte_text(s, 163, "8400");
  erwarte_text(s, 172, "3");
  EXPECT_EQ(s.i64(175), 1900);
  EXPECT_EQ(s.i64(183), 1900);
  EXPECT_EQ(s.u8(191), 3);
  EXPECT_EQ(s.i64(192), -1900);
  EXPECT_EQ(s.u8(200), 1);
  EXPECT_EQ(s.u8(221), 2);
  erwarte_text(s, 222, "1776");
  EXPECT_EQ(s.u16(256), 39101);

  using O = OpstammFelder;
  Satz o(686);
  o.set(O::Rechnung, true);
  o.set(O::Diverse, true);
  o.set(O::Belegnummer, "4711");
  o.set(O::Kontonummer, "10001");
  o.set(O::Suchname, "BAECKER");
  o.set(O::Anrede, "A");
  o.set(O::Name, "N");
  o.set(O::Titel, "T");
  o.set(O::Strasse, "S");
  o.set(O::PlzOrt, "P");
  o.set(O::Rechnungsdatum, Datum{1});
  o.set(O::Faelligkeitsdatum, Datum{2});
  o.set(O::Buchungsdatum, Datum{3});
  o.set(O::Betrag, std::int64_t{4});
  o.set(O::NochOffen, std::int64_t{5});
  o.set(O::Skontoprozent, std::int64_t{6});
  o.set(O::Skontodatum, Datum{7});
  o.set(O::Mahnstufe, std::uint8_t{8});
  o.set(O::Mahndatum, Datum{9});
  o.set(O::Mahnkennziffer, std::uint8_t{10});
  o.set(O::Fremdbelegnr, "F");
  o.set(O::Filternummer, std::uint8_t{11});
  o.set(O::Mahnen, std::uint16_t{1});
  o.set(O::Gegenkonto, "8400");
  o.setze_u8(O::Kennung, 'D');
  EXPECT_EQ(o.u8(10), 1);
  EXPECT_EQ(o.u8(11), 1);
  erwarte_text(o, 12, "4711");
  erwarte_text(o, 33, "10001");
  erwarte_text(o, 42, "BAECKER");
  erwarte_text(o, 61, "A");
  erwarte_text(o, 102, "N");
  erwarte_text(o, 143, "T");
  erwarte_text(o, 184, "S");
  erwarte_text(o, 225, "P");
  EXPECT_EQ(o.u16(266), 1);
  EXPECT_EQ(o.u16(268), 2);
  EXPECT_EQ(o.u16(270), 3);
  EXPECT_EQ(o.i64(272), 4);
  EXPECT_EQ(o.i64(280), 5);
  EXPECT_EQ(o.i64(288), 6);
  EXPECT_EQ(o.u16(296), 7);
  EXPECT_EQ(o.u8(298), 8);
  EXPECT_EQ(o.u16(299), 9);
  EXPECT_EQ(o.u8(301), 10);
  erwarte_text(o, 302, "F");
  EXPECT_EQ(o.u8(323), 11);
  EXPECT_EQ(o.u16(324), 1);
  erwarte_text(o, 326, "8400");
  EXPECT_EQ(o.u8(386), 'D');

  Satz r(873);
  r.set(ErechFelder::Schluessel1, "00001");
  r.set(ErechFelder::Datum1, Datum{5});
  r.set(ErechFelder::Schluessel2, "LIEFERANT");
  r.set(ErechFelder::AltesFeld, "alt");
  r.set(ErechFelder::Schluessel4, "abc");
  r.set(ErechFelder::Datum2, Datum{6});
  r.set(ErechFelder::NeuesFeld, "neu");
  erwarte_text(r, 4, "00001");
  EXPECT_EQ(r.u16(23), 5);
  erwarte_text(r, 25, "LIEFERANT");
  erwarte_text(r, 44, "alt");
  erwarte_text(r, 96, "abc");
  EXPECT_EQ(r.u16(144), 6);
  erwarte_text(r, 556, "neu");

  Satz j(22);
  j.set(TempjourFelder::Datum, Datum{8});
  j.set(TempjourFelder::Buchungsnummer, 9);
  EXPECT_EQ(j.u16(0), 8);
  EXPECT_EQ(j.i32(2), 9);
}

TEST(Satzaufbau, MandantUndBasisdaten) {
  Satz m(1056);
  m.set(MandantFelder::Mandantnummer, std::uint16_t{5});
  m.set(MandantFelder::Mandantname, "Muster");
  m.set(MandantFelder::Passwort, "geheim");
  m.set(MandantFelder::Jahr, std::uint16_t{2024});
  EXPECT_EQ(m.u16(0), 5);
  erwarte_text(m, 2, "Muster");
  erwarte_text(m, 43, "geheim");
  EXPECT_EQ(m.u16(54), 2024);

  using F = BasisFelder;
  Satz b(61098);
  b.set(F::OpSchluesselform, std::uint16_t{1});
  b.set(F::Finanzamt, "Köln");
  b.set(F::Steuernummer, "123");
  b.set(F::Name, "Müller");
  b.set(F::Titel, "t");
  b.set(F::Strasse, "s");
  b.set(F::PlzOrt, "p");
  b.set(F::EgId, "e");
  b.set(F::SachBis, 99999);
  b.set(F::KreditorBis, 199999);
  b.set(F::AnzahlPerioden, std::uint8_t{4});
  b.set(F::AktuellePeriode, std::uint8_t{2});
  b.set(F::Automatik, std::uint16_t{1});
  b.set(F::Kostenstellenzwang, std::uint16_t{1});
  b.set(F::SachLaenge, std::uint8_t{5});
  b.set(F::PersonenLaenge, std::uint8_t{6});
  b.set(F::DebitorDiverse, 10099);
  b.set(F::BasisKonsistent, true);
  b.set(F::FaStrasse, "fs");
  b.set(F::FaOrt, "fo");
  b.set(F::FaTelefon, "ft");
  b.set(F::BasiswaehrungEuro, std::uint8_t{1});
  b.set(F::StammKonsistent, true);
  b.set(F::DatevErweitert, true);
  b.set(F::periode_von(1), Datum{100});
  b.set(F::periode_bis(12), Datum{200});
  b.set(F::periode_status(3), std::uint8_t{2});
  b.set(F::forderungskonto(1), 1400);
  b.set(F::verbindlichkeitskonto(40), 1600);
  b.set(F::DifferenzkontoSach, 1);
  b.set(F::DifferenzkontoDebitor, 2);
  b.set(F::DifferenzkontoKreditor, 3);
  b.set(F::belegnummer(8), "500000");
  b.set(F::SaldenvortragSach, 9000);
  b.set(F::SaldenvortragKreditor, 9009);
  b.set(F::pruefung(7, 9), 77);
  b.set(F::steuerkonto(40), 1776);
  b.set(F::steuersatz(40), std::int64_t{1900});
  b.set(F::steuertext(40), "USt 19 %");
  b.set(F::KostenstelleVon, 1000);
  b.set(F::Differenzkostenstelle, 4711);
  b.set(F::filtername(99), "Filter");
  b.set(F::SkontoVorschlagen, true);
  b.set(F::RabuchGegenkonto, 8400);
  b.set(F::RabuchAdressen, true);
  b.set(F::RabuchKostenstelleAlsGegenkonto, true);
  b.set(F::RabuchNegativeAlsGutschrift, true);
  b.setze_u8(F::LetzteBuchungsart, 'R');
  b.set(F::LetztesDatum, Datum{300});
  b.set(F::Diskettenlaufwerk, "A:\\");

  EXPECT_EQ(b.u16(0), 1);
  erwarte_text(b, 2, "K\x94ln");  // DOS code page
  erwarte_text(b, 23, "123");
  erwarte_text(b, 44, "M\x81ller");
  erwarte_text(b, 85, "t");
  erwarte_text(b, 126, "s");
  erwarte_text(b, 167, "p");
  erwarte_text(b, 208, "e");
  EXPECT_EQ(b.i32(233), 99999);
  EXPECT_EQ(b.i32(249), 199999);
  EXPECT_EQ(b.u8(253), 4);
  EXPECT_EQ(b.u8(254), 2);
  EXPECT_EQ(b.u16(257), 1);
  EXPECT_EQ(b.u16(259), 1);
  EXPECT_EQ(b.u8(261), 5);
  EXPECT_EQ(b.u8(262), 6);
  EXPECT_EQ(b.i32(264), 10099);
  EXPECT_EQ(b.u8(268), 1);
  erwarte_text(b, 269, "fs");
  erwarte_text(b, 310, "fo");
  erwarte_text(b, 351, "ft");
  EXPECT_EQ(b.u8(404), 1);
  EXPECT_EQ(b.u8(407), 1);
  EXPECT_EQ(b.u8(408), 1);
  EXPECT_EQ(b.u16(756 + 505), 100);
  EXPECT_EQ(b.u16(756 + 505 * 12 + 2), 200);
  EXPECT_EQ(b.u8(756 + 505 * 3 + 4), 2);
  EXPECT_EQ(b.i32(7822 + 4), 1400);
  EXPECT_EQ(b.i32(7982 + 160), 1600);
  EXPECT_EQ(b.i32(8744), 1);
  EXPECT_EQ(b.i32(8748), 2);
  EXPECT_EQ(b.i32(8752), 3);
  erwarte_text(b, 8756 + 63 * 8, "500000");
  EXPECT_EQ(b.i32(9756), 9000);
  EXPECT_EQ(b.i32(9764), 9009);
  EXPECT_EQ(b.i32(9768 + 7 * 40 + 9 * 4), 77);
  EXPECT_EQ(b.i32(10541 + 47 * 40), 1776);
  EXPECT_EQ(b.i64(10541 + 47 * 40 + 4), 1900);
  erwarte_text(b, 10541 + 47 * 40 + 21, "USt 19 %");
  EXPECT_EQ(b.i32(12468), 1000);
  EXPECT_EQ(b.i32(12484), 4711);
  erwarte_text(b, 14498 + 16 * 99, "Filter");
  EXPECT_EQ(b.u8(16098), 1);
  EXPECT_EQ(b.i32(16190), 8400);
  EXPECT_EQ(b.u8(16194), 1);
  EXPECT_EQ(b.u8(16195), 1);
  EXPECT_EQ(b.u8(16196), 1);
  EXPECT_EQ(b.u8(16197), 'R');
  EXPECT_EQ(b.u16(16312), 300);
  erwarte_text(b, 16324, "A:\\");
}

TEST(Satzaufbau, JournalUndBwaNamen) {
  Satz j(512);
  j.set(JournalFelder::Archivanzahl, -7);
  EXPECT_EQ(j.i32(0), -7);
  Satz n(29898);
  n.set(BwanamenFelder::name(1), "Umsatz");
  n.set(BwanamenFelder::name(99), "Ergebnis");
  erwarte_text(n, 0, "Umsatz");
  erwarte_text(n, 302 * 98, "Ergebnis");
}

TEST(Satzaufbau, ProgramDefinedPlacesDoNotOverlapDocumentedOnes) {
  // Every program-defined field lies in [20000, end) and the block ends
  // inside the record.
  EXPECT_GE(BasisFelder::tage_dispo_debitoren(0).offset, 20000u);
  EXPECT_LE(BasisFelder::ende_programmfelder, BasisFelder::groesse);
  EXPECT_EQ(BasisFelder::FremdPfad.offset + 81, BasisFelder::UebernahmeBefehl.offset);
  EXPECT_EQ(BasisFelder::UebernahmeDatei.offset + 41, BasisFelder::UebernahmeGroesse.offset);
  EXPECT_EQ(BasisFelder::UebernahmeFertig.offset + 1, BasisFelder::BankFormatCamt.offset);
  EXPECT_EQ(BasisFelder::BankFormatCamt.offset + 1, BasisFelder::ende_programmfelder);
  // Consecutive groups do not run into each other.
  EXPECT_EQ(BasisFelder::tage_dispo_kreditoren(9).offset + 2, BasisFelder::floskel1(1).offset);
  EXPECT_EQ(BasisFelder::floskel2(20).offset + 51, BasisFelder::FaBundesland.offset);
  EXPECT_EQ(BasisFelder::periodenname(12).offset + 41, BasisFelder::BelegnummerBreite.offset);
  EXPECT_EQ(BasisFelder::BankPfad.offset + 201, BasisFelder::BankDatei.offset);
  EXPECT_EQ(BasisFelder::BankDatei.offset + 41, BasisFelder::BankFormatTOnline.offset);
  EXPECT_EQ(BasisFelder::bank_muster_ar(1).offset + 11, BasisFelder::BankMusterEr.offset);
}

TEST(Satzaufbau, NewBaseDataHaveTheDocumentedDefaults) {
  Satz b = neue_basis(2024);
  EXPECT_EQ(b.i32(229), 1);
  EXPECT_EQ(b.i32(233), 9999);
  EXPECT_EQ(b.i32(237), 10000);
  EXPECT_EQ(b.i32(241), 69999);
  EXPECT_EQ(b.i32(245), 70000);
  EXPECT_EQ(b.i32(249), 99999);
  EXPECT_EQ(b.u8(253), 12);
  EXPECT_EQ(b.u8(254), 1);
  EXPECT_EQ(b.u8(261), 4);
  EXPECT_EQ(b.u8(262), 5);
  EXPECT_EQ(b.u16(756 + 505 * 2), DMYtoDate(1, 2, 2024));
  EXPECT_EQ(b.u16(756 + 505 * 2 + 2), DMYtoDate(29, 2, 2024));  // a leap year
  EXPECT_EQ(b.u16(756 + 505 * 12 + 2), DMYtoDate(31, 12, 2024));
  EXPECT_EQ(b.get(BasisFelder::belegnummer(0)), "1");
  EXPECT_EQ(b.get(BasisFelder::belegnummer(4)), "9599999");
  EXPECT_EQ(b.get(BasisFelder::belegnummer(8)), "500000");
  EXPECT_EQ(b.i32(12468), 1000);
  EXPECT_EQ(b.i32(12472), 9999);
  EXPECT_EQ(b.i32(12476), 1);
  EXPECT_EQ(b.i32(12480), 999);
  EXPECT_EQ(b.get(BasisFelder::Diskettenlaufwerk), "A:\\");
  EXPECT_EQ(b.u8(404), 0);
}

}  // namespace
}  // namespace fibu
