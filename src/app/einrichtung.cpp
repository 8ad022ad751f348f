#include "app/einrichtung.h"

#include <cstdio>
#include <map>
#include <set>

#include "frame/konfiguration.h"
#include "isam/verzeichnis.h"
#include "store/dateien.h"
#include "store/parametersaetze.h"
#include "suite/allgemei.h"
#include "suite/codepage.h"

namespace fibu {
namespace {

struct Quelle {
  std::string datei;
  std::vector<std::vector<std::string>> zeilen;  // fields, trimmed
  std::vector<int> zeilennummern;
};

Ergebnis lies_quelle(Dateisystem& fs, const std::string& verzeichnis, const std::string& name,
                     std::size_t felder, Quelle& q) {
  q.datei = name;
  std::string text;
  if (Ergebnis e = fs.lies_datei(pfad_verbinden(verzeichnis, name), text); !e)
    return Ergebnis::fehler(e.code(), "Musterdaten " + name + " nicht lesbar: " + e.text());
  int nr = 0;
  for (const std::string& zeile : textzeilen(text)) {
    ++nr;
    std::string t = trim(zeile);
    if (t.empty() || t[0] == '#') continue;
    std::vector<std::string> f;
    std::size_t start = 0;
    for (;;) {
      std::size_t strich = t.find('|', start);
      f.push_back(trim(t.substr(start, strich - start)));
      if (strich == std::string::npos) break;
      start = strich + 1;
    }
    if (f.size() != felder)
      return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                              name + " Zeile " + std::to_string(nr) + ": " +
                                  std::to_string(felder) + " Felder erwartet, " +
                                  std::to_string(f.size()) + " gefunden");
    q.zeilen.push_back(std::move(f));
    q.zeilennummern.push_back(nr);
  }
  return Ergebnis::erfolg();
}

Ergebnis zeilenfehler(const Quelle& q, std::size_t i, const std::string& was) {
  return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                          q.datei + " Zeile " + std::to_string(q.zeilennummern[i]) + ": " + was);
}

std::optional<long> zahl(const std::string& t, long min, long max) {
  if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  long n = std::stol(t);
  if (n < min || n > max) return std::nullopt;
  return n;
}

bool passt(const std::string& text, std::size_t laenge) {
  return zeichenzahl(text) <= laenge && nach_utf8(von_utf8(text, Codepage::CP1252), Codepage::CP1252) == text;
}

