#include "closing/buchungspruefung.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "frame/mandant.h"
#include "posting/buchen.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/betrag.h"
#include "suite/fortschritt.h"

namespace fibu {

namespace {

using B = BuchungFelder;
using BF = BasisFelder;
using S = SachFelder;
using P = PersonenFelder;
using O = OpstammFelder;

constexpr int protokollbreite = 79;
// Bookings taken out of the copies per unit of work: the item pages a unit
// holds dirty stay bounded (at most one page per booking), and an item page
// the bookings of a stretch keep touching is committed once for all of them.
constexpr long buchungen_je_einheit = 50000;
// Many postings into the copies as units of work of the data directory:
// rolled back when the run is left without ende().
class Sammeleinheit {
 public:
  explicit Sammeleinheit(isam::IsamVerzeichnis& v) : v_(v) { beginnen(); }
  ~Sammeleinheit() {
    if (laeuft_) v_.verwerfe();
  }
  Sammeleinheit(const Sammeleinheit&) = delete;
  Sammeleinheit& operator=(const Sammeleinheit&) = delete;

  [[nodiscard]] bool ok() const { return laeuft_ && !v_.vergiftet(); }
  [[nodiscard]] bool zwischenstand() { return ende() && beginnen(); }
  [[nodiscard]] bool ende() {
    if (!laeuft_) return false;
    laeuft_ = false;
    if (v_.vergiftet()) {
      v_.verwerfe();
      return false;
    }
    return v_.bestaetige() == isam::isam_ok;
  }

 private:
  bool beginnen() {
    laeuft_ = v_.beginne() == isam::isam_ok;
    return laeuft_;
  }
  isam::IsamVerzeichnis& v_;
  bool laeuft_ = false;
};

// The booking file in the whole-file view (numbers are record numbers) and,
// while the copies are posted, in the balance-only mode; its working
// booking and both switches are given back on leaving.
class Buchungsmodus {
 public:
  Buchungsmodus(tdbbuchung_datenbank& bu, bool nur_salden)
      : bu_(bu), puffer_(&bu), sicht_(bu.offene_sicht), salden_(bu.nur_salden) {
    bu_.offene_sicht = false;
    bu_.nur_salden = nur_salden;
  }
  ~Buchungsmodus() {
    bu_.offene_sicht = sicht_;
    bu_.nur_salden = salden_;
  }
  Buchungsmodus(const Buchungsmodus&) = delete;
  Buchungsmodus& operator=(const Buchungsmodus&) = delete;

 private:
  tdbbuchung_datenbank& bu_;
  Puffer puffer_;
  bool sicht_, salden_;
};

// The copies P_SACH, P_PERS and P_OP of SACH, PERSONEN and OPSTAMM. While
// they live, the client's file objects are the copies; leaving (also by an
// exception) switches the real files back in before the copies are closed
// and deleted, so that nothing posted afterwards can land in a copy.
class Kopien {
 public:
  explicit Kopien(Mandant& m) : m_(m) {}
  ~Kopien() {
    try {
      zurueck();
    } catch (...) {
      // Switched back already; a copy left behind is made anew next time.
    }
  }
  Kopien(const Kopien&) = delete;
  Kopien& operator=(const Kopien&) = delete;

  // Copies the three files, opens the copies and switches them in; the name
  // of the file whose copy failed, nullopt when all are in place.
  std::optional<std::string> anlegen(Fortschritt& f) {
    auto& v = m_.verzeichnis();
    if (!m_.opstamm->offen()) m_.opstamm->oeffnen();
    // Files made outside a unit of work: no journal of earlier units may
    // be replayed onto them.
    if (v.generation_erhoehen() != isam::isam_ok) return m_.sach->name();
    const struct {
      const char* text;
      tdatenbank* original;
      const char* kopie;
    } dateien[] = {{"Kopiere DB-Sachkonto", m_.sach.get(), "P_SACH"},
                   {"Kopiere DB-Personenkonto", m_.personen.get(), "P_PERS"},
                   {"Kopiere DB-OP", m_.opstamm.get(), "P_OP"}};
    for (const auto& d : dateien) {
      f.text(d.text);
      if (!kopieren(*d.original, d.kopie)) return d.original->name();
    }
    Mandantenbezug bezug{&m_.basis, [this] { (void)m_.schreibe_basis(); }, &m_.archivanzahl};
    sach_ = std::make_unique<tdbsach_datenbank>(m_.ui(), v, bezug, "P_SACH");
    personen_ = std::make_unique<tdbperson_datenbank>(m_.ui(), v, bezug, "P_PERS");
    opstamm_ = std::make_unique<tdbopstamm_datenbank>(m_.ui(), v, bezug, personen_.get(), "P_OP");
    for (tdatenbank* db :
         {static_cast<tdatenbank*>(sach_.get()), static_cast<tdatenbank*>(personen_.get()),
          static_cast<tdatenbank*>(opstamm_.get())}) {
      db->oeffnen();
      if (!db->offen() || db->angelegt()) return db->name();
    }
    tauschen();
    return std::nullopt;
  }

