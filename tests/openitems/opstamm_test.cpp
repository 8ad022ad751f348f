// Open-item maintenance played as the user on small books: choosing an
// item by number and from the pick lists, the messages for wrong numbers
// and items of the other kind, editing and saving with the record lock,
// closing with unsaved changes, paging across the kinds, Diverse items,
// the read-only view, the payment lines, and pick lists that open without
// reading the file.
#include "openitems/opstamm.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "opbuchhaltung.h"
#include "suite/numkeys.h"

namespace fibu {
namespace {

using O = OpstammFelder;
using P = PersonenFelder;
using F = Formularschritt;
using T = TFOPStamm;
using Texte = std::vector<std::string>;

Datum tag(int t, int m) {
  return DMYtoDate(t, m, 2024);
}

// Customer items D100 (invoice, two payments) and D101 (credit note),
// supplier items K100 and K200: one number in both kinds.
struct Buecher : OpBuchhaltung {
  Buecher() {
    rechnung("10001", "100", 11600, tag(10, 1));
    zahlung("10001", "100", 5000, tag(20, 2));
    zahlung("10001", "100", 1600, tag(5, 2));
    gutschrift("10002", "101", 2500, tag(3, 3));
    rechnung("70001", "100", 23200, tag(15, 1));
    rechnung("70002", "200", 5800, tag(16, 1));
  }
  TestInteraktion& ui() { return t.ui; }
  // Whether a screen of another workstation could take the item now.
  bool frei(const std::string& key) { return TFOPStamm(m(), key[0] == 'K').laden(key); }
  bool protokoll_hat(const std::string& zeile) {
    const auto& p = ui().protokoll();
    return std::find(p.begin(), p.end(), zeile) != p.end();
  }
};

TEST(OpStamm, BelegnummerAndereArtUndKopf) {
  Buecher b;
  TFOPStamm d(b.m(), false);
  EXPECT_EQ(d.form().titel(), "Offene Posten pflegen - Debitoren");
  b.ui().formular_skript({
      F::tippe("Belegnummer", "", false),
      F::tippe("Belegnummer", "999", false),
      F::tippe("Belegnummer", "200", false),  // only a supplier's item
      F::tippe("Belegnummer", "12345678", false),
      F::tippe("Belegnummer", " 100 "),
      F::tippe("Belegnummer", "101", false),  // fixed while the item is in edit
      F::druecke(Taste::F2),                  // no list either
      F::druecke(Taste::F3),
      F::druecke(Taste::Esc),
  });
  EXPECT_TRUE(d.ausfuehren());
  EXPECT_EQ(b.ui().meldungen(), (Texte{"Bitte Belegnummer eingeben!",
                                       "Beleg nicht vorhanden oder Kreditoren-OP ausgewählt!",
                                       "Beleg nicht vorhanden oder Kreditoren-OP ausgewählt!",
                                       "Der Text ist zu lang (höchstens 7 Zeichen)!",
                                       "Dieses Feld kann hier nicht geändert werden!"}));
  // The customer's item of number 100, not the supplier's.
  EXPECT_EQ(d.form().text(T::f_kontonummer), "10001");
  EXPECT_EQ(d.form().zahl(T::f_noch_offen), 5000);
  EXPECT_EQ(d.form().text(T::f_belegart) + d.form().text(T::f_kontoart), "RechnungDebitor");

  // The supplier screen with the client's wider numbers: the other
  // message, and the cursor back in the number field.
  b.m().basis.set(BasisFelder::BelegnummerBreite, std::uint8_t{10});
  TFOPStamm k(b.m(), true);
  EXPECT_EQ(k.form().titel(), "Offene Posten pflegen - Kreditoren");
  ASSERT_TRUE(k.form().eingabe(T::f_belegnr, "1234567890"));
  k.form().setze_fokus(T::f_mahnstufe);
  EXPECT_FALSE(k.form().verlassen(T::f_belegnr));
  EXPECT_EQ(b.ui().meldungen().back(), "Beleg nicht vorhanden oder Debitoren-OP ausgewählt!");
  EXPECT_EQ(k.form().fokus(), T::f_belegnr);
  ASSERT_TRUE(k.form().eingabe(T::f_belegnr, "100"));
  ASSERT_TRUE(k.form().verlassen(T::f_belegnr));
  EXPECT_EQ(k.form().zahl(T::f_betrag), -23200);
  EXPECT_EQ(k.form().text(T::f_kontoart), "Kreditor");
  b.ui().alles_verbraucht();
}

TEST(OpStamm, BearbeitenPruefenUndSpeichern) {
  Buecher b;
  TFOPStamm d(b.m(), false);
  b.ui().formular_skript({
      F::tippe("Belegnummer", "100"),
      F::tippe("Mahnstufe", "12", false),
      F::tippe("Mahnstufe", "x", false),
      F::tippe("Mahndatum", "31.02.2024", false),
      F::tippe("Mahnen", "später", false),
      F::tippe("Rechnungsdatum", "", false),
      F::tippe("Rechnungsdatum", "12.01.2024"),
      F::tippe("Fälligkeitsdatum", "11.02.2024"),
      F::tippe("Mahndatum", "01.03.2024"),
      F::tippe("Mahnstufe", "2"),
      F::tippe("Mahnen", "gesperrt"),
      F::tippe("Projektnummer", "P-17"),
      F::tippe("Noch offen", "0", false),
      F::tippe("Name", "Jemand", false),  // the account's address
      F::druecke(Taste::Esc),
  });
  EXPECT_TRUE(d.ausfuehren());
  EXPECT_EQ(
      b.ui().meldungen(),
      (Texte{"Bitte einen Wert von 0 bis 9 eingeben!", "Bitte eine ganze Zahl eingeben!",
             "Bitte ein gültiges Datum eingeben (TT.MM.JJJJ)!",
             "Bitte einen der angebotenen Werte wählen!", "Bitte ein Rechnungsdatum eingeben!",
             "Dieses Feld kann hier nicht geändert werden!",
             "Dieses Feld kann hier nicht geändert werden!"}));
  const Satz op = b.op("D100");
  EXPECT_EQ(op.get(O::Faelligkeitsdatum), tag(11, 2));
  EXPECT_EQ(op.get(O::Mahndatum), tag(1, 3));
  EXPECT_EQ(op.get(O::Mahnstufe), 2);
  EXPECT_EQ(op.get(O::Mahnen), 1);
  EXPECT_EQ(op.get(O::Fremdbelegnr), "P-17");
  EXPECT_EQ(op.get(O::NochOffen), 5000);
  // The invoice-date index follows the new date.
  ASSERT_TRUE(b.m().opstamm->suchen_key(4, WordToKey(tag(12, 1))));
  EXPECT_EQ(b.m().opstamm->key(1), "D100");
  EXPECT_FALSE(b.m().opstamm->suchen_key(4, WordToKey(tag(10, 1))));
  EXPECT_TRUE(b.frei("D100"));
  EXPECT_EQ(b.op("K100").get(O::Mahnstufe), 0);  // the same number of the other kind
}

TEST(OpStamm, MisslungenesSpeichernLaesstDieMaskeOffen) {
  Buecher b;
  TFOPStamm d(b.m(), false);
  ASSERT_TRUE(d.laden("D100"));
  ASSERT_TRUE(d.form().eingabe(T::f_mahnstufe, "3"));
  ASSERT_TRUE(d.form().verlassen(T::f_mahnstufe));
  b.fs.stoere(1, TestDateisystem::Stoerung::Fehler);  // the next write fails
  EXPECT_FALSE(d.speichern());
  b.fs.keine_stoerung();
  EXPECT_FALSE(b.ui().meldungen().empty());
  EXPECT_TRUE(d.form().geaendert());
  EXPECT_TRUE(d.gesperrt());
  EXPECT_EQ(b.op("D100").get(O::Mahnstufe), 0);
  EXPECT_TRUE(d.speichern());
  EXPECT_EQ(b.op("D100").get(O::Mahnstufe), 3);
}

TEST(OpStamm, SperreBisZumSpeichernOderBlaettern) {
  Buecher b;
  TFOPStamm d(b.m(), false);
  ASSERT_TRUE(d.laden("D100"));
  EXPECT_FALSE(b.frei("D100"));
  EXPECT_EQ(b.ui().meldungen().back(), "Dieser OP wird gerade an einem anderen Platz bearbeitet!");
  {
    // The next item held elsewhere: the item shown stays, with its lock.
    TFOPStamm anderer(b.m(), false);
    ASSERT_TRUE(anderer.laden("D101"));
    d.form().taste(Taste::BildAb);
    EXPECT_EQ(d.form().text(T::f_belegnr), "100");
    EXPECT_FALSE(b.frei("D100"));
  }
  d.form().taste(Taste::BildAb);
  EXPECT_TRUE(b.frei("D100"));
  EXPECT_FALSE(b.frei("D101"));
  EXPECT_EQ(d.form().taste(Taste::Esc), Reaktion::Speichern);
  EXPECT_TRUE(b.frei("D101"));
}

TEST(OpStamm, SchliessenFragtNachUngespeichertem) {
  Buecher b;
  auto spielen = [&](std::vector<Formularschritt> skript) {
    TFOPStamm d(b.m(), false);
    b.ui().formular_skript(std::move(skript));
    d.ausfuehren();
    EXPECT_TRUE(b.frei("D100"));
  };
  const std::string frage = "Sollen die Änderungen gespeichert werden?";
  b.ui().erwarte_frage(frage, false);
  spielen({F::tippe("Belegnummer", "100"), F::tippe("Mahnstufe", "3"), F::schliesse()});
  EXPECT_EQ(b.op("D100").get(O::Mahnstufe), 0);
  b.ui().erwarte_frage(frage, true);
  spielen({F::tippe("Belegnummer", "100"), F::tippe("Mahnstufe", "3"), F::schliesse()});
  EXPECT_EQ(b.op("D100").get(O::Mahnstufe), 3);
  // Nothing changed, or only a number typed that found nothing: no question.
  spielen({F::tippe("Belegnummer", "100"), F::schliesse()});
  spielen({F::tippe("Belegnummer", "999", false), F::schliesse()});
  b.ui().alles_verbraucht();
}

TEST(OpStamm, BlaetternUeberDieGrenzeDerArt) {
  Buecher b;
  TFOPStamm k(b.m(), true);
  auto gezeigt = [&] {
    return k.form().text(T::f_kontonummer) + "/" + k.form().text(T::f_belegnr);
  };
  k.form().taste(Taste::BildAuf);  // without an item: the kind's last one
  EXPECT_EQ(gezeigt(), "70002/200");
  k.form().taste(Taste::BildAb);  // the end: K200 is read again
  EXPECT_EQ(gezeigt(), "70002/200");
  EXPECT_FALSE(b.frei("K200"));
  k.form().taste(Taste::BildAuf);
  k.form().taste(Taste::BildAuf);  // before K100 lies D101: K100 is read again
  EXPECT_EQ(gezeigt(), "70001/100");

  // Each step saves the item left, also one read again; a refused field
  // stops the step.
  TFOPStamm d(b.m(), false);
  d.form().taste(Taste::BildAuf);
  ASSERT_TRUE(d.form().eingabe(T::f_mahnstufe, "2"));
  d.form().taste(Taste::BildAb);  // next is K100
  EXPECT_EQ(b.op("D101").get(O::Mahnstufe), 2);
  EXPECT_EQ(d.form().text(T::f_belegnr), "101");
  ASSERT_TRUE(d.form().eingabe(T::f_mahnstufe, "3"));
  d.form().taste(Taste::BildAuf);
  EXPECT_EQ(b.op("D101").get(O::Mahnstufe), 3);
  EXPECT_EQ(d.form().text(T::f_belegnr), "100");
  ASSERT_TRUE(d.form().eingabe(T::f_faelligkeitsdatum, ""));
  d.form().taste(Taste::BildAb);
  EXPECT_EQ(b.ui().meldungen().back(), "Bitte ein Fälligkeitsdatum eingeben!");
  EXPECT_EQ(d.form().text(T::f_belegnr), "100");
  EXPECT_NE(b.op("D100").get(O::Faelligkeitsdatum), kein_datum);
}

TEST(OpStamm, DiverseMitEigenerAdresse) {
  Buecher b;
  ASSERT_TRUE(b.m().personen->suchen("10002"));
  b.m().personen->satz().set(P::Diverse, true);
  b.m().personen->speichern("10002");
  b.rechnung("10002", "300", 4640, tag(20, 1));
  TFOPStamm d(b.m(), false);
  b.ui().formular_skript({F::tippe("Belegnummer", "300"), F::tippe("Name", "Einmal & Co."),
                          F::tippe("PLZ/Ort", "80331 München"), F::druecke(Taste::Esc)});
  EXPECT_TRUE(d.ausfuehren());
  EXPECT_EQ(d.form().text(T::f_diverse), "Diverse");
  EXPECT_TRUE(b.ui().meldungen().empty());
  EXPECT_EQ(b.op("D300").get(O::Name), "Einmal & Co.");
  EXPECT_EQ(b.op("D300").get(O::PlzOrt), "80331 München");
  EXPECT_EQ(b.t.personenkonto(10002).get(P::Name), "Kunde 10002");
  // An item of an ordinary account keeps the account's address.
  ASSERT_TRUE(d.laden("D100"));
  for (int nr : {T::f_anrede, T::f_name, T::f_titel, T::f_strasse, T::f_plz_ort})
    EXPECT_TRUE(d.form().feld(nr).geschuetzt) << nr;
  EXPECT_EQ(d.form().text(T::f_diverse), "");
}

TEST(OpStamm, AnsichtNurLesen) {
  Buecher b;
  EXPECT_FALSE(op_anzeigen(b.m(), "D999"));
  EXPECT_FALSE(op_anzeigen(b.m(), "X100"));
  EXPECT_EQ(b.ui().meldungen(), (Texte{"OP nicht gefunden!", "OP nicht gefunden!"}));
  // Browse keys and lists do nothing (a list would fail the script), F4
  // shows the payments, Esc writes nothing.
  const Satz vorher = b.op("K100");
  b.ui().formular_skript({F::tippe("Mahnstufe", "2", false), F::druecke(Taste::BildAb),
                          F::druecke(Taste::F2), F::druecke(Taste::F4), F::druecke(Taste::Esc)});
  b.ui().waehle(std::nullopt);
  EXPECT_TRUE(op_anzeigen(b.m(), "K100"));
  EXPECT_TRUE(b.protokoll_hat("Formular: Offene Posten pflegen - Kreditoren"));
  EXPECT_EQ(b.op("K100").bytes(), vorher.bytes());
  b.ui().alles_verbraucht();

  TFOPStamm d(b.m(), false);
  ASSERT_TRUE(d.anzeigen("D100"));
  for (const auto& f : d.form().felder()) EXPECT_TRUE(f.geschuetzt) << f.beschriftung;
  EXPECT_TRUE(b.frei("D100"));
}

TEST(OpStamm, ListenUndZahlungen) {
  Buecher b;
  // F2: the items of the kind by number.
  TFOPStamm d(b.m(), false);
  b.ui().waehle("101    !G");
  b.ui().formular_skript(
      {F::druecke(Taste::F2), F::tippe("Mahnstufe", "1"), F::druecke(Taste::Esc)});
  EXPECT_TRUE(d.ausfuehren());
  EXPECT_TRUE(
      b.protokoll_hat("Auswahl: Liste der Offenen Posten ab "
                      "100    !R !10.01.2024 !     116,00!      50,00!10001    !Kunde 10001"));
  EXPECT_EQ(b.op("D101").get(O::Mahnstufe), 1);
  TFOPStamm k(b.m(), true);  // the suppliers' list begins with their items
  b.ui().waehle(std::nullopt);
  b.ui().formular_skript({F::druecke(Taste::F2), F::druecke(Taste::Esc)});
  EXPECT_TRUE(k.ausfuehren());
  EXPECT_TRUE(
      b.protokoll_hat("Auswahl: Liste der Offenen Posten ab "
                      "100    !R !15.01.2024 !    -232,00!    -232,00!70001    !Kunde 70001"));

  // F3 by search name holds both kinds: a supplier's item is refused on
  // the customers' screen. F4: the payments by date, the earlier one
  // first though booked later.
  TFOPStamm s(b.m(), false);
  for (const char* wahl : {"SUCH70002", "SUCH10001", "20.02.2024"}) b.ui().waehle(wahl);
  b.ui().formular_skript({F::druecke(Taste::F3), F::druecke(Taste::F3), F::druecke(Taste::F4),
                          F::tippe("Mahnstufe", "4"), F::druecke(Taste::Esc)});
  EXPECT_TRUE(s.ausfuehren());
  EXPECT_TRUE(
      b.protokoll_hat("Auswahl: Liste der Offenen Posten ab "
                      "SUCH10001          !100    !R !     116,00!      50,00!Kunde 10001"));
  EXPECT_TRUE(
      b.protokoll_hat("Auswahl: Zahlungen zum OP 100 ab "
                      "      3!05.02.2024 !H  !      16,00!1200    !Buchung 10001"));
  EXPECT_EQ(b.ui().meldungen(), Texte{"Beleg nicht vorhanden oder Kreditoren-OP ausgewählt!"});
  EXPECT_EQ(b.op("D100").get(O::Mahnstufe), 4);
  EXPECT_EQ(b.op("K200").get(O::Mahnstufe), 0);
  b.ui().alles_verbraucht();
}

// --- Pick lists over a large file ---

// Counts the bytes read from one file (the data file of OPSTAMM).
class Lesezaehler : public Dateisystem {
 public:
  Lesezaehler(Dateisystem& fs, std::string name) : fs_(fs), name_(std::move(name)) {}
  std::uint64_t gelesen = 0;

