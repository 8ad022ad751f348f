// The direct-debit run on the small test client: DTAUS1.TXT byte by byte
// (records written here by hand from the DTAUS layout), the SEPA message
// for the same items with its totals equal to the E record and checked
// against the ISO 20022 schema, the IBAN check, and the run itself: what it
// collects, the checks before any file is made, the question before an old
// file is overwritten, no settling after a failed write, and the settling
// bookings all or nothing after a crash.
#include "openitems/lastschrift.h"

#include <gtest/gtest.h>
#include <libxml/xmlschemas.h>

#include <filesystem>

#include "../posting/testbuchhaltung.h"
#include "openitems/dtaus.h"
#include "openitems/sepa.h"
#include "suite/iban.h"

namespace fibu {
namespace {

using O = OpstammFelder;
using P = PersonenFelder;
using E = ErechParFelder;

DtausKopf kopf() {
  DtausKopf k;
  k.name = "Müller & Söhne Baugesellschaft";
  k.blz = "37040044";
  k.konto = "532013000";
  k.datum = DMYtoDate(6, 12, 2024);
  return k;
}

DtausPosten posten(std::string name, std::string blz, std::string konto, Betrag b,
                   std::string beleg) {
  DtausPosten p;
  p.name = std::move(name);
  p.blz = std::move(blz);
  p.konto = std::move(konto);
  p.betrag = b;
  p.belegnr = std::move(beleg);
  p.rechnungsdatum = DMYtoDate(15, 11, 2024);
  return p;
}

TEST(Dtaus, SaetzeByteFuerByte) {
  const DtausKopf k = kopf();
  // The client's name in the DTAUS character set: Ü is "]", Ö is "\",
  // cut to 27 characters after the conversion.
  const std::string name = "M]LLER & S\\HNE BAUGESELLSC";
  ASSERT_EQ(name.size(), 26u);
  EXPECT_EQ(dtaus_a(k),
            "0128"                               // record length
            "A"                                  // record type
            "LK"                                 // direct debits of a customer
            "37040044"                           // the creditor's bank code
            "00000000"                           // (bank files only)
                + name + "H"                     // name, 27
                + "061224"                       // date
                + "    "                         // blanks
                + "0532013000"                   // the creditor's account
                + "0000000000"                   // reference number
                + std::string(15 + 8 + 24, ' ')  // reserved, no execution date
                + "1");                          // euro
  EXPECT_EQ(dtaus_a(k).size(), 128u);

  const DtausPosten p = posten("Bäckerei Huber", "70050000", "1234567", 11900, "9500001");
  const std::string c = dtaus_c(k, p);
  ASSERT_EQ(c.size(), 256u);  // two sections
  EXPECT_EQ(c.substr(0, 128),
            "0216"  // record length with one extension
            "C"
            "37040044"       // first bank involved
            "70050000"       // the payer's bank
            "0001234567"     // the payer's account
            "0000000000000"  // internal customer number
            "05000 "         // text key: direct debit by authorisation
            "00000000000"    // Deutsche Mark: none
            "37040044"       // the creditor's bank
            "0532013000"     // and account
            "00000011900"    // euro cents
            "   "
            "B[CKEREI HUBER             "  // payer, 27
            "        ");
  EXPECT_EQ(c.substr(128), name + "H"                                  // creditor, 27
                               + "RNR 9500001                "         // purpose, 27
                               + "1"                                   // euro
                               + "  " + "01"                           // one extension
                               + "02" + "VOM 15.11.24               "  // its purpose line
                               + std::string(128 - 88, ' '));
  DtausKopf abbuchung = k;
  abbuchung.abbuchung = true;
  EXPECT_EQ(dtaus_c(abbuchung, p).substr(44, 6), "04000 ");
  DtausKopf dm = k;
  dm.euro = false;
  EXPECT_EQ(dtaus_c(dm, p).substr(50, 11), "00000011900");
  EXPECT_EQ(dtaus_c(dm, p).substr(79, 11), "00000000000");
  EXPECT_EQ(dtaus_a(dm).back(), ' ');

  EXPECT_EQ(dtaus_e(k, 2, 12345, 1234567 + 42, 70050000 + 37040044),
            "0128E"
            "     "
            "0000002"            // C records
            "0000000000000"      // Deutsche Mark
            "00000000001234609"  // sum of the accounts
            "00000000107090044"  // sum of the bank codes
            "0000000012345" +    // euro
                std::string(51, ' '));
}

TEST(Dtaus, NummernUndTexte) {
  EXPECT_EQ(dtaus_nummer("1234567", 10), "0001234567");
  EXPECT_EQ(dtaus_nummer(" 70050000 ", 8), "70050000");
  // An IBAN typed into the account field is refused, not cut.
  EXPECT_EQ(dtaus_nummer("DE89370400440532013000", 10), "");
  EXPECT_EQ(dtaus_nummer("12345678901", 10), "");
  EXPECT_EQ(dtaus_nummer("", 10), "");
  // Only the DTAUS character set, upper case, never UTF-8.
  EXPECT_EQ(dtaus_text("Straße 5 <Büro> €", 20), "STRA~E 5  B]RO      ");
  EXPECT_EQ(dtaus_text("Müller & Söhne", 27).size(), 27u);
}

TEST(Iban, PruefzifferUndUmrechnung) {
  EXPECT_TRUE(iban_gueltig("DE89370400440532013000"));
  EXPECT_FALSE(iban_gueltig("DE89370400440532013001"));  // one digit wrong
  EXPECT_FALSE(iban_gueltig("DE8937040044053201300"));   // too short for Germany
  EXPECT_TRUE(iban_gueltig("GB82WEST12345698765432"));
  EXPECT_TRUE(iban_gueltig(iban_normal("fr14 2004 1010 0505 0001 3m02 606")));
  EXPECT_EQ(iban_aus_bankverbindung("37040044", "532013000"), "DE89370400440532013000");
  EXPECT_EQ(iban_aus_bankverbindung("3704004", "1"),
            "DE" + iban_aus_bankverbindung("3704004", "1").substr(2, 2) + "037040040000000001");
  EXPECT_EQ(iban_aus_bankverbindung("37040044", "DE8937"), "");
  EXPECT_TRUE(bic_gueltig("COBADEFFXXX"));
  EXPECT_TRUE(bic_gueltig("COBADEFF"));
  EXPECT_FALSE(bic_gueltig("COBA1EFF"));
  EXPECT_FALSE(bic_gueltig("COBADEF"));
}

// The ISO 20022 schema kept beside the project (not part of it).
std::optional<std::string> schema() {
  for (const std::string& p : {std::string(FIBU_SCHEMAS) + "/pain.008.001.08.xsd",
                               std::string("/work/shared/schemas/pain.008.001.08.xsd")})
    if (std::filesystem::exists(p)) return p;
  return std::nullopt;
}

std::string schemafehler(const std::string& xsd, const std::string& xml) {
  std::string fehler;
  xmlSchemaParserCtxtPtr pc = xmlSchemaNewParserCtxt(xsd.c_str());
  xmlSchemaPtr s = xmlSchemaParse(pc);
  xmlSchemaValidCtxtPtr vc = s ? xmlSchemaNewValidCtxt(s) : nullptr;
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "pain.xml", nullptr, 0);
  if (!s || !vc || !doc)
    fehler = "Schema oder Dokument nicht lesbar";
  else if (xmlSchemaValidateDoc(vc, doc) != 0)
    fehler = "Dokument entspricht nicht dem Schema";
  if (doc) xmlFreeDoc(doc);
  if (vc) xmlSchemaFreeValidCtxt(vc);
  if (s) xmlSchemaFree(s);
  if (pc) xmlSchemaFreeParserCtxt(pc);
  return fehler;
}

SepaKopf sepakopf() {
  SepaKopf k;
  k.nachricht = "FIBU-1-2024-12-06T10:15:00";
  k.erstellt = "2024-12-06T10:15:00";
  k.name = "Müller & Söhne GmbH";
  k.iban = "DE89370400440532013000";
  k.bic = "COBADEFFXXX";
  k.glaeubiger_id = "DE98ZZZ09999999999";
  k.faellig = DMYtoDate(11, 12, 2024);
  return k;
}

TEST(Sepa, NachrichtNachDemSchema) {
  std::vector<SepaPosten> p(2);
  p[0] = {"RNr 9500001",
          11900,
          "M-10001",
          DMYtoDate(1, 2, 2023),
          "Bäckerei Huber",
          "DE02700500000001234567",
          "",
          "RNr 9500001 vom 15.11.2024"};
  p[1] = {"RNr 9500002",
          5,
          "M-10002",
          DMYtoDate(1, 3, 2023),
          "Gasthof <Zur Linde>",
          "DE89370400440532013000",
          "COBADEFFXXX",
          "RNr 9500002"};
  const std::string xml = sepa_lastschrift(sepakopf(), p);
  ASSERT_FALSE(xml.empty());
  // Count and control sum, in the header and in the payment block.
  EXPECT_NE(xml.find("<NbOfTxs>2</NbOfTxs>\n      <CtrlSum>119.05</CtrlSum>"), std::string::npos)
      << xml;
  EXPECT_NE(xml.find("<InstdAmt Ccy=\"EUR\">0.05</InstdAmt>"), std::string::npos);
  // Names in the SEPA character set; a payer without BIC.
  EXPECT_NE(xml.find("<Nm>Baeckerei Huber</Nm>"), std::string::npos);
  EXPECT_NE(xml.find("<Nm>Gasthof  Zur Linde</Nm>"), std::string::npos);
  EXPECT_NE(xml.find("<Othr>\n              <Id>NOTPROVIDED</Id>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<SeqTp>RCUR</SeqTp>"), std::string::npos);
  EXPECT_NE(xml.find("<ReqdColltnDt>2024-12-11</ReqdColltnDt>"), std::string::npos);
  const auto xsd = schema();
  if (!xsd) GTEST_SKIP() << "pain.008.001.08.xsd liegt nicht bereit";
  EXPECT_EQ(schemafehler(*xsd, xml), "");
  // The schema does catch a broken message.
  std::string falsch = xml;
  falsch.replace(falsch.find("<SeqTp>RCUR"), 11, "<SeqTp>XXXX");
  EXPECT_NE(schemafehler(*xsd, falsch), "");
}

// --- The run ---

struct Einzug {
  TestDateisystem fs;
  Testbuchhaltung t{fs};