 private:
  static constexpr const char* namen[] = {"P_SACH", "P_PERS", "P_OP"};

  bool kopieren(tdatenbank& original, const std::string& kopie) {
    auto& v = m_.verzeichnis();
    Leselauf lauf(&original);  // no other workstation changes it meanwhile
    for (const std::string& ext : {v.DatExtension, v.IxExtension}) {
      auto von = v.fs().finde_datei(v.pfad(), original.name() + "." + ext);
      if (!von || !v.fs().kopiere_datei(*von, v.datei_pfad(kopie + "." + ext))) return false;
    }
    return true;
  }

  void tauschen() {
    std::swap(m_.sach, sach_);
    std::swap(m_.personen, personen_);
    std::swap(m_.opstamm, opstamm_);
    getauscht_ = !getauscht_;
  }

  void zurueck() {
    if (getauscht_) tauschen();
    sach_.reset();
    opstamm_.reset();
    personen_.reset();
    auto& v = m_.verzeichnis();
    auto& fs = v.fs();
    (void)v.generation_erhoehen();  // as before any file is deleted
    for (const char* name : namen)
      for (const std::string& ext : {v.DatExtension, v.IxExtension})
        if (auto pfad = fs.finde_datei(v.pfad(), std::string(name) + "." + ext))
          (void)fs.loeschen(*pfad);  // a copy left behind is overwritten next time
    (void)fs.verzeichnis_sync(v.pfad());
  }

  Mandant& m_;
  std::unique_ptr<tdbsach_datenbank> sach_;
  std::unique_ptr<tdbperson_datenbank> personen_;
  std::unique_ptr<tdbopstamm_datenbank> opstamm_;
  bool getauscht_ = false;
};

// The copies locked for a run over them, so that their operations do not
// each take and free the lock.
class Kopiensperre {
 public:
  explicit Kopiensperre(Mandant& m) {
    for (tdatenbank* db :
         {static_cast<tdatenbank*>(m.sach.get()), static_cast<tdatenbank*>(m.personen.get()),
          static_cast<tdatenbank*>(m.opstamm.get())})
      if (db->offen() && !db->datei().FileBlockIsLocked() && db->datei().LockFileBlock())
        gesperrt_.push_back(db);
  }
  ~Kopiensperre() {
    for (tdatenbank* db : gesperrt_) (void)db->datei().UnLockFileBlock();  // not refused
  }
  Kopiensperre(const Kopiensperre&) = delete;
  Kopiensperre& operator=(const Kopiensperre&) = delete;

 private:
  std::vector<tdatenbank*> gesperrt_;
};

// Steps through a file in the order of key 1, handing each key and record
// to `nimm`. Answers false when Esc stopped it; a walk that ended early for
// another reason sets `unvollstaendig`.
bool jeder_satz(tdatenbank& db, Fortschritt& f, const std::string& praefix,
                const std::function<void(const std::string& key, const Satz& satz)>& nimm,
                bool& unvollstaendig) {
  Leselauf lauf(&db);
  auto& fb = db.datei();
  fb.ClearKey(1);
  std::uint32_t ref = 0;
  std::string key;
  Satz s(db.satzgroesse());
  while (fb.NextNetKey(1, ref, key)) {
    if (!f.schritt([&] { return praefix + key; })) return false;
    if (!fb.GetNetRec(ref, s.bytes().data())) {
      unvollstaendig = true;
      return true;
    }
    nimm(key, s);
  }
  if (fb.IsamError != isam::fehler_indexende && fb.IsamError != isam::isam_ok)
    unvollstaendig = true;
  return true;
}

// The protocol of a run with its error flag, and the balance of the
// documents, which both checks follow.
class Protokoll {
 public:
  explicit Protokoll(Mandant& m) : m_(m), d_(m.ui()) {}