  Ergebnis oeffnen(const std::string& pfad, Oeffnen modus, std::unique_ptr<Datei>& aus) override {
    Ergebnis e = fs_.oeffnen(pfad, modus, aus);
    if (e && gross(name_von(pfad)) == name_)
      aus = std::make_unique<Gezaehlt>(std::move(aus), gelesen);
    return e;
  }
  bool existiert(const std::string& p) override { return fs_.existiert(p); }
  bool ist_verzeichnis(const std::string& p) override { return fs_.ist_verzeichnis(p); }
  Ergebnis umbenennen(const std::string& a, const std::string& n) override {
    return fs_.umbenennen(a, n);
  }
  Ergebnis loeschen(const std::string& p) override { return fs_.loeschen(p); }
  Ergebnis liste(const std::string& v, std::vector<std::string>& n) override {
    return fs_.liste(v, n);
  }
  Ergebnis verzeichnis_anlegen(const std::string& p) override { return fs_.verzeichnis_anlegen(p); }
  Ergebnis verzeichnis_loeschen(const std::string& p) override {
    return fs_.verzeichnis_loeschen(p);
  }
  Ergebnis verzeichnis_sync(const std::string& p) override { return fs_.verzeichnis_sync(p); }

 private:
  class Gezaehlt : public Datei {
   public:
    Gezaehlt(std::unique_ptr<Datei> d, std::uint64_t& z) : d_(std::move(d)), z_(z) {}
    Ergebnis lesen(std::uint64_t pos, std::size_t n, std::string& aus) override {
      Ergebnis e = d_->lesen(pos, n, aus);
      z_ += aus.size();
      return e;
    }
    Ergebnis schreiben(std::uint64_t pos, std::string_view daten) override {
      return d_->schreiben(pos, daten);
    }
    Ergebnis schreiben_mehrere(std::uint64_t pos, const std::vector<std::string_view>& s) override {
      return d_->schreiben_mehrere(pos, s);
    }
    Ergebnis groesse(std::uint64_t& aus) override { return d_->groesse(aus); }
    Ergebnis kuerzen(std::uint64_t l) override { return d_->kuerzen(l); }
    Ergebnis sync() override { return d_->sync(); }
    Ergebnis sperren(Sperrart a, bool w, std::uint64_t v, std::uint64_t l) override {
      return d_->sperren(a, w, v, l);
    }
    Ergebnis entsperren(std::uint64_t v, std::uint64_t l) override { return d_->entsperren(v, l); }

