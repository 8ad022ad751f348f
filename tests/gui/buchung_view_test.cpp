// The posting entry screen in its window on the demo client, played with
// the keyboard only: a two-line document typed into the grid, a refused
// cell, Esc; the bookings are then in the file.
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "demo_mandant.h"
#include "gui/rasterdialog.h"
#include "gui_hilfen.h"
#include "gui/formulardialog.h"
#include "posting/assistent.h"
#include "posting/tfbuchung.h"
#include "suite/allgemei.h"

using fibu::test::beim_naechsten_dialog;
using fibu::test::foto;
using fibu::test::taste;
using fibu::test::tippe;

namespace {


// Row 1 of a document typed with the keyboard: 4210 rent paid from the bank
// on 15.01.2007, debit, with the amount given; no cost centre, the proposed
// document number, no text key; Enter goes on like Tab.
void rentenzeile(const QString& betrag) {
  tippe("4210");
  taste(Qt::Key_Tab);
  taste(Qt::Key_Tab);
  taste(Qt::Key_Return);
  tippe("150107");
  taste(Qt::Key_Tab);
  taste(Qt::Key_Tab);
  tippe("S");
  taste(Qt::Key_Tab);
  tippe(betrag);
  taste(Qt::Key_Tab);
  tippe("1200");
  taste(Qt::Key_Tab);
}

}  // namespace

class BuchungViewTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { fibu::test::wartende_beenden(); }

  void einBelegMitDerTastatur() {
    fibu::test::Demo demo;
    fibu::Mandant& m = *demo.m;
    fibu::Buchungskern kern(m);
    fibu::TFBuchung b(m, kern);
    const std::int64_t erste = b.zeile();
    QStringList meldungen;
    QString status_vorher, status_nachher, betrag_ausrichtung;
    auto lief = beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::Rasterdialog*>(w);
      QVERIFY(d);
      QVERIFY(fibu::test::aktiv_machen(d));
      QTRY_VERIFY(QApplication::focusWidget() == d->tabelle());
      auto* status = d->findChild<QLabel*>(QStringLiteral("statuszeile"));
      QVERIFY(status);
      status_vorher = status->text();
      QCOMPARE(d->tabelle()->currentIndex().row(), static_cast<int>(erste - 1));
      QCOMPARE(d->tabelle()->currentIndex().column(), static_cast<int>(fibu::TFBuchung::Konto));

      // Row 1: an account that does not exist is refused and keeps the cursor.
      fibu::test::meldung_beantworten(meldungen, d);
      tippe("4444");
      taste(Qt::Key_Tab);
      QTRY_COMPARE(meldungen.size(), 1);
      // The offscreen platform has no window manager to give the window
      // back its activation after the message box.
      QVERIFY(fibu::test::aktiv_machen(d));
      QCOMPARE(d->tabelle()->currentIndex().column(), static_cast<int>(fibu::TFBuchung::Konto));
      // Then 4210 rent, paid from the bank.
      rentenzeile("250,00");
      if (b.zeile() == erste) taste(Qt::Key_Tab);  // the tax-key column, when the account has one
      QCOMPARE(b.zeile(), erste + 1);
      // Row 2: the bank; the amount is proposed from the difference.
      tippe("1200");
      for (int i = 0; i < 8 && b.zeile() == erste + 1; ++i) {
        if (b.spalte() == fibu::TFBuchung::Gegen) tippe("4210");
        taste(Qt::Key_Tab);
      }
      QCOMPARE(b.zeile(), erste + 2);
      QCOMPARE(b.differenz(), fibu::Betrag{0});
      betrag_ausrichtung = QString::number(
          d->tabelle()->model()->index(static_cast<int>(erste - 1), fibu::TFBuchung::Betrag_)
              .data(Qt::TextAlignmentRole)
              .toInt() &
          Qt::AlignRight);
      status_nachher = status->text();
      foto(d, QStringLiteral("buchungserfassung"));
      taste(Qt::Key_Escape);
    });
    b.ausfuehren();
    QVERIFY(*lief);
    QCOMPARE(meldungen, QStringList{QStringLiteral("Sachkonto nicht gefunden!")});
    QVERIFY(status_vorher.startsWith(QStringLiteral("Zeile: ") + QString::number(erste)));
    QVERIFY2(status_nachher.contains(QStringLiteral("Saldo: 0,00")), qPrintable(status_nachher));
    QVERIFY(betrag_ausrichtung != QStringLiteral("0"));

    // Both bookings are in the file, against each other.
    m.buchung->offene_sicht = false;
    fibu::Satz s(fibu::BuchungFelder::groesse), g(fibu::BuchungFelder::groesse);
    QVERIFY(m.buchung->buchung_lesen_in(erste, s));
    QVERIFY(m.buchung->buchung_lesen_in(erste + 1, g));
    QCOMPARE(fibu::trim(s.get(fibu::BuchungFelder::Konto)), std::string("4210"));
    QCOMPARE(fibu::trim(g.get(fibu::BuchungFelder::Konto)), std::string("1200"));
    QCOMPARE(fibu::trim(g.get(fibu::BuchungFelder::Gegenkonto)), std::string("4210"));
    QCOMPARE(fibu::vorzeichenbetrag(g), fibu::Betrag{-25000});
    QCOMPARE(s.get(fibu::BuchungFelder::Datum), fibu::DMYtoDate(15, 1, 2007));
    QCOMPARE(fibu::trim(s.get(fibu::BuchungFelder::Belegnr)), fibu::trim(g.get(fibu::BuchungFelder::Belegnr)));
  }

  // The amount typed with a decimal comma and thousands, and the counter
  // row's with a decimal point: both are 1,234.56, and the grid shows them
  // with the comma.
  void betraegeMitKommaUndPunktImRaster() {
    fibu::test::Demo demo;
    fibu::Mandant& m = *demo.m;
    fibu::Buchungskern kern(m);
    fibu::TFBuchung b(m, kern);
    const std::int64_t erste = b.zeile();
    QString gezeigt;
    auto lief = beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::Rasterdialog*>(w);
      QVERIFY(d);
      QVERIFY(fibu::test::aktiv_machen(d));
      QTRY_VERIFY(QApplication::focusWidget() == d->tabelle());
      rentenzeile("1.234,56");
      if (b.zeile() == erste) taste(Qt::Key_Tab);
      QCOMPARE(b.zeile(), erste + 1);
      gezeigt = d->tabelle()->model()->index(static_cast<int>(erste - 1), fibu::TFBuchung::Betrag_)
                    .data(Qt::DisplayRole)
                    .toString();
      tippe("1200");
      for (int i = 0; i < 10 && b.zeile() == erste + 1; ++i) {
        if (b.spalte() == fibu::TFBuchung::Betrag_) tippe("1234.56");
        if (b.spalte() == fibu::TFBuchung::Gegen) tippe("4210");
        taste(Qt::Key_Tab);
      }
      QCOMPARE(b.zeile(), erste + 2);
      taste(Qt::Key_Escape);
    });
    b.ausfuehren();
    QVERIFY(*lief);
    QCOMPARE(gezeigt, QStringLiteral("1234,56"));
    m.buchung->offene_sicht = false;
    fibu::Satz s(fibu::BuchungFelder::groesse), g(fibu::BuchungFelder::groesse);
    QVERIFY(m.buchung->buchung_lesen_in(erste, s));
    QVERIFY(m.buchung->buchung_lesen_in(erste + 1, g));
    QCOMPARE(fibu::vorzeichenbetrag(s), fibu::Betrag{123456});
    QCOMPARE(fibu::vorzeichenbetrag(g), fibu::Betrag{-123456});
  }

  // F6 in the grid opens the assistant in the generic dialog; its
  // bookings appear as rows of the grid afterwards.
  void assistentAufF6() {
    fibu::test::Demo demo;
    fibu::Mandant& m = *demo.m;
    fibu::Buchungskern kern(m);
    fibu::TFBuchung b(m, kern);
    fibu::TFBuchungsAssistent* laufend = nullptr;
    b.assistent = [&](int& periode) {
      fibu::TFBuchungsAssistent a(m, kern, periode);
      laufend = &a;
      a.ausfuehren();
      laufend = nullptr;
    };
    const std::int64_t erste = b.zeile();
    QString titel;
    auto lief = beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::Rasterdialog*>(w);
      QVERIFY(d);
      beim_naechsten_dialog(
          [&](QWidget* a) {
            titel = a->windowTitle();
            foto(a, QStringLiteral("buchungsassistent"));
            auto* f = qobject_cast<fibu::TEntryFormDialog*>(a);
            QVERIFY(f && laufend);
            fibu::TEntryForm& form = laufend->form();
            auto feld = [&](const char* name) { return form.feld_mit_beschriftung(name)->nr; };
            for (auto [name, wert] :
                 {std::pair{"Geschäftsvorfall", "Ausgangs-Rechnung"}, {"Kundenkonto", "10001"},
                  {"Belegnummer", "9509999"}, {"Belegdatum", "16.01.2007"},
                  {"Belegbetrag", "119,00"}, {"Erlöskonto", "8400"}}) {
              QVERIFY2(form.eingabe(feld(name), wert) && form.verlassen(feld(name)), name);
            }
            f->auffrischen();
            QVERIFY(fibu::test::aktiv_machen(a));
            QTRY_VERIFY(QApplication::focusWidget());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F8);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
          },
          w);
      QVERIFY(fibu::test::aktiv_machen(d));
      QTRY_VERIFY(QApplication::focusWidget() == d->tabelle());
      QTest::keyClick(d->tabelle(), Qt::Key_F6);
      d->activateWindow();
      QTRY_COMPARE(b.zeile(), erste + 2);
      foto(d, QStringLiteral("nach_assistent"));
      QCOMPARE(d->tabelle()->model()->index(static_cast<int>(erste - 1), fibu::TFBuchung::Konto).data().toString(),
               QString::fromStdString(m.personenkonto_text(10001)));
      QTest::keyClick(d->tabelle(), Qt::Key_Escape);
    });
    b.ausfuehren();
    QVERIFY(*lief);
    QCOMPARE(titel, QStringLiteral("Buchungs-Assistent"));
    QCOMPARE(b.differenz(), fibu::Betrag{0});
  }
};

QTEST_MAIN(BuchungViewTest)
#include "buchung_view_test.moc"
