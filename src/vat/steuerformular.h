// The official form of the VAT advance return (steuerformular_drucken in
// formularwerte.h) and the tax-number line it prints.
#pragma once

#include <string>

#include "suite/satz.h"
#include "vat/formularwerte.h"

namespace fibu {

// The digits of a tax number as the client's federal state writes them
// (`bundesland` as stored with the tax office, 1..16, 0 for none): a
// 13-digit nationwide number is converted, any other is taken as entered.
std::string steuernummer_des_landes(const std::string& eingabe, int bundesland);

// The tax-number line of the form's page 1: the state's fills around the
// digit groups, then year and month with two digits each.
std::string steuernummernzeile(const Satz& basis, int jahr, int monat);

}  // namespace fibu