// One chart: SACH<n>.DAT/.IX with the BWA groups and names beside it.
Ergebnis kontenrahmen_erzeugen(Dateisystem& fs, Interaktion& ui, const Quelle& konten,
                               const Quelle& gruppen, const Quelle& namen, const std::string& ziel,
                               const std::string& sachname) {
  // Made in a scratch directory and renamed into place, so a failed run
  // leaves no half-made template.
  const std::string arbeit = ziel + ".neu";
  std::vector<std::string> alt;
  // What a failed run left: a file that stays makes the steps below fail.
  if (fs.ist_verzeichnis(arbeit) && fs.liste(arbeit, alt))
    for (const auto& n : alt) (void)fs.loeschen(pfad_verbinden(arbeit, n));
  if (Ergebnis e = fs.verzeichnis_anlegen(arbeit); !e) return e;
  {
    isam::IsamVerzeichnis verz(fs, arbeit);
    verz.synchron = false;
    if (verz.oeffnen() != isam::isam_ok)
      return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "Verzeichnis " + arbeit + " nicht nutzbar");
    verz.extensionen_fuer_waehrung(false);
    Satz basis = neue_basis(2000);
    Mandantenbezug bezug;
    bezug.basis = &basis;

    std::set<std::string> gruppencodes;
    tdbBWAkonto_datenbank bwa(ui, verz);
    bwa.oeffnen();
    for (std::size_t i = 0; i < gruppen.zeilen.size(); ++i) {
      const auto& f = gruppen.zeilen[i];
      auto auswertung = zahl(f[2], 1, 99);
      if (f[0].empty() || !passt(f[0], 10) || f[0].find(' ') != std::string::npos)
        return zeilenfehler(gruppen, i, "Kontogruppe leer, zu lang oder mit Leerzeichen");
      if (!passt(f[1], 40) || !passt(f[3], 10) || !auswertung)
        return zeilenfehler(gruppen, i, "Bezeichnung, Auswertung oder Koordinate ungültig");
      if (!gruppencodes.insert(f[0]).second) return zeilenfehler(gruppen, i, "Kontogruppe doppelt");
      bwa.leeren();
      Satz& s = bwa.satz();
      s.set(BwakontoFelder::Gruppe, f[0]);
      s.set(BwakontoFelder::Bezeichnung, f[1]);
      s.set(BwakontoFelder::Gruppennummer, static_cast<std::uint8_t>(*auswertung));
      s.set(BwakontoFelder::Koordinate, f[3]);
      bwa.speichern(f[0]);
    }
    bwa.schliessen();

    tdbsach_datenbank sach(ui, verz, bezug);
    sach.oeffnen();
    long vorher = 0;
    for (std::size_t i = 0; i < konten.zeilen.size(); ++i) {
      const auto& f = konten.zeilen[i];
      auto nummer = zahl(f[0], 1, 9999);
      auto art = zahl(f[3], 0, 5);
      auto zeile = zahl(f[4], 0, 99);
      auto schluessel = zahl(f[5], 0, 40);
      auto sammel = zahl(f[6], 0, 1);
      if (!nummer || *nummer <= vorher)
        return zeilenfehler(konten, i, "Kontonummer fehlt, ist doppelt oder nicht aufsteigend");
      if (f[1].empty() || !passt(f[1], 25) || !passt(f[2], 25))
        return zeilenfehler(konten, i, "Bezeichnung leer oder länger als 25 Zeichen");
      if (!art || !zeile || !schluessel || !sammel)
        return zeilenfehler(konten, i, "Kontenart, UST-Zeile, Steuerschlüssel oder Sammelkonto ungültig");
      if (!f[7].empty() && !gruppencodes.count(f[7]))
        return zeilenfehler(konten, i, "BWA-Gruppe " + f[7] + " ist nicht angelegt");
      vorher = *nummer;
      char text[24];
      std::snprintf(text, sizeof text, "%04ld", *nummer);
      sach.leeren();
      Satz& s = sach.satz();
      s.set(SachFelder::Bezeichnung1, f[1]);
      s.set(SachFelder::Bezeichnung2, f[2]);
      s.set(SachFelder::Suchname, kopy(gross(f[1]), 1, 18));
      s.set(SachFelder::Kontenart, static_cast<std::uint8_t>(*art));
      s.set(SachFelder::UstZeile, static_cast<std::uint8_t>(*zeile));
      s.set(SachFelder::Steuerschluessel, static_cast<std::uint8_t>(*schluessel));
      s.set(SachFelder::Sammelkonto, *sammel == 1);
      s.set(SachFelder::UebernahmeJahreswechsel, true);
      if (!f[7].empty()) {
        s.set(SachFelder::zuordnung_art(0), "+");
        s.set(SachFelder::zuordnung_code(0), f[7]);
      }
      sach.speichern(text);
    }
    sach.schliessen();
  }

  Satz bwanamen(BwanamenFelder::groesse);
  for (std::size_t i = 0; i < namen.zeilen.size(); ++i) {
    const auto& f = namen.zeilen[i];
    auto n = zahl(f[0], 1, 99);
    if (!n || !passt(f[1], 40) || !passt(f[2], 10))
      return zeilenfehler(namen, i, "Nummer, Bezeichnung oder Tab-Zifa-Name ungültig");
    bwanamen.set(BwanamenFelder::name(static_cast<int>(*n)), f[1]);
    bwanamen.set(BwanamenFelder::tabellenname(static_cast<int>(*n)), f[2]);
  }
  if (Ergebnis e = fs.schreibe_datei_atomar(pfad_verbinden(arbeit, "BWANAMEN.PAR"), bwanamen.bytes());
      !e)
    return e;
  // The report layouts of the balance sheet, the profit and loss account
  // and the cost evaluation: nothing defines their content yet.
  for (const char* vts : {"BILANZ_G.VTS", "GUV.VTS", "KER.VTS"})
    if (Ergebnis e = fs.schreibe_datei_atomar(pfad_verbinden(arbeit, vts), ""); !e) return e;
  for (const char* ext : {".DAT", ".IX"})
    if (Ergebnis e = fs.umbenennen(pfad_verbinden(arbeit, std::string("SACH") + ext),
                                   pfad_verbinden(arbeit, sachname + ext));
        !e)
      return e;
  if (Ergebnis e = fs.verzeichnis_sync(arbeit); !e) return e;

  // Swap the finished template in. An old one that cannot be removed
  // whole makes the rename fail, which is reported.
  if (fs.ist_verzeichnis(ziel)) {
    std::vector<std::string> namen_alt;
    if (fs.liste(ziel, namen_alt))
      for (const auto& n : namen_alt) (void)fs.loeschen(pfad_verbinden(ziel, n));
    (void)fs.verzeichnis_loeschen(ziel);
  }
  if (Ergebnis e = fs.umbenennen(arbeit, ziel); !e) return e;
  return fs.verzeichnis_sync(verzeichnis_von(ziel));
}

}  // namespace

