#include "exchange/datev_extf.h"

#include <cstdlib>

#include "store/kontenbereiche.h"
#include "store/stammsaetze.h"
#include "suite/allgemei.h"
#include "suite/tpdate.h"

namespace fibu {

namespace {

using P = PersonenFelder;

// A text field: in double quotes, a quote inside doubled, no line breaks,
// at most `laenge` characters; an empty text stays an empty field.
std::string text(std::string_view t, int laenge) {
  std::string s = kopy(trim(t), 1, laenge);
  if (s.empty()) return s;
  std::string aus = "\"";
  for (char c : s) {
    if (c == '"')
      aus += "\"\"";
    else if (static_cast<unsigned char>(c) < 0x20)
      aus += ' ';
    else
      aus += c;
  }
  return aus + "\"";
}

// Cents as "1234,56".
std::string betrag(Betrag cent) {
  const Betrag a = cent < 0 ? -cent : cent;
  const std::string rest = std::to_string(a % 100 + 100).substr(1);
  return (cent < 0 ? "-" : "") + std::to_string(a / 100) + "," + rest;
}

std::string jjjjmmtt(Datum d) {
  return d == kein_datum ? "" : DateToDateString("yyyymmdd", d);
}

// A line of fields set by column name; the others stay empty.
class Zeile {
 public:
  explicit Zeile(const std::vector<std::string_view>& spalten)
      : spalten_(spalten), felder_(spalten.size()) {}
  Zeile& set(std::string_view spalte, std::string wert) {
    for (std::size_t i = 0; i < spalten_.size(); ++i)
      if (spalten_[i] == spalte) {
        felder_[i] = std::move(wert);
        return *this;
      }
    // Every name the program sets is one of the format's columns; the
    // tests set each of them.
    std::abort();
  }
  std::string text() const {
    std::string aus;
    for (std::size_t i = 0; i < felder_.size(); ++i) aus += (i ? ";" : "") + felder_[i];
    return aus + "\r\n";
  }