  bool oeffnen(const std::string& hinweis, const std::string& titel,
               const std::string& untertitel) {
    if (!d_.open_drucker_hinweis(hinweis, titel)) return false;
    d_.setze_breite(protokollbreite);
    d_.setze_seitennummer(1);
    Seitenkopf kopf = seitenkopf(m_, titel, protokollbreite);
    kopf.untertitel = untertitel;
    d_.kopf_bei_umbruch([kopf](Ausgabe3& a) { drucke_seitenkopf(a, kopf); });
    drucke_seitenkopf(d_, kopf);
    d_.schmal();
    d_.druckeln("Beginn der Buchungsprüfung ...");
    return true;
  }

  void schliessen() {
    d_.druckeln("Ende der Buchungsprüfung!");
    d_.schmal(false);
    d_.close_drucker();
  }

  void fehler(const std::string& text) {
    d_.druckeln(text);
    fehler_ = true;
  }
  void hinweis(const std::string& text) { d_.druckeln(text); }
  [[nodiscard]] bool fehlerfrei() const { return !fehler_; }

  // A booking's row in the open-bookings view, right-aligned, and ": ".
  std::string zeile(std::int64_t n) const {
    return rechtsbuendig(std::to_string(n - m_.archivanzahl), 6) + ": ";
  }

  // The balance of the current document: a line whose date or type differs
  // from the document's first line is reported once per document.
  void beleg(std::int64_t n, const Satz& b) {
    const Datum datum = b.get(B::Datum);
    const char art = buchungsart(b);
    if (beleg_.summe == 0) {
      beleg_.datum = datum;
      beleg_.art = art;
      beleg_.datum_gemeldet = beleg_.art_gemeldet = false;
    } else {
      if (datum != beleg_.datum && !beleg_.datum_gemeldet) {
        fehler(zeile(n) + "Fehler: Datum stimmt nicht mit voriger Buchung überein!");
        fehler(space(8) +
               "Hinweis: Buchungen, die zu einem Buchungsvorgang gehören müssen das gleiche "
               "Datum haben.");
        beleg_.datum_gemeldet = true;
      }
      if (art != beleg_.art && !beleg_.art_gemeldet) {
        fehler(zeile(n) + "Fehler: Art der Buchung stimmt nicht mit voriger Buchung überein!");
        fehler(space(8) +
               "Hinweis: Buchungen, die zu einem Buchungsvorgang gehören müssen die gleiche "
               "Buchungsart haben.");
        beleg_.art_gemeldet = true;
      }
    }
    const Betrag brutto = b.get(B::Betrag) + b.get(B::Steuerbetrag);
    beleg_.summe += ist_soll(b) ? -brutto : brutto;
    if (beleg_.summe == 0) {
      beleg_.ausgeglichen_bei = n;
      beleg_.datum_gemeldet = beleg_.art_gemeldet = false;
    }
  }

  // A document left open at the end: from where to look for it.
  void saldenfehler() {
    if (beleg_.summe == 0) return;
    fehler("Soll und Haben stimmen nicht überein!");
    fehler("Saldenfehler ab Zeile " +
           std::to_string(beleg_.ausgeglichen_bei + 1 - m_.archivanzahl) + "!");
    fehler(
        "Bitte drucken Sie ein Prüfjournal aus. Buchungen, die zu einem Buchungsvorgang gehören "
        "müssen");
    fehler(
        "untereinander stehen und sind durch Leerzeilen von anderen Buchungsvorgängen getrennt.");
    fehler(
        "Wenn jedoch sehr viele Buchungen ab einer Zeile als Block ausgegeben werden, dann ist "
        "dies");
    fehler("der Bereich der Buchungen, in dem der Saldenfehler auftritt!");
  }