  Einzug() {
    t.anlegen();
    t.m->basis.set(BasisFelder::Name, "Müller & Söhne GmbH");
    EXPECT_TRUE(t.m->schreibe_basis());
    t.m->erech_verzeichnis = "/r/ERECH/";
    Satz par(E::groesse);
    par.set(E::bankname(1), "Commerzbank");
    par.set(E::blz(1), "37040044");
    par.set(E::konto(1), "532013000");
    par.set(E::GlaeubigerId, "DE98ZZZ09999999999");
    EXPECT_TRUE(bankverbindungen_schreiben(*t.m, par));
    EXPECT_TRUE(fs.verzeichnis_anlegen("/ziel"));
    // Customer 10001 pays by direct debit and has a mandate; 10002 has no
    // bank account.
    for (int k : {10001, 10002}) {
      EXPECT_TRUE(t.m->personen->suchen(t.m->personenkonto_text(k)));
      Satz& s = t.m->personen->satz();
      s.set(P::Mahnen, std::uint16_t{2});
      if (k == 10001) {
        s.set(P::Blz, "70050000");
        s.set(P::Bankkonto, "1234567");
        s.set(P::Mandatsreferenz, "M-10001");
        s.set(P::Mandatsdatum, DMYtoDate(1, 2, 2023));
      }
      EXPECT_TRUE(t.m->personen->speichern(t.m->personenkonto_text(k)));
    }
  }

