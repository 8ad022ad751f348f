// Helpers for the view tests: playing the user against modal dialogs that
// the code under test opens (and waits for) itself.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QCoreApplication>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

namespace fibu::test {

// Watchers still waiting for their dialog; a test's cleanup ends them, so
// none takes over a dialog of a later test.
inline std::vector<QPointer<QTimer>>& wartende() {
  static std::vector<QPointer<QTimer>> liste;
  return liste;
}
inline void wartende_beenden() {
  for (auto& t : wartende()) delete t.data();
  wartende().clear();
}

// Runs `schritt` once on the next modal dialog that opens (other than
// `ausser`), from inside its event loop. Returns a flag that tells whether
// it ran.
inline std::shared_ptr<bool> beim_naechsten_dialog(std::function<void(QWidget*)> schritt,
                                                   QWidget* ausser = nullptr) {
  auto gelaufen = std::make_shared<bool>(false);
  auto* uhr = new QTimer;
  uhr->setInterval(10);
  QObject::connect(uhr, &QTimer::timeout, [uhr, schritt, gelaufen, ausser] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || w == ausser || !w->isVisible()) return;
    uhr->stop();
    uhr->deleteLater();
    *gelaufen = true;
    schritt(w);
    // A step that failed half-way must not leave its dialog open.
    if (auto* d = qobject_cast<QDialog*>(w))
      QTimer::singleShot(200, d, [d] {
        if (d->isVisible()) d->done(QDialog::Rejected);
      });
  });
  uhr->start();
  wartende().emplace_back(uhr);
  return gelaufen;
}

// Brings a window to the front and waits until it has the keyboard; the
// offscreen platform has no window manager that would do it.
inline bool aktiv_machen(QWidget* w) {
  w->activateWindow();
  return QTest::qWaitForWindowActive(w);
}

// The text of a message box, with "\n" line breaks; empty for other widgets.
inline QString meldungstext(QWidget* w) {
  auto* box = qobject_cast<QMessageBox*>(w);
  return box ? box->text() : QString();
}

// Clicks the button of a dialog whose text (without "&") starts with `text`.
inline bool knopf_druecken(QWidget* dialog, const QString& text) {
  for (auto* k : dialog->findChildren<QAbstractButton*>())
    if (k->text().remove('&').startsWith(text)) {
      k->click();
      return true;
    }
  return false;
}

// Answers the next message box over `dialog` by the button `knopf`; its
// text is added to `texte`.
inline void meldung_beantworten(QStringList& texte, QWidget* dialog,
                                const QString& knopf = QStringLiteral("OK")) {
  beim_naechsten_dialog(
      [&texte, knopf](QWidget* box) {
        texte << meldungstext(box);
        knopf_druecken(box, knopf);
      },
      dialog);
}

// FIBU_BILDSCHIRMFOTO=<dir> keeps pictures of windows for a look by eye.
inline void foto(QWidget* w, const QString& name) {
  const QString ordner = qEnvironmentVariable("FIBU_BILDSCHIRMFOTO");
  if (!ordner.isEmpty()) w->grab().save(ordner + '/' + name + QStringLiteral(".png"));
}

// Runs what the views left for the event loop (their deferred refreshes
// and focus moves are queued calls), a few rounds for chains of them; no
// time is waited.
inline void anstehendes_abarbeiten() {
  for (int runde = 0; runde < 3; ++runde) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
}

// Keys as the user types them: each to the widget that has the focus (a
// grid, or the cell editor a typed key opened).
inline void taste(int key, Qt::KeyboardModifiers mod = Qt::NoModifier) {
  QWidget* w = QApplication::focusWidget();
  QVERIFY(w);
  QTest::keyClick(w, static_cast<Qt::Key>(key), mod);
}
inline void tippe(const QString& text) {
  for (QChar c : text) {
    QWidget* w = QApplication::focusWidget();
    QVERIFY(w);
    QTest::keyClicks(w, QString(c));
  }
}

}  // namespace fibu::test