   private:
    std::unique_ptr<Datei> d_;
    std::uint64_t& z_;
  };

  Dateisystem& fs_;
  std::string name_;
};

// Opens a list as the screen's list window does (a page around its start)
// and notes what had been read from the file until its lines were there.
struct Listenoeffner : TestInteraktion {
  Lesezaehler* zaehler = nullptr;
  std::uint64_t gelesen = 0;
  std::vector<Browsereintrag> erste_seite;
  std::optional<Browsereintrag> auswahl(Tmybrowser& liste) override {
    (void)liste.vor(liste.startschluessel(), 50);
    erste_seite = liste.ab(liste.startschluessel(), 100);
    gelesen = zaehler->gelesen;
    return std::nullopt;
  }
};

TEST(OpStamm, ListenOeffnenOhneDieDateiZuLesen) {
  TestDateisystem basis;
  Lesezaehler fs(basis, "OPSTAMM.EAT");
  constexpr int je_art = 2500;
  {
    Testbuchhaltung t(fs);
    t.anlegen();
    auto& db = *t.m->opstamm;
    if (!db.offen()) db.oeffnen();
    isam::Einheit einheit(db.verzeichnis());
    for (char art : {'D', 'K'})
      for (int i = 0; i < je_art; ++i) {
        db.leeren();
        Satz& s = db.satz();
        const std::string nr = std::to_string(100000 + i);
        s.set(O::Belegnummer, nr);
        s.set(O::Kontonummer, art == 'D' ? "10001" : "70001");
        s.set(O::Suchname, std::string(art == 'D' ? "KUNDE" : "LIEFERANT") + nr);
        s.set(O::Betrag, std::int64_t{1000} + i);
        s.setze_u8(O::Kennung, static_cast<std::uint8_t>(art));
        db.speichern(std::string(1, art) + nr);
      }
    ASSERT_EQ(einheit.ende(isam::isam_ok), isam::isam_ok);
  }
  // The client opened afresh: nothing of the data file in memory.
  Listenoeffner ui;
  ui.zaehler = &fs;
  Tagesdatum heute{DMYtoDate(6, 12, 2024)};
  Netzwerk netz(fs, "/r", false);
  Mandant m(fs, ui, heute, test_wurzel, netz);
  ASSERT_TRUE(m.mandant_oeffnen(1, 2024));
  TFOPStamm d(m, true);
  // A tenth of the items' bytes: far more than a page of lines needs.
  const std::uint64_t grenze = 2u * je_art * O::groesse / 10;
  for (Taste taste : {Taste::F2, Taste::F3}) {
    SCOPED_TRACE(tastenname(taste));
    fs.gelesen = 0;
    d.form().taste(taste);
    ASSERT_EQ(ui.erste_seite.size(), 100u);
    // The suppliers' first items, behind all customers' items in the file.
    if (taste == Taste::F2) {
      EXPECT_EQ(ui.erste_seite.front().zeile.substr(0, 8), "100000 !");
    }
    EXPECT_LT(ui.gelesen, grenze);
  }
}

}  // namespace
}  // namespace fibu