 private:
  struct Belegstand {
    Betrag summe = 0;  // cents, since the sum was last zero
    Datum datum = kein_datum;
    char art = 0;
    std::int64_t ausgeglichen_bei = 0;  // booking number where it was last zero
    bool datum_gemeldet = false, art_gemeldet = false;
  };

  Mandant& m_;
  Ausgabe3 d_;
  bool fehler_ = false;
  Belegstand beleg_;
};

std::string periodentext(int periode, int anzahl) {
  return periode == 0 ? "Periode: 1-" + std::to_string(anzahl)
                      : "Periode: " + std::to_string(periode);
}

// One run of the booking check over period p (0: the whole year).
class Buchungspruefung {
 public:
  Buchungspruefung(Mandant& m, int periode, bool hinweise)
      : m_(m), basis_(m.basis), p_(m), periode_(periode), hinweise_(hinweise) {
    const int anzahl = std::clamp<int>(basis_.get(BF::AnzahlPerioden), 1, 12);
    von_periode_ = periode == 0 ? 1 : periode;
    bis_periode_ = periode == 0 ? anzahl : periode;
    if (von_periode_ >= 1 && bis_periode_ <= 12) {
      von_ = basis_.get(BF::periode_von(von_periode_));
      bis_ = basis_.get(BF::periode_bis(bis_periode_));
    }
  }

  bool ausfuehren() {
    const int anzahl = basis_.get(BF::AnzahlPerioden);
    if (!p_.oeffnen("", "Buchungsprüfung", periodentext(periode_, anzahl))) return false;
    Buchungsmodus modus(*m_.buchung, false);
    Fortschritt f(m_.ui());
    {
      f.oeffnen("Prüfen der Buchungen", 3);
      Kopien kopien(m_);
      if (auto datei = kopien.anlegen(f)) {
        f.schliessen();
        m_.ui().ShowMessageMain("Die Datei " + *datei +
                                " konnte für die Buchungsprüfung nicht kopiert werden!");
        return false;
      }
      if (!op_summen(f) || !zuruecknehmen(f) || !salden(f)) return false;
    }
    p_.saldenfehler();
    if (!op_stimmt_)
      p_.fehler(
          "Die offenen OP-Beträge stimmen nicht mit den Saldi der "
          "Forderungs-/Verbindlichkeitskonten überein!");
    if (!kassen(f) || !doppelte(f)) return false;
    f.schliessen();
    p_.schliessen();
    (void)m_.schreibe_basis();  // a failed write has shown its message
    return p_.fehlerfrei();
  }

 private:
  bool im_zeitraum(const Satz& b) const {
    const Datum d = b.get(B::Datum);
    return d >= von_ && d <= bis_;
  }

  void unlesbar(const tdatenbank& db) {
    p_.fehler("Die Datei " + db.name() + " konnte nicht vollständig gelesen werden!");
  }

  // Step 3: the open amounts of the items against the balances of the
  // collective accounts, customers and suppliers apart.
  bool op_summen(Fortschritt& f) {
    f.oeffnen("Prüfen der OP", static_cast<long>(m_.opstamm->anzahl_saetze()));
    Betrag debitoren = 0, kreditoren = 0;
    bool unvollstaendig = false;
    if (!jeder_satz(
            *m_.opstamm, f, "OP: ",
            [&](const std::string&, const Satz& op) {
              (ist_debitor(basis_, op.get(O::Kontonummer)) ? debitoren : kreditoren) +=
                  op.get(O::NochOffen);
            },
            unvollstaendig))
      return false;
    if (unvollstaendig) unlesbar(*m_.opstamm);
    const Betrag forderungen = sammelsumme(&BF::forderungskonto);
    const Betrag verbindlichkeiten = sammelsumme(&BF::verbindlichkeitskonto);
    if (forderungen != debitoren) {
      p_.hinweis("Debitoren");
      p_.hinweis("Summe der Forderungskonten       : " + betrag_text(forderungen));
      p_.hinweis("Summe OP-Werte                   : " + betrag_text(debitoren));
    }
    if (verbindlichkeiten != kreditoren) {
      p_.hinweis("Kreditoren");
      p_.hinweis("Summe der Verbindlichkeitskonten : " + betrag_text(verbindlichkeiten));
      p_.hinweis("Summe OP-Werte                   : " + betrag_text(kreditoren));
    }
    op_stimmt_ = forderungen == debitoren && verbindlichkeiten == kreditoren && !unvollstaendig;
    return true;
  }

