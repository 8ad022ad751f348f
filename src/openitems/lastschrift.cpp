#include "openitems/lastschrift.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>

#include "frame/konfiguration.h"
#include "frame/mandant.h"
#include "frame/tffibu.h"
#include "openitems/dtaus.h"
#include "openitems/sepa.h"
#include "posting/buchen.h"
#include "posting/periodenwahl.h"
#include "posting/sammelbuchung.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/ausgabedatei.h"
#include "suite/iban.h"

namespace fibu {

namespace {

using E = ErechParFelder;
using O = OpstammFelder;
using P = PersonenFelder;
using B = BuchungFelder;
using BF = BasisFelder;

constexpr const char* dtaus_datei = "DTAUS1.TXT";
constexpr int breite = 79;

std::string datum10(Datum d) {
  return DateToDateString("dd.mm.yyyy", d);
}
bool euro(const Mandant& m) {
  return m.basis.get(BF::BasiswaehrungEuro) != 0;
}
std::string waehrung(const Mandant& m) {
  return euro(m) ? "EURO" : "DM";
}
std::string betrag(Betrag b) {
  return format_betrag(b, "###.###.###,##");
}

std::string sepa_dateiname(Datum d) {
  return "SEPA_LS_" + DateToDateString("yyyymmdd", d) + ".XML";
}

// The connection's account for SEPA: its IBAN, or the one its bank code and
// account make.
std::string glaeubiger_iban(const Satz& par, int i) {
  const std::string iban = iban_normal(par.get(E::iban(i)));
  return !iban.empty()
             ? iban
             : iban_aus_bankverbindung(trim(par.get(E::blz(i))), trim(par.get(E::konto(i))));
}

bool verbindung_vollstaendig(const Satz& par, int i) {
  const std::string blz = dtaus_nummer(par.get(E::blz(i)), 8),
                    konto = dtaus_nummer(par.get(E::konto(i)), 10);
  return !blz.empty() && !konto.empty() && blz != std::string(8, '0') &&
         konto != std::string(10, '0');
}

// A directory for the files: a diskette drive ("a:\", "B:") asks for a disk
// until its directory is there.
bool ziel_bereit(Mandant& m, const std::string& ziel, std::string& pfad) {
  pfad = pfad_aus_konfiguration(ziel);
  const bool diskette =
      pfad.size() >= 2 && pfad[1] == ':' && std::string("aAbB").find(pfad[0]) != std::string::npos;
  if (diskette) {
    while (!m.fs().ist_verzeichnis(pfad))
      if (!m.ui().JaNein2("Bitte legen Sie eine Diskette in das Laufwerk ein.")) return false;
    return true;
  }
  if (m.fs().ist_verzeichnis(pfad)) return true;
  m.ui().ShowMessageMain("Das Verzeichnis " + trim(ziel) + " gibt es nicht!");
  return false;
}

// "2024-12-06T10:15:00": the business date and the clock.
std::string zeitpunkt(Mandant& m) {
  const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  localtime_r(&t, &tm);
  char zeit[16];
  std::snprintf(zeit, sizeof zeit, "T%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  return DateToDateString("yyyy-mm-dd", m.tagesdatum().Today()) + zeit;
}

}  // namespace

// --- ERECH.PAR ---

Bankverbindungen bankverbindungen_lesen(Mandant& m) {
  Bankverbindungen b;
  if (m.erech_verzeichnis.empty()) return b;
  if (auto p = m.fs().finde_datei(m.erech_verzeichnis, "ERECH.PAR")) {
    std::string roh;
    if (m.fs().lies_datei(*p, roh) && roh.size() >= E::groesse) {
      b.par.bytes().assign(roh.begin(), roh.begin() + E::groesse);
      b.vorhanden = true;
    }
  }
  return b;
}

bool bankverbindungen_schreiben(Mandant& m, const Satz& par) {
  Dateisystem& fs = m.fs();
  if (!fs.ist_verzeichnis(m.erech_verzeichnis) && !fs.verzeichnis_anlegen(m.erech_verzeichnis)) {
    m.ui().ShowMessageMain("Pfad für den Zahlungsverkehr nicht gefunden!");
    return false;
  }
  const std::string name = fs.finde_datei(m.erech_verzeichnis, "ERECH.PAR")
                               .value_or(pfad_verbinden(m.erech_verzeichnis, "ERECH.PAR"));
  if (fs.schreibe_datei_atomar(name, par.bytes())) return true;
  m.ui().ShowMessageMain("Die Datei ERECH.PAR konnte nicht geschrieben werden!");
  return false;
}

TFBankverbindungen::TFBankverbindungen(Mandant& m)
    : m_(m), b_(bankverbindungen_lesen(m)), form_("Bankverbindungen") {
  for (int i = 1; i <= 3; ++i) {
    const int nr = 10 * i;
    form_.Seite(std::to_string(i) + ". Bank");
    const std::string n = " " + std::to_string(i);
    form_.AddString(nr, "Bankname" + n, trim(b_.par.get(E::bankname(i))), 30);
    form_.AddString(nr + 1, "Bankleitzahl" + n, trim(b_.par.get(E::blz(i))), 8);
    form_.AddString(nr + 2, "Kontonummer" + n, trim(b_.par.get(E::konto(i))), 10);
    form_.AddString(nr + 3, "IBAN" + n, trim(b_.par.get(E::iban(i))), 34);
    form_.AddString(nr + 4, "BIC" + n, trim(b_.par.get(E::bic(i))), 11);
  }
  form_.Seite("SEPA");
  form_.AddString(1, "Gläubiger-Identifikationsnummer", trim(b_.par.get(E::GlaeubigerId)), 35);
  form_.AddYesNo(2, "Begleitzettel drucken", !b_.par.get(E::OhneBegleitzettel));
  form_.FrageDatenSpeichern(true);
  form_.beim_verlassen([](TEntryForm& f, int nr) {
    const int feld = nr % 10;
    if (nr < 10 || feld < 1 || feld > 4) return true;
    const std::string wert = feld <= 2 ? trim(f.text(nr)) : iban_normal(f.text(nr));
    f.setze_text(nr, wert);
    if (wert.empty()) return true;
    const bool gut = feld == 1   ? dtaus_nummer(wert, 8).size() == 8
                     : feld == 2 ? dtaus_nummer(wert, 10).size() == 10
                     : feld == 3 ? iban_gueltig(wert)
                                 : bic_gueltig(wert);
    if (gut) return true;
    f.ui().ShowMessageMain(feld == 1   ? "Die Bankleitzahl hat höchstens 8 Ziffern!"
                           : feld == 2 ? "Die Kontonummer hat höchstens 10 Ziffern!"
                           : feld == 3 ? "Die IBAN ist ungültig: Aufbau oder Prüfziffern stimmen "
                                         "nicht!\rBitte prüfen Sie die Eingabe."
                                       : "Der BIC muss 8 oder 11 Buchstaben und Ziffern haben!");
    return false;
  });
  form_.beim_speichern([this](TEntryForm& f) {
    Satz& par = b_.par;
    for (int i = 1; i <= 3; ++i) {
      par.set(E::bankname(i), trim(f.text(10 * i)));
      par.set(E::blz(i), trim(f.text(10 * i + 1)));
      par.set(E::konto(i), trim(f.text(10 * i + 2)));
      par.set(E::iban(i), iban_normal(f.text(10 * i + 3)));
      par.set(E::bic(i), iban_normal(f.text(10 * i + 4)));
    }
    par.set(E::GlaeubigerId, iban_normal(f.text(1)));
    par.set(E::OhneBegleitzettel, !f.ja(2));
    return bankverbindungen_schreiben(m_, par);
  });
}

bool TFBankverbindungen::ausfuehren() {
  return form_.Execute(m_.ui());
}

// --- The profile ---

namespace {
enum Profilfeld {
  f_faellig = 1,
  f_bankkonto,
  f_verbindung,
  f_verfahren,
  f_sepa,
  f_sequenz,
  f_einzug,
  f_ziel
};
const std::vector<std::string> sequenzen = {"RCUR", "FRST", "OOFF", "FNAL"};
}  // namespace

TFLastschriftProfil::TFLastschriftProfil(Mandant& m, const std::string& diskettenpfad)
    : m_(m), b_(bankverbindungen_lesen(m)), form_("Lastschrift-Diskette erstellen") {
  const Datum heute = m.tagesdatum().Today();
  form_.AddDate(f_faellig, "Fällig bis", heute);
  form_.AddString(f_bankkonto, "Bankkonto", "", 8);
  std::vector<std::string> banken;
  for (int i = 1; i <= 3; ++i)
    banken.push_back("&" + std::to_string(i) + " " + trim(b_.par.get(E::bankname(i))));
  form_.AddChoice(f_verbindung, "Bankverbindungen", banken, 0);
  form_.AddChoice(f_verfahren, "Lastschriftverfahren", {"Einzugsermächtigung", "Abbuchungsauftrag"},
                  0);
  form_.AddYesNo(f_sepa, "SEPA-Lastschrift (pain.008) erstellen", euro(m));
  form_.AddChoice(f_sequenz, "Sequenz",
                  {"RCUR Folgelastschrift", "FRST Erstlastschrift", "OOFF Einmallastschrift",
                   "FNAL Letzte Lastschrift"},
                  0);
  form_.AddDate(f_einzug, "Fälligkeitsdatum der SEPA-Lastschrift", static_cast<Datum>(heute + 5));
  // The configured diskette path, or the data directory while it names a
  // drive this system does not have.
  const std::string disk = trim(diskettenpfad);
  const bool laufwerk = disk.size() >= 2 && disk[1] == ':';
  form_.AddString(f_ziel, "Zielverzeichnis", laufwerk ? m.daten_verzeichnis() : disk, 80);
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Ok");
  form_.AddKey(Taste::F5, "Bank&verbindungen", [this](TEntryForm& f) {
    TFBankverbindungen bv(m_);
    if (bv.ausfuehren()) {
      b_ = bankverbindungen_lesen(m_);
      (void)f;
    }
    return Reaktion::Weiter;
  });
  form_.AddKey(Taste::Keine, "&Abbruch", [](TEntryForm&) { return Reaktion::Abbrechen; });
  form_.beim_speichern([this](TEntryForm& f) {
    const auto nein = [&f](int nr, const std::string& text) {
      f.ui().ShowMessageMain(text);
      f.setze_fokus(nr);
      return false;
    };
    const std::string konto = trim(f.text(f_bankkonto));
    {
      Puffer p(m_.sach.get());
      if (!ist_sachkonto(m_.basis, konto) || !m_.sach->suchen(m_.sachkonto_text(kontowert(konto))))
        return nein(f_bankkonto, "Bankkonto nicht gefunden!");
    }
    const int i = f.auswahl(f_verbindung) + 1;
    if (!verbindung_vollstaendig(b_.par, i))
      return nein(f_verbindung, "Bitte diese Bankverbindung im Zahlungsverkehr vervollständigen!");
    if (f.ja(f_sepa)) {
      if (!euro(m_)) return nein(f_sepa, "SEPA-Lastschriften werden nur in Euro eingezogen!");
      if (glaeubiger_iban(b_.par, i).empty() || trim(b_.par.get(E::GlaeubigerId)).empty())
        return nein(f_sepa,
                    "Für SEPA-Lastschriften fehlen IBAN oder Gläubiger-Identifikationsnummer "
                    "(F5 Bankverbindungen)!");
      if (f.datum(f_einzug) < m_.tagesdatum().Today())
        return nein(f_einzug, "Das Fälligkeitsdatum liegt in der Vergangenheit!");
    }
    return true;
  });
}

bool TFLastschriftProfil::ausfuehren() {
  return form_.Execute(m_.ui());
}

Lastschriftprofil TFLastschriftProfil::profil() const {
  Lastschriftprofil p;
  p.faellig_bis = form_.datum(f_faellig);
  p.bankkonto = kontowert(form_.text(f_bankkonto));
  p.verbindung = form_.auswahl(f_verbindung) + 1;
  p.abbuchung = form_.auswahl(f_verfahren) == 1;
  p.sepa = form_.ja(f_sepa);
  p.sequenz = sequenzen[static_cast<std::size_t>(form_.auswahl(f_sequenz))];
  p.einzug = form_.datum(f_einzug);
  p.ziel = form_.text(f_ziel);
  return p;
}

// --- The list ---

std::vector<Lastschriftposten> lastschrift_auswahl(Mandant& m, const Lastschriftprofil& p,
                                                   std::vector<std::string>& abgewiesen) {
  std::vector<Lastschriftposten> liste;
  if (!m.opstamm->offen()) m.opstamm->oeffnen();
  Puffer po(m.opstamm.get()), pp(m.personen.get());
  auto& ops = *m.opstamm;
  std::map<std::string, std::optional<Satz>> personen;
  m.ui().Balken_Oeffnen("Erstelle Liste ...", static_cast<long>(ops.anzahl_keys(3)));
  std::string k;
  for (bool ok = ops.suche_ab(3, k) && ops.suchen_key(3, k); ok; ok = ops.lies_weiter(3, k)) {
    m.ui().Balken_Inc();
    const Satz& op = ops.satz();
    if (op.u8(O::Kennung) != 'D' || !op.get(O::Rechnung) || op.get(O::Betrag) <= 0 ||
        op.get(O::Mahnen) != 2 || op.get(O::Faelligkeitsdatum) > p.faellig_bis ||
        op.get(O::NochOffen) <= 0)
      continue;
    const std::string konto = trim(op.get(O::Kontonummer));
    auto [it, neu] = personen.try_emplace(konto);
    if (neu && m.personen->suchen(m.personenkonto_text(kontowert(konto))))
      it->second = m.personen->satz();
    if (!it->second) continue;
    const Satz& person = *it->second;
    const std::string blz = trim(person.get(P::Blz)), bankkonto = trim(person.get(P::Bankkonto));
    if (blz.empty() || bankkonto.empty()) continue;  // no bank: never in the list
    Lastschriftposten lp;
    lp.op = op;
    lp.person = person;
    const std::string beleg = trim(op.get(O::Belegnummer));
    if (dtaus_nummer(blz, 8).empty() || dtaus_nummer(bankkonto, 10).empty()) {
      abgewiesen.push_back(konto + " " + beleg + ": Bankleitzahl oder Kontonummer ungültig");
      continue;
    }
    if (p.sepa) {
      lp.iban = iban_normal(person.get(P::Iban));
      if (lp.iban.empty()) lp.iban = iban_aus_bankverbindung(blz, bankkonto);
      lp.bic = iban_normal(person.get(P::Bic));
      if (!iban_gueltig(lp.iban)) {
        abgewiesen.push_back(konto + " " + beleg + ": IBAN ungültig");
        continue;
      }
      if (trim(person.get(P::Mandatsreferenz)).empty() ||
          person.get(P::Mandatsdatum) == kein_datum) {
        abgewiesen.push_back(konto + " " + beleg + ": kein SEPA-Mandat");
        continue;
      }
    }
    liste.push_back(std::move(lp));
  }
  m.ui().Balken_Schliessen();
  return liste;
}

namespace {
enum Auswahlfeld { f_anzahl = 1 };
}

TFLastschriftAuswahl::TFLastschriftAuswahl(Mandant& m, std::vector<Lastschriftposten>& posten)
    : m_(m), posten_(posten), form_("OP für Lastschrift-Diskette auswählen") {
  form_.AddString(f_anzahl, "Offene Posten", std::to_string(posten.size()), 10);
  form_.ProtectControl(f_anzahl);
  TEntryForm::Tabelle t;
  t.spalten = {"X", "Konto", "Belegnr", "Betrag", "Noch offen"};
  t.zeilen = [this] { return static_cast<int>(posten_.size()); };
  t.zelle = [this](int z, int s) -> std::string {
    const Lastschriftposten& p = posten_[static_cast<std::size_t>(z)];
    switch (s) {
      case 0:
        return p.markiert ? "X" : "";
      case 1:
        return trim(p.op.get(O::Kontonummer));
      case 2:
        return trim(p.op.get(O::Belegnummer));
      case 3:
        return betrag(p.op.get(O::Betrag));
      default:
        return betrag(p.op.get(O::NochOffen));
    }
  };
  t.setzen = [this](int z, int s, const std::string& text) {
    if (s != 0) return false;
    posten_[static_cast<std::size_t>(z)].markiert = !trim(text).empty();
    return true;
  };
  form_.setze_tabelle(std::move(t));
  const auto alle = [this](bool an) {
    for (auto& p : posten_) p.markiert = an;
    return Reaktion::Weiter;
  };
  form_.AddKey(Taste::Keine, "&Markieren", [alle](TEntryForm&) { return alle(true); });
  form_.AddKey(Taste::Keine, "&Entmarkieren", [alle](TEntryForm&) { return alle(false); });
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Ok");
  form_.AddKey(Taste::Keine, "&Abbruch", [](TEntryForm&) { return Reaktion::Abbrechen; });
  form_.beim_speichern([this](TEntryForm& f) {
    for (const auto& p : posten_)
      if (p.markiert) return true;
    f.ui().ShowMessageMain("Sie haben keine OP ausgewählt!");
    return false;
  });
}

bool TFLastschriftAuswahl::ausfuehren() {
  return form_.Execute(m_.ui());
}

// --- The run ---

bool lastschrift_ausfuehren(Mandant& m, const Lastschriftprofil& p,
                            const std::vector<Lastschriftposten>& posten) {
  Interaktion& ui = m.ui();
  const Datum heute = m.tagesdatum().Today();
  const Bankverbindungen bv = bankverbindungen_lesen(m);
  std::vector<const Lastschriftposten*> gewaehlt;
  for (const auto& lp : posten)
    if (lp.markiert) gewaehlt.push_back(&lp);
  if (gewaehlt.empty()) return false;

  // The settling bookings first: a refused one stops the run before any
  // file is made.
  const std::string bank = m.sachkonto_text(p.bankkonto);
  const int periode = periode_des_datums(m.basis, heute);
  std::vector<Satz> buchungen;
  for (const Lastschriftposten* lp : gewaehlt) {
    const std::string konto = trim(lp->op.get(O::Kontonummer));
    const Betrag offen = lp->op.get(O::NochOffen);
    for (bool kunde : {true, false}) {
      Satz b(B::groesse);
      b.set(B::Konto, kunde ? konto : bank);
      b.set(B::Gegenkonto, kunde ? bank : konto);
      b.setze_u8(B::SollHaben, kunde ? 'H' : 'S');
      b.setze_u8(B::Buchungsart, 'Z');
      b.set(B::Betrag, offen);
      b.set(B::Belegnr, trim(lp->op.get(O::Belegnummer)));
      b.set(B::Datum, heute);
      b.set(B::Periode, static_cast<std::uint8_t>(periode));
      b.set(B::Text1, "Lastschrifteinzug vom " + datum10(heute));
      buchungen.push_back(std::move(b));
    }
  }
  Buchungskern kern(m);
  if (const auto abgelehnt = alle_pruefen(kern, buchungen)) {
    ui.ShowMessageMain("FEHLER: " + pruef_text(abgelehnt->code) + "\rBeleg " +
                       trim(buchungen[abgelehnt->index].get(B::Belegnr)) + ", Konto " +
                       trim(buchungen[abgelehnt->index].get(B::Konto)) +
                       ": es wurde keine Lastschriftdatei erstellt.");
    return false;
  }

  // The creditor's name: the client's name of the base data, else the
  // name the client was created with. Neither format takes none.
  std::string name = trim(m.basis.get(BF::Name));
  if (name.empty()) name = trim(m.mandant.get(MandantFelder::Mandantname));
  if (sepa_text(name, 70).empty()) {
    ui.ShowMessageMain("Bitte tragen Sie in den Basisdaten den Namen des Mandanten ein!");
    return false;
  }

  std::string pfad;
  if (!ziel_bereit(m, p.ziel, pfad)) return false;
  const std::string sepa_name = sepa_dateiname(heute);
  // A file of an earlier run may not have gone to the bank yet; its items
  // are settled already.
  if ((m.fs().existiert(pfad + dtaus_datei) || (p.sepa && m.fs().existiert(pfad + sepa_name))) &&
      !ui.JaNein2("Diese Diskette enthält bereits Daten, überschreiben?\rJA überschreibt die "
                  "Dateien, NEIN bricht ab."))
    return false;

  Ausgabe3 prot(ui);
  if (!prot.open_drucker("Lastschrift-Diskette")) return false;
  prot.setze_breite(breite);
  Seitenkopf kopf = seitenkopf(m, "Lastschrift-Diskette", breite);
  prot.kopf_bei_umbruch([kopf](Ausgabe3& a) { drucke_seitenkopf(a, kopf); });
  drucke_seitenkopf(prot, kopf);
  prot.druckeln("Protokoll zur Erstellung einer neuen Datendiskette");
  prot.druckeln("Neue Datei  : " + std::string(dtaus_datei) +
                (p.sepa ? " und " + sepa_name : std::string()));
  prot.druckeln("Datum       : " + datum10(heute));
  prot.druckeln("Buchungsart : Lastschriften");
  prot.druckeln("Finanzbuchhaltung");
  prot.druckeln();

  const int i = p.verbindung;
  DtausKopf k;
  k.name = name;
  k.blz = trim(bv.par.get(E::blz(i)));
  k.konto = trim(bv.par.get(E::konto(i)));
  k.datum = heute;
  k.euro = euro(m);
  k.abbuchung = p.abbuchung;
  std::string dtaus = dtaus_a(k);
  SepaKopf sk;
  sk.erstellt = zeitpunkt(m);
  sk.nachricht = "FIBU-" + std::to_string(m.nummer()) + "-" + sk.erstellt;
  sk.name = k.name;
  sk.iban = glaeubiger_iban(bv.par, i);
  sk.bic = iban_normal(bv.par.get(E::bic(i)));
  sk.glaeubiger_id = trim(bv.par.get(E::GlaeubigerId));
  sk.sequenz = p.sequenz;
  sk.faellig = p.einzug;
  std::vector<SepaPosten> sepa;
  Betrag summe = 0;
  std::int64_t kontensumme = 0, blzsumme = 0;
  long nr = 0;
  for (const Lastschriftposten* lp : gewaehlt) {
    DtausPosten dp;
    dp.name = trim(lp->person.get(P::Name));
    dp.blz = trim(lp->person.get(P::Blz));
    dp.konto = trim(lp->person.get(P::Bankkonto));
    dp.betrag = lp->op.get(O::NochOffen);
    dp.belegnr = trim(lp->op.get(O::Belegnummer));
    dp.rechnungsdatum = lp->op.get(O::Rechnungsdatum);
    dtaus += dtaus_c(k, dp);
    summe += dp.betrag;
    kontensumme += std::stoll(dtaus_nummer(dp.konto, 10));
    blzsumme += std::stoll(dtaus_nummer(dp.blz, 8));
    SepaPosten sp;
    sp.ende_zu_ende = "RNr " + dp.belegnr;
    sp.betrag = dp.betrag;
    sp.mandat = trim(lp->person.get(P::Mandatsreferenz));
    sp.mandatsdatum = lp->person.get(P::Mandatsdatum);
    sp.name = dp.name;
    sp.iban = lp->iban;
    sp.bic = lp->bic;
    sp.zweck = "RNr " + dp.belegnr + " vom " + datum10(dp.rechnungsdatum);
    sepa.push_back(std::move(sp));
    prot.druckeln("Laufende Nummer   : " + std::to_string(++nr));
    prot.druckeln("Debitor           : " + trim(lp->op.get(O::Kontonummer)) + " " + dp.name);
    prot.druckeln("BLZ, Kontonummer  : " + dp.blz + ", " + dp.konto +
                  (p.sepa ? "  IBAN " + lp->iban : std::string()));
    prot.druckeln("OP-Belegnummer    : " + dp.belegnr);
    prot.druckeln("OP-Rechnungsdatum : " + datum10(dp.rechnungsdatum));
    prot.druckeln("OP-Betrag         : " + betrag(dp.betrag) + " " + waehrung(m));
    prot.druckeln();
  }
  dtaus += dtaus_e(k, nr, summe, kontensumme, blzsumme);

  // Both files are complete and synced before they are put in place; only
  // then are the items settled.
  Ausgabedatei datei(m.fs(), pfad + dtaus_datei), xml(m.fs(), pfad + sepa_name);
  Ergebnis e = datei.oeffnen();
  if (e) e = datei.schreiben(dtaus);
  if (e) e = datei.fertig();
  std::string text;
  if (e && p.sepa) {
    text = sepa_lastschrift(sk, sepa);
    if (text.empty()) e = Ergebnis::fehler(Ergebnis::Code::Ungueltig, "SEPA-Nachricht");
    if (e) e = xml.oeffnen();
    if (e) e = xml.schreiben(text);
    if (e) e = xml.fertig();
  }
  if (e) e = datei.einsetzen();
  if (e && p.sepa) e = xml.einsetzen();
  if (!e) {
    prot.druckeln(
        "!!! Die Dateien konnten nicht geschrieben werden; es wurde kein OP "
        "ausgeglichen.");
    prot.close_drucker();
    ui.ShowMessageMain("Die Lastschriftdatei konnte nicht geschrieben werden!\r" + e.text());
    return false;
  }
  prot.druckeln("Anzahl Lastschriften : " + std::to_string(nr));
  prot.druckeln("Summe                : " + betrag(summe) + " " + waehrung(m));

  if (!bv.par.get(E::OhneBegleitzettel)) {
    Ausgabe3 zettel(ui);
    if (zettel.open_drucker("Begleitzettel")) {
      zettel.druckeln(" Einziehungsauftrag an " + trim(bv.par.get(E::bankname(i))));
      zettel.druckeln();
      zettel.druckeln(" Datei: " + std::string(dtaus_datei));
      zettel.druckeln(" Vol.-Nummer der Diskette:");
      zettel.druckeln(" Erstellungsdatum: " + datum10(heute));
      zettel.druckeln(std::string(k.euro ? " Summe EURO: " : " Summe DM: ") + betrag(summe));
      zettel.druckeln(" Kontrollsumme Kontonummern: " + std::to_string(kontensumme));
      zettel.druckeln(" Kontrollsumme Bankleitzahlen: " + std::to_string(blzsumme));
      zettel.druckeln(" Bankleitzahl: " + dtaus_nummer(k.blz, 8));
      zettel.druckeln(" Girokonto-Nr.: " + dtaus_nummer(k.konto, 10));
      zettel.druckeln(" Name: " + k.name);
      zettel.druckeln();
      zettel.druckeln();
      zettel.druckeln(" ____________________, den ____________");
      zettel.druckeln(" (Ort)                     (Datum)");
      zettel.druckeln();
      zettel.druckeln();
      zettel.druckeln("(Unterschriften)");
      zettel.close_drucker();
    }
  }

  bool ok = true;
  if (ui.JaNein2("Die OP werden jetzt ausgeglichen! Weiter?")) {
    if (alle_buchen(m, kern, buchungen)) {
      prot.druckeln("Die OP sind ausgeglichen.");
    } else {
      ok = false;
      prot.druckeln(
          "FEHLER: Die Buchungen konnten nicht geschrieben werden; es wurde kein OP "
          "ausgeglichen.");
      ui.ShowMessageMain(
          "FEHLER: Die Buchungen konnten nicht geschrieben werden; es wurde kein "
          "OP ausgeglichen!");
    }
  } else {
    prot.druckeln("Die OP wurden nicht ausgeglichen: sie bleiben offen und zum Einzug markiert");
    prot.druckeln("und werden beim nächsten Lauf noch einmal eingezogen!");
  }
  prot.close_drucker();
  return ok;
}

bool lastschrift(Mandant& m, const std::string& diskettenpfad) {
  Interaktion& ui = m.ui();
  const Datum heute = m.tagesdatum().Today();
  if (heute < geschaeftsjahr_von(m.basis) || heute > geschaeftsjahr_bis(m.basis)) {
    ui.ShowMessageMain(
        "Das Tagesdatum liegt nicht in dem Geschäftsjahr, eine Erstellung von Lastschriftdisketten "
        "ist nicht möglich!");
    return false;
  }
  if (!periode_bebuchbar(m.basis, periode_des_datums(m.basis, heute))) {
    ui.ShowMessageMain(
        "Die zu dem Tagesdatum passende Periode ist gesperrt, eine Erstellung von "
        "Lastschriftdisketten ist nicht möglich!");
    return false;
  }
  if (m.erech_verzeichnis.empty()) {
    ui.ShowMessageMain("Pfad für den Zahlungsverkehr nicht gefunden!");
    return false;
  }
  if (!bankverbindungen_lesen(m).vorhanden) {
    // The payment module is not part of this program: its bank connections
    // are entered here and the file made.
    ui.ShowMessageMain("Datei \"ERECH.PAR\" nicht gefunden!");
    if (!TFBankverbindungen(m).ausfuehren()) return false;
  }
  TFLastschriftProfil profil(m, diskettenpfad);
  if (!profil.ausfuehren()) return false;
  const Lastschriftprofil p = profil.profil();
  std::vector<std::string> abgewiesen;
  std::vector<Lastschriftposten> posten = lastschrift_auswahl(m, p, abgewiesen);
  if (!abgewiesen.empty()) {
    std::string text = "Diese OP können nicht eingezogen werden:";
    for (const auto& z : abgewiesen) text += "\r" + z;
    ui.ShowMessageMain(text);
  }
  if (posten.empty()) {
    ui.ShowMessageMain("Keine OP gefunden!");
    return true;  // nothing due is no failure of the run
  }
  TFLastschriftAuswahl auswahl(m, posten);
  if (!auswahl.ausfuehren()) return false;
  return lastschrift_ausfuehren(m, p, posten);
}

}  // namespace fibu
