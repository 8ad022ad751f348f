#include "openitems/mahnlauf.h"

#include <algorithm>

#include "frame/mandant.h"
#include "isam/verzeichnis.h"
#include "masters/personenkonto.h"
#include "openitems/mahndaten.h"
#include "openitems/opstamm.h"
#include "posting/buchen.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/betrag.h"
#include "suite/browser.h"
#include "suite/codepage.h"

namespace fibu {

namespace {

using O = OpstammFelder;
using K = MahnkennEintrag;
using T = MahntextFelder;
using P = PersonenFelder;
using BF = BasisFelder;
using B = BuchungFelder;

constexpr char mark_adresse = '\x01', mark_datum = '\x04', mark_posten = '\x10',
               mark_weitere = '\x0B';

std::string betrag(Betrag b) {
  return betrag_text(b);
}

// Puts `text` into `zeile` from column `spalte` on, over what is there.
void einsetzen(std::string& zeile, std::size_t spalte, const std::string& text) {
  const std::string vorn = kopy(zeile, 1, static_cast<std::ptrdiff_t>(spalte));
  const std::string hinten =
      kopy(zeile, static_cast<std::ptrdiff_t>(spalte + zeichenzahl(text)) + 1, 1000);
  zeile = padcut(vorn, static_cast<std::ptrdiff_t>(spalte)) + text + hinten;
}

}  // namespace

std::optional<Mahnmaske> mahnmaske(const std::string& text, std::string& fehler) {
  Mahnmaske m;
  for (std::string z : textzeilen(text)) {
    if (m.zeilen.size() == 25) break;
    z = kopy(z, 1, 80);
    const int nr = static_cast<int>(m.zeilen.size());
    for (std::size_t i = 0; i < z.size(); ++i) {
      if (z[i] == mark_adresse && m.adresse_zeile < 0)
        m.adresse_zeile = nr, m.adresse_spalte = static_cast<int>(i);
      if (z[i] == mark_datum && m.datum_zeile < 0)
        m.datum_zeile = nr, m.datum_spalte = static_cast<int>(i);
      if (z[i] == mark_posten && m.posten_zeile < 0) m.posten_zeile = nr;
    }
    for (char& c : z)
      if (c == mark_adresse || c == mark_datum || c == mark_posten || c == mark_weitere) c = ' ';
    m.zeilen.push_back(z);
  }
  if (m.adresse_zeile < 0 || m.datum_zeile < 0 || m.posten_zeile < 0) {
    fehler = "Steuerzeichen in Maske fehlt (Datum, Adresse, Poszeile)!";
    return std::nullopt;
  }
  return m;
}

std::optional<Mahnmaske> mahnmaske_lesen(Mandant& m) {
  std::string roh;
  const auto pfad = m.fs().finde_datei(m.daten_verzeichnis(), "MASKE.FIB");
  if (!pfad || !m.fs().lies_datei(*pfad, roh)) {
    m.ui().ShowMessageMain("Keine Maske MASKE.FIB gefunden!");
    return std::nullopt;
  }
  std::string fehler;
  auto maske = mahnmaske(nach_utf8(roh, Codepage::CP1252), fehler);
  if (!maske) m.ui().ShowMessageMain(fehler);
  return maske;
}

Betrag mahnbrief_zinsen(const Mahnbrief& b) {
  std::vector<Zinsposten> zinsen;
  for (const Mahnposten& p : b.posten) {
    const Datum faellig = p.op.get(O::Faelligkeitsdatum);
    zinsen.push_back({p.op.get(O::Betrag), faellig});
    for (const auto& z : p.zahlungen) zinsen.push_back({z.betrag, std::max(z.datum, faellig)});
  }
  return mahnzinsen(zinsen, b.zinssatz, b.datum);
}

Betrag mahnbrief_summe(const Mahnbrief& b) {
  Betrag summe = 0;
  for (const Mahnposten& p : b.posten) {
    summe += p.op.get(O::Betrag);
    for (const auto& z : p.zahlungen) summe += z.betrag;
  }
  const Betrag zins = mahnbrief_zinsen(b);
  return summe + (zins > 0 ? zins : 0) + (b.gebuehr > 0 ? b.gebuehr : 0);
}

std::vector<std::string> mahnbrief_zeilen(const Mahnmaske& maske, const Mahnbrief& b) {
  std::vector<std::string> seite = maske.zeilen;
  for (std::size_t i = 0; i < b.adresse.size(); ++i) {
    const std::size_t z = static_cast<std::size_t>(maske.adresse_zeile) + i;
    if (z >= seite.size()) seite.resize(z + 1);
    einsetzen(seite[z], static_cast<std::size_t>(maske.adresse_spalte), b.adresse[i]);
  }
  einsetzen(seite[static_cast<std::size_t>(maske.datum_zeile)],
            static_cast<std::size_t>(maske.datum_spalte),
            DateToDateString(b.vierstellige_jahre ? "dd.mm.yyyy" : "dd.mm.yy", b.datum));

  // The item table in place of its mark.
  std::vector<std::string> tabelle;
  if (!trim(b.betreff).empty()) {
    tabelle.push_back("Betreff: " + trim(b.betreff));
    tabelle.emplace_back();
  }
  auto letzte = std::find_if(b.vortext.rbegin(), b.vortext.rend(),
                             [](const std::string& z) { return !trim(z).empty(); });
  for (auto it = b.vortext.begin(); it != letzte.base(); ++it) tabelle.push_back(*it);
  if (letzte != b.vortext.rend()) tabelle.emplace_back();
  tabelle.push_back(padcut("Rechnungsnummer", 22) + padcut("Datum", 12) + padlinks("Betrag", 16) +
                    padlinks("Mahnstufe", 12));
  for (const Mahnposten& p : b.posten) {
    const Satz& op = p.op;
    tabelle.push_back(
        padcut(std::string(op.get(O::Rechnung) ? "R " : "G ") + trim(op.get(O::Belegnummer)), 22) +
        padcut(DateToDateString("dd.mm.yyyy", op.get(O::Rechnungsdatum)), 12) +
        padlinks(betrag(op.get(O::Betrag)), 16) +
        padlinks(std::to_string(op.get(O::Mahnstufe)), 12));
    for (const auto& z : p.zahlungen)
      tabelle.push_back(padcut("  Zahlung am:", 22) +
                        padcut(DateToDateString("dd.mm.yyyy", z.datum), 12) +
                        padlinks(betrag(z.betrag), 16));
  }
  const Betrag zins = mahnbrief_zinsen(b);
  if (zins > 0) tabelle.push_back(padcut("Zinsen", 34) + padlinks(betrag(zins), 16));
  if (b.gebuehr > 0) tabelle.push_back(padcut("Mahngebühr", 34) + padlinks(betrag(b.gebuehr), 16));
  const Betrag summe = mahnbrief_summe(b);
  tabelle.push_back(std::string(50, '-'));
  tabelle.push_back("Summe der offenen Posten: " + betrag(summe) + (b.euro ? " EURO" : " DM"));
  tabelle.emplace_back();
  for (const std::string& z : b.nachtext) tabelle.push_back(z);
  while (!tabelle.empty() && trim(tabelle.back()).empty()) tabelle.pop_back();

  std::vector<std::string> aus = b.briefkopf;
  for (std::size_t i = 0; i < seite.size(); ++i) {
    if (static_cast<int>(i) == maske.posten_zeile)
      aus.insert(aus.end(), tabelle.begin(), tabelle.end());
    else
      aus.push_back(trim_rechts(seite[i]));
  }
  return aus;
}

namespace {

struct Brief {
  std::vector<std::size_t> ops;  // indexes into the selection
  int stufe = 1;
  int kennziffer = 1;
};

}  // namespace

std::vector<Satz> mahnauswahl(Mandant& m, const Mahnauswahl& a) {
  Interaktion& ui = m.ui();
  if (!m.opstamm->offen()) m.opstamm->oeffnen();
  std::vector<Satz> ops;
  Puffer po(m.opstamm.get());
  auto& db = *m.opstamm;
  ui.Balken_Oeffnen("Auswahl der OP ...", static_cast<long>(db.anzahl_keys(3)));
  std::string k;
  for (bool ok = db.suche_ab(3, k) && db.suchen_key(3, k); ok; ok = db.lies_weiter(3, k)) {
    ui.Balken_Inc();
    const Satz& op = db.satz();
    const int code = op.get(O::Mahnkennziffer);
    if (code < 1 || code > 99) continue;
    if (mahnfaellig(op, mahnkennziffer(m, code), a)) ops.push_back(op);
  }
  ui.Balken_Schliessen();
  return ops;
}

bool op_mahnen_fragen(Mandant& m, const Satz& op) {
  TEntryForm f("Offene Posten mahnen?");
  const Formularbindung b = op_bindung(false);
  b.felder_anlegen(f, op);
  for (const auto& feld : f.felder()) f.ProtectControl(feld.nr);
  f.Erklaerung("Soll dieser OP gemahnt werden?");
  f.FrageDatenSpeichern(false);
  f.AddKey(Taste::Keine, "&Ja", [](TEntryForm&) { return Reaktion::Speichern; });
  f.AddKey(Taste::Esc, "&Nein", [](TEntryForm&) { return Reaktion::Abbrechen; });
  return f.Execute(m.ui());
}

bool mahnungen_drucken(Mandant& m, const Mahndruck& d) {
  if (!mahnmaske_lesen(m)) return false;  // before the selection: nothing to do without it
  std::vector<Satz> ops = mahnauswahl(m, d.auswahl);
  if (d.abfrage) std::erase_if(ops, [&m](const Satz& op) { return !op_mahnen_fragen(m, op); });
  const auto gruppen = mahnbriefe(ops, d.zusammenfassen);
  return briefe_drucken(m, ops, gruppen, d);
}

bool briefe_drucken(Mandant& m, std::vector<Satz> ops,
                    const std::vector<std::vector<std::size_t>>& gruppen, const Mahndruck& d) {
  Interaktion& ui = m.ui();
  const auto maske = mahnmaske_lesen(m);
  if (!maske) return false;
  const Datum heute = m.tagesdatum().Today();
  const bool euro = m.basis.get(BF::BasiswaehrungEuro) != 0;
  std::vector<Brief> briefe;
  std::vector<std::size_t> gemahnt;  // the items in a letter
  for (auto indexe : gruppen) {
    Brief b;
    b.ops = std::move(indexe);
    for (std::size_t i : b.ops) {
      Satz& op = ops[i];
      const int stufe = std::min(op.get(O::Mahnstufe) + 1, 5);
      op.set(O::Mahnstufe, static_cast<std::uint8_t>(stufe));
      op.set(O::Mahndatum, heute);
      b.stufe = std::max(b.stufe, stufe);
      gemahnt.push_back(i);
    }
    b.kennziffer = ops[b.ops.front()].get(O::Mahnkennziffer);
    briefe.push_back(std::move(b));
  }

  // The letters' lines.
  const std::vector<Satz> texte = mahntexte_lesen(m);
  bool format_gemeldet = false;
  std::vector<std::vector<std::string>> seiten;
  // What the suite learns of each letter once the levels are stored.
  struct Nachlauf {
    std::string kunde;
    Betrag summe = 0;
    int stufe = 1;
    bool diverse = false;
  };
  std::vector<Nachlauf> nachlauf;
  Puffer pp(m.personen.get());
  for (const Brief& br : briefe) {
    const Satz code = mahnkennziffer(m, br.kennziffer);
    bool ungueltig = false;
    const int textnr = mahntextnummer(code, br.stufe, ungueltig);
    if (ungueltig && !format_gemeldet) {
      ui.ShowMessageMain("Bitte Mahnkennziffern-Format kontrollieren!");
      format_gemeldet = true;
    }
    const Satz& text = texte[static_cast<std::size_t>(textnr - 1)];
    const Datum frist = static_cast<Datum>(heute + code.get(K::Zahlungsziel));
    Mahnbrief b;
    b.briefkopf = d.briefkopf;
    b.datum = heute;
    b.betreff = d.betreff;
    b.stufe = br.stufe;
    b.zinssatz = code.get(K::zinssatz(br.stufe));
    b.gebuehr = code.get(K::gebuehr(br.stufe));
    b.euro = euro;
    b.vierstellige_jahre = d.vierstellige_jahre;
    for (int i = 0; i < 10; ++i) {
      b.vortext.push_back(frist_einsetzen(text.get(T::vortext(i)), frist));
      b.nachtext.push_back(frist_einsetzen(text.get(T::nachtext(i)), frist));
    }
    const Satz& erstes = ops[br.ops.front()];
    // A one-time customer's item carries its own address.
    const Satz* adresse = &erstes;
    if (!erstes.get(O::Diverse) &&
        m.personen->suchen(m.personenkonto_text(kontowert(erstes.get(O::Kontonummer)))))
      adresse = &m.personen->satz();
    const bool ist_op = adresse == &erstes;
    for (auto feld : {ist_op ? O::Name : P::Name, ist_op ? O::Titel : P::Titel,
                      ist_op ? O::Strasse : P::Strasse, ist_op ? O::PlzOrt : P::PlzOrt}) {
      const std::string z = trim(adresse->get(feld));
      if (!z.empty()) b.adresse.push_back(z);
    }
    for (std::size_t i : br.ops) {
      Mahnposten p;
      p.op = ops[i];
      const std::string konto = trim(p.op.get(O::Kontonummer));
      (void)m.buchung->buchungen_zum_beleg(
          'D', trim(p.op.get(O::Belegnummer)), [&](std::uint32_t, const Satz& bu) {
            if (ist_zahlung(m.basis, bu) && kontowert(bu.get(B::Konto)) == kontowert(konto)) {
              const Betrag brutto = bu.get(B::Betrag) + bu.get(B::Steuerbetrag);
              p.zahlungen.push_back({bu.get(B::Datum), ist_soll(bu) ? brutto : -brutto});
            }
            return true;
          });
      std::stable_sort(p.zahlungen.begin(), p.zahlungen.end(),
                       [](const auto& a, const auto& z) { return a.datum < z.datum; });
      b.posten.push_back(std::move(p));
    }
    seiten.push_back(mahnbrief_zeilen(*maske, b));
    nachlauf.push_back(
        {erstes.get(O::Diverse) ? std::string("diverse") : trim(erstes.get(O::Kontonummer)),
         mahnbrief_summe(b), b.stufe, erstes.get(O::Diverse)});
  }
  if (seiten.empty()) {
    ui.ShowMessageMain("Keine OP gefunden!");
    return true;
  }

  // Every copy holds every letter; the items change once.
  Ausgabe3 druck(ui);
  if (!druck.open_drucker("Mahnungen")) return false;
  bool erste = true;
  for (int e = 0; e < std::max(1, d.exemplare); ++e)
    for (const auto& seite : seiten) {
      if (!erste) druck.neue_seite();
      erste = false;
      for (const auto& z : seite) druck.druckeln(z);
    }
  const bool gedruckt = druck.auftrag().ziel != Druckziel::Vorschau;
  druck.close_drucker();
  if (!gedruckt) return true;  // a preview changes no item

  isam::Einheit einheit(m.verzeichnis());
  bool ok = einheit.fehler() == isam::isam_ok;
  for (std::size_t i : gemahnt) {
    if (!ok) break;
    const Satz& op = ops[i];
    const std::string key = std::string("D") + trim(op.get(O::Belegnummer));
    if (!m.opstamm->suchen(key)) continue;
    m.opstamm->satz().set(O::Mahnstufe, op.get(O::Mahnstufe));
    m.opstamm->satz().set(O::Mahndatum, heute);
    ok = m.opstamm->speichern(key);
  }
  if (ok) {
    ok = einheit.ende(isam::isam_ok) == isam::isam_ok;
  } else {
    einheit.abbrechen();
  }
  if (!ok) {
    ui.ShowMessageMain("Die Mahnstufen konnten nicht geschrieben werden; kein OP wurde geändert!");
    return false;
  }
  if (d.adressverzeichnis.empty()) return true;
  // The suite's customer information gets an entry per letter; a customer
  // dunned above level 2 has the address blocked.
  Dateisystem& fs = m.fs();
  const std::string kis = pfad_verbinden(d.adressverzeichnis, "KIS.TXT");
  std::string eintraege;
  if (fs.existiert(kis) && !fs.lies_datei(kis, eintraege)) eintraege.clear();
  for (const Nachlauf& n : nachlauf)
    eintraege += von_utf8("2|" + n.kunde + "|" + DateToDateString("dd.mm.yyyy", heute) +
                              "|MAHNUNG|" + betrag(n.summe) + "\r\n",
                          Codepage::CP1252);
  if (!fs.schreibe_datei_atomar(kis, eintraege)) {
    ui.ShowMessageMain("Die Kundeninformation " + kis + " konnte nicht geschrieben werden!");
    ok = false;
  }
  for (const Nachlauf& n : nachlauf) {
    if (n.stufe <= 2 || n.diverse) continue;
    bool gefunden = false;
    if (!adresse_sperren(fs, d.adressverzeichnis, n.kunde, gefunden)) {
      ui.ShowMessageMain("Die Adresse " + n.kunde + " konnte nicht gesperrt werden!");
      ok = false;
    }
  }
  return ok;
}

namespace {
enum Druckfeld {
  f_stichtag = 1,
  f_abfrage,
  f_zusammen,
  f_konto_von,
  f_konto_bis,
  f_beleg_von,
  f_beleg_bis,
  f_betreff,
  f_exemplare
};
}

TFMahnDruck::TFMahnDruck(Mandant& m, std::vector<std::string> briefkopf, bool vierstellige_jahre,
                         std::string adressverzeichnis)
    : m_(m),
      briefkopf_(std::move(briefkopf)),
      vierstellige_jahre_(vierstellige_jahre),
      adressverzeichnis_(std::move(adressverzeichnis)),
      form_("Mahnungen drucken") {
  form_.AddDate(f_stichtag, "Berücksichtigen aller OP fällig vor Stichtag", m.tagesdatum().Today());
  form_.AddYesNo(f_abfrage, "&JA/NEIN-Abfrage bei jeder Mahnung", false);
  form_.AddYesNo(f_zusammen, "Kundenrechnungen &zusammenfassen", true);
  form_.AddLongInt(f_konto_von, "&von Konto-Nummer", m.basis.get(BF::DebitorVon));
  form_.AddLongInt(f_konto_bis, "&bis Konto-Nummer", m.basis.get(BF::DebitorBis));
  form_.AddLongInt(f_beleg_von, "&von Beleg-Nummer", 0, 0, 9999999);
  form_.AddLongInt(f_beleg_bis, "&bis Beleg-Nummer", 9999999, 0, 9999999);
  form_.AddString(f_betreff, "Betreffzeile drucken", "", 60);
  form_.AddByte(f_exemplare, "Zahl der Druck-Exemplare", 1, 1, 9);
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Ok");
  form_.AddKey(Taste::Keine, "&Einzelne OP's", [this](TEntryForm&) {
    weiter_ = Weiter::Einzeln;
    return Reaktion::Speichern;
  });
  form_.AddKey(Taste::Keine, "&Vorschlag", [this](TEntryForm&) {
    weiter_ = Weiter::Vorschlag;
    return Reaktion::Speichern;
  });
  form_.AddKey(Taste::Keine, "&Abbruch", [](TEntryForm&) { return Reaktion::Abbrechen; });
}

bool TFMahnDruck::ausfuehren() {
  weiter_ = Weiter::Drucken;
  if (!form_.Execute(m_.ui())) return false;
  if (weiter_ == Weiter::Einzeln)
    return TFMahnEinzeln(m_, briefkopf_, vierstellige_jahre_, adressverzeichnis_).ausfuehren();
  Mahndruck d;
  d.auswahl.stichtag = form_.datum(f_stichtag);
  // Always within the customer range.
  d.auswahl.konto_von = std::max<std::int32_t>(static_cast<std::int32_t>(form_.zahl(f_konto_von)),
                                               m_.basis.get(BF::DebitorVon));
  d.auswahl.konto_bis = std::min<std::int32_t>(static_cast<std::int32_t>(form_.zahl(f_konto_bis)),
                                               m_.basis.get(BF::DebitorBis));
  d.auswahl.beleg_von = form_.zahl(f_beleg_von);
  d.auswahl.beleg_bis = form_.zahl(f_beleg_bis);
  d.zusammenfassen = form_.ja(f_zusammen);
  d.abfrage = form_.ja(f_abfrage);
  d.betreff = form_.text(f_betreff);
  d.exemplare = static_cast<int>(form_.zahl(f_exemplare));
  d.briefkopf = briefkopf_;
  d.vierstellige_jahre = vierstellige_jahre_;
  d.adressverzeichnis = adressverzeichnis_;
  if (weiter_ == Weiter::Vorschlag) return TFMahnvorschlag(m_, d).ausfuehren();
  return mahnungen_drucken(m_, d);
}

}  // namespace fibu

