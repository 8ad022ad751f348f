// The DATEV hand-over through the batch tool on the demo client: the
// carrier files of both variants, the EXTF booking batch and master data,
// and the runs that are refused before anything is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "batchdemo.h"
#include "suite/allgemei.h"

namespace fibu {
namespace {

namespace fs = std::filesystem;

const std::map<int, std::string> titel = {
    {361, "Übergabe der Sachkontensalden an Datev"},
    {362, "Übergabe der Sachkontennamen an Datev"},
    {363, "Übergabe der Debitoren-Buchungen an Datev"},
    {364, "Übergabe der Kreditoren-Buchungen an Datev"},
    {365, "Übergabe aller Buchungen an Datev"},
    {367, "Übergabe der Buchungen als DATEV-Buchungsstapel (EXTF)"},
    {368, "Übergabe der Debitoren und Kreditoren als DATEV-Stammdaten (EXTF)"},
};

// The answers of a command's dialog: every field it has, the whole year,
// and `abweichend` ("Field = value") in place of the default lines.
std::string antworten(int befehl, const std::string& ziel,
                      const std::map<std::string, std::string>& abweichend = {}) {
  std::map<std::string, std::string> w = {
      {"Zielverzeichnis", ziel}, {"Beraternummer", "4711"}, {"Mandantennummer", "42"}};
  if (befehl <= 365) {
    w["Beratername"] = "Meier";
    w["DFV-Kennzeichen"] = "AB";
  }
  if (befehl != 362 && befehl <= 365) w["Abrechnungsnummer"] = "7";
  if (befehl >= 363 && befehl <= 367) {
    w["Datum von"] = "01.01.2007";
    w["Datum bis"] = "31.12.2007";
    w["Verrechnungskonto (für Splitbuchungen)"] = "1360";
  }
  for (const auto& [feld, wert] : abweichend) w[feld] = wert;
  std::string aus;
  for (const auto& [feld, wert] : w) aus += titel.at(befehl) + " / " + feld + " = " + wert + "\n";
  return aus;
}

std::size_t vorkommen(const std::string& text, const std::string& teil) {
  std::size_t n = 0;
  for (auto p = text.find(teil); p != std::string::npos; p = text.find(teil, p + 1)) ++n;
  return n;
}

std::vector<std::string> dateien(const std::string& verzeichnis) {
  std::vector<std::string> namen;
  if (fs::is_directory(verzeichnis))
    for (const auto& e : fs::directory_iterator(verzeichnis))
      namen.push_back(e.path().filename().string());
  std::sort(namen.begin(), namen.end());
  return namen;
}

// The fields of a CSV line; a ";" inside quotes belongs to the text.
std::vector<std::string> felder(const std::string& zeile) {
  std::vector<std::string> aus(1);
  bool in_text = false;
  for (char c : zeile) {
    if (c == '"') in_text = !in_text;
    if (c == ';' && !in_text)
      aus.emplace_back();
    else
      aus.back() += c;
  }
  return aus;
}

// The lines of a file that ends every line with CR LF.
std::vector<std::string> crlf_zeilen(const std::string& text) {
  std::vector<std::string> aus;
  std::size_t anfang = 0;
  for (auto p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", anfang)) {
    aus.push_back(text.substr(anfang, p - anfang));
    anfang = p + 2;
  }
  EXPECT_EQ(anfang, text.size()) << "text after the last CR LF";
  for (const auto& z : aus) EXPECT_EQ(z.find('\n'), std::string::npos) << z;
  return aus;
}

// "1.234,56" or "-1.234,56" in cents.
std::int64_t cent(std::string s) {
  s = trim(s);
  std::string ziffern;
  for (char c : s)
    if ((c >= '0' && c <= '9') || c == '-') ziffern += c;
  return std::stoll(ziffern);
}

// The base-data flag for the carrier variant.
void variante_setzen(Demo& d, bool erweitert) {
  GeoeffneteDemo g(d.ws);
  g.m->basis.set(BasisFelder::DatevErweitert, erweitert);
  ASSERT_TRUE(g.m->schreibe_basis());
}

std::string datenverzeichnis(Demo& d) {
  GeoeffneteDemo g(d.ws);
  return g.m->daten_verzeichnis();
}

// Each carrier command writes its data file of whole 256-byte blocks and
// the control file that counts them, in the variant of the base data.
TEST(DatevBatch, TraegerDateienInBeidenVarianten) {
  Demo d;
  for (bool erweitert : {true, false}) {
    ASSERT_NO_FATAL_FAILURE(variante_setzen(d, erweitert));
    const std::string daten = erweitert ? "ED00001" : "DE001";
    const std::string steuer = erweitert ? "EV01" : "DV01";
    for (int befehl : {361, 362, 363, 364, 365}) {
      SCOPED_TRACE(std::to_string(befehl) + (erweitert ? " erweitert" : " einfach"));
      const std::string ziel = d.tmp / (std::to_string(befehl) + (erweitert ? "e" : "b"));
      fs::create_directory(ziel);
      std::string log;
      ASSERT_EQ(d.lauf(antworten(befehl, ziel), {std::to_string(befehl)}, &log), 0) << log;
      EXPECT_EQ(dateien(ziel), (std::vector<std::string>{daten, steuer})) << log;
      const std::string inhalt = lies(ziel + "/" + daten);
      ASSERT_FALSE(inhalt.empty());
      EXPECT_EQ(inhalt.size() % 256, 0u);
      const std::size_t bloecke = inhalt.size() / 256;
      const std::string kontrolle = lies(ziel + "/" + steuer);
      if (erweitert) {
        // Two lines of 128 characters; the second names the blocks after
        // "V00001", application, DFV, adviser, client, accounting number
        // with year, dates, "001" and password.
        ASSERT_EQ(kontrolle.size(), 2u * 130u);
        EXPECT_EQ(kontrolle.substr(130 + 51, 5),
                  std::string(5 - std::to_string(bloecke).size(), '0') + std::to_string(bloecke));
      } else {
        // Two records of 64 bytes; the blocks as a 16-bit word.
        ASSERT_EQ(kontrolle.size(), 128u);
        EXPECT_EQ(static_cast<unsigned char>(kontrolle[112]) +
                      256u * static_cast<unsigned char>(kontrolle[113]),
                  bloecke);
      }
      // The demo's invoices to customers have seven-digit numbers (those
      // of suppliers six): the basic variant shortens them and says so
      // once; the extended one takes them whole.
      const std::size_t gekuerzt = vorkommen(
          log,
          "Einigen Belegnummern wurden führende Zeichen entfernt, damit diese 6-stellig werden!");
      EXPECT_EQ(gekuerzt, !erweitert && (befehl == 363 || befehl == 365) ? 1u : 0u) << log;
      EXPECT_EQ(vorkommen(log, "Einigen Belegnummern"), gekuerzt) << log;
    }
  }
}

// The EXTF booking batch and master data: the header, the number of fields
// in every line, CR LF and the Windows code page; the signed amounts of a
// year's batch add up to the protocol's total.
TEST(DatevBatch, ExtfBuchungsstapelUndStammdaten) {
  Demo d;
  const std::string ziel = d.tmp / "extf";
  fs::create_directory(ziel);
  std::string log;
  ASSERT_EQ(d.lauf(antworten(367, ziel) + antworten(368, ziel), {"367", "368"}, &log), 0) << log;
  EXPECT_EQ(dateien(ziel), (std::vector<std::string>{"EXTF_Buchungsstapel_20070101_20071231.csv",
                                                     "EXTF_Debitoren_Kreditoren.csv"}));

  const std::string stapel = lies(ziel + "/EXTF_Buchungsstapel_20070101_20071231.csv");
  EXPECT_EQ(stapel.rfind("\"EXTF\";700;21;\"Buchungsstapel\";13;", 0), 0u) << stapel.substr(0, 80);
  const auto zeilen = crlf_zeilen(stapel);
  ASSERT_GT(zeilen.size(), 100u);
  std::int64_t summe = 0;
  for (std::size_t i = 1; i < zeilen.size(); ++i) {
    const auto f = felder(zeilen[i]);
    ASSERT_EQ(f.size(), 125u) << "line " << i + 1 << ": " << zeilen[i];
    if (i == 1) continue;  // the column names
    ASSERT_TRUE(f[1] == "\"S\"" || f[1] == "\"H\"") << zeilen[i];
    summe += (f[1] == "\"S\"" ? 1 : -1) * cent(f[0]);
  }
  // The protocol of the run is the print job that holds the total.
  std::string protokoll;
  for (const auto& name : dateien(d.tmp / "aus"))
    if (const std::string t = lies(d.tmp / "aus/" + name);
        t.find("Mandantenendsumme") != std::string::npos)
      protokoll = t;
  const auto p = protokoll.find("Mandantenendsumme : ");
  ASSERT_NE(p, std::string::npos) << log;
  EXPECT_EQ(summe, cent(protokoll.substr(p + 20, protokoll.find('\n', p) - p - 20)));

  const std::string stamm = lies(ziel + "/EXTF_Debitoren_Kreditoren.csv");
  const auto personen = crlf_zeilen(stamm);
  ASSERT_GT(personen.size(), 3u);
  for (std::size_t i = 1; i < personen.size(); ++i)
    EXPECT_EQ(felder(personen[i]).size(), 254u) << "line " << i + 1 << ": " << personen[i];
  // The demo's names in the Windows code page, not in UTF-8.
  EXPECT_NE(stamm.find("\"B\xe4"
                       "ckerei Huber\""),
            std::string::npos);
  EXPECT_EQ(stamm.find("B\xc3\xa4"
                       "ckerei"),
            std::string::npos);
  EXPECT_NE(stapel.find("B\xe4"
                        "ckerei Huber"),
            std::string::npos);
}

// A target that does not exist and an accounting number out of range end
// the run with exit code 1 before any file is written.
TEST(DatevBatch, AbgelehnteLaeufeSchreibenNichts) {
  Demo d;
  const std::string par = datenverzeichnis(d) + "/DATEV.PAR";
  const std::string fehlt = d.tmp / "fehlt";
  for (int befehl : {361, 365, 367}) {
    SCOPED_TRACE(befehl);
    std::string log;
    EXPECT_EQ(d.lauf(antworten(befehl, fehlt), {std::to_string(befehl)}, &log), 1) << log;
    // The path as it was typed.
    EXPECT_NE(log.find("Meldung: Der angegeben Pfad " + fehlt +
                       "\nist ungültig. Bitte korrekten Pfad eingeben.\n"),
              std::string::npos)
        << log;
    EXPECT_FALSE(fs::exists(fehlt));
    EXPECT_FALSE(fs::exists(par));
  }
  const std::string ziel = d.tmp / "ziel";
  fs::create_directory(ziel);
  for (int befehl : {361, 363}) {
    SCOPED_TRACE(befehl);
    std::string log;
    EXPECT_EQ(d.lauf(antworten(befehl, ziel, {{"Abrechnungsnummer", "70"}}),
                     {std::to_string(befehl)}, &log),
              1)
        << log;
    EXPECT_NE(log.find("Meldung: Bitte Abrechnungsnummer korrekt eingeben!\nFolgende Intervalle "
                       "sind erlaubt:\n0001-0069 oder 1001-1069"),
              std::string::npos)
        << log;
  }
  EXPECT_TRUE(dateien(ziel).empty());
  EXPECT_FALSE(fs::exists(par));
  // The same run with a valid number writes both.
  std::string log;
  EXPECT_EQ(d.lauf(antworten(361, ziel), {"361"}, &log), 0) << log;
  EXPECT_EQ(dateien(ziel).size(), 2u);
  EXPECT_TRUE(fs::exists(par));
}

}  // namespace
}  // namespace fibu
