// The keys of the models as Qt delivers them, shared by the views.
#pragma once

#include <QKeyEvent>
#include <QString>
#include <optional>
#include <string>

#include "suite/entryform.h"

namespace fibu {

inline QString q(const std::string& s) { return QString::fromStdString(s); }

// Esc, F2..F12, Page up/down (without Ctrl) and Ctrl+N; nullopt otherwise.
inline std::optional<Taste> taste_von(const QKeyEvent* k) {
  const bool strg = k->modifiers() & Qt::ControlModifier;
  switch (k->key()) {
    case Qt::Key_Escape: return Taste::Esc;
    case Qt::Key_F2: return Taste::F2;
    case Qt::Key_F3: return Taste::F3;
    case Qt::Key_F4: return Taste::F4;
    case Qt::Key_F5: return Taste::F5;
    case Qt::Key_F6: return Taste::F6;
    case Qt::Key_F7: return Taste::F7;
    case Qt::Key_F8: return Taste::F8;
    case Qt::Key_F9: return Taste::F9;
    case Qt::Key_F10: return Taste::F10;
    case Qt::Key_F11: return Taste::F11;
    case Qt::Key_F12: return Taste::F12;
    case Qt::Key_PageUp: return strg ? std::nullopt : std::optional(Taste::BildAuf);
    case Qt::Key_PageDown: return strg ? std::nullopt : std::optional(Taste::BildAb);
    case Qt::Key_N: return strg ? std::optional(Taste::StrgN) : std::nullopt;
    default: return std::nullopt;
  }
}

}  // namespace fibu
