#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

#include "gui/formulardialog.h"
#include "gui/qt_interaktion.h"
#include "gui_hilfen.h"
#include "suite/test_dateisystem.h"

using fibu::test::beim_naechsten_dialog;
using fibu::test::meldungstext;

namespace {

// A small booking-like form: what the model saw is counted.
struct Testformular {
  fibu::TEntryForm form{"Testdialog"};
  int f2 = 0, bild_ab = 0, gespeichert = 0, verlassen = 0;

  Testformular() {
    form.AddString(1, "Name", "", 20);
    form.AddLongInt(2, "Konto", 0, 0, 99999);
    form.AddComp(3, "Betrag", 0);
    form.AddDate(4, "Datum", 0);
    form.AddYesNo(5, "Gesperrt", false);
    form.AddChoice(6, "Art", {"Soll", "Haben"}, 0);
    form.AddString(7, "Anzeige", "nur lesen", 20);
    form.ProtectControl(7);
    form.beim_verlassen([this](fibu::TEntryForm& f, int nr) {
      ++verlassen;
      if (nr == 2 && f.zahl(2) == 4711) {
        f.ui().ShowMessageParent("Konto 4711 ist gesperrt!");
        return false;
      }
      return true;
    });
    form.AddKey(fibu::Taste::F2, "&Kontenliste", [this](fibu::TEntryForm& f) {
      ++f2;
      f.setze_text(1, "aus Liste");
      f.setze_fokus(2);
      return fibu::Reaktion::Weiter;
    });
    form.AddKey(fibu::Taste::BildAb, "Nächster", [this](fibu::TEntryForm&) {
      ++bild_ab;
      return fibu::Reaktion::Weiter;
    });
    form.beim_speichern([this](fibu::TEntryForm&) {
      ++gespeichert;
      return true;
    });
  }
};

fibu::TEntryFormDialog* als_dialog(QWidget* w) {
  auto* d = qobject_cast<fibu::TEntryFormDialog*>(w);
  if (d) {
    if (!fibu::test::aktiv_machen(d)) qWarning("Dialog nicht aktiv");
  }
  return d;
}

// Types into a field; QTest types ASCII only, other text is inserted as an
// input method would.
void tippe(QWidget* w, const QString& text) {
  w->setFocus();
  auto* e = qobject_cast<QLineEdit*>(w);
  if (e) e->selectAll();
  bool ascii = true;
  for (QChar c : text) ascii &= c.unicode() < 128;
  if (ascii || !e)
    QTest::keyClicks(w, text);
  else
    e->insert(text);
}

// A key to the field with the cursor of the dialog in front.
void taste(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
  QWidget* vorne = QApplication::activeModalWidget();
  QVERIFY(vorne);
  QWidget* ziel = vorne->focusWidget() ? vorne->focusWidget() : vorne;
  QTest::keyClick(ziel, k, m);
}

QWidget* cursor_in(QWidget* dialog) { return dialog->focusWidget(); }

}  // namespace

class FormulardialogTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { fibu::test::wartende_beenden(); }

  void escSpeichertUndSchliesstMitAllenFeldwerten() {
    fibu::TestDateisystem fs;
    fibu::QtInteraktion ui(fs);
    Testformular t;
    beim_naechsten_dialog([](QWidget* w) {
      auto* d = als_dialog(w);
      QVERIFY(d);
      QCOMPARE(d->windowTitle(), QStringLiteral("Testdialog"));
      // The protected field is shown but the cursor skips it.
      QVERIFY(qobject_cast<QLineEdit*>(d->editor(7))->isReadOnly());
      QCOMPARE(d->editor(7)->focusPolicy(), Qt::NoFocus);
      tippe(d->editor(1), QStringLiteral("Müller & Söhne"));
      taste(Qt::Key_Return);  // Enter moves on like Tab
      QCOMPARE(cursor_in(d), d->editor(2));
      tippe(d->editor(2), QStringLiteral("1200"));
      tippe(d->editor(3), QStringLiteral("1.234,5"));
      tippe(d->editor(4), QStringLiteral("01022007"));
      qobject_cast<QCheckBox*>(d->editor(5))->setChecked(true);
      qobject_cast<QComboBox*>(d->editor(6))->setCurrentIndex(1);
      d->editor(4)->setFocus();
      QCOMPARE(qobject_cast<QLineEdit*>(d->editor(4))->text(), QStringLiteral("01.02.2007"));
      taste(Qt::Key_Escape);
    });
    QVERIFY(t.form.Execute(ui));
    QCOMPARE(t.gespeichert, 1);
    QCOMPARE(t.form.text(1), std::string("Müller & Söhne"));
    QCOMPARE(t.form.zahl(2), 1200);
    QCOMPARE(t.form.zahl(3), 123450);
    QCOMPARE(fibu::DateToDateString("dd.mm.yyyy", t.form.datum(4)), std::string("01.02.2007"));
    QVERIFY(t.form.ja(5));
    QCOMPARE(t.form.auswahl(6), 1);
  }

  // A German keypad gives "1.234,56", pasted data often "1234.56": both are
  // the same amount; the field then shows it with the comma, and a field
  // that is only shown with the thousands too. A list's dialog names what
  // Esc does.
  void betraegeMitKommaOderPunktUndDieEscBeschriftung() {
    fibu::TestDateisystem fs;
    fibu::QtInteraktion ui(fs);
    for (const QString& eingabe : {QStringLiteral("1.234,56"), QStringLiteral("1234.56")}) {
      Testformular t;
      t.form.AddComp(8, "Saldo", 987654, "###########.##");
      t.form.ProtectControl(8);
      t.form.EscBefehl("&Drucken");
      QString gezeigt, saldo, knopf;
      beim_naechsten_dialog([&](QWidget* w) {
        auto* d = als_dialog(w);
        QVERIFY(d);
        tippe(d->editor(3), eingabe);
        taste(Qt::Key_Tab);
        gezeigt = qobject_cast<QLineEdit*>(d->editor(3))->text();
        saldo = qobject_cast<QLineEdit*>(d->editor(8))->text();
        for (auto* k : d->findChildren<QPushButton*>())
          if (k->text().endsWith(QStringLiteral("[Esc]"))) knopf = k->text();
        taste(Qt::Key_Escape);
      });
      QVERIFY(t.form.Execute(ui));
      QCOMPARE(t.form.zahl(3), 123456);
      QCOMPARE(gezeigt, QStringLiteral("1234,56"));
      QCOMPARE(saldo, QStringLiteral("9.876,54"));
      QCOMPARE(knopf, QStringLiteral("&Drucken  [Esc]"));
    }
  }

  void funktionstastenUndBildAbRufenDasModell() {
    fibu::TestDateisystem fs;
    fibu::QtInteraktion ui(fs);
    Testformular t;
    beim_naechsten_dialog([&t](QWidget* w) {
      auto* d = als_dialog(w);
      QVERIFY(d);
      QVERIFY(d->knopf(0)->text().contains(QStringLiteral("[F2]")));
      taste(Qt::Key_F2);
      QCOMPARE(t.f2, 1);
      // The command's value is shown and its cursor wish followed.
      QCOMPARE(qobject_cast<QLineEdit*>(d->editor(1))->text(), QStringLiteral("aus Liste"));
      QCOMPARE(cursor_in(d), d->editor(2));
      taste(Qt::Key_PageDown);
      QCOMPARE(t.bild_ab, 1);
      d->knopf(0)->click();  // the button does what the key does
      QCOMPARE(t.f2, 2);
      taste(Qt::Key_Escape);
    });
    QVERIFY(t.form.Execute(ui));
    QCOMPARE(t.gespeichert, 1);
  }

  void abgelehntesFeldBehaeltDenCursorUndZeigtDieMeldung() {
    fibu::TestDateisystem fs;
    fibu::QtInteraktion ui(fs);
    Testformular t;
    QStringList meldungen;
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = als_dialog(w);
      QVERIFY(d);
      tippe(d->editor(2), QStringLiteral("4711"));
      fibu::test::meldung_beantworten(meldungen, d);
      taste(Qt::Key_Tab);
      QTRY_COMPARE(cursor_in(d), d->editor(2));
      QCOMPARE(qobject_cast<QLineEdit*>(d->editor(2))->text(), QStringLiteral("4711"));
      als_dialog(d);  // in front again after the message
      tippe(d->editor(2), QStringLiteral("1200"));
      taste(Qt::Key_Tab);
      QCOMPARE(cursor_in(d), d->editor(3));
      // An amount the form cannot read: its message, the cursor stays.
      tippe(d->editor(3), QStringLiteral("12,345"));
      fibu::test::meldung_beantworten(meldungen, d);
      taste(Qt::Key_Tab);
      QTRY_COMPARE(cursor_in(d), d->editor(3));
      als_dialog(d);
      tippe(d->editor(3), QStringLiteral("12,34"));
      taste(Qt::Key_Escape);
    });
    QVERIFY(t.form.Execute(ui));
    QCOMPARE(meldungen, QStringList({QStringLiteral("Konto 4711 ist gesperrt!"),
                                     QStringLiteral("Bitte einen gültigen Betrag eingeben!")}));
    QCOMPARE(t.form.zahl(2), 1200);
    QCOMPARE(t.form.zahl(3), 1234);
  }

  void schliessenFragtNachDemSpeichern() {
    fibu::TestDateisystem fs;
    fibu::QtInteraktion ui(fs);
    Testformular t;
    QStringList frage;
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = als_dialog(w);
      QVERIFY(d);
      tippe(d->editor(1), QStringLiteral("geändert"));
      fibu::test::meldung_beantworten(frage, d, QStringLiteral("Nein"));
      d->close();
    });
    QVERIFY(!t.form.Execute(ui));
    QCOMPARE(frage, QStringList({QStringLiteral("Sollen die Änderungen gespeichert werden?")}));
    QCOMPARE(t.gespeichert, 0);
  }

  void zweiAbgelehnteFelderSchickenDenCursorNichtHinUndHer() {
    fibu::TestDateisystem fs;
    fibu::QtInteraktion ui(fs);
    fibu::TEntryForm form("Zwei Prüfungen");
    form.AddLongInt(1, "Konto", 0);
    form.AddLongInt(2, "Gegenkonto", 0);
    int pruefungen = 0;
    form.beim_verlassen([&](fibu::TEntryForm& f, int nr) {
      ++pruefungen;
      if (f.zahl(nr) == 0) {
        f.ui().ShowMessageParent("Konto fehlt!");
        return false;
      }
      return true;
    });
    int meldungen = 0;
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = als_dialog(w);
      QVERIFY(d);
      // Both fields hold 0: leaving the first is refused once, and the
      // cursor going back is no leave of the second.
      auto zaehlen = [&](QWidget* box) {
        ++meldungen;
        fibu::test::knopf_druecken(box, QStringLiteral("OK"));
      };
      beim_naechsten_dialog(zaehlen, d);
      d->editor(1)->setFocus();
      taste(Qt::Key_Tab);
      QTRY_COMPARE(cursor_in(d), d->editor(1));
      // Whatever the refusal queued has run: still one message.
      fibu::test::anstehendes_abarbeiten();
      QCOMPARE(meldungen, 1);
      QCOMPARE(pruefungen, 1);
      als_dialog(d);
      tippe(d->editor(1), QStringLiteral("1200"));
      tippe(d->editor(2), QStringLiteral("8400"));
      taste(Qt::Key_Escape);
    });
    QVERIFY(form.Execute(ui));
    QCOMPARE(form.zahl(2), 8400);
  }

  void durchlaufenAendertKeinenWert() {
    fibu::TestDateisystem fs;
    fibu::QtInteraktion ui(fs);
    fibu::TEntryForm form("Anzeige");
    form.AddString(1, "Kurz", "", 5);
    form.setze_text(1, "Langer Name aus dem Satz");  // longer than the field shows
    form.AddDouble(2, "Kurs", 1.95583, 5);
    form.AddString(3, "Passwort", "", 10);
    form.Verdeckt(3);
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = als_dialog(w);
      QVERIFY(d);
      QCOMPARE(qobject_cast<QLineEdit*>(d->editor(3))->echoMode(), QLineEdit::Password);
      d->editor(1)->setFocus();
      taste(Qt::Key_Tab);
      taste(Qt::Key_Tab);
      taste(Qt::Key_Escape);
    });
    QVERIFY(form.Execute(ui));
    QCOMPARE(form.text(1), std::string("Langer Name aus dem Satz"));
    QCOMPARE(form.dezimal(2), 1.95583);
    QVERIFY(!form.geaendert());
  }

  void ausnahmeEinesBefehlsErreichtDenAufrufer() {
    fibu::TestDateisystem fs;
    fibu::QtInteraktion ui(fs);
    Testformular t;
    t.form.AddKey(fibu::Taste::F5, "Kaputt", [](fibu::TEntryForm&) -> fibu::Reaktion {
      throw std::runtime_error("Datei SACH.EAT beschädigt");
    });
    beim_naechsten_dialog([](QWidget* w) {
      QVERIFY(als_dialog(w));
      taste(Qt::Key_F5);
    });
    try {
      t.form.Execute(ui);
      QFAIL("keine Ausnahme");
    } catch (const std::runtime_error& e) {
      QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Datei SACH.EAT beschädigt"));
    }
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }

  void seitenWechselnNurWennDieSeitePasst() {
    fibu::TestDateisystem fs;
    fibu::QtInteraktion ui(fs);
    fibu::TEntryForm form("Seiten");
    form.Seite("Mandant");
    form.AddString(1, "Name", "", 20);
    form.Seite("Perioden");
    form.AddWord(2, "Anzahl", 12, 1, 12);
    form.beim_seitenwechsel([](fibu::TEntryForm& f, int seite) {
      if (seite == 0 && f.text(1).empty()) {
        f.ui().ShowMessageParent("Bitte Namen eintragen!");
        f.setze_fokus(1);
        return false;
      }
      return true;
    });
    QStringList meldung;
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = als_dialog(w);
      QVERIFY(d && d->seiten());
      QCOMPARE(d->seiten()->count(), 2);
      QCOMPARE(d->seiten()->tabText(1), QStringLiteral("Perioden"));
      fibu::test::meldung_beantworten(meldung, d);
      QTabBar* reiter = d->seiten()->tabBar();
      QTest::mouseClick(reiter, Qt::LeftButton, {}, reiter->tabRect(1).center());
      // The wheel cannot turn it either.
      QWheelEvent rad(reiter->tabRect(0).center(), reiter->mapToGlobal(reiter->tabRect(0).center()),
                      {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(reiter, &rad);
      QCOMPARE(d->seiten()->currentIndex(), 0);
      QCOMPARE(form.aktuelle_seite(), 0);
      als_dialog(d);
      tippe(d->editor(1), QStringLiteral("Holz GmbH"));
      taste(Qt::Key_Tab, Qt::ControlModifier);
      QCOMPARE(d->seiten()->currentIndex(), 1);
      QCOMPARE(form.aktuelle_seite(), 1);
      QCOMPARE(cursor_in(d), d->editor(2));
      taste(Qt::Key_Escape);
    });
    QVERIFY(form.Execute(ui));
    QCOMPARE(meldung, QStringList({QStringLiteral("Bitte Namen eintragen!")}));
    QCOMPARE(form.text(1), std::string("Holz GmbH"));
  }
};

QTEST_MAIN(FormulardialogTest)
#include "formulardialog_test.moc"
