// Outcome of an operation that may be refused: a value, never an exception.
// A refusal carries a code callers can test and a German text for the user.
#pragma once

#include <string>
#include <utility>

namespace fibu {

class [[nodiscard]] Ergebnis {
 public:
  enum class Code {
    Ok = 0,
    NichtGefunden,  // file, directory or entry does not exist
    Existiert,      // target exists already
    Gesperrt,       // lock held by another handle or process
    EA_Fehler,      // the operating system refused a read or write
    Ungueltig,      // malformed input or impossible request
    Abgebrochen,    // the user cancelled
  };

  Ergebnis() = default;
  static Ergebnis erfolg() { return Ergebnis(); }
  static Ergebnis fehler(Code code, std::string text) { return Ergebnis(code, std::move(text)); }

  bool ok() const { return code_ == Code::Ok; }
  explicit operator bool() const { return ok(); }
  Code code() const { return code_; }
  const std::string& text() const { return text_; }

 private:
  Ergebnis(Code code, std::string text) : code_(code), text_(std::move(text)) {}

  Code code_ = Code::Ok;
  std::string text_;
};

// The one exception of the program: a condition after which it is documented
// to end (wrong record size, missing accounting root, ...). main() shows the
// text and exits; everything else is reported as a value.
class Abbruch : public std::exception {
 public:
  explicit Abbruch(std::string text) : text_(std::move(text)) {}
  const char* what() const noexcept override { return text_.c_str(); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace fibu