  // The balances of the 40 collective accounts of one side; an account the
  // table names twice counts once, a missing one adds nothing.
  Betrag sammelsumme(ZahlFeld<std::int32_t> (*feld)(int)) {
    std::set<std::int32_t> konten;
    for (int i = 1; i <= 40; ++i)
      if (std::int32_t nr = basis_.get(feld(i)); nr != 0) konten.insert(nr);
    Betrag summe = 0;
    Puffer puffer(m_.sach.get());
    for (std::int32_t nr : konten)
      if (m_.sach->suchen(sachkonto_text(basis_, nr))) summe += m_.sach->satz().get(S::Saldo);
    return summe;
  }

  // Step 4: every booking is taken back out of the copies; those of the
  // period are checked first.
  bool zuruecknehmen(Fortschritt& f) {
    auto& bu = *m_.buchung;
    Buchungsmodus modus(bu, true);
    Buchungskern kern(m_);
    // Nothing but this run writes the copies: their accounts stay in memory
    // until every booking is out, and the files stay locked meanwhile.
    kern.konten_halten();
    // One period's check looks at that period's totals alone.
    if (periode_ != 0) kern.konten_nur_perioden(von_periode_, bis_periode_);
    Kopiensperre sperre(m_);
    const std::int64_t anzahl = bu.anzahl_buchungen();
    f.oeffnen("Prüfen der Buchungen ...", static_cast<long>(anzahl));
    Sammeleinheit einheit(m_.verzeichnis());
    bool abbruch = false, gestoert = !einheit.ok();
    long in_einheit = 0;
    const bool gelesen =
        gestoert || bu.buchungen_lesen(1, anzahl, [&](std::int64_t n, const Satz& b) {
          if (!f.schritt()) {
            abbruch = true;
            return false;
          }
          if (bu.satz_ist_leer(b)) return true;
          if (im_zeitraum(b)) {
            pruefen(kern, n, b);
            p_.beleg(n, b);
            steuerkonten(n, b);
          }
          if (!zuruecknehmen(kern, n, b) ||
              (++in_einheit % buchungen_je_einheit == 0 && !einheit.zwischenstand())) {
            gestoert = true;
            return false;
          }
          return true;
        });
    if (abbruch) return false;
    if (gestoert || !gelesen || !kern.konten_ablegen() || !einheit.ende()) {
      f.schliessen();
      m_.ui().ShowMessageMain(
          "Die Buchungsprüfung wurde abgebrochen: die Buchungen konnten nicht gelesen oder in "
          "die Kopien gebucht werden!");
      return false;
    }
    return true;
  }

  // Step 4.1: the posting check; an item that exists already and the
  // document-number interval count as passed.
  void pruefen(Buchungskern& kern, std::int64_t n, const Satz& b) {
    Satz probe = b;
    const int code = kern.buchung_pruefen(probe, false, true);
    if (code == 0 || code == 5 || code == 6) return;
    if (code == 8 || code == 10) {
      if (hinweise_) p_.hinweis(p_.zeile(n) + "Hinweis: " + pruef_text(code));
      return;
    }
    p_.fehler(p_.zeile(n) + "Fehler: " + pruef_text(code));
  }

  // Step 4.3: revenue and input-VAT accounts against their tax accounts.
  void steuerkonten(std::int64_t n, const Satz& b) {
    const std::string konto = b.get(B::Konto);
    if (!ist_sachkonto(basis_, konto)) return;
    auto& sach = *m_.sach;
    if (!sach.suchen(sachkonto_text(basis_, kontowert(konto)))) return;
    const int art = sach.satz().get(S::Kontenart);
    const auto gelesen = steuerschluessel_von(b);
    const int schluessel = gelesen ? *gelesen : -1;
    if (art == 3 && schluessel != sach.satz().get(S::Steuerschluessel)) {
      p_.hinweis(p_.zeile(n) +
                 "Steuerschlüssel der Buchung entspricht nicht dem Steuerschlüssel des");
      p_.hinweis(space(8) + "Erlöskontos \"" + trim(konto) +
                 "\", die Steueranmeldung kann Differenzen ausweisen!");
    }
    if ((art != 3 && art != 4) || schluessel < 1 || schluessel > 40) return;
    const std::string steuerkonto = sachkonto_text(basis_, basis_.get(BF::steuerkonto(schluessel)));
    if (!sach.suchen(steuerkonto)) return;
    const int soll = art == 3 ? 2 : 4;
    if (sach.satz().get(S::Kontenart) != soll)
      p_.fehler(p_.zeile(n) + "Fehler: Kontenart des Steuerkontos " + steuerkonto + " ist nicht " +
                (art == 3 ? "M" : "V") + "!");
  }

