#include <QListView>
#include <QtTest>
#include <algorithm>
#include <ranges>

#include "gui/pickliste.h"
#include "gui/qt_interaktion.h"
#include "gui_hilfen.h"
#include "store/tdatenbank.h"
#include "suite/allgemei.h"
#include "suite/test_dateisystem.h"

using fibu::test::beim_naechsten_dialog;

namespace {

// 100,000 accounts "000000" ... "099999", built on demand like the lines of
// a record-file key; counts what the list asked for.
class Grosseliste : public fibu::Tmybrowser {
 public:
  static constexpr int anzahl = 100000;
  std::size_t gelesen = 0;

  std::string titel() const override { return "Liste der Personenkonten"; }
  std::string kopf() const override { return "Konto   Name"; }
  std::vector<fibu::Browsereintrag> ab(const std::string& ab, std::size_t n) override {
    std::vector<fibu::Browsereintrag> aus;
    for (int i = erster_ab(ab); i < anzahl && aus.size() < n; ++i) aus.push_back(eintrag(i));
    gelesen += aus.size();
    return aus;
  }
  std::vector<fibu::Browsereintrag> vor(const std::string& vor, std::size_t n) override {
    std::vector<fibu::Browsereintrag> aus;
    const int bis = erster_ab(vor);
    for (int i = std::max(0, bis - static_cast<int>(n)); i < bis; ++i) aus.push_back(eintrag(i));
    gelesen += aus.size();
    return aus;
  }

 private:
  static fibu::Browsereintrag eintrag(int i) {
    char k[8];
    std::snprintf(k, sizeof k, "%06d", i);
    return {k, std::string(k) + "  Kunde Nr. " + std::to_string(i)};
  }
  // The first entry whose key is not less than `s`.
  static int erster_ab(const std::string& s) {
    return *std::ranges::partition_point(std::views::iota(0, anzahl),
                                         [&](int i) { return eintrag(i).schluessel < s; });
  }
};

// A record file of its own: a number key and a search name with
// duplicates, as the account files have.
constexpr fibu::TextFeld f_nummer{10, 8}, f_name{19, 18};

class Kundendatei : public fibu::tdatenbank {
 public:
  Kundendatei(fibu::Interaktion& ui, fibu::isam::IsamVerzeichnis& v)
      : tdatenbank(ui, v, "KUNDEN", 38, {{8, false}, {18, true}}) {}
  void lies_keys(const fibu::Satz& s) override {
    keys_[1] = fibu::trim(s.get(f_nummer));
    keys_[2] = fibu::trim(s.get(f_name));
  }
  void vor_speichern(const std::string& key) override { satz().set(f_nummer, key); }
};

std::string aktueller_schluessel(fibu::Picklistendialog* d) {
  return d->modell().eintrag(d->ansicht()->currentIndex().row()).schluessel;
}

}  // namespace

class PicklisteTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { fibu::test::wartende_beenden(); }

  void grosseListeOeffnetSofortUndSuchtBeimTippen() {
    fibu::TestDateisystem fs;
    fibu::QtInteraktion ui(fs);
    Grosseliste liste;
    std::size_t beim_oeffnen = 0, nach_blaettern = 0;
    std::vector<std::string> gefunden;
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::Picklistendialog*>(w);
      QVERIFY(d);
      QCOMPARE(d->windowTitle(), QStringLiteral("Liste der Personenkonten"));
      beim_oeffnen = liste.gelesen;
      QCOMPARE(aktueller_schluessel(d), std::string("000000"));
      QListView* v = d->ansicht();
      for (int i = 0; i < 30; ++i) QTest::keyClick(v, Qt::Key_PageDown);
      nach_blaettern = liste.gelesen;
      QVERIFY(aktueller_schluessel(d) > "000200");
      QTest::keyClicks(v, "0421");
      gefunden.push_back(aktueller_schluessel(d));
      QCOMPARE(d->suchtext(), QStringLiteral("0421"));
      QTest::keyClick(v, Qt::Key_Backspace);
      gefunden.push_back(aktueller_schluessel(d));
      // Up from the first loaded entries loads the ones before.
      for (int i = 0; i < 80; ++i) QTest::keyClick(v, Qt::Key_Up);
      gefunden.push_back(aktueller_schluessel(d));
      // End reaches the last entry without reading the list.
      const std::size_t vor_ende = liste.gelesen;
      QTest::keyClick(v, Qt::Key_End);
      QCOMPARE(aktueller_schluessel(d), std::string("099999"));
      QVERIFY(liste.gelesen - vor_ende <= fibu::Browsermodell::seite);
      QTest::keyClicks(v, "0419");
      QTest::keyClick(v, Qt::Key_Down);
      QTest::keyClick(v, Qt::Key_Down);
      gefunden.push_back(aktueller_schluessel(d));
      QTest::keyClick(v, Qt::Key_Return);
    });
    auto wahl = ui.auswahl(liste);
    QVERIFY(beim_oeffnen < 1000);
    QVERIFY(nach_blaettern < 5000);
    QCOMPARE(gefunden, (std::vector<std::string>{"042100", "042000", "041920", "041902"}));
    QVERIFY(wahl);
    QCOMPARE(wahl->schluessel, std::string("041902"));
    QCOMPARE(wahl->zeile, std::string("041902  Kunde Nr. 41902"));
  }

  void listeUeberEinerSatzdateiLaedtDenGewaehltenSatz() {
    fibu::TestDateisystem fs;
    QVERIFY(fs.verzeichnis_anlegen("/d").ok());
    fibu::isam::IsamVerzeichnis v(fs, "/d");
    fibu::QtInteraktion ui(fs);
    Kundendatei db(ui, v);
    db.oeffnen();
    // 3,000 customers, every search name twice (the key allows duplicates);
    // "MÜLLER" sorts after the ASCII names.
    for (int i = 0; i < 3000; ++i) {
      char nr[16], name[24];
      std::snprintf(nr, sizeof nr, "%05d", 10000 + i);
      std::snprintf(name, sizeof name, "KUNDE%04d", i / 2);
      db.leeren();
      db.satz().set(f_name, i == 2999 ? std::string("MÜLLER") : std::string(name));
      db.speichern(nr);
    }
    fibu::Zeilenbauer zeile = [](const fibu::Satz& s) {
      return s.get(f_nummer) + "  " + s.get(f_name);
    };
    QStringList zeilen;
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::Picklistendialog*>(w);
      QVERIFY(d);
      QListView* ansicht = d->ansicht();
      QTest::keyClicks(ansicht, "KUNDE0700");
      zeilen << d->modell().data(ansicht->currentIndex(), Qt::DisplayRole).toString();
      QTest::keyClick(ansicht, Qt::Key_Down);  // the duplicate of the same name
      zeilen << d->modell().data(ansicht->currentIndex(), Qt::DisplayRole).toString();
      QTest::keyClick(ansicht, Qt::Key_End);
      zeilen << d->modell().data(ansicht->currentIndex(), Qt::DisplayRole).toString();
      QTest::keyClick(ansicht, Qt::Key_Up);
      QTest::keyClick(ansicht, Qt::Key_Return);
    });
    std::string key;
    QVERIFY(db.auswahl(2, "Liste der Kunden", key, zeile));
    QCOMPARE(zeilen, QStringList({"11400  KUNDE0700", "11401  KUNDE0700", "12999  MÜLLER"}));
    QCOMPARE(db.satz().get(f_nummer), std::string("12998"));
    QCOMPARE(db.satz().get(f_name), std::string("KUNDE1499"));
  }

  void escWaehltNichts() {
    fibu::TestDateisystem fs;
    fibu::QtInteraktion ui(fs);
    Grosseliste liste;
    beim_naechsten_dialog([](QWidget* w) {
      auto* d = qobject_cast<fibu::Picklistendialog*>(w);
      QVERIFY(d);
      QTest::keyClick(d->ansicht(), Qt::Key_Escape);
    });
    QVERIFY(!ui.auswahl(liste));
  }
};

QTEST_MAIN(PicklisteTest)
#include "pickliste_test.moc"