Ergebnis muster_erzeugen(Dateisystem& fs, Interaktion& ui, const std::string& quelle,
                         const std::string& fibu_pfad) {
  Quelle gruppen, namen;
  if (Ergebnis e = lies_quelle(fs, quelle, "bwagruppen.txt", 4, gruppen); !e) return e;
  if (Ergebnis e = lies_quelle(fs, quelle, "bwanamen.txt", 3, namen); !e) return e;
  const std::string muster = pfad_verbinden(fibu_pfad, "MUSTER");
  if (Ergebnis e = fs.verzeichnis_anlegen(muster); !e) return e;
  const struct {
    const char* quelle;
    const char* verzeichnis;
    const char* sach;
  } rahmen[3] = {{"skr01.txt", "SKR01", "SACH1"},
                 {"skr03.txt", "SKR03", "SACH3"},
                 {"skr04.txt", "SKR04", "SACH4"}};
  // The page of the dunning letters, so that a new client prints them at once.
  std::string maske;
  if (Ergebnis e = fs.lies_datei(pfad_verbinden(quelle, "maske.fib"), maske); !e)
    return Ergebnis::fehler(e.code(), "Musterdaten maske.fib nicht lesbar: " + e.text());
  for (const auto& r : rahmen) {
    Quelle konten;
    if (Ergebnis e = lies_quelle(fs, quelle, r.quelle, 8, konten); !e) return e;
    const std::string ziel = pfad_verbinden(muster, r.verzeichnis);
    if (Ergebnis e = kontenrahmen_erzeugen(fs, ui, konten, gruppen, namen, ziel, r.sach); !e)
      return e;
    if (Ergebnis e = fs.schreibe_datei_atomar(pfad_verbinden(ziel, "MASKE.FIB"), maske); !e)
      return e;
  }
  return Ergebnis::erfolg();
}

Ergebnis arbeitsplatz_einrichten(Dateisystem& fs, Interaktion& ui, const std::string& verzeichnis,
                                 const std::string& quelle) {
  if (Ergebnis e = fs.verzeichnis_anlegen(verzeichnis); !e) return e;
  const std::string ornix = pfad_verbinden(verzeichnis, "ornix") + "/";
  const std::string root = pfad_verbinden(verzeichnis, "fibu") + "/";
  if (!fs.finde_datei(verzeichnis, "KONF.DAT")) {
    std::string text;
    for (int i = 0; i < 12; ++i) text += ornix + "\r\n";
    text += root + "\r\n";
    if (Ergebnis e = fs.schreibe_datei_atomar(pfad_verbinden(verzeichnis, "KONF.DAT"),
                                              von_utf8(text, Codepage::CP1252));
        !e)
      return e;
  }
  if (Ergebnis e = fs.verzeichnis_anlegen(ornix); !e) return e;
  // An existing KONF.DAT may name another accounting root.
  KonfDat konf = lies_konf_dat(fs, verzeichnis);
  if (konf.fibu_pfad.empty())
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                            "Bitte korrekten FIBU-Pfad in der Parameterverwaltung eintragen!");
  if (Ergebnis e = fs.verzeichnis_anlegen(konf.fibu_pfad); !e) return e;
  return muster_erzeugen(fs, ui, quelle, konf.fibu_pfad);
}

}  // namespace fibu