  std::int64_t n = 0;
  void beleg(const std::string& konto, char art, char sh, Betrag b, const std::string& nr) {
    t.buchung(konto, sh, b, "4400", "", art, nr);
    ASSERT_TRUE(t.kern->buchen(++n));
    t.buchung("4400", sh == 'S' ? 'H' : 'S', b, konto, "1", art, nr);
    ASSERT_TRUE(t.kern->buchen(++n));
  }

  void rechnungen() {
    beleg("10001", 'R', 'S', 11600, "R1");
    beleg("10001", 'R', 'S', 5800, "R2");
    beleg("10001", 'G', 'H', 1160, "G1");  // a credit note: never collected
    beleg("10002", 'R', 'S', 2320, "R3");  // no bank account: not listed
  }

  Lastschriftprofil profil() {
    Lastschriftprofil p;
    p.faellig_bis = DMYtoDate(31, 12, 2024);
    p.bankkonto = 1200;
    p.einzug = DMYtoDate(11, 12, 2024);
    p.ziel = "/ziel";
    return p;
  }

  Betrag offen(const std::string& beleg) {
    auto op = t.op("D" + beleg);
    return op ? op->get(O::NochOffen) : -1;
  }

  // The lines of the print job of this name.
  std::vector<std::string> gedruckt(const std::string& name) {
    for (const auto& a : t.ui.druckauftraege())
      if (a.name == name) return a.alle_zeilen();
    return {};
  }