 private:
  const std::vector<std::string_view>& spalten_;
  std::vector<std::string> felder_;
};

}  // namespace

// clang-format off
const std::vector<std::string_view>& extf_buchungsspalten() {
  static const std::vector<std::string_view> s = {
    "Umsatz (ohne Soll/Haben-Kz)", "Soll/Haben-Kennzeichen", "WKZ Umsatz", "Kurs",
    "Basis-Umsatz", "WKZ Basis-Umsatz", "Konto", "Gegenkonto (ohne BU-Schlüssel)",
    "BU-Schlüssel", "Belegdatum", "Belegfeld 1", "Belegfeld 2", "Skonto", "Buchungstext",
    "Postensperre", "Diverse Adressnummer", "Geschäftspartnerbank", "Sachverhalt", "Zinssperre",
    "Beleglink", "Beleginfo - Art 1", "Beleginfo - Inhalt 1", "Beleginfo - Art 2",
    "Beleginfo - Inhalt 2", "Beleginfo - Art 3", "Beleginfo - Inhalt 3", "Beleginfo - Art 4",
    "Beleginfo - Inhalt 4", "Beleginfo - Art 5", "Beleginfo - Inhalt 5", "Beleginfo - Art 6",
    "Beleginfo - Inhalt 6", "Beleginfo - Art 7", "Beleginfo - Inhalt 7", "Beleginfo - Art 8",
    "Beleginfo - Inhalt 8", "KOST1 - Kostenstelle", "KOST2 - Kostenstelle", "Kost-Menge",
    "EU-Land u. UStID (Bestimmung)", "EU-Steuersatz (Bestimmung)", "Abw. Versteuerungsart",
    "Sachverhalt L+L", "Funktionsergänzung L+L", "BU 49 Hauptfunktionstyp",
    "BU 49 Hauptfunktionsnummer", "BU 49 Funktionsergänzung", "Zusatzinformation - Art 1",
    "Zusatzinformation- Inhalt 1", "Zusatzinformation - Art 2", "Zusatzinformation- Inhalt 2",
    "Zusatzinformation - Art 3", "Zusatzinformation- Inhalt 3", "Zusatzinformation - Art 4",
    "Zusatzinformation- Inhalt 4", "Zusatzinformation - Art 5", "Zusatzinformation- Inhalt 5",
    "Zusatzinformation - Art 6", "Zusatzinformation- Inhalt 6", "Zusatzinformation - Art 7",
    "Zusatzinformation- Inhalt 7", "Zusatzinformation - Art 8", "Zusatzinformation- Inhalt 8",
    "Zusatzinformation - Art 9", "Zusatzinformation- Inhalt 9", "Zusatzinformation - Art 10",
    "Zusatzinformation- Inhalt 10", "Zusatzinformation - Art 11", "Zusatzinformation- Inhalt 11",
    "Zusatzinformation - Art 12", "Zusatzinformation- Inhalt 12", "Zusatzinformation - Art 13",
    "Zusatzinformation- Inhalt 13", "Zusatzinformation - Art 14", "Zusatzinformation- Inhalt 14",
    "Zusatzinformation - Art 15", "Zusatzinformation- Inhalt 15", "Zusatzinformation - Art 16",
    "Zusatzinformation- Inhalt 16", "Zusatzinformation - Art 17", "Zusatzinformation- Inhalt 17",
    "Zusatzinformation - Art 18", "Zusatzinformation- Inhalt 18", "Zusatzinformation - Art 19",
    "Zusatzinformation- Inhalt 19", "Zusatzinformation - Art 20", "Zusatzinformation- Inhalt 20",
    "Stück", "Gewicht", "Zahlweise", "Forderungsart", "Veranlagungsjahr",
    "Zugeordnete Fälligkeit", "Skontotyp", "Auftragsnummer", "Buchungstyp",
    "USt-Schlüssel (Anzahlungen)", "EU-Land (Anzahlungen)", "Sachverhalt L+L (Anzahlungen)",
    "EU-Steuersatz (Anzahlungen)", "Erlöskonto (Anzahlungen)", "Herkunft-Kz", "Buchungs GUID",
    "KOST-Datum", "SEPA-Mandatsreferenz", "Skontosperre", "Gesellschaftername",
    "Beteiligtennummer", "Identifikationsnummer", "Zeichnernummer", "Postensperre bis",
    "Bezeichnung SoBil-Sachverhalt", "Kennzeichen SoBil-Buchung", "Festschreibung",
    "Leistungsdatum", "Datum Zuord. Steuerperiode", "Fälligkeit", "Generalumkehr (GU)",
    "Steuersatz", "Land", "Abrechnungsreferenz", "BVV-Position", "EU-Land u. UStID (Ursprung)",
    "EU-Steuersatz (Ursprung)", "Abw. Skontokonto",
  };
  return s;
}

const std::vector<std::string_view>& extf_personenspalten() {
  static const std::vector<std::string_view> s = {
    "Konto", "Name (Adressatentyp Unternehmen)", "Unternehmensgegenstand",
    "Name (Adressatentyp natürl. Person)", "Vorname (Adressatentyp natürl. Person)",
    "Name (Adressatentyp keine Angabe)", "Adressatentyp", "Kurzbezeichnung", "EU-Mitgliedstaat",
    "EU-USt-IdNr.", "Anrede", "Titel/Akad.Grad", "Adelstitel", "Namensvorsatz", "Adressart",
    "Straße", "Postfach", "Postleitzahl", "Ort", "Land", "Versandzusatz", "Adresszusatz",
    "Abweichende Anrede", "Abw. Zustellbezeichnung 1", "Abw. Zustellbezeichnung 2",
    "Kennz. Korrespondenzadresse", "Adresse Gültig von", "Adresse Gültig bis", "Telefon",
    "Bemerkung (Telefon)", "Telefon Geschäftsleitung", "Bemerkung (Telefon GL)", "E-Mail",
    "Bemerkung (E-Mail)", "Internet", "Bemerkung (Internet)", "Fax", "Bemerkung (Fax)",
    "Sonstige", "Bemerkung (Sonstige)", "Bankleitzahl 1", "Bankbezeichnung 1",
    "Bank-Kontonummer 1", "Länderkennzeichen 1", "IBAN-Nr. 1", "Leerfeld", "SWIFT-Code 1",
    "Abw. Kontoinhaber 1", "Kennz. Hauptbankverb. 1", "Bankverbindung 1 Gültig von",
    "Bankverbindung 1 Gültig bis", "Bankleitzahl 2", "Bankbezeichnung 2", "Bank-Kontonummer 2",
    "Länderkennzeichen 2", "IBAN-Nr. 2", "Leerfeld", "SWIFT-Code 2", "Abw. Kontoinhaber 2",
    "Kennz. Hauptbankverb. 2", "Bankverbindung 2 Gültig von", "Bankverbindung 2 Gültig bis",
    "Bankleitzahl 3", "Bankbezeichnung 3", "Bank-Kontonummer 3", "Länderkennzeichen 3",
    "IBAN-Nr. 3", "Leerfeld", "SWIFT-Code 3", "Abw. Kontoinhaber 3", "Kennz. Hauptbankverb. 3",
    "Bankverbindung 3 Gültig von", "Bankverbindung 3 Gültig bis", "Bankleitzahl 4",
    "Bankbezeichnung 4", "Bank-Kontonummer 4", "Länderkennzeichen 4", "IBAN-Nr. 4", "Leerfeld",
    "SWIFT-Code 4", "Abw. Kontoinhaber 4", "Kennz. Hauptbankverb. 4",
    "Bankverbindung 4 Gültig von", "Bankverbindung 4 Gültig bis", "Bankleitzahl 5",
    "Bankbezeichnung 5", "Bank-Kontonummer 5", "Länderkennzeichen 5", "IBAN-Nr. 5", "Leerfeld",
    "SWIFT-Code 5", "Abw. Kontoinhaber 5", "Kennz. Hauptbankverb. 5",
    "Bankverbindung 5 Gültig von", "Bankverbindung 5 Gültig bis", "Leerfeld", "Briefanrede",
    "Grußformel", "Kundennummer", "Steuernummer", "Sprache", "Ansprechpartner", "Vertreter",
    "Sachbearbeiter", "Diverse-Konto", "Ausgabeziel", "Währungssteuerung",
    "Kreditlimit (Debitor)", "Zahlungsbedingung", "Fälligkeit in Tagen (Debitor)",
    "Skonto in Prozent (Debitor)", "Kreditoren-Ziel 1 (Tage)", "Kreditoren-Skonto 1 (%)",
    "Kreditoren-Ziel 2 (Tage)", "Kreditoren-Skonto 2 (%)", "Kreditoren-Ziel 3 Brutto (Tage)",
    "Kreditoren-Ziel 4 (Tage)", "Kreditoren-Skonto 4 (%)", "Kreditoren-Ziel 5 (Tage)",
    "Kreditoren-Skonto 5 (%)", "Mahnung", "Kontoauszug", "Mahntext 1", "Mahntext 2",
    "Mahntext 3", "Kontoauszugstext", "Mahnlimit Betrag", "Mahnlimit %", "Zinsberechnung",
    "Mahnzinssatz 1", "Mahnzinssatz 2", "Mahnzinssatz 3", "Lastschrift", "Leerfeld",
    "Mandantenbank", "Zahlungsträger", "Indiv. Feld 1", "Indiv. Feld 2", "Indiv. Feld 3",
    "Indiv. Feld 4", "Indiv. Feld 5", "Indiv. Feld 6", "Indiv. Feld 7", "Indiv. Feld 8",
    "Indiv. Feld 9", "Indiv. Feld 10", "Indiv. Feld 11", "Indiv. Feld 12", "Indiv. Feld 13",
    "Indiv. Feld 14", "Indiv. Feld 15", "Abweichende Anrede (Rechnungsadresse)",
    "Adressart (Rechnungsadresse)", "Straße (Rechnungsadresse)", "Postfach (Rechnungsadresse)",
    "Postleitzahl (Rechnungsadresse)", "Ort (Rechnungsadresse)", "Land (Rechnungsadresse)",
    "Versandzusatz (Rechnungsadresse)", "Adresszusatz (Rechnungsadresse)",
    "Abw. Zustellbezeichnung 1 (Rechnungsadresse)",
    "Abw. Zustellbezeichnung 2 (Rechnungsadresse)", "Adresse Gültig von (Rechnungsadresse)",
    "Adresse Gültig bis (Rechnungsadresse)", "Bankleitzahl 6", "Bankbezeichnung 6",
    "Bank-Kontonummer 6", "Länderkennzeichen 6", "IBAN-Nr. 6", "Leerfeld", "SWIFT-Code 6",
    "Abw. Kontoinhaber 6", "Kennz. Hauptbankverb. 6", "Bankverbindung 6 Gültig von",
    "Bankverbindung 6 Gültig bis", "Bankleitzahl 7", "Bankbezeichnung 7", "Bank-Kontonummer 7",
    "Länderkennzeichen 7", "IBAN-Nr. 7", "Leerfeld", "SWIFT-Code 7", "Abw. Kontoinhaber 7",
    "Kennz. Hauptbankverb. 7", "Bankverbindung 7 Gültig von", "Bankverbindung 7 Gültig bis",
    "Bankleitzahl 8", "Bankbezeichnung 8", "Bank-Kontonummer 8", "Länderkennzeichen 8",
    "IBAN-Nr. 8", "Leerfeld", "SWIFT-Code 8", "Abw. Kontoinhaber 8", "Kennz. Hauptbankverb. 8",
    "Bankverbindung 8 Gültig von", "Bankverbindung 8 Gültig bis", "Bankleitzahl 9",
    "Bankbezeichnung 9", "Bank-Kontonummer 9", "Länderkennzeichen 9", "IBAN-Nr. 9", "Leerfeld",
    "SWIFT-Code 9", "Abw. Kontoinhaber 9", "Kennz. Hauptbankverb. 9",
    "Bankverbindung 9 Gültig von", "Bankverbindung 9 Gültig bis", "Bankleitzahl 10",
    "Bankbezeichnung 10", "Bank-Kontonummer 10", "Länderkennzeichen 10", "IBAN-Nr. 10",
    "Leerfeld", "SWIFT-Code 10", "Abw. Kontoinhaber 10", "Kennz. Hauptbankverb. 10",
    "Bankverbindung 10 Gültig von", "Bankverbindung 10 Gültig bis", "Nummer Fremdsystem",
    "Insolvent", "SEPA-Mandatsreferenz 1", "SEPA-Mandatsreferenz 2", "SEPA-Mandatsreferenz 3",
    "SEPA-Mandatsreferenz 4", "SEPA-Mandatsreferenz 5", "SEPA-Mandatsreferenz 6",
    "SEPA-Mandatsreferenz 7", "SEPA-Mandatsreferenz 8", "SEPA-Mandatsreferenz 9",
    "SEPA-Mandatsreferenz 10", "Verknüpftes OPOS-Konto", "Mahnsperre bis",
    "Lastschriftsperre bis", "Zahlungssperre bis", "Gebührenberechnung", "Mahngebühr 1",
    "Mahngebühr 2", "Mahngebühr 3", "Pauschalenberechnung", "Verzugspauschale 1",
    "Verzugspauschale 2", "Verzugspauschale 3", "Alternativer Suchname", "Status",
    "Anschrift manuell geändert (Korrespondenzadresse)",
    "Anschrift individuell (Korrespondenzadresse)",
    "Anschrift manuell geändert (Rechnungsadresse)", "Anschrift individuell (Rechnungsadresse)",
    "Fristberechnung bei Debitor", "Mahnfrist 1", "Mahnfrist 2", "Mahnfrist 3", "Letzte Frist",
  };
  return s;
}

// clang-format on

std::string extf_kopfzeile(const ExtfKopf& k) {
  std::string z = "\"EXTF\";700;";
  z += k.stammdaten ? "16;\"Debitoren/Kreditoren\";5;" : "21;\"Buchungsstapel\";13;";
  // Created; imported (set by DATEV); origin; exported by; imported by.
  z += k.erzeugt + ";;\"FI\";\"\";\"\";";
  z += std::to_string(k.berater) + ";" + std::to_string(k.mandant) + ";" + jjjjmmtt(k.wj_beginn) +
       ";" + std::to_string(k.sachkontenlaenge) + ";";
  if (k.stammdaten) {
    // Dates, name, dictation mark, booking type, purpose, lock, currency.
    z += ";;\"\";\"\";;;;\"\";";
  } else {
    z += jjjjmmtt(k.von) + ";" + jjjjmmtt(k.bis) + ";" + text(k.bezeichnung, 30) + ";\"\";1;0;" +
         (k.festschreibung ? "1" : "0") + ";\"" + (k.euro ? "EUR" : "DEM") + "\";";
  }
  // Reserved, derivative mark, reserved, reserved, chart, industry
  // solution, reserved, reserved, application information.
  z += ";\"\";;;\"\";;;\"\";\"\"\r\n";
  return z;
}

std::string extf_spaltenzeile(const std::vector<std::string_view>& spalten) {
  std::string z;
  for (std::size_t i = 0; i < spalten.size(); ++i) z += (i ? ";" : "") + std::string(spalten[i]);
  return z + "\r\n";
}

std::string extf_buchungszeile(const DatevBuchung& b, bool euro) {
  Zeile z(extf_buchungsspalten());
  z.set("Umsatz (ohne Soll/Haben-Kz)", betrag(b.betrag < 0 ? -b.betrag : b.betrag))
      .set("Soll/Haben-Kennzeichen", b.betrag < 0 ? "\"H\"" : "\"S\"")
      .set("WKZ Umsatz", euro ? "\"EUR\"" : "\"DEM\"")
      .set("Konto", std::to_string(kontowert(b.konto)))
      .set("Gegenkonto (ohne BU-Schlüssel)", std::to_string(kontowert(b.gegenkonto)))
      .set("Belegdatum", DateToDateString("ddmmyy", b.datum).substr(0, 4))
      .set("Belegfeld 1", text(b.belegnr, 36))
      .set("Buchungstext", text(b.text, 60))
      .set("KOST1 - Kostenstelle", text(b.kostenstelle, 36))
      .set("EU-Land u. UStID (Bestimmung)", text(b.egid, 15))
      .set("Festschreibung", b.festgeschrieben ? "1" : "0");
  if (b.steuerschluessel != 0)
    z.set("BU-Schlüssel", "\"" + std::to_string(b.steuerschluessel) + "\"");
  return z.text();
}

std::string extf_personenzeile(const Satz& p, bool debitor) {
  Zeile z(extf_personenspalten());
  z.set("Konto", std::to_string(kontowert(p.get(P::Kontonr))))
      .set("Name (Adressatentyp Unternehmen)", text(p.get(P::Name), 50))
      .set("Adressatentyp", "\"2\"")
      .set("Kurzbezeichnung", text(p.get(P::Suchname), 15))
      .set("Anrede", text(p.get(P::Anrede), 30))
      .set("Straße", text(p.get(P::Strasse), 36))
      .set("Telefon", text(p.get(P::Telefon), 60));
  if (!trim(p.get(P::Strasse)).empty()) z.set("Adressart", "\"STR\"");
  // "80331 München": the postcode is the first word when it holds a digit.
  const std::string ort = trim(p.get(P::PlzOrt));
  const auto blank = ort.find(' ');
  if (blank != std::string::npos && ort.find_first_of("0123456789") < blank) {
    z.set("Postleitzahl", text(ort.substr(0, blank), 10))
        .set("Ort", text(ort.substr(blank + 1), 30));
  } else {
    z.set("Ort", text(ort, 30));
  }
  const std::string egid = trim(p.get(P::EgId));
  if (egid.size() > 2) {
    z.set("EU-Mitgliedstaat", text(egid.substr(0, 2), 2))
        .set("EU-USt-IdNr.", text(egid.substr(2), 13));
  }
  if (!trim(p.get(P::Blz)).empty() || !trim(p.get(P::Bankkonto)).empty()) {
    z.set("Bankleitzahl 1", text(p.get(P::Blz), 8))
        .set("Bankbezeichnung 1", text(p.get(P::Bankname), 30))
        .set("Bank-Kontonummer 1", text(p.get(P::Bankkonto), 10))
        .set("Länderkennzeichen 1", "\"DE\"");
  }
  // Terms of payment: discount rates are kept in thousandths of a percent.
  const auto prozent = [](std::int64_t tausendstel) {
    return betrag((tausendstel + (tausendstel >= 0 ? 5 : -5)) / 10);
  };
  const auto tage = [](std::uint16_t t) { return t ? std::to_string(t) : std::string(); };
  if (debitor) {
    if (p.get(P::Limit) > 0) z.set("Kreditlimit (Debitor)", std::to_string(p.get(P::Limit) / 100));
    z.set("Fälligkeit in Tagen (Debitor)", tage(p.get(P::Nettotage)));
    if (p.get(P::Skonto1) != 0) z.set("Skonto in Prozent (Debitor)", prozent(p.get(P::Skonto1)));
  } else {
    if (p.get(P::Skonto1) != 0)
      z.set("Kreditoren-Ziel 1 (Tage)", tage(p.get(P::Skontotage1)))
          .set("Kreditoren-Skonto 1 (%)", prozent(p.get(P::Skonto1)));
    if (p.get(P::Skonto2) != 0)
      z.set("Kreditoren-Ziel 2 (Tage)", tage(p.get(P::Skontotage2)))
          .set("Kreditoren-Skonto 2 (%)", prozent(p.get(P::Skonto2)));
    z.set("Kreditoren-Ziel 3 Brutto (Tage)", tage(p.get(P::Nettotage)));
  }
  return z.text();
}

Belegnummer extf_belegnummer(const std::string& belegnr) {
  Belegnummer b;
  for (char c : belegnr) {
    const bool erlaubt = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                         (c >= 'a' && c <= 'z') || c == '_' || c == '$' || c == '%' || c == '-' ||
                         c == '/';
    if (!erlaubt) {
      b.grund = "!!! Belegnummer >" + belegnr +
                "< enthält Zeichen, die die DATEV nicht annimmt, Buchung wird nicht uebergeben!";
      return b;
    }
  }
  b.gekuerzt = belegnr.size() > 36;
  b.nummer = b.gekuerzt ? belegnr.substr(belegnr.size() - 36) : belegnr;
  return b;
}

std::string extf_dateiname(bool stammdaten, Datum von, Datum bis) {
  if (stammdaten) return "EXTF_Debitoren_Kreditoren.csv";
  return "EXTF_Buchungsstapel_" + jjjjmmtt(von) + "_" + jjjjmmtt(bis) + ".csv";
}

}  // namespace fibu
