// The open-item screens in the generic dialog on the demo client: the
// maintenance screen loads an item from its number, protects what the
// bookings made and shows the payment lines as a pick list; the write-off
// dialog explains itself above its fields.
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "demo_mandant.h"
#include "gui/formulardialog.h"
#include "gui/pickliste.h"
#include "gui_hilfen.h"
#include "openitems/ausbuchung.h"
#include "openitems/opstamm.h"

using fibu::test::beim_naechsten_dialog;
using fibu::test::foto;

namespace {

void tippe(QWidget* w, const char* text) {
  auto* e = qobject_cast<QLineEdit*>(w);
  QVERIFY(e);
  e->setFocus();
  e->selectAll();
  QTest::keyClicks(e, text);
  QTest::keyClick(e, Qt::Key_Tab);
}

QString text_von(QWidget* w) {
  auto* e = qobject_cast<QLineEdit*>(w);
  return e ? e->text() : QString();
}

}  // namespace

class OffenePostenViewTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { fibu::test::wartende_beenden(); }

  void pflegeLaedtDenPostenUndZeigtSeineZahlungen() {
    fibu::test::Demo demo;
    using T = fibu::TFOPStamm;
    T pflege(*demo.m, false);
    QString betrag, titel, liste;
    bool betrag_gesperrt = false, name_gesperrt = false, stufe_offen = false;
    auto gelaufen = beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::TEntryFormDialog*>(w);
      QVERIFY(d);
      QVERIFY(fibu::test::aktiv_machen(d));
      titel = d->windowTitle();
      tippe(d->editor(T::f_belegnr), "9500040");
      fibu::test::anstehendes_abarbeiten();
      betrag = text_von(d->editor(T::f_betrag));
      betrag_gesperrt = !d->editor(T::f_betrag)->isEnabled() ||
                        qobject_cast<QLineEdit*>(d->editor(T::f_betrag))->isReadOnly();
      auto* name = qobject_cast<QLineEdit*>(d->editor(T::f_name));
      name_gesperrt = name && (!name->isEnabled() || name->isReadOnly());
      auto* stufe = qobject_cast<QLineEdit*>(d->editor(T::f_mahnstufe));
      stufe_offen = stufe && stufe->isEnabled() && !stufe->isReadOnly();
      foto(d, QStringLiteral("op_pflege"));
      // F4: the payment lines as a pick list over the screen.
      beim_naechsten_dialog(
          [&](QWidget* l) {
            liste = l->windowTitle();
            foto(l, QStringLiteral("op_zahlungen"));
            QTest::keyClick(l, Qt::Key_Escape);
          },
          d);
      // The number field is closed now; the cursor went to the first
      // field that may be changed, and the keys work from there.
      QCOMPARE(QApplication::focusWidget(), d->editor(T::f_rechnungsdatum));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
      fibu::test::anstehendes_abarbeiten();
      QVERIFY(fibu::test::aktiv_machen(d));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    pflege.ausfuehren();
    QVERIFY(*gelaufen);
    QCOMPARE(titel, QStringLiteral("Offene Posten pflegen - Debitoren"));
    QVERIFY2(betrag.contains(QStringLiteral("2178,79")) || betrag.contains(QStringLiteral("2.178,79")),
             qPrintable(betrag));
    QVERIFY(betrag_gesperrt);
    QVERIFY(name_gesperrt);  // not a Diverse item: the address is the account's
    QVERIFY(stufe_offen);
    QVERIFY(!liste.isEmpty());
  }

  void ausbuchungErklaertSichUeberDenFeldern() {
    fibu::test::Demo demo;
    fibu::TFSkontoausgleich dialog(*demo.m, false);
    QString erklaerung;
    auto gelaufen = beim_naechsten_dialog([&](QWidget* w) {
      for (auto* l : w->findChildren<QLabel*>())
        if (l->wordWrap()) erklaerung = l->text();
      foto(w, QStringLiteral("ausbuchung"));
      QVERIFY(fibu::test::knopf_druecken(w, QStringLiteral("Abbrechen")) ||
              fibu::test::knopf_druecken(w, QStringLiteral("Schließen")));
    });
    QVERIFY(!dialog.ausfuehren());
    QVERIFY(*gelaufen);
    QVERIFY(erklaerung.startsWith(QStringLiteral("Diese Funktion sucht alle noch nicht")));
  }
};

QTEST_MAIN(OffenePostenViewTest)
#include "offeneposten_view_test.moc"