  // Step 4.4: the booking with its gross amount negated, posted in the
  // balance-only mode into the copies, and its item or payment taken back.
  bool zuruecknehmen(Buchungskern& kern, std::int64_t n, const Satz& b) {
    auto& bu = *m_.buchung;
    if (ist_zahlung(basis_, b)) {
      // Only the item's account is looked at: read as stored.
      auto& fb = m_.opstamm->datei();
      std::uint32_t ref = 0;
      if (!fb.FindNetKey(1, ref, op_schluessel(basis_, b)) ||
          !fb.GetNetRec(ref, op_satz_.bytes().data()))
        p_.hinweis(p_.zeile(n) + "Fehler: OP zu Belegnummer \"" + trim(b.get(B::Belegnr)) +
                   "\" nicht gefunden!");
      else if (trim(op_satz_.get(O::Kontonummer)) != trim(b.get(B::Konto)))
        p_.hinweis(p_.zeile(n) + "Fehler: Konto paßt nicht zu OP!");
    }
    Satz& w = bu.satz();
    w = b;
    w.set(B::Betrag, -(b.get(B::Betrag) + b.get(B::Steuerbetrag)));
    w.set(B::Steuerbetrag, Betrag{0});
    if (!kern.buchung_schreiben(n)) return false;
    // An item is built the way the engine builds it: the negated line
    // takes it back to zero (together with the item's other lines).
    const Satz geschrieben = w;
    return !eroeffnet_op(basis_, geschrieben) || kern.op_buchen(geschrieben);
  }

  // Step 5: every account and item of the copies must be back at zero.
  bool salden(Fortschritt& f) {
    auto totale = [&](const Satz& s, auto soll, auto haben) {
      for (int q = von_periode_; q <= bis_periode_ && q <= 12; ++q)
        if (s.get(soll(q)) != 0 || s.get(haben(q)) != 0) return true;
      return false;
    };
    // The whole year also needs every balance back at zero; one period's
    // check took only that period's bookings out of the accounts.
    auto saldo_falsch = [&](Betrag saldo) { return periode_ == 0 && saldo != 0; };
    bool unvollstaendig = false;
    f.oeffnen("Prüfen der Saldenwerte", static_cast<long>(m_.sach->anzahl_saetze()));
    if (!jeder_satz(
            *m_.sach, f, "Sach: ",
            [&](const std::string& key, const Satz& s) {
              if (s.get(S::Eroeffnungssaldo) != 0)
                p_.fehler("Fehler: Eröffnungssaldo des Sachkontos " + key + " ist falsch!");
              if (saldo_falsch(s.get(S::Saldo)) || totale(s, &S::soll, &S::haben))
                p_.fehler("Fehler: Saldo des Sachkontos " + key + " ist falsch!");
            },
            unvollstaendig))
      return false;
    if (unvollstaendig) unlesbar(*m_.sach);
    unvollstaendig = false;
    f.oeffnen("Prüfen der Saldenwerte", static_cast<long>(m_.personen->anzahl_saetze()));
    if (!jeder_satz(
            *m_.personen, f, "Person: ",
            [&](const std::string& key, const Satz& s) {
              if (s.get(P::Eroeffnungssaldo) != 0)
                p_.fehler("Fehler: Eröffnungssaldo des Personenkontos " + key + " ist falsch!");
              if (saldo_falsch(s.get(P::Saldo)) || totale(s, &P::soll, &P::haben))
                p_.fehler("Fehler: Saldo des Personenkontos " + key + " ist falsch!");
            },
            unvollstaendig))
      return false;
    if (unvollstaendig) unlesbar(*m_.personen);
    unvollstaendig = false;
    f.oeffnen("Prüfen der Saldenwerte", static_cast<long>(m_.opstamm->anzahl_saetze()));
    if (!jeder_satz(
            *m_.opstamm, f, "OP: ",
            [&](const std::string& key, const Satz& op) {
              if (op.get(O::Betrag) != 0 || op.get(O::NochOffen) != 0)
                p_.fehler("Fehler: Werte des OP " + key + " sind falsch!");
            },
            unvollstaendig))
      return false;
    if (unvollstaendig) unlesbar(*m_.opstamm);
    return true;
  }

