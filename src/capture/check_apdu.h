#pragma once
/// The check of one complete APDU: its APCI format becomes the telegram
/// class, and the rules of IEC 60870-5-104 (with the type and cause rules of
/// IEC 60870-5-101) give its status.

#include "config/prg_par.h"
#include "model/telegram.h"
#include "model/text_table.h"

namespace qlxs {

/// Checks the APDU in telegram `te`: `te.b`
/// holds the APDU from its start octet 0x68, followed by `idm` identity
/// octets; the APDU is `lg - idm` octets long. Sets `ta` to 1, 2 or 3 (I, S,
/// U format) and `stat` to the verdict, the first failing rule deciding:
/// - APCI: 7 for a length octet below 13 (I) or other than 4 (S, U); 8 for a
///   U-format control field without exactly one function bit or with
///   non-zero octets 2 to 4 (a wrong length outranks it);
/// - I format only: 42 for an undefined type (48 for a type of IEC 101 only,
///   unless a later rule fails), 25 for a structure the type does not allow,
///   26 for an ASDU length that does not match type and objects, 27 for a
///   cause the type does not permit, or 44 when that cause is no defined
///   cause but has a colour of its own in `frburs` (the colours per cause
///   octet of the settings);
/// - 40 otherwise. File segments (type 125) have no cause check.
/// `tables` are the loaded language texts, whose cause lists and type list
/// the cause rule reads. Control octets that a too short APDU lacks count as zero; nothing beyond
/// the APDU is read.
void CheckApdu(const T_TextTable& tables, const T_TypUrsFarben& frburs, T_Telegramm& te);

}  // namespace qlxs
