#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QProgressBar>
#include <QRadioButton>
#include <QtTest>
#include <charconv>
#include <sstream>

#include "../suite/testverzeichnis.h"
#include "app/batch.h"
#include "gui/druckbild.h"
#include "gui/druckdialog.h"
#include "gui/qt_interaktion.h"
#include "gui_hilfen.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"

using fibu::test::beim_naechsten_dialog;

namespace {

// A balance-list-like job of three pages: the standard header at 132
// columns, narrow lines of full width with umlauts, a bold total.
void saldenliste(fibu::Ausgabe3& d) {
  fibu::Seitenkopf kopf;
  kopf.titel = "Saldenliste Sachkonten";
  kopf.mandant = 999;
  kopf.mandant_name = "Demo Handwerk GmbH";
  kopf.datum = fibu::DMYtoDate(31, 12, 2007);
  kopf.breite = 132;
  QVERIFY(d.open_drucker("Saldenliste"));
  d.setze_breite(132);
  d.kopf_bei_umbruch([&](fibu::Ausgabe3& a) { fibu::drucke_seitenkopf(a, kopf); });
  d.schmal();
  fibu::drucke_seitenkopf(d, kopf);
  for (int i = 0; i < 150; ++i) {
    char zahlen[120];
    std::snprintf(zahlen, sizeof zahlen, "  %16s  %16s  %16s  %-24s", "1.234.567,89", "-98.765,43",
                  "0,01", "Kostenstelle 0650");
    char konto[16];
    std::snprintf(konto, sizeof konto, "%08d  ", 1000 + i);
    const char* name = i % 2 ? "Forderungen aus Lieferungen und Leistungen" : "Überträge Größe Äöü ß";
    d.druckeln(konto + fibu::padcut(name, 40) + zahlen);
  }
  d.schrift(fibu::Schrift::Fett);
  d.druckeln("Gesamtsumme");
  d.close_drucker();
}

// Blanks collapsed: pdftotext lays text out again with its own spacing.
QString ohne_abstand(QString s) { return s.simplified(); }

// The output of a poppler tool (poppler-utils, installed by .ci/install).
QString poppler(const QString& werkzeug, const QStringList& argumente) {
  if (QStandardPaths::findExecutable(werkzeug).isEmpty())
    qFatal("%s fehlt: bitte poppler-utils installieren", qPrintable(werkzeug));
  QProcess p;
  p.start(werkzeug, argumente);
  if (!p.waitForFinished(30000)) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdf_text(const QString& datei) {
  return poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), datei, QStringLiteral("-")});
}

// The words of a PDF with their boxes in points.
struct Wort {
  QString text;
  double x_min, y_min, x_max;
};
std::vector<Wort> pdf_woerter(const QString& datei) {
  const QString html =
      poppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), datei, QStringLiteral("-")});
  static const QRegularExpression wort(QStringLiteral(
      "xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\"[^>]*>([^<]*)<"));
  std::vector<Wort> aus;
  for (auto m = wort.globalMatch(html); m.hasNext();) {
    auto t = m.next();
    // Not std::stod: the locale's decimal separator must not matter.
    auto zahl = [&](int n) {
      const std::string text = t.captured(n).toStdString();
      double wert = 0;
      std::from_chars(text.data(), text.data() + text.size(), wert);
      return wert;
    };
    aus.push_back({t.captured(4), zahl(1), zahl(2), zahl(3)});
  }
  return aus;
}

}  // namespace

class DruckTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { fibu::test::wartende_beenden(); }

  void pdfEinerListeEnthaeltIhreZeilen_data() {
    QTest::addColumn<bool>("quer");
    QTest::newRow("hochformat") << false;
    QTest::newRow("querformat") << true;
  }

  void pdfEinerListeEnthaeltIhreZeilen() {
    QFETCH(bool, quer);
    fibu::Testverzeichnis tmp;
    auto fs = fibu::echtes_dateisystem();
    fibu::QtInteraktion ui(*fs);
    const std::string datei = tmp.pfad() + "/saldenliste.pdf";
    fibu::Druckwahl wahl;
    wahl.ziel = fibu::Druckziel::Pdf;
    wahl.datei = datei;
    wahl.format.quer = quer;
    ui.druckziel_vorgeben(wahl);
    fibu::Ausgabe3 d(ui);
    saldenliste(d);
    QVERIFY(QFile::exists(QString::fromStdString(datei)));
    // Nothing but the finished file is left behind.
    QCOMPARE(QDir(QString::fromStdString(tmp.pfad())).entryList(QDir::Files),
             QStringList({QStringLiteral("saldenliste.pdf")}));
    // FIBU_BILDSCHIRMFOTO=<dir> keeps the PDF for a look by eye.
    const QString ordner = qEnvironmentVariable("FIBU_BILDSCHIRMFOTO");
    if (!ordner.isEmpty())
      QFile::copy(QString::fromStdString(datei),
                  ordner + (quer ? QStringLiteral("/liste-quer.pdf") : QStringLiteral("/liste.pdf")));
    const QString text = pdf_text(QString::fromStdString(datei));
    // One page of the PDF per page of the job.
    QCOMPARE(text.count('\f'), static_cast<int>(d.auftrag().seiten.size()));
    QStringList pdf_zeilen;
    for (const QString& z : text.split('\n')) pdf_zeilen << ohne_abstand(z).remove('\f');
    int verglichen = 0;
    for (const std::string& z : d.auftrag().alle_zeilen()) {
      const QString erwartet = ohne_abstand(QString::fromStdString(z));
      if (erwartet.isEmpty() || erwartet.count('-') == erwartet.size()) continue;
      QVERIFY2(pdf_zeilen.contains(erwartet), qPrintable(erwartet));
      ++verglichen;
    }
    QVERIFY(verglichen > 150);
    // The 132-column lines end inside the right margin of 10 mm; upright
    // they fill the width (across, the 66 lines' height sets the size).
    const double breite_pt = (quer ? 297.0 : 210.0) * 72.0 / 25.4;
    double rechts = 0;
    for (const Wort& w : pdf_woerter(QString::fromStdString(datei))) rechts = std::max(rechts, w.x_max);
    QVERIFY2(rechts <= breite_pt - 10 * 72.0 / 25.4 + 0.5, qPrintable(QString::number(rechts)));
    if (!quer) QVERIFY2(rechts > breite_pt - 20 * 72.0 / 25.4, qPrintable(QString::number(rechts)));
  }

  void formulartextStehtAnSeinerStelleUndFettIstFett() {
    fibu::Testverzeichnis tmp;
    fibu::Druckauftrag auftrag;
    auftrag.name = "Umsatzsteuer-Voranmeldung";
    fibu::Druckseite seite;
    seite.zeilen.push_back({"Kopfzeile fett", fibu::Schrift::Fett});
    seite.texte.push_back({100.0, 50.0, "Finanzamt", fibu::Schrift::Normal});
    seite.texte.push_back({20.0, 250.0, "81", fibu::Schrift::Klein});
    auftrag.seiten.push_back(seite);
    const QString datei = QString::fromStdString(tmp.pfad()) + QStringLiteral("/form.pdf");
    QVERIFY(fibu::pdf_schreiben(auftrag, datei.toStdString()).ok());
    const auto woerter = pdf_woerter(datei);
    auto stelle = [&](const QString& text) {
      for (const Wort& w : woerter)
        if (w.text == text) return QPointF(w.x_min, w.y_min);
      return QPointF(-1, -1);
    };
    const double pt_mm = 72.0 / 25.4;
    QVERIFY(qAbs(stelle(QStringLiteral("Finanzamt")).x() - 100 * pt_mm) < 1.0);
    QVERIFY(qAbs(stelle(QStringLiteral("Finanzamt")).y() - 50 * pt_mm) < 3.0);
    QVERIFY(qAbs(stelle(QStringLiteral("81")).x() - 20 * pt_mm) < 1.0);
    const QString liste = poppler(QStringLiteral("pdffonts"), {datei});
    QVERIFY2(liste.contains(QStringLiteral("LiberationMono-Bold")), qPrintable(liste));
    QVERIFY2(liste.contains(QStringLiteral("LiberationMono ")) ||
                 liste.contains(QStringLiteral("LiberationMono-Regular")),
             qPrintable(liste));
  }

  void pdfInEinVerzeichnisDasFehltMeldetDenFehler() {
    fibu::Druckauftrag auftrag;
    auftrag.name = "Liste";
    auftrag.seiten.push_back({{{"Zeile", fibu::Schrift::Normal}}, {}});
    fibu::Ergebnis e = fibu::pdf_schreiben(auftrag, "/gibt/es/nicht/liste.pdf");
    QVERIFY(!e.ok());
    QCOMPARE(QString::fromStdString(e.text()),
             QStringLiteral("Die PDF-Datei /gibt/es/nicht/liste.pdf kann nicht geschrieben werden!"));
  }

  void vorschauBlaettertDurchDieSeiten() {
    fibu::Testverzeichnis tmp;
    auto fs = fibu::echtes_dateisystem();
    fibu::QtInteraktion ui(*fs);
    fibu::Druckwahl wahl;
    ui.druckziel_vorgeben(wahl);  // preview
    int seiten = 0, nach_bild_ab = 0, nach_ende = 0, nach_bild_auf = 0;
    auto gelaufen = beim_naechsten_dialog([&](QWidget* w) {
      auto* v = qobject_cast<fibu::DruckVorschau*>(w);
      QVERIFY(v);
      seiten = v->seitenzahl();
      QCOMPARE(v->aktuelle_seite(), 1);
      QVERIFY(fibu::test::aktiv_machen(v));
      // The keys go where the user's keys go: to the page view inside.
      QWidget* ziel = v->focusWidget() ? v->focusWidget() : v;
      QTest::keyClick(ziel, Qt::Key_PageDown);
      nach_bild_ab = v->aktuelle_seite();
      QTest::keyClick(ziel, Qt::Key_End);
      nach_ende = v->aktuelle_seite();
      QTest::keyClick(ziel, Qt::Key_PageDown);  // stays on the last page
      QTest::keyClick(ziel, Qt::Key_PageUp);
      nach_bild_auf = v->aktuelle_seite();
      QVERIFY(v->findChild<QLabel*>()->text().startsWith(QStringLiteral("Seite")));
      const QString ordner = qEnvironmentVariable("FIBU_BILDSCHIRMFOTO");
      if (!ordner.isEmpty()) v->grab().save(ordner + QStringLiteral("/vorschau.png"));
      QTest::keyClick(v, Qt::Key_Escape);
    });
    fibu::Ausgabe3 d(ui);
    saldenliste(d);
    QVERIFY(*gelaufen);
    QCOMPARE(seiten, static_cast<int>(d.auftrag().seiten.size()));
    QCOMPARE(seiten, 3);
    QCOMPARE(nach_bild_ab, 2);
    QCOMPARE(nach_ende, 3);
    QCOMPARE(nach_bild_auf, 2);
  }

  void druckdialogWaehltDasZiel() {
    fibu::Testverzeichnis tmp;
    auto fs = fibu::echtes_dateisystem();
    fibu::QtInteraktion ui(*fs);
    // Cancelled: the report ends without output.
    beim_naechsten_dialog([](QWidget* w) {
      QCOMPARE(w->windowTitle(), QStringLiteral("Drucken"));
      const QString ordner = qEnvironmentVariable("FIBU_BILDSCHIRMFOTO");
      if (!ordner.isEmpty()) w->grab().save(ordner + QStringLiteral("/druckdialog.png"));
      QVERIFY(fibu::test::knopf_druecken(w, QStringLiteral("Abbrechen")));
    });
    {
      fibu::Ausgabe3 d(ui);
      QVERIFY(!d.open_drucker("Saldenliste"));
    }
    // The text file: the name follows the job; its content is the job's text.
    QString datei;
    beim_naechsten_dialog([&](QWidget* w) {
      for (auto* r : w->findChildren<QRadioButton*>())
        if (r->text() == QStringLiteral("&Textdatei")) r->click();
      auto* feld = w->findChild<QLineEdit*>();
      QVERIFY(feld->text().endsWith(QStringLiteral("/Saldenliste.txt")));
      feld->setText(QString::fromStdString(tmp.pfad()) + QStringLiteral("/liste.txt"));
      datei = feld->text();
      QVERIFY(fibu::test::knopf_druecken(w, QStringLiteral("Drucken")));
    });
    fibu::Ausgabe3 d(ui);
    saldenliste(d);
    QCOMPARE(ui.druckwahl().ziel, fibu::Druckziel::Textdatei);
    QFile f(datei);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll().toStdString(), d.auftrag().als_text());
  }

  void fortschrittsfensterHaeltBeiEsc() {
    auto fs = fibu::echtes_dateisystem();
    fibu::QtInteraktion ui(*fs);
    ui.Balken_Oeffnen("Lösche Mandant....", 200);
    QDialog* fenster = ui.fortschrittsfenster();
    QVERIFY(fenster && fenster->isVisible());
    QVERIFY(fenster->findChild<QLabel*>()->text() == QStringLiteral("Lösche Mandant...."));
    ui.Balken_Inc(100);
    // The window shows the state at its next refresh (a few times a second).
    QTRY_COMPARE_WITH_TIMEOUT((ui.Balken_Inc(0), fenster->findChild<QProgressBar*>()->value()), 500,
                              10000);
    QVERIFY(!ui.EscPressed());
    QTest::keyClick(fenster, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(ui.EscPressed(), 10000);
    ui.Balken_Schliessen();
    QVERIFY(ui.fortschrittsfenster() == nullptr);
  }

  void batchWerkzeugSchreibtPdf() {
    fibu::Testverzeichnis tmp;
    std::ostringstream log;
    QCOMPARE(fibu::batch_ausfuehren({"--einrichten", "--arbeitsverzeichnis", tmp.pfad()}, log), 0);
    const std::string ausgabe = tmp.pfad() + "/ausgabe";
    auto pdf = [](const fibu::Druckauftrag& a, const std::string& p) {
      return fibu::pdf_schreiben(a, p);
    };
    // Without a renderer the option is refused.
    QCOMPARE(fibu::batch_ausfuehren({"--arbeitsverzeichnis", tmp.pfad(), "--pdf", "/W=9992007",
                                     "info"},
                                    log),
             2);
    QCOMPARE(fibu::batch_ausfuehren({"--arbeitsverzeichnis", tmp.pfad(), "--ausgabe", ausgabe,
                                     "--pdf", "/W=9992007", "info"},
                                    log, pdf),
             0);
    const QString text = pdf_text(QString::fromStdString(ausgabe + "/001-Systeminformation.pdf"));
    QVERIFY2(text.contains(QStringLiteral("Systemkonfiguration:")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Datenbankformat")));
    QVERIFY(QFile::exists(QString::fromStdString(ausgabe + "/001-Systeminformation.txt")));
  }
};

QTEST_MAIN(DruckTest)
#include "druck_test.moc"
