#include "vat/elster.h"

#include <libxml/xmlwriter.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "frame/mandant.h"
#include "frame/tffibu.h"
#include "suite/xml_schreiber.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "vat/steueranmeldung.h"
#include "vat/steuerwerte.h"
#include "vat/ustjahre.h"

namespace fibu {
namespace {

using B = BasisFelder;

// The marks of the dialog's check boxes and the special prepayment.
constexpr int kz_berichtigt = 10, kz_belege = 22, kz_widerruf = 26, kz_verrechnung = 29,
              kz_sonderzahlung = 38, kz_sonder = 39, kz_rest = 83;

// Kennzahlen the file carries even without a value, where the year has them.
bool immer_geschrieben(int kz) {
  auto zwischen = [kz](int a, int b) { return kz >= a && kz <= b; };
  return kz == 21 || kz == 35 || kz == 36 || kz == 39 || zwischen(41, 49) || kz == 51 ||
         kz == 54 || kz == 55 || zwischen(57, 69) || kz == 73 || kz == 74 || zwischen(76, 80) ||
         kz == 83 || kz == 86 || kz == 91 || zwischen(93, 98);
}

void erlauben(std::vector<int>& liste, int kz) {
  if (kz != 0 && std::find(liste.begin(), liste.end(), kz) == liste.end()) liste.push_back(kz);
}

// The printed text of a Kennzahl for the check list: that of the year
// table's row for the period, else of its last row for the Kennzahl (the
// rows for single periods stand before the general ones).
std::string kennzahltext(int kz, int jahr, int monat) {
  switch (kz) {
    case kz_berichtigt:
      return "Berichtigte Anmeldung";
    case kz_belege:
      return "Belege sind beigefügt";
    case kz_widerruf:
      return "Einzugsermächtigung ausnahmsweise widerrufen";
    case kz_verrechnung:
      return "Verrechnung des Erstattungsbetrages erwünscht";
    case kz_sonderzahlung:
      return "Sondervorauszahlung";
    case kz_sonder:
      return "Anrechnung der festgesetzten Sondervorauszahlung";
    case kz_rest:
      return "Verbleibende Umsatzsteuer-Vorauszahlung";
    case 51:
      return "Steuerpflichtige Umsätze zum Steuersatz von 16 %";
    case 97:
      return "Innergem. Erwerbe zum Steuersatz von 16 %";
    default:
      break;
  }
  std::string text;
  for (const Kennzahlzuordnung& z : kennzahlentabelle()) {
    if (z.kz_basis != kz && z.kz_steuer != kz) continue;
    if (jahr >= z.von_jahr && jahr <= z.bis_jahr && monat >= z.von_monat && monat <= z.bis_monat)
      return z.text;
    text = z.text;
  }
  return text;
}

// 1234.56 as "1234.56", −5 as "-0.05"; whole euros as "1234".
std::string xml_betrag(const Elsterwert& w) {
  const Betrag b = w.wert;
  const std::string vorzeichen = b < 0 ? "-" : "";
  const Betrag a = b < 0 ? -b : b;
  if (!w.cent) return vorzeichen + std::to_string(a / 100);
  std::string cent = std::to_string(a % 100);
  if (cent.size() < 2) cent = "0" + cent;
  return vorzeichen + std::to_string(a / 100) + "." + cent;
}

// Splits "80995 München" into postcode and place.
std::pair<std::string, std::string> plz_und_ort(const std::string& plz_ort) {
  const std::string t = trim(plz_ort);
  const auto blank = t.find(' ');
  if (blank == std::string::npos) return {"", t};
  return {t.substr(0, blank), trim(t.substr(blank + 1))};
}

using Schreiber = XmlSchreiber;

}  // namespace

// --- Checks ---

std::string nur_ziffern(const std::string& text) {
  std::string z;
  for (char c : text)
    if (c >= '0' && c <= '9') z += c;
  return z;
}

std::string elster_bundesland(const std::string& ziffern) {
  static const std::pair<const char*, const char*> laender[] = {
      {"10", "SL"}, {"11", "BE"}, {"21", "SH"}, {"22", "HH"}, {"23", "ND"}, {"24", "HB"},
      {"26", "HE"}, {"27", "RP"}, {"28", "BW"}, {"30", "BR"}, {"31", "ST"}, {"32", "SN"},
      {"40", "MV"}, {"41", "TH"}, {"51", "NW"}, {"52", "NW"}, {"53", "NW"}, {"91", "BY"},
      {"92", "BY"}};
  const std::string anfang = ziffern.substr(0, 2);
  for (const auto& [vorne, land] : laender)
    if (anfang == vorne) return land;
  return "";
}

std::optional<std::string> elster_steuernummer_pruefen(const std::string& eingabe) {
  const std::string z = nur_ziffern(eingabe);
  if (z.size() != 13)
    return "Für Coala - Steueranmeldungen muß die Steuernummer aus 13 Ziffern bestehen!\r"
           "Korrigieren Sie den Eintrag in den Basisdaten.";
  if (elster_bundesland(z).empty())
    return "Die Steuernummer kann keinem Bundesland zugeordnet werden!\r"
           "Prüfen sie die ersten 2 Stellen der Steuernummer.";
  if (z[4] != '0')
    return "Die Steuernummer ist nicht plausibel!\rPrüfen sie die ersten 5 Stellen der "
           "Steuernummer.";
  return std::nullopt;
}

std::optional<std::string> elster_perioden_pruefen(int von, int bis, bool zwoelf_monate) {
  const std::string nicht = "Perioden sind so nicht möglich !\r";
  if (bis < von) return nicht + "Periode \"bis\" muß >= Periode \"von\" sein.";
  if (von == bis) return std::nullopt;
  if (!zwoelf_monate)
    return "Bei periodenweiser Abrechnung !\rmuß Periode \"bis\" = Periode \"von\" sein.";
  if (von != 1 && von != 4 && von != 7 && von != 10)
    return nicht + "Bei Quartal muß Periodevon 1, 4, 7 oder 10 sein.";
  if (bis != von + 2) return nicht + "Es sind nur Monate oder Quartale möglich.";
  return std::nullopt;
}

std::string elster_zeitraum(int von, int bis) {
  const int code = von == bis ? von : 41 + (von - 1) / 3;
  return (code < 10 ? "0" : "") + std::to_string(code);
}

std::string elster_steuerversion(int jahr) {
  return std::to_string(jahr) + "01";
}

// --- Kennzahlen ---

Elsterkennzahlen elster_kennzahlen(int jahr, int monat, const Formularwerte& werte,
                                   bool letzte_periode, Betrag sonder) {
  Elsterkennzahlen k;
  Betrag zahlung = 0;
  if (jahr <= letztes_formularjahr) {
    // The Kennzahlen of the official form of the year, valued as it prints them.
    const Formularkennzahlen f = formularkennzahlen(jahr, werte);
    for (const auto& [kz, wert] : f.werte)
      k.werte[kz] = {wert, !std::binary_search(f.basen.begin(), f.basen.end(), kz)};
    k.erlaubt = f.erlaubt;
    k.basen = f.basen;
    k.ohne_kennzahl = f.ohne_kennzahl;
    zahlung = f.zahlung;
  } else {
    const Kennzahlenliste l = kennzahlen_berechnen(werte, jahr, monat);
    for (const Kennzahlzuordnung& z : kennzahlentabelle())
      if (jahr >= z.von_jahr && jahr <= z.bis_jahr && monat >= z.von_monat &&
          monat <= z.bis_monat) {
        erlauben(k.erlaubt, z.kz_basis);
        erlauben(k.basen, z.kz_basis);
        erlauben(k.erlaubt, z.kz_steuer);
      }
    for (const Kennzahlwert& w : l.werte) {
      if (w.kz_basis != 0 && w.basis != 0) {
        k.werte[w.kz_basis].wert += w.basis;
        k.werte[w.kz_basis].cent = false;
      }
      if (w.kz_steuer != 0 && w.steuer != 0) k.werte[w.kz_steuer].wert += w.steuer;
    }
    erlauben(k.erlaubt, kz_sonder);
    erlauben(k.erlaubt, kz_rest);
    k.ohne_kennzahl = l.ohne_kennzahl;
    zahlung = l.summe;
  }
  for (int kz : {kz_berichtigt, kz_widerruf, kz_verrechnung}) erlauben(k.erlaubt, kz);
  if (jahr >= 2006) erlauben(k.erlaubt, kz_belege);
  if (letzte_periode && sonder != 0) k.werte[kz_sonder] = {sonder, true};
  k.werte[kz_rest] = {zahlung - (letzte_periode ? sonder : 0), true};
  std::sort(k.erlaubt.begin(), k.erlaubt.end());
  std::sort(k.basen.begin(), k.basen.end());
  return k;
}

std::vector<std::pair<int, Elsterwert>> elster_zu_schreiben(const Elsterkennzahlen& k) {
  std::vector<std::pair<int, Elsterwert>> aus;
  for (int kz = 10; kz <= 99; ++kz) {
    const auto it = k.werte.find(kz);
    const bool erlaubt = std::binary_search(k.erlaubt.begin(), k.erlaubt.end(), kz);
    if (it != k.werte.end() && it->second.wert != 0)
      aus.emplace_back(kz, it->second);
    else if (erlaubt && immer_geschrieben(kz))
      aus.emplace_back(kz, Elsterwert{0, !std::binary_search(k.basen.begin(), k.basen.end(), kz)});
  }
  return aus;
}

std::string elster_xml(const Elsterkopf& kopf,
                       const std::vector<std::pair<int, Elsterwert>>& kz) {
  Schreiber s;
  if (!s.ok) return "";
  xmlTextWriterSetIndent(s.w, 1);
  xmlTextWriterSetIndentString(s.w, Schreiber::x("  "));
  s.ok = xmlTextWriterStartDocument(s.w, "1.0", "ISO-8859-1", nullptr) >= 0;
  s.auf("DatenTeil");
  s.auf("Nutzdatenblock");
  s.auf("NutzdatenHeader");
  s.attribut("version", kopf.version);
  s.element("NutzdatenTicket", kopf.ticket);
  s.auf("Empfaenger");
  s.attribut("id", "F");
  if (s.ok) s.ok = xmlTextWriterWriteString(s.w, Schreiber::x(kopf.finanzamt)) >= 0;
  s.zu();
  s.auf("Hersteller");
  s.element("ProduktName", kopf.produktname);
  s.element("ProduktVersion", kopf.produktversion);
  s.zu();
  s.auf("DatenLieferant");
  const Elsterlieferant& l = kopf.lieferant;
  s.wenn_nicht_leer("Name", l.name);
  s.wenn_nicht_leer("Ansprechpartner", l.ansprechpartner);
  s.wenn_nicht_leer("Telefon", l.telefon);
  s.wenn_nicht_leer("Email", l.email);
  s.wenn_nicht_leer("Ort", l.ort);
  s.wenn_nicht_leer("PLZ", l.plz);
  s.wenn_nicht_leer("Strasse", l.strasse);
  s.wenn_nicht_leer("Land", l.land);
  s.zu();
  s.zu();  // NutzdatenHeader
  s.auf("Nutzdaten");
  s.auf("Anmeldungssteuern");
  s.attribut("art", kopf.steuerart);
  s.attribut("version", kopf.steuerversion);
  s.auf("DatenLieferant");
  s.element("Name", trim(l.name));
  s.element("Strasse", trim(l.strasse));
  s.element("PLZ", trim(l.plz));
  s.element("Ort", trim(l.ort));
  s.element("Telefon", trim(l.telefon));
  s.element("Email", trim(l.email));
  s.zu();
  s.element("Erstellungsdatum", DateToDateString("yyyymmdd", kopf.erstellt));
  s.auf("Steuerfall");
  s.auf(kopf.sondervorauszahlung ? "Umsatzsteuersondervorauszahlung"
                                 : "Umsatzsteuervoranmeldung");
  s.element("Jahr", std::to_string(kopf.jahr));
  s.element("Zeitraum", kopf.zeitraum);
  s.element("Steuernummer", kopf.steuernummer);
  const Elsterberater& b = kopf.berater;
  s.element("Kz09", trim(b.name) + "*" + trim(b.beruf) + "*" + trim(b.vorwahl) + "*" +
                        trim(b.telefon) + "*" + trim(b.mandant) + "*" + trim(l.name));
  for (const auto& [nummer, wert] : kz)
    s.element((nummer < 10 ? "Kz0" : "Kz") + std::to_string(nummer), xml_betrag(wert));
  s.ok = s.ok && xmlTextWriterEndDocument(s.w) >= 0;
  if (!s.ok || xmlTextWriterFlush(s.w) < 0) return "";
  return std::string(reinterpret_cast<const char*>(xmlBufferContent(s.puffer)),
                     static_cast<std::size_t>(xmlBufferLength(s.puffer)));
}

// --- coala.ini ---

Coalaangaben coala_lesen(const IniDatei& ini, const Mandant& m) {
  Coalaangaben c;
  const auto [plz, ort] = plz_und_ort(m.basis.get(B::PlzOrt));
  const std::string h = "NutzdatenHeader", s = "Steuerfall";
  c.ticket = ini.wert_oder(h, "NutzdatenTicket", "0000000000");
  Elsterlieferant& l = c.lieferant;
  l.name = ini.wert_oder(h, "LieferantName", trim(m.basis.get(B::Name)));
  l.ansprechpartner = ini.wert_oder(h, "LieferantAp", "");
  l.telefon = ini.wert_oder(h, "LieferantTelefon", "");
  l.email = ini.wert_oder(h, "LieferantEMail", "");
  l.ort = ini.wert_oder(h, "LieferantOrt", ort);
  l.plz = ini.wert_oder(h, "LieferantPLZ", plz);
  l.strasse = ini.wert_oder(h, "LieferantStrasse", trim(m.basis.get(B::Strasse)));
  l.land = ini.wert_oder(h, "LieferantLand", "Deutschland");
  Elsterberater& b = c.berater;
  b.name = ini.wert_oder(s, "bername", "");
  b.beruf = ini.wert_oder(s, "berberuf", "");
  b.vorwahl = ini.wert_oder(s, "bervorwahl", "");
  b.telefon = ini.wert_oder(s, "bertelefon", "");
  b.mandant = ini.wert_oder(s, "bermandant", "");
  return c;
}

bool coala_schreiben(IniDatei& ini, const Coalaangaben& c) {
  const std::string h = "NutzdatenHeader", s = "Steuerfall";
  const Elsterlieferant& l = c.lieferant;
  const Elsterberater& b = c.berater;
  return ini.setze(h, "NutzdatenTicket", c.ticket) && ini.setze(h, "LieferantName", l.name) &&
         ini.setze(h, "LieferantAp", l.ansprechpartner) &&
         ini.setze(h, "LieferantTelefon", l.telefon) && ini.setze(h, "LieferantEMail", l.email) &&
         ini.setze(h, "LieferantOrt", l.ort) && ini.setze(h, "LieferantPLZ", l.plz) &&
         ini.setze(h, "LieferantStrasse", l.strasse) && ini.setze(h, "LieferantLand", l.land) &&
         ini.setze(s, "bername", b.name) && ini.setze(s, "berberuf", b.beruf) &&
         ini.setze(s, "bervorwahl", b.vorwahl) && ini.setze(s, "bertelefon", b.telefon) &&
         ini.setze(s, "bermandant", b.mandant);
}

// --- The command ---

namespace {

// In 2005 the tax of the other rates, of § 24 and of the acquisitions at
// other rates and of new vehicles comes from the bookings: the tax posted on
// the tax accounts of the line's accounts, each tax account once however
// many accounts of the line reach it. The payment follows. False when the
// bookings could not be read.
bool steuer_2005_aus_buchungen(Mandant& m, int von, int bis, const std::vector<Ustkonto>& konten,
                               Elsterkennzahlen& k) {
  struct Zeile {
    int zeile, kz_basis, kz_steuer;
  };
  const Datum erster = m.basis.get(B::periode_von(von)), letzter = m.basis.get(B::periode_bis(bis));
  auto& bu = *m.buchung;
  for (const Zeile& z : {Zeile{29, 35, 36}, Zeile{32, 76, 80}, Zeile{37, 95, 98}, Zeile{38, 94, 96}}) {
    if (!k.werte.count(z.kz_basis) || k.werte.at(z.kz_basis).wert == 0) continue;
    std::vector<std::string> steuerkonten;
    for (const Ustkonto& u : konten) {
      if (u.zeile != z.zeile || u.schluessel < 1 || u.schluessel > 40) continue;
      const std::int32_t nr = m.basis.get(B::steuerkonto(u.schluessel));
      if (nr == 0) continue;
      const std::string text = std::to_string(nr);
      if (std::find(steuerkonten.begin(), steuerkonten.end(), text) == steuerkonten.end())
        steuerkonten.push_back(text);
    }
    Betrag steuer = 0;
    const bool sicht = bu.offene_sicht;
    bu.offene_sicht = false;  // archived bookings count too
    const bool gelesen = bu.buchungen_lesen(
        1, bu.anzahl_buchungen(), [&](std::int64_t, const Satz& b) {
          const Datum d = b.get(BuchungFelder::Datum);
          if (bu.satz_ist_leer(b) || d < erster || d > letzter) return true;
          const std::string konto = trim(b.get(BuchungFelder::Steuerkontofeld));
          if (std::find(steuerkonten.begin(), steuerkonten.end(), konto) != steuerkonten.end())
            steuer -= b.get(BuchungFelder::GebuchteSteuer);
          return true;
        });
    bu.offene_sicht = sicht;
    if (!gelesen) return false;
    Elsterwert& w = k.werte[z.kz_steuer];
    k.werte[kz_rest].wert += steuer - w.wert;
    w = {steuer, true};
  }
  return true;
}
}  // namespace

namespace {
enum Feld {
  f_aktuell = 1,
  f_von,
  f_bis,
  f_steuernummer,
  f_berichtigt,
  f_widerruf,
  f_verrechnung,
  f_belege,
  f_aufschluesseln,
  f_runden,
  f_nur_sonder,
  f_betrag,
  f_l_name,
  f_l_ap,
  f_l_telefon,
  f_l_email,
  f_l_plz,
  f_l_strasse,
  f_l_ort,
  f_l_land,
  f_b_name,
  f_b_beruf,
  f_b_vorwahl,
  f_b_telefon,
  f_b_mandant,
  f_n_version,
  f_n_code,
  f_n_produkt,
  f_n_produktversion,
  f_n_steuerart,
  f_n_steuerversion,
};
// The program's manufacturer number with the tax administration.
const char* const herstellercode = "74931";
}  // namespace

TfCoalaf::TfCoalaf(Mandant& m) : m_(m), form_("ELSTER - Umsatzsteuervoranmeldung") {}

std::optional<std::string> TfCoalaf::startpruefung() {
  Dateisystem& fs = m_.fs();
  const std::string coala = pfad_verbinden(m_.fibu_pfad(), "coala");
  if (!fs.ist_verzeichnis(coala) && !fs.verzeichnis_anlegen(coala))
    return "Kann Verzeichnis " + m_.fibu_pfad() + "coala nicht anlegen\rPrüfen Sie Ihre "
           "Berechtigungen!";
  if (!fs.finde_datei(coala, "finanz2.cer"))
    return "Fehlendes Finanzamtzertifikat.\rCOALA wurde nicht richtig installiert. Bitte "
           "installieren Sie zuersts COALA!";
  const int jahr = m_.jahr();
  if (jahr < erstes_elster_jahr)
    return "Elektronische Steuerübergabe erst ab Jahr 2004 integriert!";
  if (auto fehler = elster_steuernummer_pruefen(m_.basis.get(B::Steuernummer))) return fehler;
  ini_pfad_ = pfad_verbinden(m_.daten_verzeichnis(), "coala.ini");
  const Ergebnis geladen = ini_.laden(fs, ini_pfad_);
  if (!geladen && geladen.code() != Ergebnis::Code::NichtGefunden)
    return "Die Datei " + ini_pfad_ + " kann nicht gelesen werden!";
  angaben_ = coala_lesen(ini_, m_);
  if (!geladen) {
    if (!coala_schreiben(ini_, angaben_) || !ini_.speichern(fs, ini_pfad_))
      return "Die Datei " + ini_pfad_ + " kann nicht geschrieben werden!";
    m_.ui().ShowMessageMain(
        "Adress- und Beraterangaben neu erzeugt.\rBitte überprüfen Sie diese Angaben im "
        "folgendem Dialog!");
  }
  if (jahr > letztes_ust_jahr)
    return "Steuerjahr " + std::to_string(jahr) + " für Periode " +
           std::to_string(static_cast<int>(m_.basis.get(B::AktuellePeriode))) +
           " noch nicht integriert!";
  return std::nullopt;
}

void TfCoalaf::dialog_bauen() {
  const Anmeldeoptionen o = anmeldeoptionen_vorgabe(m_);
  const auto anzahl = static_cast<std::uint8_t>(m_.basis.get(B::AnzahlPerioden));
  TEntryForm& f = form_;
  f.Seite("Anmeldung");
  f.AddByte(f_aktuell, "Aktuelle Periode", m_.basis.get(B::AktuellePeriode));
  f.ProtectControl(f_aktuell);
  f.AddByte(f_von, "Periode von:", static_cast<std::uint8_t>(o.periode_von), 1, anzahl);
  f.AddByte(f_bis, "Periode bis:", static_cast<std::uint8_t>(o.periode_bis), 1, anzahl);
  f.AddString(f_steuernummer, "Steuernummer", trim(m_.basis.get(B::Steuernummer)), 20);
  f.ProtectControl(f_steuernummer);
  f.AddYesNo(f_berichtigt, "(10) Dies ist eine berichtigte Anmeldung", false);
  f.AddYesNo(f_widerruf, "(26) Die Einzugsermächtigung ausnahmsweise widerrufen", false);
  f.AddYesNo(f_verrechnung, "(29) Verrechnung des Erstattungsbetrages erwünscht", false);
  f.AddYesNo(f_belege, "(22) Belege (Verträge, Rechnungen usw.) sind beigefügt.", false);
  f.AddYesNo(f_aufschluesseln, "Aufschlüsselung Konten pro Steuerschlüssel", true);
  f.AddYesNo(f_runden, "Umsätze auf volle Euro abrunden", true);
  f.AddYesNo(f_nur_sonder, "Nur Sondervorauszahlung - Betrag :", false);
  f.AddComp(f_betrag, "Betrag", 0, "##########.##");
  const Elsterlieferant& l = angaben_.lieferant;
  f.Seite("Lieferant");
  f.AddString(f_l_name, "Name", l.name, 45);
  f.AddString(f_l_ap, "Ansprechpartner", l.ansprechpartner, 25);
  f.AddString(f_l_telefon, "Telefon", l.telefon, 20);
  f.AddString(f_l_email, "E-Mail", l.email, 70);
  f.AddString(f_l_plz, "PLZ", l.plz, 10);
  f.AddString(f_l_strasse, "Straße", l.strasse, 25);
  f.AddString(f_l_ort, "Ort", l.ort, 25);
  f.AddString(f_l_land, "Land", l.land, 25);
  const Elsterberater& b = angaben_.berater;
  f.Seite("Berater");
  f.AddString(f_b_name, "Name", b.name, 45);
  f.AddString(f_b_beruf, "Beruf", b.beruf, 30);
  f.AddString(f_b_vorwahl, "Telefonvorwahl", b.vorwahl, 10);
  f.AddString(f_b_telefon, "Telefonnummer", b.telefon, 20);
  f.AddString(f_b_mandant, "Mandantname", b.mandant, 45);
  const Elsterkopf kopf;
  f.Seite("Nutzdaten");
  f.AddString(f_n_version, "Version", kopf.version, 5);
  f.AddString(f_n_code, "Code", herstellercode, 5);
  f.AddString(f_n_produkt, "Produktname", kopf.produktname, 45);
  f.AddString(f_n_produktversion, "Produktversion", kopf.produktversion, 25);
  f.AddString(f_n_steuerart, "Steuerart", kopf.steuerart, 10);
  f.AddString(f_n_steuerversion, "Steuerversion", elster_steuerversion(m_.jahr()), 10);
  for (int nr : {f_n_version, f_n_code, f_n_produkt, f_n_produktversion, f_n_steuerart,
                 f_n_steuerversion})
    f.ProtectControl(nr);
  f.FrageDatenSpeichern(false);
  f.EscBefehl("&Start");
  f.beim_speichern([this](TEntryForm& x) { return dialog_pruefen(x); });
}

bool TfCoalaf::dialog_pruefen(TEntryForm& f) {
  Interaktion& ui = f.ui();
  auto leer = [&](int nr) { return trim(f.text(nr)).empty(); };
  const bool mit_email = m_.jahr() >= 2007;
  if (leer(f_l_name) || leer(f_l_strasse) || leer(f_l_plz) || leer(f_l_ort) ||
      (mit_email && leer(f_l_email))) {
    ui.ShowMessageMain(mit_email
                           ? "Lieferantendaten:  Name, Straße, PLZ, Ort und E-Mail sind "
                             "Pflichtangaben!"
                           : "Lieferantendaten:  Name, Straße, PLZ und Ort sind Pflichtangaben!");
    return false;
  }
  const std::string email = trim(f.text(f_l_email));
  if (mit_email && (email.find('@') == std::string::npos || email.size() < 7) &&
      !ui.JaNein2("Ohne eine gültige E-Mail erfolgt ab 2008 eine Abweisung der Anmeldung.\r"
                  "Wollen Sie die Steueranmeldung mit der angegebene E-Mail übergeben?"))
    return false;
  const bool zwoelf = m_.basis.get(B::AnzahlPerioden) == 12;
  if (auto fehler = elster_perioden_pruefen(static_cast<int>(f.zahl(f_von)),
                                            static_cast<int>(f.zahl(f_bis)), zwoelf)) {
    ui.ShowMessageMain(*fehler);
    return false;
  }
  if (f.ja(f_nur_sonder) && f.zahl(f_betrag) == 0) {
    ui.ShowMessageMain("Bitte geben Sie einen Betrag <> 0 für die Sondervorauszahlung an.");
    return false;
  }
  return true;
}

bool TfCoalaf::datei_schreiben(const Elsterkopf& kopf,
                               const std::vector<std::pair<int, Elsterwert>>& kz) {
  Interaktion& ui = m_.ui();
  Dateisystem& fs = m_.fs();
  const std::string name = (kopf.sondervorauszahlung ? "DFV" : "ustva") + kopf.zeitraum + ".xml";
  const std::string gesendet =
      pfad_verbinden(pfad_verbinden(m_.daten_verzeichnis(), "send"),
                     (kopf.sondervorauszahlung ? "senddfv" : "ustva") + kopf.zeitraum + ".xml");
  datei_ = pfad_verbinden(m_.daten_verzeichnis(), name);
  if (fs.existiert(gesendet) &&
      !ui.JaNein2(kopf.sondervorauszahlung
                      ? "Die Sondervorauszahlung wurde schon erfolgreich versendet.\r"
                        "Sondervorauszahlung nochmals versenden ?"
                      : "Die Umsatzsteuervoranmeldung wurde schon erfolgreich versendet.\r"
                        "Umsatzsteuervoranmeldung nochmals versenden ?"))
    return false;  // the user's choice: nothing written
  if (fs.existiert(datei_) &&
      !ui.JaNein2("Datei " + name + " existiert bereits.\rDatei überschreiben ?"))
    return false;
  const std::string xml = elster_xml(kopf, kz);
  if (xml.empty()) {
    ui.ShowMessageMain("Die Daten der Steueranmeldung konnten nicht aufbereitet werden!");
    return false;
  }
  if (const Ergebnis e = fs.schreibe_datei_atomar(datei_, xml); !e) {
    ui.ShowMessageMain("Die Datei " + datei_ + " konnte nicht geschrieben werden!\r" + e.text());
    return false;
  }
  return true;
}

bool TfCoalaf::ausfuehren() {
  Interaktion& ui = m_.ui();
  if (auto fehler = startpruefung()) {
    ui.ShowMessageMain(*fehler);
    return false;
  }
  dialog_bauen();
  if (!form_.Execute(ui)) return false;

  // What the dialog says is kept for the next run.
  TEntryForm& f = form_;
  Coalaangaben& c = angaben_;
  c.lieferant = {trim(f.text(f_l_name)),  trim(f.text(f_l_ap)),    trim(f.text(f_l_telefon)),
                 trim(f.text(f_l_email)), trim(f.text(f_l_ort)),   trim(f.text(f_l_plz)),
                 trim(f.text(f_l_strasse)), trim(f.text(f_l_land))};
  c.berater = {trim(f.text(f_b_name)), trim(f.text(f_b_beruf)), trim(f.text(f_b_vorwahl)),
               trim(f.text(f_b_telefon)), trim(f.text(f_b_mandant))};
  if (!coala_schreiben(ini_, c) || !ini_.speichern(m_.fs(), ini_pfad_)) {
    ui.ShowMessageMain("Die Datei " + ini_pfad_ + " kann nicht geschrieben werden!");
    return false;
  }

  const int von = static_cast<int>(f.zahl(f_von)), bis = static_cast<int>(f.zahl(f_bis));
  const Datum beginn = m_.basis.get(B::periode_von(von));
  Elsterkopf kopf;
  kopf.ticket = c.ticket;
  kopf.finanzamt = trim(m_.basis.get(B::FaNummer));
  kopf.steuerversion = elster_steuerversion(m_.jahr());
  kopf.lieferant = c.lieferant;
  kopf.berater = c.berater;
  kopf.erstellt = m_.tagesdatum().Today();
  kopf.jahr = m_.jahr();
  kopf.zeitraum = elster_zeitraum(von, bis);
  kopf.steuernummer = nur_ziffern(m_.basis.get(B::Steuernummer));
  kopf.sondervorauszahlung = f.ja(f_nur_sonder);

  Elsterkennzahlen k;
  std::vector<std::string> liste;
  if (kopf.sondervorauszahlung) {
    k.werte[kz_sonderzahlung] = {f.zahl(f_betrag), true};
    k.erlaubt = {kz_sonderzahlung};
    liste.push_back("Anmeldung Sondervorauszahlung : " + format_maske(f.zahl(f_betrag), 2, "#.##") +
                    " EUR");
  } else {
    Anmeldeoptionen o;
    o.periode_von = von;
    o.periode_bis = bis;
    o.zeitraum = zeitraumtext(m_, von, bis);
    o.aufschluesselung = f.ja(f_aufschluesseln);
    o.runden = f.ja(f_runden);
    o.druckhinweis = "Druck Übersicht Umsatzsteuervoranmeldung";
    const std::vector<Ustkonto> konten = ustkonten_lesen(m_, von, bis);
    if (std::none_of(konten.begin(), konten.end(),
                     [](const Ustkonto& u) { return u.kontenart == 2 || u.kontenart == 4; })) {
      ui.ShowMessageMain("Fehler: Keine Steuerkonten gefunden !");
      return false;
    }
    const Pruefliste p = pruefliste_berechnen(m_, konten, o.runden);
    Formularwerte werte = formularwerte_fuellen(konten);
    if (werte.direkt != 0 &&
        ui.JaNein2("Soll die direkt gebuchte Vorsteuer mit in die allgemeine Vorsteuer "
                   "übernommen werden?")) {
      const int zeile = vorsteuerzeile_fuer(kopf.jahr, vorsteuerzeile);
      werte.steuer[static_cast<std::size_t>(zeile)] += werte.direkt;
    }
    const bool letzte = bis == m_.basis.get(B::AnzahlPerioden);
    k = elster_kennzahlen(kopf.jahr, monat_von(beginn), werte, letzte, letzte ? f.zahl(f_betrag) : 0);
    if (kopf.jahr == 2005 && !steuer_2005_aus_buchungen(m_, von, bis, konten, k)) {
      ui.ShowMessageMain("Die Buchungen konnten nicht gelesen werden!");
      return false;
    }
    for (int l : k.ohne_kennzahl)
      ui.ShowMessageMain("Es gibt Sachkonten mit der UST-Zeile " + std::to_string(l) + " !\r" +
                         "In " + std::to_string(kopf.jahr) +
                         " gibt es dafür keine Kennzahl. Bitte in den Sachkonten korrigieren.");
    if (f.ja(f_berichtigt)) k.werte[kz_berichtigt] = {100, false};
    if (f.ja(f_widerruf)) k.werte[kz_widerruf] = {100, false};
    if (f.ja(f_verrechnung)) k.werte[kz_verrechnung] = {100, false};
    if (f.ja(f_belege) && kopf.jahr >= 2006) k.werte[kz_belege] = {100, false};
    const auto geschrieben = elster_zu_schreiben(k);
    for (const auto& [nummer, wert] : geschrieben)
      liste.push_back("Kennzahl " + std::to_string(nummer) + " " +
                      padcut(kennzahltext(nummer, kopf.jahr, monat_von(beginn)), 60) + " " +
                      rechtsbuendig(wert.cent ? format_maske(wert.wert, 2, "#.##")
                                              : std::to_string(wert.wert / 100),
                                    14));
    pruefliste_drucken(m_, o, p, liste);
    return datei_schreiben(kopf, geschrieben);
  }
  const auto geschrieben = elster_zu_schreiben(k);
  Ausgabe3 d(ui);
  if (d.open_drucker_hinweis("Druck Übersicht Umsatzsteuervoranmeldung",
                             "Sondervorauszahlung")) {
    for (const std::string& z : liste) d.druckeln(z);
    d.close_drucker();
  }
  return datei_schreiben(kopf, geschrieben);
}

void elster_registrieren(TFFibu& fibu) {
  fibu.registriere_pruefend(319, [&fibu] { return TfCoalaf(fibu.mandant()).ausfuehren(); });
}

}  // namespace fibu