  // Step 9: the balance of each cash account at the end of every day.
  bool kassen(Fortschritt& f) {
    f.oeffnen("Prüfen der Kassenkonten", static_cast<long>(m_.sach->anzahl_saetze()));
    bool unvollstaendig = false;
    std::vector<std::pair<std::string, Betrag>> kassen;  // a handful of accounts
    if (!jeder_satz(
            *m_.sach, f, "",
            [&](const std::string& key, const Satz& s) {
              if (s.get(S::Kontenart) == 1) kassen.emplace_back(key, s.get(S::Eroeffnungssaldo));
            },
            unvollstaendig))
      return false;
    if (unvollstaendig) unlesbar(*m_.sach);
    for (const auto& [konto, eroeffnung] : kassen) {
      if (m_.ui().EscPressed()) return false;
      Betrag saldo = eroeffnung;
      Datum tag = kein_datum;
      bool negativ = false;
      const long gelesen = m_.buchung->buchungen_des_kontos(
          kontowert(konto), kein_datum, 65535, [&](std::uint32_t, const Satz& b) {
            const int periode = b.get(B::Periode);
            // Opening bookings are in the opening balance already.
            if (periode < 1 || periode > 12 || buchungsart(b) == 'E') return true;
            if (b.get(B::Datum) != tag) {
              negativ = saldo < 0;
              tag = b.get(B::Datum);
            }
            saldo += vorzeichenbetrag(b);
            return !negativ;
          });
      if (gelesen < 0) unlesbar(*m_.buchung);
      if (negativ || saldo < 0)
        p_.hinweis("Saldo des Kassenkontos " + konto +
                   " ist an einem Tag kleiner Null! Bitte Kontoauszug einzeln drucken!");
    }
    return true;
  }

  // Step 10: invoices and credit notes entered twice, found as neighbours
  // in the booking index by document.
  bool doppelte(Fortschritt& f) {
    auto& bu = *m_.buchung;
    f.oeffnen("Prüfen auf doppelte Buchungen", static_cast<long>(bu.anzahl_buchungen()));
    Leselauf lauf(&bu);
    auto& fb = bu.datei();
    bool kopf = false;
    auto zeile = [&](std::int64_t n, const Satz& b) {
      const char art = buchungsart(b);
      return rechtsbuendig(std::to_string(n - m_.archivanzahl), 8) + "  " +
             std::string(1, art ? art : ' ') + " " + rechtsbuendig(trim(b.get(B::Konto)), 8) +
             "  " + rechtsbuendig(trim(b.get(B::Belegnr)), 7) + "  " +
             DateToDateString("dd.mm.yyyy", b.get(B::Datum)) + "  " +
             rechtsbuendig(format_maske(b.get(B::Betrag), 2, "#########,##"), 12);
    };
    auto gleich = [&](const Satz& a, const Satz& b) {
      return eroeffnet_op(basis_, a) && eroeffnet_op(basis_, b) &&
             trim(a.get(B::Belegnr)) == trim(b.get(B::Belegnr)) &&
             buchungsart(a) == buchungsart(b) && trim(a.get(B::Konto)) == trim(b.get(B::Konto));
    };
    for (const char kennung : {'D', 'K'}) {
      const std::string titel = kennung == 'D' ? "Debitor: " : "Kreditor: ";
      // The booking before in the walk, read only when its key repeats.
      std::string voriger_key;
      std::uint32_t voriger_ref = 0;
      std::optional<Satz> vorige;
      std::string k(1, kennung);
      std::uint32_t ref = 0;
      for (bool ok = fb.SearchNetKey(4, ref, k); ok && !k.empty() && k[0] == kennung;
           ok = fb.NextNetKey(4, ref, k)) {
        if (!f.schritt([&] { return titel + trim(k.substr(1)); })) return false;
        if (voriger_ref != 0 && k == voriger_key) {
          Satz jetzt(B::groesse);
          if (!vorige) {
            vorige.emplace(B::groesse);
            if (!bu.buchung_lesen_in(voriger_ref, *vorige)) vorige->leeren();
          }
          if (!bu.buchung_lesen_in(ref, jetzt)) jetzt.leeren();
          if (gleich(jetzt, *vorige)) {
            if (!kopf) {
              p_.hinweis("Prüfen auf doppelte Rechnungen/Gutschriften:");
              p_.hinweis("   Zeile  A    Konto  Belegnr    Datum           Betrag");
              p_.hinweis(std::string(55, '-'));
              kopf = true;
            }
            p_.hinweis(zeile(ref, jetzt));
            p_.hinweis(zeile(voriger_ref, *vorige));
            p_.hinweis("");
          }
          vorige = std::move(jetzt);
        } else {
          vorige.reset();
        }
        voriger_key = k;
        voriger_ref = ref;
      }
    }
    return true;
  }

