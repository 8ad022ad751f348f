#include <QListView>
#include <QtTest>
#include <algorithm>
#include <ranges>

#include "gui/pickliste.h"
#include "gui/qt_interaktion.h"
#include "gui_hilfen.h"
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