namespace fibu {

namespace {
enum Einzelfeld { f_beleg = 1, f_einzel_betreff, f_einzel_exemplare };
}

TFMahnEinzeln::TFMahnEinzeln(Mandant& m, std::vector<std::string> briefkopf,
                             bool vierstellige_jahre, std::string adressverzeichnis)
    : m_(m),
      briefkopf_(std::move(briefkopf)),
      vierstellige_jahre_(vierstellige_jahre),
      adressverzeichnis_(std::move(adressverzeichnis)),
      form_("Einzelne OP's mahnen") {
  form_.AddString(f_beleg, "Mahnen des OP", "", 7);
  form_.AddString(f_einzel_betreff, "Betreffzeile drucken", "", 60);
  form_.AddByte(f_einzel_exemplare, "Zahl der Druck-Exemplare", 1, 1, 9);
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Ok");
  form_.AddKey(Taste::Keine, "&Abbruch", [](TEntryForm&) { return Reaktion::Abbrechen; });
  form_.beim_speichern([this](TEntryForm& f) {
    if (!m_.opstamm->offen()) m_.opstamm->oeffnen();
    Puffer po(m_.opstamm.get()), pp(m_.personen.get());
    if (!m_.opstamm->suchen("D" + trim(f.text(f_beleg)))) {
      f.ui().ShowMessageMain("OP nicht gefunden!");
      return false;
    }
    const Satz& op = m_.opstamm->satz();
    const int code = op.get(O::Mahnkennziffer);
    const bool person_gesperrt =
        m_.personen->suchen(m_.personenkonto_text(kontowert(op.get(O::Kontonummer)))) &&
        m_.personen->satz().get(P::Mahnen) != 0;
    if (op.get(O::NochOffen) <= 0 || person_gesperrt || op.get(O::Mahnen) != 0 || code < 1 ||
        code > 99) {
      f.ui().ShowMessageMain(
          "OP ist bereits ausgeglichen, OP bzw. Personenkonto gesperrt oder Mahnkennziffer "
          "ungültig!");
      return false;
    }
    return true;
  });
}

bool TFMahnEinzeln::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  Puffer po(m_.opstamm.get());
  if (!m_.opstamm->suchen("D" + trim(form_.text(f_beleg)))) return false;
  Mahndruck d;
  d.betreff = form_.text(f_einzel_betreff);
  d.exemplare = static_cast<int>(form_.zahl(f_einzel_exemplare));
  d.briefkopf = briefkopf_;
  d.vierstellige_jahre = vierstellige_jahre_;
  d.adressverzeichnis = adressverzeichnis_;
  return briefe_drucken(m_, {m_.opstamm->satz()}, {{0}}, d);
}