  Mandant& m_;
  const Satz& basis_;
  Protokoll p_;
  int periode_;
  bool hinweise_;
  int von_periode_ = 1, bis_periode_ = 0;
  Datum von_ = 1, bis_ = 0;  // the period's days; an unknown period has none
  bool op_stimmt_ = true;
  Satz op_satz_{O::groesse};  // the item of a payment being taken back
};

}  // namespace

bool buchungspruefung(Mandant& m, int periode) {
  bool hinweise = true;
  if (periode == -1) {
    TFBuchungspruefung dialog(m);
    if (!dialog.ausfuehren()) return false;
    periode = dialog.periode();
    hinweise = dialog.hinweise();
  }
  return Buchungspruefung(m, periode, hinweise).ausfuehren();
}

bool datum_saldenpruefung(Mandant& m) {
  Protokoll p(m);
  if (!p.oeffnen("Protokoll einer Buchungsprüfung für Datum und Saldenfehler.",
                 "Buchungsprüfung Datum und Saldenfehler", ""))
    return false;
  auto& bu = *m.buchung;
  Buchungsmodus modus(bu, false);
  Fortschritt f(m.ui());
  const std::int64_t anzahl = bu.anzahl_buchungen();
  f.oeffnen("Prüfen der Buchungen ...", static_cast<long>(anzahl));
  bool abbruch = false;
  const bool gelesen = bu.buchungen_lesen(1, anzahl, [&](std::int64_t n, const Satz& b) {
    if (!f.schritt()) {
      abbruch = true;
      return false;
    }
    if (!bu.satz_ist_leer(b)) p.beleg(n, b);
    return true;
  });
  if (abbruch) return false;
  if (!gelesen) p.fehler("Die Datei BUCHUNG.DA1 konnte nicht vollständig gelesen werden!");
  p.saldenfehler();
  f.schliessen();
  p.schliessen();
  return p.fehlerfrei();
}

TFBuchungspruefung::TFBuchungspruefung(Mandant& m) : m_(m), form_("Selektion Buchungsprüfung") {
  const int aktuell = m.basis.get(BF::AktuellePeriode);
  const int anzahl = m.basis.get(BF::AnzahlPerioden);
  // A fiscal year closed completely: the whole year.
  const int vorgabe = aktuell >= 1 && aktuell <= anzahl ? aktuell : 0;
  form_.AddByte(1, "Periode", static_cast<std::uint8_t>(vorgabe), 0, 12);
  form_.AddYesNo(2, "Hinweismeldung anzeigen", true);
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Ok");  // Esc starts the check, as it saves elsewhere
  form_.AddKey(Taste::Keine, "&Abbruch", [](TEntryForm&) { return Reaktion::Abbrechen; });
  // There is no help text to show: the dialog stays open.
  form_.AddKey(Taste::Keine, "&Hilfe", [](TEntryForm&) { return Reaktion::Weiter; });
}

bool TFBuchungspruefung::ausfuehren() {
  return form_.Execute(m_.ui());
}

}  // namespace fibu
