#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

#include "demo_mandant.h"
#include "gui/formulardialog.h"
#include "gui_hilfen.h"
#include "masters/kostenrechnung.h"
#include "masters/sachkonto.h"

using fibu::test::beim_naechsten_dialog;
using fibu::test::foto;

namespace {


fibu::TEntryFormDialog* vorne(QWidget* w) {
  auto* d = qobject_cast<fibu::TEntryFormDialog*>(w);
  if (d) {
    if (!fibu::test::aktiv_machen(d)) qWarning("Dialog nicht aktiv");
  }
  return d;
}

void tippe(QWidget* w, const char* text) {
  auto* e = qobject_cast<QLineEdit*>(w);
  e->setFocus();
  e->selectAll();
  QTest::keyClicks(e, text);
  QTest::keyClick(e, Qt::Key_Tab);
}

}  // namespace

class StammdatenViewTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { fibu::test::wartende_beenden(); }

  void verteilschluesselTabelleMitLaufenderSumme() {
    fibu::test::Demo demo;
    fibu::Mandant& m = *demo.m;
    // Two cost centres of the demo's range 1000-9999.
    for (const char* k : {"K1000", "K1001"}) {
      m.kosten->leeren();
      m.kosten->satz().set(fibu::KostenFelder::Name1, std::string("Stelle ") + (k + 1));
      m.kosten->speichern(k);
    }
    fibu::TFKostenstamm verteil(m, fibu::Kostenstamm::Verteilschluessel);
    QStringList summen;
    QStringList meldungen;
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = vorne(w);
      QVERIFY(d && d->tabelle());
      QCOMPARE(d->windowTitle(), QStringLiteral("Verteilschlüssel pflegen"));
      tippe(d->editor(fibu::TFKostenstamm::f_nummer), "500");
      tippe(d->editor(fibu::TFKostenstamm::f_name1), "Halbe");
      QTableWidget* t = d->tabelle();
      QCOMPARE(t->horizontalHeaderItem(1)->text(), QStringLiteral("%-Anteil"));
      auto zelle = [&](int z, int s, const QString& text) {
        t->item(z, s)->setText(text);  // what the cell editor commits
        fibu::test::anstehendes_abarbeiten();
      };
      zelle(0, 0, "1000");
      zelle(0, 1, "50");
      summen << qobject_cast<QLineEdit*>(d->editor(fibu::TFKostenstamm::f_summe))->text();
      // A refused share: the model's message, the cell shows its old value.
      fibu::test::meldung_beantworten(meldungen, d);
      zelle(0, 1, "abc");
      QTRY_COMPARE(t->item(0, 1)->text(), QStringLiteral("50,00"));
      vorne(d);
      zelle(1, 0, "1001");
      QCOMPARE(t->rowCount(), 3);  // the two lines and a free one
      foto(d, QStringLiteral("verteilschluessel"));
      // Typed into the cell's editor and left with Esc: the share counts
      // and Esc saves the key.
      t->setFocus();
      t->setCurrentCell(1, 1);
      t->editItem(t->item(1, 1));
      QWidget* editor = t->viewport()->findChild<QLineEdit*>();
      QVERIFY(editor);
      QTest::keyClicks(editor, "50");
      summen << qobject_cast<QLineEdit*>(d->editor(fibu::TFKostenstamm::f_summe))->text();
      QTest::keyClick(editor, Qt::Key_Escape);
    });
    verteil.ausfuehren();
    QCOMPARE(summen, QStringList({"50,00 %", "50,00 %"}));
    QCOMPARE(meldungen, QStringList({"Bitte einen Prozentwert von 0,00 bis 999,99 eingeben!"}));
    QVERIFY(m.kosten->suchen("V0500"));
    QCOMPARE(m.kosten->verteilung.size(), std::size_t{2});
  }

  void sachkontoDialogSiehtAusWieErSoll() {
    fibu::test::Demo demo;
    fibu::TFSachkonto sach(*demo.m);
    QString titel;
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = vorne(w);
      QVERIFY(d);
      titel = d->windowTitle();
      tippe(d->editor(fibu::TFSachkonto::f_nummer), "1200");
      QCOMPARE(qobject_cast<QLineEdit*>(d->editor(fibu::TFSachkonto::f_bez1))->text(),
               QStringLiteral("Bank"));
      QVERIFY(!d->editor(fibu::TFSachkonto::f_nummer)->isEnabled());
      foto(d, QStringLiteral("sachkonto"));
      QTest::keyClick(d->editor(fibu::TFSachkonto::f_bez1), Qt::Key_Escape);
    });
    sach.ausfuehren();
    QCOMPARE(titel, QStringLiteral("Pflege der Sachkonten"));
  }
};

QTEST_MAIN(StammdatenViewTest)
#include "stammdaten_view_test.moc"