// --- The proposal list ---

namespace {
enum Vorschlagfeld { f_anzahl = 1 };

std::string vorschlagszeile(const Satz& op) {
  return padcut(trim(op.get(O::Kontonummer)), 6) + padcut(trim(op.get(O::Belegnummer)), 10) +
         padcut(DateToDateString("dd.mm.yyyy", op.get(O::Faelligkeitsdatum)), 11) +
         padlinks(betrag_text(op.get(O::NochOffen)), 12) +
         padlinks(std::to_string(op.get(O::Mahnstufe)), 4) + "  " +
         (op.get(O::Mahndatum) ? DateToDateString("dd.mm.yyyy", op.get(O::Mahndatum)) : "");
}
}  // namespace

TFMahnvorschlag::TFMahnvorschlag(Mandant& m, const Mahndruck& d)
    : m_(m), d_(d), form_("Mahnvorschlagsliste") {
  m.ui().Balken_Oeffnen("Liste wird erzeugt ...", 1);
  ops_ = mahnauswahl(m, d.auswahl);
  m.ui().Balken_Schliessen();
  markiert_.assign(ops_.size(), true);
  form_.AddString(f_anzahl, "Offene Posten", std::to_string(ops_.size()), 10);
  form_.ProtectControl(f_anzahl);
  TEntryForm::Tabelle t;
  t.spalten = {"X", "Konto Belegnr    Fällig         Offen  MS Mahndatum"};
  t.zeilen = [this] { return static_cast<int>(ops_.size()); };
  t.zelle = [this](int z, int s) -> std::string {
    const auto i = static_cast<std::size_t>(z);
    return s == 0 ? (markiert_[i] ? "X" : "") : vorschlagszeile(ops_[i]);
  };
  t.setzen = [this](int z, int s, const std::string& text) {
    if (s != 0) return false;
    markiert_[static_cast<std::size_t>(z)] = !trim(text).empty();
    return true;
  };
  form_.setze_tabelle(std::move(t));
  // The item maintenance on an item of the list, chosen from it; what is
  // changed there is shown here afterwards.
  form_.AddKey(Taste::Keine, "OP-&Stamm", [this](TEntryForm& f) {
    std::vector<Browsereintrag> zeilen;
    for (std::size_t i = 0; i < ops_.size(); ++i)
      zeilen.push_back({std::to_string(100000 + i), vorschlagszeile(ops_[i])});
    Zeilenbrowser liste("Mahnvorschlagsliste", std::move(zeilen),
                        "Konto Belegnr    Fällig         Offen  MS Mahndatum");
    const auto gewaehlt = winpicklist(f.ui(), liste);
    if (!gewaehlt) return Reaktion::Weiter;
    const std::size_t i = static_cast<std::size_t>(std::stol(gewaehlt->schluessel) - 100000);
    const std::string beleg = trim(ops_[i].get(O::Belegnummer));
    TFOPStamm stamm(m_, false);
    if (stamm.form().eingabe(TFOPStamm::f_belegnr, beleg) &&
        stamm.form().verlassen(TFOPStamm::f_belegnr))
      (void)stamm.ausfuehren();
    Puffer po(m_.opstamm.get());
    if (m_.opstamm->suchen("D" + beleg)) ops_[i] = m_.opstamm->satz();
    return Reaktion::Weiter;
  });
  form_.AddKey(Taste::Keine, "&Mahnen alle", [this](TEntryForm&) { return mahnen(true); });
  form_.AddKey(Taste::Keine, "Mahnen &OP", [this](TEntryForm&) { return mahnen(false); });
  form_.AddKey(Taste::Keine, "Mark. &alle", [this](TEntryForm&) {
    markiert_.assign(ops_.size(), true);
    return Reaktion::Weiter;
  });
  form_.AddKey(Taste::Keine, "Mark. &keine", [this](TEntryForm&) {
    markiert_.assign(ops_.size(), false);
    return Reaktion::Weiter;
  });
  form_.AddKey(Taste::Keine, "&Drucken", [this](TEntryForm&) {
    (void)drucken();
    return Reaktion::Weiter;
  });
  form_.FrageDatenSpeichern(false);
}