  std::string datei(const std::string& name) {
    std::string s;
    return fs.lies_datei("/ziel/" + name, s) ? s : "";
  }
};

TEST(Lastschrift, AuswahlDateienProtokollUndAusgleich) {
  Einzug e;
  ASSERT_NO_FATAL_FAILURE(e.rechnungen());
  std::vector<std::string> abgewiesen;
  auto liste = lastschrift_auswahl(*e.t.m, e.profil(), abgewiesen);
  ASSERT_EQ(liste.size(), 2u);
  EXPECT_TRUE(abgewiesen.empty());
  // The IBAN is formed from bank code and account.
  EXPECT_EQ(liste[0].iban, iban_aus_bankverbindung("70050000", "1234567"));

  e.t.ui.erwarte_frage("Die OP werden jetzt ausgeglichen! Weiter?", true);
  ASSERT_TRUE(lastschrift_ausfuehren(*e.t.m, e.profil(), liste));
  const std::string dtaus = e.datei("DTAUS1.TXT");
  ASSERT_EQ(dtaus.size(), 128u + 2 * 256u + 128u);
  const std::string ende = dtaus.substr(dtaus.size() - 128);
  EXPECT_EQ(ende.substr(10, 7), "0000002");
  EXPECT_EQ(ende.substr(64, 13), "0000000017400");  // 116.00 + 58.00
  // The SEPA message carries the same items and the same total.
  const std::string xml = e.datei("SEPA_LS_20241206.XML");
  EXPECT_NE(xml.find("<NbOfTxs>2</NbOfTxs>\n      <CtrlSum>174.00</CtrlSum>"), std::string::npos)
      << xml;
  EXPECT_NE(xml.find("<MndtId>M-10001</MndtId>"), std::string::npos);
  if (const auto xsd = schema()) {
    EXPECT_EQ(schemafehler(*xsd, xml), "");
  }
  // Both items settled against the bank account; the credit note stays.
  EXPECT_EQ(e.offen("R1"), 0);
  EXPECT_EQ(e.offen("R2"), 0);
  EXPECT_EQ(e.offen("G1"), -1160);
  EXPECT_EQ(e.t.sachkonto(1200).get(SachFelder::Saldo), 17400);
  ASSERT_EQ(e.t.ui.druckauftraege().size(), 2u);  // protocol and note
  const auto zeilen = e.gedruckt("Begleitzettel");
  EXPECT_NE(std::find(zeilen.begin(), zeilen.end(), " Kontrollsumme Kontonummern: 2469134"),
            zeilen.end());
}

TEST(Lastschrift, NeinLaesstOffenUndSagtEs) {
  Einzug e;
  ASSERT_NO_FATAL_FAILURE(e.rechnungen());
  std::vector<std::string> abgewiesen;
  auto liste = lastschrift_auswahl(*e.t.m, e.profil(), abgewiesen);
  liste[1].markiert = false;
  e.t.ui.erwarte_frage("Die OP werden jetzt ausgeglichen! Weiter?", false);
  EXPECT_TRUE(lastschrift_ausfuehren(*e.t.m, e.profil(), liste));
  EXPECT_EQ(e.offen("R1"), 11600);
  EXPECT_EQ(e.datei("DTAUS1.TXT").size(), 128u + 256u + 128u);  // the ticked item only
  const auto zeilen = e.gedruckt("Lastschrift-Diskette");
  EXPECT_NE(std::find(zeilen.begin(), zeilen.end(),
                      "und werden beim nächsten Lauf noch einmal "
                      "eingezogen!"),
            zeilen.end());
}

TEST(Lastschrift, AbgelehnteBankbuchungVerhindertDieDatei) {
  Einzug e;
  ASSERT_NO_FATAL_FAILURE(e.rechnungen());
  std::vector<std::string> abgewiesen;
  auto liste = lastschrift_auswahl(*e.t.m, e.profil(), abgewiesen);
  // The bank account now wants a cost centre: its line would be refused
  // after the customer's line had settled the item.
  ASSERT_TRUE(e.t.m->sach->suchen(e.t.m->sachkonto_text(1200)));
  e.t.m->sach->satz().set(SachFelder::Kostenstellenzwang, true);
  ASSERT_TRUE(e.t.m->sach->speichern(e.t.m->sachkonto_text(1200)));
  EXPECT_FALSE(lastschrift_ausfuehren(*e.t.m, e.profil(), liste));
  ASSERT_FALSE(e.t.ui.meldungen().empty());
  EXPECT_EQ(e.t.ui.meldungen().back().rfind("FEHLER: ", 0), 0u);
  EXPECT_FALSE(e.fs.existiert("/ziel/DTAUS1.TXT"));
  EXPECT_EQ(e.offen("R1"), 11600);
  EXPECT_TRUE(e.t.ui.druckauftraege().empty());
}

TEST(Lastschrift, AlteDateiNurNachFrageUndKeinAusgleichNachSchreibfehler) {
  Einzug e;
  ASSERT_NO_FATAL_FAILURE(e.rechnungen());
  std::vector<std::string> abgewiesen;
  auto liste = lastschrift_auswahl(*e.t.m, e.profil(), abgewiesen);
  // An earlier run's file not yet at the bank: no overwrites it.
  ASSERT_TRUE(e.fs.schreibe_datei_atomar("/ziel/DTAUS1.TXT", "ALT"));
  e.t.ui.erwarte_frage("Diese Diskette enthält bereits Daten, überschreiben?", false);
  EXPECT_FALSE(lastschrift_ausfuehren(*e.t.m, e.profil(), liste));
  EXPECT_EQ(e.datei("DTAUS1.TXT"), "ALT");
  // Yes, but the write fails: the items are not offered for settling.
  e.t.ui.erwarte_frage("Diese Diskette enthält bereits Daten, überschreiben?", true);
  e.fs.stoere(1, TestDateisystem::Stoerung::Fehler);
  EXPECT_FALSE(lastschrift_ausfuehren(*e.t.m, e.profil(), liste));
  EXPECT_EQ(e.datei("DTAUS1.TXT"), "ALT");
  EXPECT_EQ(e.offen("R1"), 11600);
  e.t.ui.alles_verbraucht();
  for (const auto& f : e.t.ui.fragen()) EXPECT_EQ(f.find("ausgeglichen"), std::string::npos);
}

TEST(Lastschrift, OhneNamenKeineDatei) {
  Einzug e;
  ASSERT_NO_FATAL_FAILURE(e.rechnungen());
  e.t.m->basis.set(BasisFelder::Name, "");
  std::vector<std::string> abgewiesen;
  auto liste = lastschrift_auswahl(*e.t.m, e.profil(), abgewiesen);
  EXPECT_FALSE(lastschrift_ausfuehren(*e.t.m, e.profil(), liste));
  EXPECT_EQ(e.t.ui.meldungen().back(),
            "Bitte tragen Sie in den Basisdaten den Namen des Mandanten ein!");
  EXPECT_FALSE(e.fs.existiert("/ziel/DTAUS1.TXT"));
}

TEST(Lastschrift, OhneMandatNichtFuerSepa) {
  Einzug e;
  ASSERT_NO_FATAL_FAILURE(e.rechnungen());
  ASSERT_TRUE(e.t.m->personen->suchen(e.t.m->personenkonto_text(10001)));
  e.t.m->personen->satz().set(P::Mandatsreferenz, "");
  ASSERT_TRUE(e.t.m->personen->speichern(e.t.m->personenkonto_text(10001)));
  std::vector<std::string> abgewiesen;
  EXPECT_TRUE(lastschrift_auswahl(*e.t.m, e.profil(), abgewiesen).empty());
  EXPECT_EQ(abgewiesen,
            (std::vector<std::string>{"10001 R1: kein SEPA-Mandat", "10001 R2: kein SEPA-Mandat"}));
  Lastschriftprofil nur_dtaus = e.profil();
  nur_dtaus.sepa = false;
  abgewiesen.clear();
  EXPECT_EQ(lastschrift_auswahl(*e.t.m, nur_dtaus, abgewiesen).size(), 2u);
}

TEST(Lastschrift, AusgleichNachAbsturzGanzOderGarNicht) {
  const auto vorbereiten = [](Testbuchhaltung& t) {
    t.anlegen();
    t.m->basis.set(BasisFelder::Name, "Müller & Söhne GmbH");
    ASSERT_TRUE(t.m->schreibe_basis());
    t.m->erech_verzeichnis = "/r/ERECH/";
    Satz par(E::groesse);
    par.set(E::bankname(1), "Commerzbank");
    par.set(E::blz(1), "37040044");
    par.set(E::konto(1), "532013000");
    par.set(E::OhneBegleitzettel, true);
    ASSERT_TRUE(bankverbindungen_schreiben(*t.m, par));
    ASSERT_TRUE(t.m->personen->suchen(t.m->personenkonto_text(10001)));
    Satz& s = t.m->personen->satz();
    s.set(P::Mahnen, std::uint16_t{2});
    s.set(P::Blz, "70050000");
    s.set(P::Bankkonto, "1234567");
    ASSERT_TRUE(t.m->personen->speichern(t.m->personenkonto_text(10001)));
    std::int64_t n = 0;
    for (const char* nr : {"R1", "R2", "R3"}) {
      t.buchung("10001", 'S', 11600, "4400", "", 'R', nr);
      ASSERT_TRUE(t.kern->buchen(++n));
      t.buchung("4400", 'H', 11600, "10001", "1", 'R', nr);
      ASSERT_TRUE(t.kern->buchen(++n));
    }
  };
  const auto einziehen = [](Testbuchhaltung& t) {
    (void)t.m->fs().verzeichnis_anlegen("/ziel");
    Lastschriftprofil p;
    p.faellig_bis = DMYtoDate(31, 12, 2024);
    p.bankkonto = 1200;
    p.sepa = false;
    p.ziel = "/ziel";
    std::vector<std::string> abgewiesen;
    auto liste = lastschrift_auswahl(*t.m, p, abgewiesen);
    t.ui.erwarte_frage("Die OP werden jetzt ausgeglichen! Weiter?", true);
    return liste.size() == 3 && lastschrift_ausfuehren(*t.m, p, liste);
  };
  int punkte = 0;
  absturzfest_pruefen(vorbereiten, einziehen, &punkte);
  EXPECT_GT(punkte, 5);
}

}  // namespace
}  // namespace fibu
