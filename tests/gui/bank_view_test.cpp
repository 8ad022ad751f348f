// The bank statement screen in its window on the demo client, played with
// the keyboard only: a fee and a cash deposit typed into the grid, a row
// the checks refuse, the header figures in the panel, F6 posting the
// statement, Esc; the bookings are then in the file and the table empty.
// F5 with the import dialog filling the empty table from a file.
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "banking/tfbankbuchung.h"
#include "demo_mandant.h"
#include "gui/formulardialog.h"
#include "gui/rasterdialog.h"
#include "gui_hilfen.h"
#include "posting/buchen.h"
#include "suite/allgemei.h"

using fibu::test::beim_naechsten_dialog;
using fibu::test::foto;
using fibu::test::taste;
using fibu::test::tippe;

namespace {

// Tab until the cursor leaves the row (at most `hoechstens` cells).
void bis_zur_naechsten_zeile(fibu::TFBankbuchung& b, int hoechstens = 10) {
  const std::int64_t zeile = b.zeile();
  for (int i = 0; i < hoechstens && b.zeile() == zeile; ++i) taste(Qt::Key_Tab);
}

// The value of a panel field shown in the window: the label right of its
// caption in the panel's grid.
QString panelwert(QWidget* d, const QString& beschriftung) {
  for (auto* gitter : d->findChildren<QGridLayout*>())
    for (int i = 0; i < gitter->count(); ++i) {
      auto* label = qobject_cast<QLabel*>(gitter->itemAt(i)->widget());
      if (!label || label->text() != beschriftung + QStringLiteral(":")) continue;
      int zeile = 0, spalte = 0, hoch = 0, breit = 0;
      gitter->getItemPosition(i, &zeile, &spalte, &hoch, &breit);
      auto* wert = gitter->itemAtPosition(zeile, spalte + 1);
      auto* wertlabel = wert ? qobject_cast<QLabel*>(wert->widget()) : nullptr;
      return wertlabel ? wertlabel->text() : QString();
    }
  return {};
}

}  // namespace

class BankViewTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { fibu::test::wartende_beenden(); }

  void auszugMitDerTastaturBuchen() {
    fibu::test::Demo demo;
    fibu::Mandant& m = *demo.m;
    demo.heute.festlegen(fibu::DMYtoDate(31, 1, 2007));
    fibu::TFBankbuchung b(m);
    QVERIFY(b.konto_oeffnen("1200"));
    const std::int64_t vorher = m.buchung->letzte_buchung();
    QStringList meldungen;
    QString status, neuer_saldo, differenz;
    auto lief = beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::Rasterdialog*>(w);
      QVERIFY(d);
      QVERIFY(fibu::test::aktiv_machen(d));
      QTRY_VERIFY(QApplication::focusWidget() == d->tabelle());
      QCOMPARE(d->tabelle()->currentIndex().row(), 0);
      QCOMPARE(d->tabelle()->currentIndex().column(), static_cast<int>(fibu::TFBankbuchung::Soll));

      // Row 1: a document number without an item keeps the cursor.
      fibu::test::meldung_beantworten(meldungen, d);
      taste(Qt::Key_Tab);
      tippe("20,00");
      taste(Qt::Key_Tab);
      tippe("X1");
      taste(Qt::Key_Tab);
      QTRY_COMPARE(meldungen.size(), 1);
      QVERIFY(fibu::test::aktiv_machen(d));
      QCOMPARE(b.spalte(), static_cast<int>(fibu::TFBankbuchung::Belegnr));
      // A cash deposit instead: "/" takes the statement amount.
      tippe("/");
      taste(Qt::Key_Tab);
      taste(Qt::Key_Tab);
      tippe("1000");
      bis_zur_naechsten_zeile(b);
      QCOMPARE(b.zeile(), 2);
      // Row 2: the account fee.
      tippe("12,50");
      taste(Qt::Key_Tab);
      taste(Qt::Key_Tab);
      tippe("/");
      taste(Qt::Key_Tab);
      taste(Qt::Key_Tab);
      tippe("4970");
      bis_zur_naechsten_zeile(b);
      QCOMPARE(b.zeile(), 3);
      status = d->findChild<QLabel*>(QStringLiteral("statuszeile"))->text();
      fibu::test::anstehendes_abarbeiten();
      neuer_saldo = panelwert(d, QStringLiteral("Neuer Saldo"));
      differenz = panelwert(d, QStringLiteral("Differenz"));
      foto(d, QStringLiteral("bankauszug"));
      taste(Qt::Key_F6);
      QTRY_COMPARE(b.bank().benutzt(), std::size_t{0});
      foto(d, QStringLiteral("bankauszug_gebucht"));
      // The progress windows of the run took the keyboard; without a window
      // manager nobody hands it back.
      QVERIFY(fibu::test::aktiv_machen(d));
      taste(Qt::Key_Escape);
    });
    m.ui().raster(b);
    QVERIFY(*lief);
    QCOMPARE(meldungen, QStringList{QStringLiteral("OP zu der Belegnummer nicht gefunden!")});
    QVERIFY2(status.startsWith(QStringLiteral("Differenz: 0,00")), qPrintable(status));
    QCOMPARE(differenz, QStringLiteral("0,00"));
    QCOMPARE(QString::fromStdString(fibu::betrag_text(b.bank().alter_saldo())), neuer_saldo);

    // Two statement lines, each with its bank booking and counter booking.
    QCOMPARE(m.buchung->letzte_buchung(), vorher + 4);
    m.buchung->offene_sicht = false;
    fibu::Satz s(fibu::BuchungFelder::groesse);
    QVERIFY(m.buchung->buchung_lesen_in(vorher + 4, s));
    QCOMPARE(fibu::trim(s.get(fibu::BuchungFelder::Konto)), std::string("4970"));
    QCOMPARE(fibu::vorzeichenbetrag(s) + s.get(fibu::BuchungFelder::Steuerbetrag),
             fibu::Betrag{1250});
  }

  // F5 in the window opens the import dialog; its Start reads a T-Online
  // file into the empty table, and the grid shows the line.
  void f5ImportiertInDieTabelle() {
    fibu::test::Demo demo;
    fibu::Mandant& m = *demo.m;
    demo.heute.festlegen(fibu::DMYtoDate(31, 1, 2007));
    const std::string datei = demo.tmp.pfad() + "/KONTO.CSV";
    QVERIFY(demo.fs->schreibe_datei_atomar(
        datei,
        "1234567890;10020030;31.01.2007;0,00;;31.01.2007;31.01.2007;;Kontofuehrung;"
        "Januar;-12,50;EUR;\r\n"));
    fibu::TFBankbuchung b(m);
    QVERIFY(b.konto_oeffnen("1200"));
    QStringList meldungen;
    QString titel, zelle;
    auto lief = beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::Rasterdialog*>(w);
      QVERIFY(d);
      QVERIFY(fibu::test::aktiv_machen(d));
      beim_naechsten_dialog(
          [&](QWidget* f) {
            auto* form = qobject_cast<fibu::TEntryFormDialog*>(f);
            QVERIFY(form);
            QVERIFY(fibu::test::aktiv_machen(form));
            titel = form->windowTitle();
            for (auto [nr, text] :
                 {std::pair{1, demo.tmp.pfad()}, std::pair{2, std::string("KONTO.CSV")}}) {
              auto* e = qobject_cast<QLineEdit*>(form->editor(nr));
              QVERIFY(e);
              e->setFocus();
              e->selectAll();
              QTest::keyClicks(e, QString::fromStdString(text));
              QTest::keyClick(e, Qt::Key_Tab);
            }
            fibu::test::meldung_beantworten(meldungen, form);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
          },
          d);
      taste(Qt::Key_F5);
      QTRY_COMPARE(b.bank().benutzt(), std::size_t{1});
      fibu::test::anstehendes_abarbeiten();
      zelle = d->tabelle()->model()->index(0, fibu::TFBankbuchung::Soll).data().toString();
      foto(d, QStringLiteral("bankauszug_importiert"));
      QVERIFY(fibu::test::aktiv_machen(d));
      taste(Qt::Key_Escape);
    });
    m.ui().raster(b);
    QVERIFY(*lief);
    QCOMPARE(titel, QStringLiteral("BTX-Import"));
    QCOMPARE(meldungen, QStringList{QStringLiteral("gelesene Kontonummer : 1234567890")});
    QCOMPARE(zelle, QStringLiteral("12,50"));
    QCOMPARE(QString::fromStdString(b.bank().zeilen()[0].text_btx),
             QStringLiteral("Kontofuehrung Januar"));
  }
};

QTEST_MAIN(BankViewTest)
#include "bank_view_test.moc"