Reaktion TFMahnvorschlag::mahnen(bool alle) {
  std::vector<Satz> ops;
  for (std::size_t i = 0; i < ops_.size(); ++i)
    if (alle || markiert_[i]) ops.push_back(ops_[i]);
  gemahnt_ = briefe_drucken(m_, ops, mahnbriefe(ops, d_.zusammenfassen), d_);
  return Reaktion::Speichern;
}

bool TFMahnvorschlag::drucken() {
  constexpr int breite = 79;
  Ausgabe3 a(m_.ui());
  if (!a.open_drucker("Mahnvorschlagsliste")) return false;
  a.setze_breite(breite);
  const Seitenkopf kopf = seitenkopf(m_, "Mahnvorschlagsliste", breite);
  const auto anfang = [kopf](Ausgabe3& x) {
    drucke_seitenkopf(x, kopf);
    x.druckeln("Konto Belegnr    Fällig         Offen  MS Mahndatum");
    x.druckeln(std::string(breite, '-'));
  };
  a.kopf_bei_umbruch(anfang);
  anfang(a);
  for (std::size_t i = 0; i < ops_.size(); ++i)
    a.druckeln((markiert_[i] ? "X " : "  ") + vorschlagszeile(ops_[i]));
  a.close_drucker();
  return true;
}

bool TFMahnvorschlag::ausfuehren() {
  if (ops_.empty()) {
    m_.ui().ShowMessageMain("Keine OP gefunden!");
    return true;
  }
  return form_.Execute(m_.ui()) && gemahnt_;
}

}  // namespace fibu
