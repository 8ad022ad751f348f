#include "banking/btximport.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "frame/konfiguration.h"
#include "posting/periodenwahl.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"

namespace fibu {

namespace {

using BF = BasisFelder;

const std::vector<std::string> formatnamen = {"T-Online (CSV-Format)",
                                              "STA-Format (Bank), Non-Swift, MultiCash",
                                              "STA-Format (Bank), Swift", "CAMT.053 (XML)"};

constexpr int protokollbreite = 79;

std::string zeitraum_text(Datum von, Datum bis) {
  return DateToDateString("dd.mm.yyyy", von) + " - " + DateToDateString("dd.mm.yyyy", bis);
}

Fehlzeile fehlzeile(const Auszugszeile& z, const Zeilenherkunft& h, std::string grund) {
  return {h.konto,
          h.blz,
          DateToDateString("dd.mm.yyyy", z.datum),
          betrag_text(z.haben - z.soll),
          h.waehrung,
          std::move(grund)};
}

// A column of at least n characters that never cuts its text.
std::string spalte(const std::string& text, std::ptrdiff_t n) {
  return static_cast<std::ptrdiff_t>(zeichenzahl(text)) < n ? padcut(text, n) : text + " ";
}

std::string protokolltitel(Auszugsformat f) {
  if (f == Auszugsformat::TOnline) return "Fehlerprotokoll T-Online - Datei";
  return f == Auszugsformat::Camt ? "Fehlerprotokoll CAMT - Datei" : "Fehlerprotokoll STA - Datei";
}

void protokoll_drucken(Mandant& m, const Bankimporteinstellungen& e, const std::string& datei,
                       const Auszugstabelle& t, const std::vector<Fehlzeile>& abgelehnt) {
  Ausgabe3 d(m.ui());
  const std::string titel = protokolltitel(e.format);
  if (!d.open_drucker(titel)) return;
  d.setze_breite(protokollbreite);
  const Seitenkopf kopf = seitenkopf(m, titel, protokollbreite);
  const std::string spalten = "Konto     BLZ       Buchungsdatum      Betrag Währung Grund";
  drucke_seitenkopf(d, kopf);
  d.kopf_bei_umbruch([&](Ausgabe3& a) {
    drucke_seitenkopf(a, kopf);
    a.druckeln(spalten);
  });
  d.druckeln("Datei    : " + datei);
  d.druckeln("Konto    : " + (t.bankkonto ? t.bankkonto() : std::string()));
  d.druckeln("Datum    : " + DateToDateString("dd.mm.yyyy", t.auszugsdatum()));
  d.druckeln("Zeitraum : " + zeitraum_text(e.von, e.bis));
  d.druckeln();
  d.druckeln("Folgende Datensätze wurden nicht eingelesen !");
  d.druckeln();
  d.druckeln(spalten);
  for (const Fehlzeile& f : abgelehnt)
    d.druckeln(spalte(f.konto, 10) + spalte(f.blz, 10) + padcut(f.datum, 13) +
               padlinks(f.betrag, 12) + " " + padcut(f.waehrung, 7) + " " + f.grund);
  d.close_drucker();
}

}  // namespace

Bankimporteinstellungen bankimport_einstellungen_lesen(const Satz& basis, Datum heute) {
  Bankimporteinstellungen e;
  e.pfad = basis.get(BF::BankPfad);
  e.datei = basis.get(BF::BankDatei);
  // One flag is set; old data with several take the first of the list.
  e.format = basis.get(BF::BankFormatTOnline)     ? Auszugsformat::TOnline
             : basis.get(BF::BankFormatMultiCash) ? Auszugsformat::MultiCash
             : basis.get(BF::BankFormatSwift)     ? Auszugsformat::Swift
             : basis.get(BF::BankFormatCamt)      ? Auszugsformat::Camt
                                                  : Auszugsformat::TOnline;
  e.muster = {basis.get(BF::bank_muster_ar(0)), basis.get(BF::bank_muster_ar(1)),
              basis.get(BF::BankMusterEr), basis.get(BF::BankMusterSach)};
  e.haben = basis.get(BF::BankHaben);
  e.soll = basis.get(BF::BankSoll);
  // Settings never stored (no format chosen yet): both sides, rather than
  // a first import that takes nothing.
  if (!basis.get(BF::BankFormatTOnline) && !basis.get(BF::BankFormatMultiCash) &&
      !basis.get(BF::BankFormatSwift) && !basis.get(BF::BankFormatCamt))
    e.haben = e.soll = true;
  const Datum letzter_bis = basis.get(BF::BankLetzterBis);
  e.von = letzter_bis != kein_datum && letzter_bis < letztes_datum ? letzter_bis + 1 : heute;
  e.bis = heute;
  return e;
}

void bankimport_einstellungen_ablegen(Satz& basis, const Bankimporteinstellungen& e) {
  basis.set(BF::BankPfad, e.pfad);
  basis.set(BF::BankDatei, e.datei);
  basis.set(BF::BankFormatTOnline, e.format == Auszugsformat::TOnline);
  basis.set(BF::BankFormatMultiCash, e.format == Auszugsformat::MultiCash);
  basis.set(BF::BankFormatSwift, e.format == Auszugsformat::Swift);
  basis.set(BF::BankFormatCamt, e.format == Auszugsformat::Camt);
  basis.set(BF::bank_muster_ar(0), e.muster.ar1);
  basis.set(BF::bank_muster_ar(1), e.muster.ar2);
  basis.set(BF::BankMusterEr, e.muster.er);
  basis.set(BF::BankMusterSach, e.muster.sachkonto);
  basis.set(BF::BankHaben, e.haben);
  basis.set(BF::BankSoll, e.soll);
  basis.set(BF::BankLetzterVon, e.von);
  basis.set(BF::BankLetzterBis, e.bis);
}

std::pair<Datum, Datum> buchungszeitraum(const Satz& basis, Datum auszugsdatum) {
  int tag = 0, monat = 0, jahr = 0;
  DateToDMY(auszugsdatum, tag, monat, jahr);
  if (auszugsdatum == kein_datum) return {kein_datum, kein_datum};
  Datum von = DMYtoDate(1, monat, jahr), bis = DMYtoDate(tage_im_monat(monat, jahr), monat, jahr);
  if (const int p = periode_des_datums(basis, auszugsdatum); p > 0) {
    von = std::max<Datum>(von, basis.get(BF::periode_von(p)));
    bis = std::min<Datum>(bis, basis.get(BF::periode_bis(p)));
  }
  return {von, bis};
}

Auszugsauswahl auszug_auswaehlen(const Auszugsdatei& d, const Bankimporteinstellungen& e,
                                 Datum buchung_von, Datum buchung_bis) {
  Auszugsauswahl a;
  a.abgelehnt = d.abgelehnt;
  for (std::size_t i = 0; i < d.zeilen.size(); ++i) {
    const Auszugszeile& z = d.zeilen[i];
    const Zeilenherkunft h = i < d.herkunft.size() ? d.herkunft[i] : Zeilenherkunft{};
    if (z.datum < e.von || z.datum > e.bis) {
      ++a.ausserhalb;
      if (e.format == Auszugsformat::TOnline)
        a.abgelehnt.push_back(fehlzeile(z, h, "Buchung nicht im Zeitraum"));
      continue;
    }
    // The table dates its rows by day within the statement's month: a line
    // of another month would be posted on a wrong date.
    if (z.datum < buchung_von || z.datum > buchung_bis) {
      a.abgelehnt.push_back(fehlzeile(z, h, "Buchung nicht in Periode"));
      continue;
    }
    if (z.haben != 0 ? !e.haben : !e.soll) continue;
    a.zeilen.push_back(z);
  }
  auszug_sortieren(a.zeilen);
  return a;
}

void auszug_sortieren(std::vector<Auszugszeile>& zeilen) {
  std::stable_sort(zeilen.begin(), zeilen.end(), [](const Auszugszeile& a, const Auszugszeile& b) {
    return std::tuple(a.datum, a.haben == 0, a.haben + a.soll) <
           std::tuple(b.datum, b.haben == 0, b.haben + b.soll);
  });
}

bool bankauszug_importieren(Mandant& m, const Bankimporteinstellungen& e, const Auszugstabelle& t) {
  Interaktion& ui = m.ui();
  std::string verzeichnis = pfad_aus_konfiguration(e.pfad);
  if (verzeichnis.empty()) verzeichnis = "./";
  const std::string name = pfad_verbinden(verzeichnis, e.datei);
  const auto pfad = trim(e.datei).empty() ? std::nullopt : m.fs().finde_datei(verzeichnis, e.datei);
  if (!pfad) {
    ui.ShowMessageMain("Datei " + name + " nicht gefunden!");
    return false;
  }
  std::string inhalt;
  if (!m.fs().lies_datei(*pfad, inhalt)) {
    ui.ShowMessageMain("Konnte Datei \"" + name + "\" nicht lesen!");
    return false;
  }

  ui.Balken_Oeffnen("Importieren ...", 3);
  const Auszugsdatei d = auszugsdatei_lesen(e.format, inhalt);
  ui.Balken_Inc();
  if (!d.fehler.empty()) {
    ui.Balken_Schliessen();
    ui.ShowMessageMain("Konnte Datei \"" + name + "\" nicht lesen!\r" + d.fehler);
    return false;
  }
  for (const std::string& meldung : d.meldungen) ui.ShowMessageMain(meldung);
  const auto [buchung_von, buchung_bis] = buchungszeitraum(m.basis, t.auszugsdatum());
  const Auszugsauswahl a = auszug_auswaehlen(d, e, buchung_von, buchung_bis);
  ui.Balken_Inc();
  const bool genommen = t.uebernehmen(a.zeilen, e.muster);
  ui.Balken_Schliessen();
  if (!genommen) return false;

  // The settings and the period become those of the last import; the lines
  // are in the table whether or not this write succeeds (it shows its own
  // message).
  bankimport_einstellungen_ablegen(m.basis, e);
  (void)m.schreibe_basis();

  if (a.ausserhalb > 0)
    ui.ShowMessageMain(std::to_string(a.ausserhalb) +
                       " Buchungen wurden nicht übernommen, da sie nicht in der gewünschten "
                       "Periode lagen!");
  if (!a.abgelehnt.empty()) {
    protokoll_drucken(m, e, name, t, a.abgelehnt);
  } else if (e.format == Auszugsformat::TOnline) {
    ui.ShowMessageMain("gelesene Kontonummer : " + d.kontonummer);
  }
  if (e.format != Auszugsformat::TOnline)
    ui.ShowMessageMain("Kontonummer: " + d.kontonummer + "\rAuszugsnummer: " + d.auszugsnummer);
  return true;
}

// --- Choosing the file ---

std::optional<std::vector<Browsereintrag>> TBankAuswahlDialog::dateien(const std::string& pfad,
                                                                       Auszugsformat format) {
  if (format == Auszugsformat::TOnline) {
    ui_.ShowMessageMain("Nur für STA-Dateien!");
    return std::nullopt;
  }
  const std::string verzeichnis = pfad_aus_konfiguration(pfad);
  std::vector<std::string> namen;
  if (verzeichnis.empty() || !fs_.ist_verzeichnis(verzeichnis) || !fs_.liste(verzeichnis, namen)) {
    ui_.ShowMessageMain("Bitte ein gültiges Verzeichnis eingeben!");
    return std::nullopt;
  }
  std::vector<Browsereintrag> liste;
  for (const std::string& n : namen) {
    const std::string endung = n.size() > 4 ? gross(std::string_view(n).substr(n.size() - 4)) : "";
    const bool passt =
        format == Auszugsformat::Camt ? endung == ".XML" || endung == ".ZIP" : endung == ".STA";
    const std::string datei = pfad_verbinden(verzeichnis, n);
    if (!passt || fs_.ist_verzeichnis(datei)) continue;
    std::string zeit;
    if (const auto z = fs_.aenderungszeit(datei)) {
      char text[32];
      std::snprintf(text, sizeof text, "%04d%02d%02d  %02d:%02d:%02d", z->jahr, z->monat, z->tag,
                    z->stunde, z->minute, z->sekunde);
      zeit = text;
    }
    liste.push_back({n, padcut(n, 40) + "  " + zeit});
  }
  if (liste.empty()) {
    ui_.ShowMessageMain(format == Auszugsformat::Camt
                            ? "Keine CAMT-Dateien in diesem Verzeichnis gefunden!"
                            : "Keine STA-Dateien in diesem Verzeichnis gefunden!");
    return std::nullopt;
  }
  return liste;
}

std::optional<std::string> TBankAuswahlDialog::waehlen(const std::string& pfad,
                                                       Auszugsformat format) {
  auto liste = dateien(pfad, format);
  if (!liste) return std::nullopt;
  Zeilenbrowser browser("Datei auswählen", std::move(*liste),
                        padcut("Datei", 40) + "  Datum     Uhrzeit");
  const auto gewaehlt = winpicklist(ui_, browser);
  if (!gewaehlt) return std::nullopt;
  return gewaehlt->schluessel;
}

// --- The dialog ---

TFQIF::TFQIF(Mandant& m, Auszugstabelle tabelle)
    : m_(m), tabelle_(std::move(tabelle)), form_("BTX-Import") {
  const Bankimporteinstellungen e = bankimport_einstellungen_lesen(m.basis, m.tagesdatum().Today());
  form_.AddString(1, "Pfad", e.pfad, 200);
  form_.AddString(2, "Dateiname", e.datei, 40);
  form_.AddChoice(3, "Format", formatnamen, static_cast<int>(e.format));
  form_.AddString(4, "Zahlungen auf AR", e.muster.ar1, 10);
  form_.AddString(5, "Zahlungen auf AR", e.muster.ar2, 10);
  form_.AddYesNo(6, "Haben-Buchungen", e.haben);
  form_.AddString(7, "Zahlungen von ER", e.muster.er, 10);
  form_.AddString(8, "Sachkonto", e.muster.sachkonto, 10);
  form_.AddYesNo(9, "Soll-Buchungen", e.soll);
  form_.AddDate(10, "Datum von", e.von);
  form_.AddDate(11, "Datum bis", e.bis);
  const Datum letzter_von = m.basis.get(BF::BankLetzterVon);
  const Datum letzter_bis = m.basis.get(BF::BankLetzterBis);
  form_.AddString(12, "Letzer Übernahmezeitraum:",
                  letzter_bis == kein_datum ? "" : zeitraum_text(letzter_von, letzter_bis), 23);
  form_.ProtectControl(12);
  form_.AddKey(Taste::Keine, "Sta-&Dateien", [this](TEntryForm& f) {
    const auto datei = TBankAuswahlDialog(f.ui(), m_.fs())
                           .waehlen(f.text(1), static_cast<Auszugsformat>(f.auswahl(3)));
    if (datei) {
      f.setze_text(2, *datei);
      f.setze_geaendert(true);
    }
    return Reaktion::Weiter;
  });
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Start");
}

Bankimporteinstellungen TFQIF::einstellungen() const {
  Bankimporteinstellungen e;
  e.pfad = form_.text(1);
  e.datei = trim(form_.text(2));
  e.format = static_cast<Auszugsformat>(std::clamp(form_.auswahl(3), 0, 3));
  e.muster = {trim(form_.text(4)), trim(form_.text(5)), trim(form_.text(7)), trim(form_.text(8))};
  e.haben = form_.ja(6);
  e.soll = form_.ja(9);
  e.von = form_.datum(10);
  e.bis = form_.datum(11);
  return e;
}

bool TFQIF::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  return bankauszug_importieren(m_, einstellungen(), tabelle_);
}

}  // namespace fibu
